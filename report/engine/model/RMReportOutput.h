#pragma once

// Where a report goes. Whoever asks for a report passes its output down: a preview target, a
// printer with its options, a file. The report prepares its pages and hands itself to the
// output, which takes the pages and the settings it needs; nothing is chosen by swapping a
// process-wide hook. What a report opens by itself when no output is named (a preview
// window, the progress window of a preparation) is installed once at start-up.

#include "report/engine/model/RMProgress.h"

#include <functional>
#include <memory>
#include <string>

namespace report {

class TRMReport;

class TRMReportOutput {
public:
    virtual ~TRMReportOutput() = default;
    // `report` has just prepared at least one page into its EMFPages.
    virtual void Deliver(TRMReport& report) = 0;
    // An output that can take pages while they are still being made prepares `report`
    // itself and returns true; false (nothing done): the report prepares, then Deliver.
    virtual bool DeliverWhilePreparing(TRMReport& /*report*/) { return false; }
};

struct TRMReportWindows {
    // The preview ShowReport and ShowPreparedReport use for a report without a Preview.
    std::function<std::unique_ptr<TRMReportOutput>()> PreviewWindow;
    // A shown progress window for a preparation captioned `caption`; destroyed (closed)
    // when the preparation ends.
    std::function<std::unique_ptr<TRMProgress>(const std::string& caption)> ProgressWindow;
};

// Installs the windows (the preview layer does, at start-up); without them a report
// prepares its pages but shows nothing, and preparation reports progress to nobody.
void installReportWindows(TRMReportWindows windows);
const TRMReportWindows& reportWindows();

} // namespace report
