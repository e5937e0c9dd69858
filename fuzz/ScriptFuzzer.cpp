// Scripts: the input is the OnBeforePrint script of a data band and the OnAfterPrint script
// of a memo in it, in a small report (three records, a second band a script may show, a
// page limit) that is prepared. A script may be refused or fail with a message, but it can
// neither crash preparation nor make it run away: a loop that never ends is ended by the
// progress window's Cancel, which the fuzzer stands in for after a fixed number of the
// checks preparation makes (a count, not a clock: the fixed-seed runs stay repeatable).

#include "fuzz/CancelAfterChecks.h"
#include "fuzz/FuzzSupport.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMReportOutput.h"

#include <cstdlib>
#include <exception>
#include <memory>

namespace {

constexpr int kPageLimit = 20;
constexpr int kCheckLimit = 64; // a loop runs some 1,000 statements

report::TRMView& add(report::TRMPage& page, std::unique_ptr<report::TRMView> view, const char* name,
                     int top, int height) {
    view->Name = name;
    view->SetBounds(page.marginsInPixels().left, top, 300, height);
    return *page.addView(std::move(view));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzsupport::initialize(argc, argv);
    fuzzsupport::cancelPreparationsAfterChecks(kCheckLimit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024)
        return 0;
    const report::TRMStrings script =
        report::splitLines(std::string(reinterpret_cast<const char*>(data), size));

    report::TRMReport report;
    report.MaxPages = kPageLimit;
    report.OnInput = [](const std::string&, const std::string& preset) { return preset; };
    report::TRMPage& page = *report.Pages.Add();
    const int top = page.marginsInPixels().top;
    auto master = std::make_unique<report::TRMBandView>();
    master->setBandType(report::rmbtMasterData);
    master->DisplayFormatText = "3";
    master->OnBeforePrint = script;
    add(page, std::move(master), "MasterData1", top, 20);
    auto cell = std::make_unique<report::TRMMemoView>();
    cell->Memo = {"[Line#]"};
    cell->OnAfterPrint = script;
    add(page, std::move(cell), "Cell", top, 20);
    auto extra = std::make_unique<report::TRMBandView>();
    extra->setBandType(report::rmbtChild);
    add(page, std::move(extra), "Extra", top + 40, 20);
    auto note = std::make_unique<report::TRMMemoView>();
    note->Memo = {"附注"};
    add(page, std::move(note), "Note", top + 40, 20);
    try {
        report.PrepareReport();
    } catch (const std::exception&) {
        std::abort(); // errors end as a message, never as an exception out of the engine
    }
    if (report.EMFPages.Count() > kPageLimit)
        std::abort();
    return 0;
}
