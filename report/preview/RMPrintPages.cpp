#include "report/preview/RMPrintPages.h"

#include "platform/EngineTexts.h"
#include "platform/MessageBox.h"
#include "report/preview/RMProgressForm.h"

#include <QWidget>

#include <memory>

namespace report {

namespace {

void showError(QWidget* owner, const std::string& text) {
    platform::MessageBox(owner, text, platform::engineText(47206),
                         platform::MB_OK | platform::MB_ICONERROR);
}

} // namespace

TRMPrintResult PrintPages(QWidget* owner, TRMPageSource& pages, const TRMPrintRequest& request) {
    TRMPrinter& printer = RMPrinter();
    const std::unique_ptr<TRMPrintDevice> device = printer.CreateDevice();
    if (!device) {
        TRMPrintResult result;
        result.status = TRMPrintStatus::Failed;
        result.message = platform::engineText(47210);
        showError(owner, result.message);
        return result;
    }
    TRMPrintRun run(pages, printer, *device);
    run.OnPrintReport = request.onPrintReport;
    run.OnEndPrintPage = request.onEndPrintPage;

    std::unique_ptr<TRMProgressForm> window;
    if (request.progress != nullptr) {
        run.Progress = request.progress;
    } else if (request.showProgress) {
        window = std::make_unique<TRMProgressForm>(owner);
        window->OnCancel = [flag = request.terminated] {
            if (flag != nullptr)
                *flag = true;
        };
        window->Start();
        run.Progress = window.get();
    }
    const TRMPrintResult result = run.Execute(request.options);
    window.reset();
    tellPrintResult(owner, result, request);
    return result;
}

void tellPrintResult(QWidget* owner, const TRMPrintResult& result, const TRMPrintRequest& request) {
    switch (result.status) {
    case TRMPrintStatus::BadPageList:
    case TRMPrintStatus::Failed:
        showError(owner, result.message);
        break;
    case TRMPrintStatus::Printed:
        if (request.tellOutputs && RMPrinter().Info().Kind == TRMPrinterKind::Pdf &&
            !result.outputs.empty()) {
            std::string text = "报表已打印到 PDF 文件：";
            for (const std::string& file : result.outputs)
                text += "\n" + file;
            platform::MessageBox(owner, text, "提示",
                                 platform::MB_OK | platform::MB_ICONINFORMATION);
        }
        break;
    case TRMPrintStatus::Cancelled:
    case TRMPrintStatus::Nothing:
        break;
    }
}

} // namespace report
