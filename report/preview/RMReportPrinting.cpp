#include "report/preview/RMReportPrinting.h"

#include "platform/EngineTexts.h"
#include "platform/Modal.h"
#include "report/engine/model/RMReport.h"
#include "report/preview/RMPreviewDocument.h"
#include "report/preview/RMPrintForm.h"
#include "report/preview/RMPrintPages.h"
#include "report/preview/RMProgressForm.h"
#include "report/print/RMOverlappedPrint.h"
#include "report/print/RMPdfPrinter.h"
#include "report/print/RMPreparedPageSource.h"
#include "report/print/RMPrinter.h"

#include <QApplication>
#include <QWidget>

namespace report {

namespace {

QWidget* activeOwner() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// A report's OnProgress handler in the place of the progress window.
class HandlerProgress : public TRMProgress {
public:
    explicit HandlerProgress(const std::function<void(int)>& handler)
        : handler_(handler) {}
    void setCaption(const std::string&) override {}
    void setLine(const std::string&) override {}
    void setPosition(int pageNo) override { handler_(pageNo); }
    void processEvents() override {}
    bool cancelled() const override { return false; }
    void cancel() override {}

private:
    const std::function<void(int)>& handler_;
};

// The report stores offsets changed in the print dialog and saves its settings.
std::function<void(int, int)> storeOffsetsIn(TRMReport& report) {
    return [&report](int left, int top) {
        report.PrintOffsetLeft = left;
        report.PrintOffsetTop = top;
        report.SaveReportSetting();
    };
}

// The same run twice over: what the print before preparing chose and what printing after it
// would choose.
bool sameRun(const TRMPrintRunOptions& a, const TRMPrintRunOptions& b) {
    return a.jobTitle == b.jobTitle && a.reportTitle == b.reportTitle && a.pageList == b.pageList &&
           a.pageOrder == b.pageOrder && a.copies == b.copies && a.collate == b.collate &&
           a.parity == b.parity && a.scalePaper.has_value() == b.scalePaper.has_value() &&
           a.scalePercent == b.scalePercent && a.offsetLeft == b.offsetLeft &&
           a.offsetTop == b.offsetTop && a.stationery == b.stationery &&
           a.printBackColor == b.printBackColor;
}

// Printing may overlap preparing only where the pages go out one by one in the order they
// are made and nothing on the way needs the caller's thread: the PDF printer; no print
// dialog after preparing (or options given); every page once (no page list, page order or
// copies, which need the page count); no page-per-page interleaving or composite report
// (pages reordered at the end); no OnPrintReport, OnEndPrintPage or OnProgress handler
// (they run on the caller's thread between pages).
bool overlapPossible(const TRMReport& report, const TRMPrintRunOptions& options) {
    return overlappedPrint() && TRMOverlappedPrint::possibleFor(RMPrinter()) &&
           dynamic_cast<const TRMCompositeReport*>(&report) == nullptr &&
           !report.PrintPagePerPage && !report.OnPrintReport && !report.OnEndPrintPage &&
           !report.OnProgress && options.pageList.empty() && options.pageOrder.empty() &&
           options.copies <= 1;
}

} // namespace

std::optional<TRMPrintRunOptions>
askPrintOptions(QWidget* owner, const TRMReportPrintSettings& settings, int currentPage,
                const std::function<void(int, int)>& offsetsChanged) {
    if (!settings.Options.ShowPrintDialog)
        return defaultPrintOptions(settings);
    TRMPrintRunOptions options;
    bool changed = false;
    if (!ShowPrintForm(owner, printDialogSettings(settings, currentPage > 0, currentPage), options,
                       &changed))
        return std::nullopt;
    options.printBackColor = settings.Options.PrintBackColor;
    if (changed && offsetsChanged)
        offsetsChanged(options.offsetLeft, options.offsetTop);
    return options;
}

TRMPrintCalls printCallsOf(TRMReport& report) {
    TRMPrintCalls calls;
    calls.OnProgress = report.OnProgress;
    calls.OnPrintReport = report.OnPrintReport;
    calls.OnEndPrintPage = report.OnEndPrintPage;
    calls.Terminated = &report.Terminated;
    return calls;
}

TRMPrintResult printPreparedPages(QWidget* owner, const TRMEMFPages& pages,
                                  const TRMReportPrintSettings& settings,
                                  const TRMPrintRunOptions& options, const TRMPrintCalls& calls) {
    TRMPreparedPageSource source(pages);
    HandlerProgress progress(calls.OnProgress);
    TRMPrintRequest request;
    request.options = options;
    request.showProgress = settings.Options.ShowProgress;
    if (calls.OnProgress)
        request.progress = &progress;
    request.onPrintReport = calls.OnPrintReport;
    request.onEndPrintPage = calls.OnEndPrintPage;
    request.terminated = calls.Terminated;
    if (calls.Terminated != nullptr)
        *calls.Terminated = false;
    return PrintPages(owner, source, request);
}

TRMPrinterOutput::TRMPrinterOutput(QWidget* owner)
    : owner_(owner) {}

TRMPrinterOutput::TRMPrinterOutput(QWidget* owner, const TRMPrintRunOptions& options)
    : owner_(owner)
    , options_(options) {}

void TRMPrinterOutput::Deliver(TRMReport& report) {
    result_ = {};
    if (report.EMFPages.Count() == 0 || !RMPrinter().Printers().HasRealPrinter())
        return;
    QWidget* const owner = owner_ != nullptr ? owner_ : activeOwner();
    const TRMReportPrintSettings settings = printSettingsOf(report);
    const std::optional<TRMPrintRunOptions> options =
        options_ ? options_ : askPrintOptions(owner, settings, 0, storeOffsetsIn(report));
    if (!options)
        return;
    result_ = printPreparedPages(owner, report.EMFPages, settings, *options, printCallsOf(report));
}

bool TRMPrinterOutput::DeliverWhilePreparing(TRMReport& report) {
    if (!options_ && report.ShowPrintDialog)
        return false; // the dialog comes after preparing
    // The printer the preparation selects, chosen before it so that the thread prints on it.
    RMPrinter().SelectByName(report.PrinterName);
    if (!RMPrinter().Printers().HasRealPrinter())
        return false;
    const TRMPrintRunOptions options =
        options_ ? *options_ : defaultPrintOptions(printSettingsOf(report));
    if (!overlapPossible(report, options))
        return false;

    result_ = {};
    QWidget* const owner = owner_ != nullptr ? owner_ : activeOwner();
    const int printerIndex = RMPrinter().PrinterIndex();
    TRMOverlappedPrint print(RMPrinter(), options, pdfOutputFolder());
    report.EMFPages.HandOver = &print.handOver();
    struct Detach {
        TRMEMFPages& pages;
        ~Detach() { pages.HandOver = nullptr; }
    } detach{report.EMFPages};
    print.start();
    report.Terminated = false;
    const bool prepared = report.PrepareReport() && report.EMFPages.Count() > 0;
    report.EMFPages.HandOver = nullptr;
    if (!prepared) {
        print.stop(); // an error or cancel: nothing printed, no file
        print.wait(nullptr);
        return true;
    }
    const TRMReportPrintSettings settings = printSettingsOf(report);
    const TRMPrintRunOptions after = options_ ? *options_ : defaultPrintOptions(settings);
    const bool same = RMPrinter().PrinterIndex() == printerIndex && sameRun(options, after);
    if (!same || !print.handOver().finish(report.EMFPages)) {
        // A page changed after it was handed over, or the print would differ: the thread's
        // file goes, and the pages are printed from the report as without overlap.
        print.stop();
        print.wait(nullptr);
        result_ = printPreparedPages(owner, report.EMFPages, settings, after, printCallsOf(report));
        return true;
    }

    TRMPrintRequest request;
    request.options = options;
    request.showProgress = settings.Options.ShowProgress;
    request.terminated = &report.Terminated;
    std::unique_ptr<TRMProgressForm> window;
    if (request.showProgress) {
        window = std::make_unique<TRMProgressForm>(owner);
        window->OnCancel = [&report] { report.Terminated = true; };
        window->Start();
        window->setCaption(platform::engineText(47203) +
                           (options.reportTitle.empty() ? "" : " - " + options.reportTitle));
    }
    result_ = print.wait(window.get());
    window.reset();
    RMPrinter().Info().DeviceMode = print.deviceMode();
    tellPrintResult(owner, result_, request);
    return true;
}

TRMPreviewDocument previewDocument(TRMReport& report) {
    TRMPreviewDocument document;
    document.Pages = std::make_unique<TRMEMFPages>();
    document.Pages->swapPages(report.EMFPages);
    // Cell exports from the preview format values as the report's template views do.
    document.Pages->TemplateFormats = report.EMFPages.TemplateFormats;
    document.Print = printSettingsOf(report);
    document.InitialDir = report.PreviewInitialDir;
    document.PageSetting = [&report](const TRMEMFPages& shown) {
        return pageSettingFromReport(report, shown);
    };
    document.PrepareAgain = [&report](const TRMPageSetting& setting, TRMPreviewDocument& into) {
        if (!applyPageSetting(report, setting))
            return false;
        if (report.OnPageSetup)
            report.OnPageSetup(setting);
        if (!report.PrepareReport() || report.EMFPages.Count() == 0)
            return true;
        auto pages = std::make_unique<TRMEMFPages>();
        pages->swapPages(report.EMFPages);
        pages->TemplateFormats = report.EMFPages.TemplateFormats;
        into.Pages = std::move(pages);
        into.Print = printSettingsOf(report);
        return true;
    };
    document.OffsetsChanged = storeOffsetsIn(report);
    document.Calls = printCallsOf(report);
    return document;
}

} // namespace report
