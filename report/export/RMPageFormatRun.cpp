#include "report/export/RMPageFormatRun.h"

#include "report/engine/model/RMProgress.h"
#include "report/print/RMPreparedPageSource.h"
#include "report/print/RMPrintRun.h"
#include "report/print/RMPrinter.h"
#include "report/print/RMPrinterList.h"

namespace report {

namespace {

// The export's progress in the print run's place: its own caption stays, each printed page
// shows as an exported one.
class ExportProgress : public TRMProgress {
public:
    explicit ExportProgress(TRMProgress& progress)
        : progress_(progress) {}
    void setCaption(const std::string&) override {}
    void setLine(const std::string&) override {}
    void setPosition(int pageNo) override {
        progress_.setLine("正在导出页:" + std::to_string(pageNo));
    }
    void processEvents() override { progress_.processEvents(); }
    bool cancelled() const override { return progress_.cancelled(); }
    void cancel() override { progress_.cancel(); }

private:
    TRMProgress& progress_;
};

} // namespace

TRMExportResult runPageFormat(const TRMExportDocument& document, TRMPrintDevice& device,
                              TRMProgress* progress) {
    if (progress != nullptr && progress->cancelled())
        return {TRMExportStatus::Cancelled, {}, 0};
    TRMPrinterList& list = TRMPrinterList::instance();
    TRMCustomPrinter printer(list);
    std::string error;
    if (!printer.SelectIndex(list.pdfIndex(), &error))
        return {TRMExportStatus::Failed, error, 0};
    TRMPreparedPageSource source(*document.Pages);
    TRMPrintRun run(source, printer, device);
    std::unique_ptr<ExportProgress> shown;
    if (progress != nullptr) {
        shown = std::make_unique<ExportProgress>(*progress);
        run.Progress = shown.get();
    }
    TRMPrintRunOptions options;
    if (!document.Title.empty())
        options.jobTitle = document.Title;
    options.pageOrder = document.PageIndexes;
    const TRMPrintResult printed = run.Execute(options);
    switch (printed.status) {
    case TRMPrintStatus::Printed:
        return {TRMExportStatus::Exported, {}, printed.pagesPrinted};
    case TRMPrintStatus::Cancelled:
        return {TRMExportStatus::Cancelled, {}, printed.pagesPrinted};
    default:
        return {TRMExportStatus::Failed, printed.message.empty() ? "无法输出页" : printed.message,
                printed.pagesPrinted};
    }
}

} // namespace report
