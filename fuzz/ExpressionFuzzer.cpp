// Bracket expansion and expression evaluation on arbitrary text: errors are allowed,
// crashes, hangs and runaway recursion are not.

#include "fuzz/FuzzSupport.h"
#include "report/engine/model/RMReport.h"

#include <exception>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096)
        return 0;
    static report::TRMReport report;
    report.OnInput = [](const std::string&, const std::string& preset) { return preset; };
    report.Dictionary.setVariable("Loop", "Loop + [Loop]");
    try {
        report.ExpandVariables(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const std::exception&) {
    }
    return 0;
}
