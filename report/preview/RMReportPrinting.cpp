#include "report/preview/RMReportPrinting.h"

#include "platform/Modal.h"
#include "report/engine/model/RMReport.h"
#include "report/preview/RMPreviewDocument.h"
#include "report/preview/RMPrintForm.h"
#include "report/preview/RMPrintPages.h"
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
