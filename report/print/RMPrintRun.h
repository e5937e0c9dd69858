#pragma once

// Printing prepared pages: page list, copies, collation, parity, paper runs (a paper
// change ends the job and starts the next), scale-to-paper, print offsets, background
// pictures, the report's print events and progress with cancel between pages. Widget-free:
// it sees the pages through TRMPageSource and the output through TRMPrintDevice.

#include "report/engine/model/RMProgress.h"
#include "report/print/RMPageSource.h"
#include "report/print/RMPrintDevice.h"
#include "report/print/RMPrinter.h"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace report {

// A paper every page is scaled onto (print dialog's "按纸型缩放").
struct TRMScalePaper {
    int code = 9;
    std::int32_t width = 2100; // tenths of a millimetre, portrait
    std::int32_t height = 2970;
};

struct TRMPrintRunOptions {
    std::string jobTitle = "Untitled"; // report title, or file name, or "Untitled"
    std::string reportTitle;           // shown in the progress caption when not empty
    std::string pageList;              // "" = every page
    // When not empty: these pages (from 0), in this order, once each; pageList, copies,
    // collation and parity are not used (a file written from chosen pages).
    std::vector<int> pageOrder;
    int copies = 1;
    bool collate = true;
    int parity = 0; // 0 every page, 1 odd pages, 2 even pages
    std::optional<TRMScalePaper> scalePaper;
    int scalePercent = 100;
    int offsetLeft = 0, offsetTop = 0; // report's print offsets, page pixels
    bool stationery = false;           // pre-printed stationery: no background pictures
    bool printBackColor = true;        // the report's PrintBackColor
};

enum class TRMPrintStatus {
    Printed,     // every selected page went out
    Nothing,     // no page was selected
    Cancelled,   // stopped by the user; the job in progress was dropped
    BadPageList, // the page list is not numeric; no job was begun
    Failed,      // the device refused or lost a job (message says why)
};

struct TRMPrintResult {
    TRMPrintStatus status = TRMPrintStatus::Nothing;
    std::string message;
    std::vector<std::string> outputs; // files written / jobs submitted
    int pagesPrinted = 0;             // printer pages, copies included
    int jobs = 0;                     // jobs finished
};

class TRMPrintRun {
public:
    TRMPrintRun(TRMPageSource& source, TRMCustomPrinter& printer, TRMPrintDevice& device);

    // The report's OnPrintReport: once, before the first job.
    std::function<void()> OnPrintReport;
    // The report's OnEndPrintPage: after each printed page (index from 0); the job is
    // ended before it and the next page starts a new one. Changes to `pg` are ignored.
    std::function<void(int& pg)> OnEndPrintPage;
    TRMProgress* Progress = nullptr;

    TRMPrintResult Execute(const TRMPrintRunOptions& options);
    // Every page in order as it comes, for pages still being made: `pageReady(i)` waits
    // until page i can be drawn (true) or tells that no page follows (false). No page
    // list, copies or page order (they need the page count); parity applies.
    TRMPrintResult ExecuteInOrder(const TRMPrintRunOptions& options,
                                  const std::function<bool(int)>& pageReady);

private:
    struct Failure {
        std::string message;
    };
    void finishRun();
    void fail(const Failure& failure); // the job is dropped; the result says why
    bool inList(int pageNo) const { return pages_.empty() || pages_.count(pageNo) != 0; }
    void printPage(int index);
    void endOfPage(int index);
    void startJob(const TRMPaperRequest& paper);
    void endJob();
    void drawPage(int index);
    void drawScaled(int index, const TRMPageInfo& page);
    TRMDrawContext context(int scalePercent) const;
    void drawBackground(int index, platform::TCanvas& canvas, double fx, double fy, int dx, int dy);
    TRMPaperRequest paperFor(const TRMPageInfo& page) const;
    bool cancelled() const { return Progress != nullptr && Progress->cancelled(); }

    TRMPageSource& source_;
    TRMCustomPrinter& printer_;
    TRMPrintDevice& device_;
    TRMPrintRunOptions options_;
    std::set<int> pages_;
    TRMPageGeometry geometry_; // of the job in progress
    int dpiX_ = 600, dpiY_ = 600;
    TRMPrintResult result_;
};

} // namespace report
