#pragma once

// What printing and page setup take from a report, and give back to it: the print options
// and titles a print run and the print dialog start from, the page setup's starting values,
// and a confirmed page setting applied to the report's template.

#include "report/engine/model/RMPrintOptions.h"
#include "report/print/RMPageSetting.h"
#include "report/print/RMPrintDialogModel.h"

#include <string>

namespace report {

class TRMEMFPages;
class TRMReport;

// A report's print settings, taken once: the print dialog, a print run and a preview's
// print commands need nothing else of it.
struct TRMReportPrintSettings {
    TRMPrintOptions Options;
    std::string JobTitle = "Untitled"; // see printJobTitle
    std::string ReportTitle;           // the report's title ("" when it has none)
};

// Report title, else the report file name without folder, else "Untitled" (47209).
std::string printJobTitle(const TRMReport& report);
TRMReportPrintSettings printSettingsOf(const TRMReport& report);

// Copies, collation, stationery switch and print offsets.
TRMPrintDialogSettings printDialogSettings(const TRMReportPrintSettings& settings,
                                           bool fromPreview = false, int currentPage = 1);
// Without a dialog: all pages, no parity, scale 100 without a scale paper, the report's
// copies, collation, stationery switch, offsets and back colour.
TRMPrintRunOptions defaultPrintOptions(const TRMReportPrintSettings& settings);

// The page setup's values from the report and the first of `pages` (the first template page
// when there are none): margins in millimetres rounded to one decimal.
TRMPageSetting pageSettingFromReport(const TRMReport& report, const TRMEMFPages& pages);
// Applies a confirmed setting: the printer (when another one was chosen; a failure shows
// "所选打印机错误" and keeps the old printer), title and switches, and margins, columns,
// orientation, bin and paper on every template page that is not a subreport page; then
// saves the report's settings. The caller calls the page-setup hook and prepares again
// (PrintToPrevPage and UnlimitedHeight are the caller's too).
bool applyPageSetting(TRMReport& report, const TRMPageSetting& setting);

} // namespace report
