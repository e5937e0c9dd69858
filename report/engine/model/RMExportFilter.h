#pragma once

// Writing prepared pages into files. A file format is what the preview's save dialog offers
// and a print to file writes; the formats register here at start-up and live outside the
// engine. Cell formats (spreadsheet, CSV) are export filters: they take the views of each
// page, and memo views in export mode hand them their lines instead of drawing them. Page
// formats (PDF, pictures) draw whole pages with one print run onto a file device.

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

enum class TRMExportStatus { Exported, Cancelled, Failed };

struct TRMExportResult {
    TRMExportStatus status = TRMExportStatus::Failed;
    std::string message; // why it failed
    int pages = 0;       // pages written
};

class TRMFileFormat {
public:
    virtual ~TRMFileFormat() = default;

    // Shown in the save dialog ("Excel 文件") and its file mask ("*.xlsx").
    virtual std::string description() const = 0;
    virtual std::string fileMask() const = 0;
    // The spreadsheet format that the preview's "保存为excel格式文件" runs.
    virtual bool isExcel() const { return false; }
    // The format's own options dialog, the file choice, then the export with its messages
    // (the preview's "保存为excel格式文件" calls it on the Excel filter). False when
    // cancelled or failed, and for formats without a dialog of their own.
    virtual bool exportInteractively(platform::WindowHandle /*owner*/, const TRMEMFPages& /*pages*/,
                                     const std::string& /*title*/,
                                     const std::string& /*initialDir*/) {
        return false;
    }
    // Writes `pages` into `fileName`: every page when `pageIndexes` is empty, else those
    // pages (from 0) in the given order; an index out of range fails before anything is
    // written. Progress shows "正在导出页:" and the page number and is checked for cancel
    // between pages; a run that stops leaves no file.
    virtual TRMExportResult writeFile(const TRMEMFPages& pages, const std::string& fileName,
                                      const std::vector<int>& pageIndexes = {},
                                      TRMProgress* progress = nullptr,
                                      const std::string& title = {}) = 0;
};

// A cell format: the views of each page replayed into the filter.
class TRMExportFilter : public TRMFileFormat {
public:
    // exportReport with this filter.
    TRMExportResult writeFile(const TRMEMFPages& pages, const std::string& fileName,
                              const std::vector<int>& pageIndexes = {},
                              TRMProgress* progress = nullptr,
                              const std::string& title = {}) override;

    // One run: beginDocument, then per page beginPage, the page's views and lines,
    // endPage; then endDocument, or abortDocument when the run stops early.
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

// Fills in every page when `document.PageIndexes` is empty; false with the reason when an
// index is out of range, there is no page or no file name.
bool completeExportDocument(TRMExportDocument& document, std::string* error);

// Runs `filter` over `pages` into `fileName` (as TRMFileFormat::writeFile).
TRMExportResult exportReport(const TRMEMFPages& pages, TRMExportFilter& filter,
                             const std::string& fileName, const std::vector<int>& pageIndexes = {},
                             TRMProgress* progress = nullptr, const std::string& title = {});

// Formats offered by the preview's save dialog, in registration order (not owned).
void registerExportFilter(TRMFileFormat* format);
void unregisterExportFilter(TRMFileFormat* format);
const std::vector<TRMFileFormat*>& exportFilters();
// The first registered format that declares itself the Excel format, or nullptr.
TRMFileFormat* excelExportFilter();

} // namespace report
