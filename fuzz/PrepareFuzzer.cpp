// Template reader followed by preparation under a page limit: a hostile template may be
// refused or fail to prepare with a message, but it can neither crash preparation nor make
// it run away; it never ends with more pages than the limit. A template can also loop over
// many records without filling a page (a band of no height over a large record count); the
// operator stops that with the progress window's Cancel, which the fuzzer stands in for after
// a fixed number of steps.

#include "fuzz/FuzzSupport.h"
#include "report/engine/model/RMReport.h"

#include <cstdlib>
#include <exception>

namespace {
constexpr int kPageLimit = 20;
constexpr int kStepLimit = 200000;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 256 * 1024)
        return 0;
    report::TRMReport report;
    report::RMStream stream(std::string(reinterpret_cast<const char*>(data), size));
    if (!report.LoadFromStream(stream))
        return 0;
    report.MaxPages = kPageLimit;
    report.OnInput = [](const std::string&, const std::string& preset) { return preset; };
    int steps = 0;
    report.OnProgress = [&report, &steps](int) {
        if (++steps > kStepLimit)
            report.Terminated = true;
    };
    try {
        report.PrepareReport();
    } catch (const std::exception&) {
        std::abort(); // errors end as a message, never as an exception out of the engine
    }
    if (report.EMFPages.Count() > kPageLimit)
        std::abort();
    return 0;
}
