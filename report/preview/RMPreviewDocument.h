#pragma once

// What a preview shows: prepared pages it owns, the print settings its print commands use,
// and what it may ask of whoever made the pages. A preview never hands pages back; page
// setup asks for new ones.

#include "report/engine/model/RMEMFPages.h"
#include "report/preview/RMReportPrinting.h"
#include "report/print/RMReportPrintSettings.h"

#include <functional>
#include <memory>
#include <string>

namespace report {

struct TRMPreviewDocument {
    std::unique_ptr<TRMEMFPages> Pages;
    TRMReportPrintSettings Print;
    std::string InitialDir; // start folder of the open and save dialogs
    // The page setup's starting values for the pages shown (no page setup without it).
    std::function<TRMPageSetting(const TRMEMFPages& shown)> PageSetting;
    // Applies a confirmed page setting and prepares again; false (nothing changed) when the
    // setting was refused. The new pages and print settings replace the document's when
    // the preparation succeeded; one that failed or was cancelled leaves them.
    std::function<bool(const TRMPageSetting& setting, TRMPreviewDocument& document)> PrepareAgain;
    // Print offsets changed in the print dialog.
    std::function<void(int left, int top)> OffsetsChanged;
    // The report's calls its print runs make (progress, print events, stop flag).
    TRMPrintCalls Calls;
};

} // namespace report
