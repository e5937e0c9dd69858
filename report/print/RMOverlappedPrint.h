#pragma once

// A print run on a thread of its own that draws prepared pages while the preparation goes
// on in the caller's thread: the preparation hands final pages over (TRMPageHandOver), the
// thread prints them in order into the device. The thread works on its own copy of the
// printer's description and on its own copies of the pages; it touches no widget, runs no
// report handler and lets no exception out. The caller's thread shows progress and asks for
// cancel (wait); stop() makes the thread drop its job (no file, no job sent) at the next page.

#include "report/engine/model/RMPageHandOver.h"
#include "report/print/RMPrintRun.h"

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

namespace report {

class TRMPrinterList;

// Whether prints may overlap their preparation (on by default; off: always one after the
// other, as benchmarks and tests compare).
void setOverlappedPrint(bool on);
bool overlappedPrint();
// Prints started on a thread of their own in this process, and those whose output the
// thread finished (tests and benchmarks tell by them which way a print went).
int overlappedPrintsStarted();
int overlappedPrintsDone();

class TRMOverlappedPrint {
public:
    // Prints on a copy of `printer`'s selected printer, the PDF printer into `pdfFolder`.
    TRMOverlappedPrint(TRMCustomPrinter& printer, const TRMPrintRunOptions& options,
                       std::filesystem::path pdfFolder);
    // Stops a run still going and waits for its thread.
    ~TRMOverlappedPrint();
    TRMOverlappedPrint(const TRMOverlappedPrint&) = delete;
    TRMOverlappedPrint& operator=(const TRMOverlappedPrint&) = delete;

    // Whether the run can go on a thread: the PDF printer (the only device whose whole job is
    // drawing into a file).
    static bool possibleFor(const TRMCustomPrinter& printer);

    TRMPageHandOver& handOver() { return handOver_; }
    void start();
    void stop() { handOver_.stop(); }
    // Until the thread ends: `progress` (if any) told each page printed and asked for cancel
    // between its rounds of events, a cancel stopping the thread. The thread's result.
    TRMPrintResult wait(TRMProgress* progress);
    // The paper the printer's copy ended with (the device settings a print leaves behind).
    const TRMDeviceMode& deviceMode() const;

private:
    void run() noexcept;

    TRMPrintRunOptions options_;
    std::filesystem::path pdfFolder_;
    std::unique_ptr<TRMPrinterList> printers_;
    std::unique_ptr<TRMCustomPrinter> printer_;
    TRMPageHandOver handOver_;
    std::thread thread_;

    std::mutex mutex_;
    std::condition_variable changed_;
    int printed_ = 0;
    bool done_ = false;
    TRMPrintResult result_;
};

} // namespace report
