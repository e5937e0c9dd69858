#pragma once

// Printing prepared pages on the selected printer as the user sees it: the progress
// window, the print run, and the messages afterwards (a page list that is not numeric, a
// printer that failed, where the PDF printer put its files).

#include "report/print/RMPrintRun.h"

#include <functional>

class QWidget;

namespace report {

struct TRMPrintRequest {
    TRMPrintRunOptions options;
    // The progress window is shown unless this is off or `progress` is given.
    bool showProgress = true;
    TRMProgress* progress = nullptr; // the report's own progress handler
    std::function<void()> onPrintReport;
    std::function<void(int& pg)> onEndPrintPage;
    // Set when the user cancels (the report's stop flag).
    bool* terminated = nullptr;
    // The PDF printer names the files it wrote in a message box.
    bool tellOutputs = true;
};

TRMPrintResult PrintPages(QWidget* owner, TRMPageSource& pages, const TRMPrintRequest& request);
// What PrintPages shows after a run: the error box or where the PDF printer put its files.
void tellPrintResult(QWidget* owner, const TRMPrintResult& result, const TRMPrintRequest& request);

} // namespace report
