// Prepared-report reader, the lazy loading of page views, and drawing the pages (the one
// page-drawing call every consumer uses) into a recording metafile.

#include "fuzz/FuzzSupport.h"
#include "platform/Metafile.h"
#include "report/engine/model/RMDrawContext.h"
#include "report/engine/model/RMReport.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    report::TRMReport report;
    report::RMStream stream(std::string(reinterpret_cast<const char*>(data), size));
    if (!report.EMFPages.LoadFromStream(stream)) {
        if (report.EMFPages.Count() != 0)
            std::abort();
        return 0;
    }
    for (int i = 0; i < report.EMFPages.Count(); ++i) {
        if (const auto views = report.EMFPages.LoadPageViews(i))
            report.EMFPages.ObjectsToStream(i, *views);
    }
    for (int i = 0; i < std::min(report.EMFPages.Count(), 4); ++i) {
        platform::TMetafile metafile(200, 280);
        platform::TMetafileCanvas canvas(metafile);
        report.EMFPages.paintPage(i, canvas, {0, 0, 200, 280}, report::TRMDrawContext{});
    }
    return 0;
}
