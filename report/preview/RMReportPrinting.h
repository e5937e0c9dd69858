#pragma once

// The report's side of printing and page setup: the print dialog's and the page setup's
// starting values taken from a report, a confirmed page setting applied back to it, and
// the choices that hold when no print dialog is shown; and printing a report's prepared
// pages as the user asked (PrintReport's print step and the preview's print commands).

#include "report/engine/model/RMReport.h"
#include "report/print/RMPageSetting.h"
#include "report/print/RMPrintDialogModel.h"

#include <optional>

class QWidget;

namespace report {

// Report title, else the report file name without folder, else "Untitled" (47209).
std::string printJobTitle(const TRMReport& report);

// Copies, collation, stationery switch and print offsets of the report.
TRMPrintDialogSettings printDialogSettings(const TRMReport& report, bool fromPreview = false,
                                           int currentPage = 1);
// Without a dialog: all pages, no parity, scale 100 without a scale paper, the report's
// copies, collation, stationery switch, offsets and back colour.
TRMPrintRunOptions defaultPrintOptions(const TRMReport& report);

// The page setup's values from the report and its first prepared page (the first template
// page when nothing is prepared): margins in millimetres rounded to one decimal.
TRMPageSetting pageSettingFromReport(const TRMReport& report);
// Applies a confirmed setting: the printer (when another one was chosen; a failure shows
// "所选打印机错误" and keeps the old printer), title and switches, and margins, columns,
// orientation, bin and paper on every template page that is not a subreport page; then
// saves the report's settings. The caller calls the page-setup hook and prepares again
// (PrintToPrevPage and UnlimitedHeight are the caller's too).
bool applyPageSetting(TRMReport& report, const TRMPageSetting& setting);

// The print dialog filled from the report when its ShowPrintDialog is on, else the choices
// without a dialog; nullopt when the user cancelled. `currentPage` > 0 (a preview's current
// page) enables the dialog's current-page choice. Offsets changed in the dialog are stored
// in the report and its print settings saved.
std::optional<TRMPrintRunOptions> askPrintOptions(QWidget* owner, TRMReport& report,
                                                  int currentPage = 0);
// Prints the report's prepared pages: in the progress window unless the report has its own
// OnProgress handler (told each page number) or ShowProgress is off; a cancel sets the
// report's Terminated flag. Messages as PrintPages shows them.
TRMPrintResult printReportPages(QWidget* owner, TRMReport& report,
                                const TRMPrintRunOptions& options);
// The print step of PrintReport: nothing without prepared pages or a real printer, else
// askPrintOptions (no current-page choice) and printReportPages.
void PrintPreparedReport(TRMReport& report, QWidget* owner = nullptr);

} // namespace report
