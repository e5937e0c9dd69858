#pragma once

// Where the preview and printer layers plug into the report façade: they live above the
// engine and install these once at start-up. Without them a report prepares its pages
// but shows and prints nothing, and preparation reports progress to nobody.

#include "report/engine/model/RMProgress.h"

#include <functional>
#include <memory>
#include <string>

namespace report {

class TRMReport;

struct TRMReportHooks {
    // Shows the report's prepared pages (its Preview control when set, else a preview
    // window); `caption` is the window caption.
    std::function<void(TRMReport& report, const std::string& caption)> ShowPreparedReport;
    // The print step of PrintReport: the print dialog (unless ShowPrintDialog is off) and
    // the printing of the prepared pages.
    std::function<void(TRMReport& report)> PrintPreparedReport;
    // A shown progress window for a preparation, captioned `caption`; it is destroyed
    // (closed) when the preparation ends.
    std::function<std::unique_ptr<TRMProgress>(TRMReport& report, const std::string& caption)>
        CreateProgress;
};

// The process-wide hooks.
TRMReportHooks& RMReportHooks();

} // namespace report
