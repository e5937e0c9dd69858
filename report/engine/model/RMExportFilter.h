#pragma once

// Export filters: a prepared report written into another format. Filters that rebuild the
// report's content (spreadsheet, CSV) take the views of each page, and memo views in export
// mode hand them their lines instead of drawing them; filters that draw whole pages (PDF,
// pictures) draw them from the document they are given. The filters themselves live
// outside the engine and register here at start-up.

#include "platform/GdiObjects.h"
#include "platform/WindowHandle.h"

#include <string>
#include <string_view>
#include <vector>

namespace report {

class TRMEMFPages;
class TRMProgress;
class TRMView;
struct TRMPageInfo;

// What one export run writes.
struct TRMExportDocument {
    const TRMEMFPages* Pages = nullptr;
    std::vector<int> PageIndexes; // pages written (from 0), in order
    std::string FileName;
    std::string Title; // report title ("" when unknown)
};

class TRMExportFilter {
public:
    virtual ~TRMExportFilter() = default;

    // Shown in the save dialog ("Excel 文件") and its file mask ("*.xlsx").
    virtual std::string description() const = 0;
    virtual std::string fileMask() const = 0;
    // The spreadsheet filter that the preview's "保存为excel格式文件" runs.
    virtual bool isExcel() const { return false; }
    // False for filters that draw whole pages: the run then skips the view replay.
    virtual bool takesViews() const { return true; }
    // The filter's own options dialog, the file choice, then the export with its messages
    // (the preview's "保存为excel格式文件" calls it on the Excel filter). False when
    // cancelled or failed, and for filters without a dialog of their own.
    virtual bool exportInteractively(platform::WindowHandle /*owner*/, const TRMEMFPages& /*pages*/,
                                     const std::string& /*title*/,
                                     const std::string& /*initialDir*/) {
        return false;
    }

    // One run: beginDocument, then per page beginPage, the page's views and lines (when
    // takesViews), endPage; then endDocument, or abortDocument when the run stops early.
    // A false beginDocument stops the run; `error` then says why.
    virtual bool beginDocument(const TRMExportDocument& document, std::string* error) = 0;
    virtual void beginPage(int pageIndex, const TRMPageInfo& page) = 0;
    // Every view of the page in stream order; `pageRect` is its rectangle in page pixels.
    virtual void view(const TRMView& /*view*/, const platform::TRect& /*pageRect*/) {}
    // One output line of a text view, after its view(): `text` without line markers,
    // (x, y) its top-left corner in page pixels, `width` its measured width.
    virtual void line(const TRMView& /*view*/, int /*x*/, int /*y*/, int /*width*/,
                      std::string_view /*text*/) {}
    virtual void endPage() = 0;
    // False when writing the result failed; `error` then says why and nothing is left.
    virtual bool endDocument(std::string* error) = 0;
    // The run stopped (cancelled, or a page failed): what was written is removed.
    virtual void abortDocument() = 0;
};

enum class TRMExportStatus { Exported, Cancelled, Failed };

struct TRMExportResult {
    TRMExportStatus Status = TRMExportStatus::Failed;
    std::string Message; // why it failed
    int Pages = 0;       // pages written
};

// Runs `filter` over `pages` into `fileName`: every page when `pageIndexes` is empty, else
// those pages (from 0) in the given order; an index out of range fails the run before
// anything is written. Progress shows "正在导出页:" and the page number and is checked for
// cancel between pages.
TRMExportResult exportReport(const TRMEMFPages& pages, TRMExportFilter& filter,
                             const std::string& fileName, const std::vector<int>& pageIndexes = {},
                             TRMProgress* progress = nullptr, const std::string& title = {});

// Filters offered by the preview's save dialog, in registration order (not owned).
void registerExportFilter(TRMExportFilter* filter);
void unregisterExportFilter(TRMExportFilter* filter);
const std::vector<TRMExportFilter*>& exportFilters();
// The first registered filter that declares itself the Excel filter, or nullptr.
TRMExportFilter* excelExportFilter();

} // namespace report
