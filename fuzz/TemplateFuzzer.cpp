// Template reader: any byte string either loads (and then writes and loads again) or is
// refused leaving no pages.

#include "fuzz/FuzzSupport.h"
#include "report/engine/model/RMReport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    report::TRMReport report;
    report::RMStream stream(std::string(reinterpret_cast<const char*>(data), size));
    if (!report.LoadFromStream(stream)) {
        if (report.Pages.Count() != 0)
            std::abort();
        return 0;
    }
    report::RMStream again;
    report.SaveToStream(again);
    again.seek(0);
    report::TRMReport second;
    if (!second.LoadFromStream(again))
        std::abort();
    return 0;
}
