#pragma once

// Printing prepared pages as the user asks: the print dialog (or the report's own choices),
// then the pages on the selected printer with the progress window; and the printer and the
// preview as a report's outputs, which take the pages and settings from the report they are
// handed and never reach back into it.

#include "report/engine/model/RMReportOutput.h"
#include "report/print/RMPrintRun.h"
#include "report/print/RMReportPrintSettings.h"

#include <functional>
#include <optional>

class QWidget;

namespace report {

class TRMEMFPages;
class TRMReport;
struct TRMPreviewDocument;

// The print dialog filled from `settings` when its ShowPrintDialog is on, else the choices
// without a dialog; nullopt when the user cancelled. `currentPage` > 0 (a preview's current
// page) enables the dialog's current-page choice. Offsets changed in the dialog are handed
// to `offsetsChanged` (the report stores and saves them).
std::optional<TRMPrintRunOptions>
askPrintOptions(QWidget* owner, const TRMReportPrintSettings& settings, int currentPage = 0,
                const std::function<void(int left, int top)>& offsetsChanged = {});

// What a print run tells the report that made the pages: its OnProgress handler (told each
// page number, in the place of the progress window), OnPrintReport and OnEndPrintPage, and
// its stop flag, set when the user cancels.
struct TRMPrintCalls {
    std::function<void(int pageNo)> OnProgress;
    std::function<void()> OnPrintReport;
    std::function<void(int& pg)> OnEndPrintPage;
    bool* Terminated = nullptr;
};
// The calls of `report` (which must outlive the run).
TRMPrintCalls printCallsOf(TRMReport& report);

// Prints prepared pages: in the progress window unless `calls` has OnProgress or the
// settings' ShowProgress is off. Messages as PrintPages shows them.
TRMPrintResult printPreparedPages(QWidget* owner, const TRMEMFPages& pages,
                                  const TRMReportPrintSettings& settings,
                                  const TRMPrintRunOptions& options,
                                  const TRMPrintCalls& calls = {});

// The printer as a report's output: nothing without a real printer, else the print dialog
// (askPrintOptions; offsets changed there go back into the report) or, when given, fixed
// options, then printPreparedPages with the report's calls (printCallsOf). Windows are owned by
// `owner`, else by the active window.
class TRMPrinterOutput : public TRMReportOutput {
public:
    explicit TRMPrinterOutput(QWidget* owner = nullptr);
    TRMPrinterOutput(QWidget* owner, const TRMPrintRunOptions& options);
    void Deliver(TRMReport& report) override;
    // Prints on a thread of its own while the report prepares, where that gives the same
    // output (see overlapPossible in the source); false when it cannot.
    bool DeliverWhilePreparing(TRMReport& report) override;
    // Of the last delivery; Nothing when nothing was printed.
    const TRMPrintResult& Result() const { return result_; }

private:
    QWidget* owner_;
    std::optional<TRMPrintRunOptions> options_;
    TRMPrintResult result_;
};

// What a preview of the report shows and may ask of it: the prepared pages, taken from the
// report (it keeps none), its print settings, and the calls back that print offsets and
// page setup need (the report must outlive the preview that shows the document).
TRMPreviewDocument previewDocument(TRMReport& report);

} // namespace report
