// Prepared-report reader and the lazy loading of page views.

#include "fuzz/FuzzSupport.h"
#include "report/engine/RMReport.h"

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
    return 0;
}
