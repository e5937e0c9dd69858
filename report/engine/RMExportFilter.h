#pragma once

// Export filters: a prepared report replayed view by view into another format. Memo views
// in export mode hand their lines to the filter instead of drawing them. The filters
// themselves (spreadsheet, PDF, CSV, picture) live with the preview; they register here.

#include "platform/GdiObjects.h"

#include <string>
#include <string_view>
#include <vector>

namespace report {

class TRMView;
struct TRMPageInfo;

class TRMExportFilter {
public:
    virtual ~TRMExportFilter() = default;

    // Shown in the save dialog ("Excel 文件") and its file mask ("*.xlsx").
    virtual std::string description() const = 0;
    virtual std::string fileMask() const = 0;

    // One export run: begin, then per page beginPage, the page's views, endPage; then end.
    // A false beginDocument stops the run (the filter reports its own error text).
    virtual bool beginDocument(const std::string& fileName, int pageCount) = 0;
    virtual void beginPage(int pageIndex, const TRMPageInfo& page) = 0;
    // Every view of the page in stream order; `pageRect` is its rectangle in page pixels.
    virtual void view(const TRMView& view, const platform::TRect& pageRect) = 0;
    // One output line of a text view: `text` without line markers, (x, y) its top-left
    // corner in page pixels, `width` its measured width.
    virtual void line(const TRMView& view, int x, int y, int width, std::string_view text) = 0;
    virtual void endPage() = 0;
    // False when writing the result failed; `error` then says why.
    virtual bool endDocument(std::string* error) = 0;
};

// Filters offered by the preview's save dialog, in registration order (not owned).
void registerExportFilter(TRMExportFilter* filter);
void unregisterExportFilter(TRMExportFilter* filter);
const std::vector<TRMExportFilter*>& exportFilters();

} // namespace report
