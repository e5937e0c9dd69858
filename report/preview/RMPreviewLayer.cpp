#include "report/preview/RMPreviewLayer.h"

#include "platform/InputQuery.h"
#include "report/engine/RMInputQuery.h"
#include "report/engine/RMReport.h"
#include "report/preview/RMPreview.h"
#include "report/preview/RMPreviewForm.h"
#include "report/preview/RMPrinter.h"

#include <QCoreApplication>

namespace report {

void ShowPreparedReport(TRMReport& report, QWidget* owner) {
    if (report.EMFPages.pageCount() == 0)
        return;
    if (report.Preview != nullptr)
        static_cast<TRMPreview*>(report.Preview)->ShowReport(report);
    else
        ShowPreviewWindow(report, owner);
    QCoreApplication::processEvents();
}

void installPreviewLayer() {
    installPrinterLayer();
    installInputHook([](const std::string& prompt, const std::string& defaultText) {
        return platform::inputQuery(std::string(), prompt, defaultText);
    });
}

} // namespace report
