#include "report/print/RMOverlappedPrint.h"

#include "platform/EngineTexts.h"
#include "report/print/RMPdfPrinter.h"
#include "report/print/RMPreparedPageSource.h"
#include "report/print/RMPrinterList.h"

#include <chrono>

namespace report {

namespace {

// The print run's progress on the thread: pages printed go to `printed`, cancel is a stop of
// the hand-over.
class ThreadProgress : public TRMProgress {
public:
    ThreadProgress(TRMPageHandOver& handOver, std::function<void(int)> printed)
        : handOver_(handOver)
        , printed_(std::move(printed)) {}
    void setCaption(const std::string&) override {}
    void setLine(const std::string&) override {}
    void setPosition(int pageNo) override { printed_(pageNo); }
    void processEvents() override {}
    bool cancelled() const override { return handOver_.stopped(); }
    void cancel() override { handOver_.stop(); }

private:
    TRMPageHandOver& handOver_;
    std::function<void(int)> printed_;
};

std::atomic<bool> overlapped{true};
std::atomic<int> started{0}, done{0};

} // namespace

void setOverlappedPrint(bool on) {
    overlapped = on;
}

bool overlappedPrint() {
    return overlapped;
}

int overlappedPrintsStarted() {
    return started;
}

int overlappedPrintsDone() {
    return done;
}

TRMOverlappedPrint::TRMOverlappedPrint(TRMCustomPrinter& printer, const TRMPrintRunOptions& options,
                                       std::filesystem::path pdfFolder)
    : options_(options)
    , pdfFolder_(std::move(pdfFolder))
    , printers_(TRMPrinterList::copyOf(printer.Printers(), printer.PrinterIndex()))
    , printer_(std::make_unique<TRMCustomPrinter>(*printers_)) {
    printer_->SelectIndex(printers_->pdfIndex());
}

TRMOverlappedPrint::~TRMOverlappedPrint() {
    handOver_.stop();
    if (thread_.joinable())
        thread_.join();
}

bool TRMOverlappedPrint::possibleFor(const TRMCustomPrinter& printer) {
    return printer.Info().Kind == TRMPrinterKind::Pdf;
}

void TRMOverlappedPrint::start() {
    ++started;
    thread_ = std::thread([this] { run(); });
}

const TRMDeviceMode& TRMOverlappedPrint::deviceMode() const {
    return printer_->Info().DeviceMode;
}

void TRMOverlappedPrint::run() noexcept {
    TRMPrintResult result;
    try {
        TRMEMFPages pages; // the thread's own copies, each page's stream let go once printed
        TRMPreparedPageSource source(pages);
        TRMPdfFileDevice device(pdfFolder_);
        ThreadProgress progress(handOver_, [this](int pageNo) {
            const std::lock_guard lock(mutex_);
            printed_ = pageNo;
            changed_.notify_all();
        });
        TRMPrintRun run(source, *printer_, device);
        run.Progress = &progress;
        result = run.ExecuteInOrder(options_, [&](int index) {
            pages.releaseStream(index - 1);
            TRMPageHandOver::Item item;
            if (handOver_.take(item) != TRMPageHandOver::Next::Page)
                return false;
            for (auto& background : item.backgrounds)
                pages.adoptBackground(std::move(background));
            pages.adoptPage(std::move(item.page));
            return true;
        });
    } catch (const std::exception& e) {
        result = {};
        result.status = TRMPrintStatus::Failed;
        result.message = e.what();
    } catch (...) {
        result = {};
        result.status = TRMPrintStatus::Failed;
        result.message = platform::engineText(47210);
    }
    handOver_.drawerDone();
    const std::lock_guard lock(mutex_);
    result_ = std::move(result);
    done_ = true;
    changed_.notify_all();
}

TRMPrintResult TRMOverlappedPrint::wait(TRMProgress* progress) {
    int shown = 0;
    for (;;) {
        int printed = 0;
        bool done = false;
        {
            std::unique_lock lock(mutex_);
            // Rounds of events at least every 50 ms keep the window answering.
            changed_.wait_for(lock, std::chrono::milliseconds(50),
                              [&] { return done_ || printed_ != shown; });
            printed = printed_;
            done = done_;
        }
        if (progress != nullptr) {
            if (printed != shown)
                progress->setLine(platform::engineText(47208) + std::to_string(printed));
            progress->processEvents();
            if (progress->cancelled())
                handOver_.stop();
        }
        shown = printed;
        if (done)
            break;
    }
    thread_.join();
    if (result_.status == TRMPrintStatus::Printed)
        ++done;
    return result_;
}

} // namespace report
