#pragma once

// Common part of the filters that write the cell grid (spreadsheet, CSV): collects each
// page's cells from the view replay, places them, and hands the writer one placed page at
// a time. Before the first page it looks over the document once (view rectangles only) so
// that a table spanning several pages gets one set of columns.

#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMExportFilter.h"
#include "report/export/RMExportGrid.h"

namespace report {

// One page ready to be written.
struct TRMGridPage {
    int PageIndex = 0;
    const TRMColumnLayout* Columns = nullptr;
    std::vector<int> RowHeights;      // pixels, one per row of the page
    std::vector<TRMExportCell> Cells; // in row order, rows counted from the page's first
};

class TRMGridExportFilter : public TRMExportFilter {
public:
    bool beginDocument(const TRMExportDocument& document, std::string* error) final;
    void beginPage(int pageIndex, const TRMPageInfo& page) final;
    void view(const TRMView& view, const platform::TRect& pageRect) final;
    void line(const TRMView& view, int x, int y, int width, std::string_view text) final;
    void endPage() final;
    bool endDocument(std::string* error) final;
    void abortDocument() final;

protected:
    // Whether pages share one table (one set of columns, rows running on).
    virtual bool oneTable() const = 0;
    // Opens the output; `rowSpans` tells whether any cell covers several rows.
    virtual bool openOutput(const TRMExportDocument& document, const TRMColumnLayout& columns,
                            bool rowSpans, std::string* error) = 0;
    // Writes one page; throws std::runtime_error with the reason when it cannot.
    virtual void writePage(const TRMGridPage& page, const TRMPageInfo& info) = 0;
    virtual bool closeOutput(std::string* error) = 0;
    virtual void discardOutput() = 0;

private:
    TRMColumnLayout columns_; // the table's (oneTable) or the current page's
    TRMPageCells cells_;
    TRMFormatTable formats_;
    int pageIndex_ = 0;
    TRMPageInfo info_;
};

} // namespace report
