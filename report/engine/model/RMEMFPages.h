#pragma once

// Prepared pages, the prepared document every consumer draws from: per page its paper,
// margins, printer geometry and a byte stream of the views placed on it (prepared form).
// A page's views are decoded from the stream when the page is first drawn into an
// immutable page that drawers share; a small cache keeps the most recent ones, so memory
// stays bounded for long reports and no drawer leaves state on a page.

#include "platform/GdiObjects.h"
#include "report/engine/model/RMDrawContext.h"
#include "report/engine/model/RMPage.h"
#include "report/engine/model/RMStream.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class TCanvas;
}

namespace report {

class TRMExportFilter;
class TRMPageHandOver;

// What a consumer needs to know about a page without drawing it.
struct TRMPageInfo {
    std::int16_t PaperSize = 9;
    std::int32_t PaperWidth = 2100, PaperHeight = 2970; // tenths of a millimetre, as oriented
    std::uint8_t Orientation = poPortrait;
    std::int32_t Bin = -1;
    std::int32_t LeftMargin = 0, TopMargin = 0, RightMargin = 0, BottomMargin = 0; // pixels
    // Page size in page pixels (the unit of view geometry): what paintPage maps onto its
    // target rectangle.
    int Width = 0, Height = 0;
    TRMPageGeometry PrinterInfo;
    std::uint8_t BackgroundIndex = 255;
    std::uint8_t TemplatePageNo = 1;
};

struct TRMEMFPage {
    std::int16_t PaperSize = 9;
    std::int32_t PaperWidth = 2100, PaperHeight = 2970; // tenths of a millimetre
    std::uint8_t Orientation = poPortrait;
    std::int32_t Bin = -1;
    std::int32_t LeftMargin = 0, TopMargin = 0, RightMargin = 0, BottomMargin = 0; // pixels
    TRMPageGeometry PrinterInfo;
    RMStream Stream; // version byte 43, then the views
    std::uint8_t BackgroundIndex = 255;
    std::uint8_t TemplatePageNo = 1;
};

// The display format of a named memo view of the template (a prepared view keeps only the
// text it printed): what a cell export formats that view's values with.
struct TRMViewFormat {
    std::int32_t Code = 0; // DisplayFormat
    std::string Text;      // DisplayFormatText
};
using TRMViewFormats = std::map<std::string, TRMViewFormat, std::less<>>;

struct TRMBkPicture {
    std::int32_t Left = 0, Top = 0, Width = -1, Height = -1; // -1: the picture's own size
    TRMPicture Picture;
};

// A prepared document knows nothing of the report that made it: what it must tell or ask,
// it does through the handlers its maker sets (the report sets them in its constructor).
class TRMEMFPages {
public:
    TRMEMFPages() = default;
    TRMEMFPages(const TRMEMFPages&) = delete;
    TRMEMFPages& operator=(const TRMEMFPages&) = delete;

    int Count() const { return static_cast<int>(pages_.size()); }
    int pageCount() const { return Count(); }
    TRMEMFPage* operator[](int index) const;
    // Paper and size of a page; a default page for an index out of range.
    TRMPageInfo pageInfo(int index) const;

