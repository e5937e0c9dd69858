#include "report/preview/RMPreview.h"

// Printing and page setup from the preview: the pages go back to the report for the time
// the work runs and are taken again afterwards.

#include "report/engine/model/RMReport.h"
#include "report/preview/RMPageSetupForm.h"
#include "report/preview/RMReportPrinting.h"
#include "report/print/RMPrinter.h"

namespace report {

// The report holds the pages while it prints or is set up; the view goes on showing the
// same pages meanwhile (the progress window lets it repaint).
class TRMPreview::Lent {
public:
    explicit Lent(TRMPreview& preview)
        : preview_(preview) {
        preview_.report_->EMFPages.swapPages(*preview_.pages_);
        preview_.model_.rebind(&preview_.report_->EMFPages);
    }
    ~Lent() {
        preview_.pages_->swapPages(preview_.report_->EMFPages);
        preview_.model_.rebind(preview_.pages_.get());
    }
    Lent(const Lent&) = delete;
    Lent& operator=(const Lent&) = delete;

private:
    TRMPreview& preview_;
};

bool TRMPreview::canPrint() const {
    return hasPages() && RMPrinter().Printers().HasRealPrinter();
}

void TRMPreview::printWith(const TRMPrintRunOptions& options) {
    {
        Lent lent(*this);
        printReportPages(this, *report_, options);
    }
    viewport()->update();
}

void TRMPreview::Print() {
    if (!canPrint())
        return;
    std::optional<TRMPrintRunOptions> options;
    {
        Lent lent(*this);
        options = askPrintOptions(this, *report_, CurPage());
    }
    if (options)
        printWith(*options);
}

void TRMPreview::PrintCurrentPage() {
    if (!canPrint())
        return;
    TRMPrintRunOptions options = defaultPrintOptions(*report_);
    options.pageList = std::to_string(CurPage());
    options.copies = 1;
    printWith(options);
}

void TRMPreview::PageSetup() {
    if (!hasPages())
        return;
    {
        Lent lent(*this);
        TRMPageSetting setting = pageSettingFromReport(*report_);
        if (!ShowPageSetupForm(this, setting) || !applyPageSetting(*report_, setting))
            return;
        if (OnPageSetup)
            OnPageSetup(setting);
        // Nothing is shown while the report prepares; a preparation that fails or is
        // cancelled leaves the pages shown before.
        model_.setPages(nullptr);
        TRMEMFPages previous(report_);
        previous.swapPages(report_->EMFPages);
        if (!report_->PrepareReport() || report_->EMFPages.Count() == 0)
            report_->EMFPages.swapPages(previous);
    }
    search_ = {};
    model_.setPages(pages_.get());
    model_.firstPage();
}

} // namespace report
