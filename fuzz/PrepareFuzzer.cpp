// Template reader followed by preparation under a page limit: a hostile template may be
// refused or fail to prepare with a message, but it can neither crash preparation nor make
// it run away; it never ends with more pages than the limit. A template can also loop
// without filling a page (a band of no height over a large record count, a script's loop);
// the operator stops that with the progress window's Cancel, which the fuzzer stands in for
// after a fixed number of the checks preparation makes.

#include "fuzz/CancelAfterChecks.h"
#include "fuzz/FuzzSupport.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMReportOutput.h"

#include <cstdlib>
#include <exception>
#include <memory>

namespace {

constexpr int kPageLimit = 20;
constexpr int kCheckLimit = 1000;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::initialize(argc, argv);
    fuzzsupport::cancelPreparationsAfterChecks(kCheckLimit);
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
    report.OnProgress = nullptr; // the progress window above, which cancels
    report.ShowProgress = true;
    try {
        report.PrepareReport();
    } catch (const std::exception&) {
        std::abort(); // errors end as a message, never as an exception out of the engine
    }
    if (report.EMFPages.Count() > kPageLimit)
        std::abort();
    return 0;
}
