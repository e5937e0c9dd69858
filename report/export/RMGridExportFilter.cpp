#include "report/export/RMGridExportFilter.h"

#include "report/engine/model/RMPage.h"

namespace report {

bool TRMGridExportFilter::beginDocument(const TRMExportDocument& document, std::string* error) {
    columns_ = {};
    cells_.clear();
    formats_ = formatTableOf(*document.Pages);
    cells_.setFormats(&formats_);
    bool rowSpans = false;
    // Only rectangles are needed here: the pages are decoded, not laid out.
    std::vector<platform::TRect> rects;
    for (int index : document.PageIndexes) {
        const std::shared_ptr<const TRMPage> page = document.Pages->pageViews(index);
        if (!page)
            continue;
        rects.clear();
        for (const auto& view : page->Objects()) {
            if (!isCellView(*view))
                continue;
            rects.push_back(platform::Bounds(view->Left, view->Top, view->Width, view->Height));
            if (oneTable())
                columns_.addView(view->Left, view->Left + view->Width);
        }
        rowSpans = rowSpans || pageHasRowSpans(rects);
    }
    if (oneTable())
        columns_.finish();
    return openOutput(document, columns_, rowSpans, error);
}

void TRMGridExportFilter::beginPage(int pageIndex, const TRMPageInfo& page) {
    pageIndex_ = pageIndex;
    info_ = page;
    cells_.clear();
}

void TRMGridExportFilter::view(const TRMView& view, const platform::TRect& pageRect) {
    cells_.addView(view, pageRect);
}

void TRMGridExportFilter::line(const TRMView& view, int x, int y, int, std::string_view text) {
    cells_.addLine(view, x, y, text);
}

void TRMGridExportFilter::endPage() {
    if (!oneTable()) {
        columns_ = {};
        cells_.addEdgesTo(columns_);
        columns_.finish();
    }
    TRMGridPage page;
    page.PageIndex = pageIndex_;
    page.Columns = &columns_;
    page.Cells = cells_.place(columns_, page.RowHeights);
    cells_.clear();
    writePage(page, info_);
}

bool TRMGridExportFilter::endDocument(std::string* error) {
    return closeOutput(error);
}

void TRMGridExportFilter::abortDocument() {
    cells_.clear();
    discardOutput();
}

} // namespace report
