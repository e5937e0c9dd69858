#include "report/preview/RMPreviewLayer.h"

#include "platform/InputQuery.h"
#include "report/engine/model/RMInputQuery.h"
#include "report/engine/model/RMReportOutput.h"
#include "report/preview/RMPreviewForm.h"
#include "report/preview/RMProgressForm.h"
#include "report/print/RMPrinter.h"

namespace report {

void installPreviewLayer() {
    installPrinterLayer();
    TRMReportWindows windows;
    windows.PreviewWindow = []() -> std::unique_ptr<TRMReportOutput> {
        return std::make_unique<TRMPreviewWindowOutput>();
    };
    windows.ProgressWindow = [](const std::string& caption) -> std::unique_ptr<TRMProgress> {
        // No parent: the preparation owns the window for exactly its own run.
        auto form = std::make_unique<TRMProgressForm>();
        form->setCaption(caption);
        form->Start();
        return form;
    };
    installReportWindows(std::move(windows));
    installInputHook([](const std::string& prompt, const std::string& defaultText) {
        return platform::inputQuery(std::string(), prompt, defaultText);
    });
}

} // namespace report
