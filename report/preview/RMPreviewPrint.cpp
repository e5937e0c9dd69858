#include "report/preview/RMPreview.h"

// Printing and page setup from the preview: the shown pages with the document's print
// settings; page setup asks the document's maker for new pages.

#include "report/preview/RMPageSetupForm.h"
#include "report/preview/RMReportPrinting.h"
#include "report/print/RMPrinter.h"

namespace report {

bool TRMPreview::canPrint() const {
    return hasPages() && RMPrinter().Printers().HasRealPrinter();
}

void TRMPreview::printWith(const TRMPrintRunOptions& options) {
    printPreparedPages(this, *document_.Pages, document_.Print, options, document_.Calls);
    viewport()->update();
}

void TRMPreview::Print() {
    if (!canPrint())
        return;
    const std::optional<TRMPrintRunOptions> options =
        askPrintOptions(this, document_.Print, CurPage(), [this](int left, int top) {
            document_.Print.Options.PrintOffsetLeft = left;
            document_.Print.Options.PrintOffsetTop = top;
            if (document_.OffsetsChanged)
                document_.OffsetsChanged(left, top);
        });
    if (options)
        printWith(*options);
}

void TRMPreview::PrintCurrentPage() {
    if (!canPrint())
        return;
    TRMPrintRunOptions options = defaultPrintOptions(document_.Print);
    options.pageList = std::to_string(CurPage());
    options.copies = 1;
    printWith(options);
}

void TRMPreview::PageSetup() {
    if (!hasPages() || !document_.PageSetting)
        return;
    TRMPageSetting setting = document_.PageSetting(*document_.Pages);
    if (!ShowPageSetupForm(this, setting) || !document_.PrepareAgain)
        return;
    // The shown pages stay shown while the report prepares; a preparation that fails or is
    // cancelled leaves them.
    if (!document_.PrepareAgain(setting, document_))
        return;
    search_ = {};
    model_.setPages(document_.Pages.get());
    model_.firstPage();
}

} // namespace report