    // Draws page `index` onto `canvas`, the page stretched onto `target` (logical canvas
    // pixels). The one drawing call of screen, printer, PDF, metafile and export.
    void paintPage(int index, platform::TCanvas& canvas, const platform::TRect& target,
                   const TRMDrawContext& context) const;
    // Replays a page into an export filter: beginPage, every view with the memo lines,
    // endPage (nothing is drawn).
    void exportPage(int index, TRMExportFilter& filter, TRMDrawContext context = {}) const;
    // The page's decoded views, shared and never changed (nullptr out of range). Holding
    // the pointer keeps them alive even when the cache lets them go.
    std::shared_ptr<const TRMPage> pageViews(int index) const;
    // Forgets every decoded page (pages are re-decoded when next drawn).
    void releaseViews() const { cache_.clear(); }
    void Clear();
    // Exchanges the pages, backgrounds, Taoda and PrinterName with `other` (handlers stay):
    // how a preview takes a report's pages over.
    void swapPages(TRMEMFPages& other) noexcept;
    // Moves every page and background of `other` behind this document's (`other` is left
    // empty); moved pages keep referring to their own backgrounds.
    void appendPages(TRMEMFPages& other);
    // Appends (inserts) a page with the template page's paper, margins and geometry.
    TRMEMFPage* AddPage(const TRMPage& templatePage);
    TRMEMFPage* InsertPage(int index, const TRMPage& templatePage);
    // Adds a background for the following pages; a page without one refers to 255.
    void AddBackground(const TRMPage& templatePage);
    // Reorders the pages so that the pages of different template pages alternate: the
    // first page of each template page, then the second of each, and so on.
    void Interleave(int templatePages);
    // Pages before `count` will not change any more: a hand-over in place gets copies of
    // them (a print drawing while the pages are prepared). Clearing, inserting before,
    // reordering or rewriting pages already handed over revokes the hand-over.
    void pagesFinal(int count);
    TRMPageHandOver* HandOver = nullptr;
    // A drawer's own store: takes a handed-over page or background as the next one, and
    // lets the stream of a page it has drawn go.
    void adoptPage(std::unique_ptr<TRMEMFPage> page);
    void adoptBackground(std::unique_ptr<TRMBkPicture> background);
    void releaseStream(int index);
    // Memory the page streams hold (finished pages are kept packed).
    std::size_t heldBytes() const;
    TRMBkPicture* Background(int index) const;
    int BackgroundCount() const { return static_cast<int>(backgrounds_.size()); }

    // Appends a view in prepared form to a page stream.
    static void WriteView(RMStream& stream, const TRMView& view);
    // A new, editable copy of the page's views (a damaged stream loads what it can);
    // nullptr out of range.
    std::unique_ptr<TRMPage> LoadPageViews(int index) const;
    // Rewrites a page stream from edited views (ModifyPrepared).
    void ObjectsToStream(int index, const TRMPage& views);
    // Last view whose rectangle contains the point (page pixels), or nullptr; the view
    // belongs to pageViews(index), which the caller keeps while it uses the view.
    const TRMView* ObjectAt(int index, int x, int y) const;

    // Prepared report file: the stationery switch (Taoda), the printer's name, backgrounds
    // and pages. Loading replaces the pages, sets Taoda when the file holds it and
    // PrinterName, and selects that printer; a bad file leaves no pages, puts its message
    // into *error (and what went wrong into LoadError) and returns false (the caller shows
    // it).
    void SaveToStream(RMStream& stream);
    bool LoadFromStream(RMStream& stream, std::string* error = nullptr);
    // Saving fails, leaving an older file of that name as it was and the reason in *error,
    // when a text of a page is longer than its length field holds. Texts with characters
    // GBK cannot hold are saved with "?" for them; *warnings gets their views ("第N页 名称").
    bool SaveToFile(const std::string& fileName, std::string* error = nullptr,
                    std::vector<std::string>* warnings = nullptr);
    bool LoadFromFile(const std::string& fileName, std::string* error = nullptr);

    // A composite report redirects clearing to itself.
    std::function<void()> ClearHandler;
    // Called once for every page added (argument: the page index).
    std::function<void(int)> OnBeginPage;
    // The number (from 0) of a template page among its report's pages, recorded with each
    // page made from it; -1 or no handler: page 1.
    std::function<int(const TRMPage& templatePage)> TemplatePageIndex;
    // The display formats of the template's named memo views (none without a handler).
    std::function<TRMViewFormats()> TemplateFormats;
    int CurrentBackground = 255;
    // Pre-printed stationery: stored in and read from prepared files.
    bool Taoda = false;
    // The printer a prepared file was read with.
    std::string PrinterName;
    // Why the last load failed ("" after one that succeeded).
    std::string LoadError;

private:
    void clearAll();
    void revokeHandOver(int firstChanged = 0);
    std::unique_ptr<TRMPage> decode(const TRMEMFPage& record) const;

    struct CacheEntry {
        const TRMEMFPage* record;
        std::uint64_t revision;
        std::shared_ptr<const TRMPage> views;
    };
    // Most recently used first; a few pages (a preview's screen and a print run's page).
    static constexpr std::size_t kCacheSize = 12;
    mutable std::vector<CacheEntry> cache_;
    std::unique_ptr<TRMEMFPage> makePage(const TRMPage& templatePage);

    std::vector<std::unique_ptr<TRMEMFPage>> pages_;
    std::vector<std::unique_ptr<TRMBkPicture>> backgrounds_;
};

} // namespace report
