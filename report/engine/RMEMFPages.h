#pragma once

// Prepared pages: per page its paper, margins, printer geometry and a byte stream of the
// views placed on it (prepared form). Views are loaded from the stream when a page is
// drawn and dropped again when the drawer clears the page's loaded flag.

#include "report/engine/RMPage.h"
#include "report/engine/RMStream.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace report {

class TRMReport;

struct TRMEMFPage {
    std::int16_t PaperSize = 9;
    std::int32_t PaperWidth = 2100, PaperHeight = 2970; // tenths of a millimetre
    std::uint8_t Orientation = poPortrait;
    std::int32_t Bin = -1;
    std::int32_t LeftMargin = 0, TopMargin = 0, RightMargin = 0, BottomMargin = 0; // pixels
    TRMPageGeometry PrinterInfo;
    bool Visible = false;          // loaded flag: set by whoever draws the page
    RMStream Stream;               // version byte 43, then the views
    std::unique_ptr<TRMPage> Page; // loaded views, kept while Visible
    std::uint8_t BackgroundIndex = 255;
    std::uint8_t TemplatePageNo = 1;
};

struct TRMBkPicture {
    std::int32_t Left = 0, Top = 0, Width = -1, Height = -1; // -1: the picture's own size
    TRMPicture Picture;
};

class TRMEMFPages {
public:
    explicit TRMEMFPages(TRMReport* owner = nullptr)
        : report(owner) {}
    TRMEMFPages(const TRMEMFPages&) = delete;
    TRMEMFPages& operator=(const TRMEMFPages&) = delete;

    int Count() const { return static_cast<int>(pages.size()); }
    TRMEMFPage* operator[](int index) const;
    void Clear();
    // Appends (inserts) a page with the template page's paper, margins and geometry.
    TRMEMFPage* AddPage(const TRMPage& templatePage);
    TRMEMFPage* InsertPage(int index, const TRMPage& templatePage);
    // Adds a background for the following pages; a page without one refers to 255.
    void AddBackground(const TRMPage& templatePage);
    TRMBkPicture* Background(int index) const;
    int BackgroundCount() const { return static_cast<int>(backgrounds.size()); }

    // Appends a view in prepared form to a page stream.
    static void WriteView(RMStream& stream, const TRMView& view);
    // Creates the page's views from its stream (a damaged stream loads what it can).
    TRMPage* LoadPageViews(int index);
    // Drops the loaded views of a page whose loaded flag is clear.
    void DropPageViews(int index);
    // Rewrites a page stream from its loaded (edited) views.
    void ObjectsToStream(int index);
    // Last loaded view whose rectangle contains the point (page pixels), or nullptr.
    TRMView* ObjectAt(int index, int x, int y);

    // Prepared report file. Loading replaces the pages; a bad file shows its message and
    // leaves no pages. Returns false on failure.
    void SaveToStream(RMStream& stream);
    bool LoadFromStream(RMStream& stream);
    bool SaveToFile(const std::string& fileName);
    bool LoadFromFile(const std::string& fileName);

    // A composite report redirects clearing to itself.
    std::function<void()> ClearHandler;
    // Called once for every page added (argument: the page index).
    std::function<void(int)> OnBeginPage;
    // Set by the memo renderer to finish AutoWidth memos after loading a page.
    std::function<void(TRMView&)> OnViewLoaded;
    TRMReport* report;
    int CurrentBackground = 255;

private:
    void clearAll();
    std::unique_ptr<TRMEMFPage> makePage(const TRMPage& templatePage);

    std::vector<std::unique_ptr<TRMEMFPage>> pages;
    std::vector<std::unique_ptr<TRMBkPicture>> backgrounds;
};

} // namespace report
