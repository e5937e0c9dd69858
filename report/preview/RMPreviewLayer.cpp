#include "report/preview/RMPreviewLayer.h"

#include "platform/InputQuery.h"
#include "report/engine/model/RMInputQuery.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/preparation/RMReportHooks.h"
#include "report/preview/RMPreview.h"
#include "report/preview/RMPreviewForm.h"
#include "report/preview/RMProgressForm.h"
#include "report/preview/RMReportPrinting.h"
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

} // namespace

void ShowPreparedReport(TRMReport& report, QWidget* owner, const std::string& caption) {
    if (report.EMFPages.pageCount() == 0)
        return;
    if (report.Preview != nullptr)
        static_cast<TRMPreview*>(report.Preview)->ShowReport(report);
    else
        ShowPreviewWindow(report, owner, caption);
    QCoreApplication::processEvents();
}

void installPreviewLayer() {
    installPrinterLayer();
    TRMReportHooks& hooks = RMReportHooks();
    hooks.ShowPreparedReport = [](TRMReport& report, const std::string& caption) {
        ShowPreparedReport(report, activeOwner(), caption);
    };
    hooks.PrintPreparedReport = [](TRMReport& report) {
        PrintPreparedReport(report, activeOwner());
    };
    hooks.CreateProgress = [](TRMReport&,
                              const std::string& caption) -> std::unique_ptr<TRMProgress> {
        // No parent: the preparation owns the window for exactly its own run.
        auto form = std::make_unique<TRMProgressForm>();
        form->setCaption(caption);
        form->Start();
        return form;
    };
    installInputHook([](const std::string& prompt, const std::string& defaultText) {
        return platform::inputQuery(std::string(), prompt, defaultText);
    });
}

} // namespace report
