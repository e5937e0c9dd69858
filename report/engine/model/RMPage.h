#pragma once

// Template pages and their list. Page sizes and margins are thousandths of a millimetre;
// the views on a page are in screen pixels.

#include "report/engine/model/RMBand.h"
#include "report/engine/model/RMPaper.h"
#include "report/engine/model/RMView.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace report {

class TRMPage : public TRMObject {
public:
    TRMPage();
    ~TRMPage() override;
    TRMPage& operator=(const TRMPage&) = delete;
    // A copy with copies of the views (preparation works on copies of the template pages).
    std::unique_ptr<TRMPage> clone() const;

    // Views in paint order; the page owns them.
    std::vector<std::unique_ptr<TRMView>>& Objects() { return objects_; }
    const std::vector<std::unique_ptr<TRMView>>& Objects() const { return objects_; }
    TRMView* addView(std::unique_ptr<TRMView> view);
    void deleteView(TRMView* view);
    // First view of that name, compared without regard to case; nullptr when none.
    TRMView* FindObject(std::string_view name) const;

    // Margin setters move every view by the change in pixels; the left-margin setter does
    // nothing at all on a subreport page. Right and bottom move nothing.
    void setLeftMargin(std::int32_t value);
    void setTopMargin(std::int32_t value);
    void setRightMargin(std::int32_t value) { RightMargin = value; }
    void setBottomMargin(std::int32_t value) { BottomMargin = value; }
    struct PixelRect {
        int left = 0, top = 0, right = 0, bottom = 0;
        bool operator==(const PixelRect&) const = default;
    };
    // Margins in pixels (left, top, right, bottom).
    PixelRect marginsInPixels() const;
    void setMarginsInPixels(const PixelRect& margins);

    // Stores the paper and asks the current printer for its geometry. Sizes in tenths of a mm.
    void ChangePaper(int size, std::int32_t width, std::int32_t height, std::int32_t bin,
                     std::uint8_t orientation);
    // Applies the stored paper to the printer again (after a printer change).
    void applyPaperToPrinter();
    // Paper size in page pixels (the printer's geometry, else the paper at screen resolution).
    int paperWidthPixels() const;
    int paperHeightPixels() const;
    // Page Width/Height properties in tenths of a millimetre.
    std::int32_t widthTenths() const { return PageWidth / 100; }
    std::int32_t heightTenths() const { return PageHeight / 100; }

    // Page header of template files; loading applies the paper to the printer.
    void SaveHeaderToStream(RMStream& stream) const;
    void LoadHeaderFromStream(RMStream& stream);

    bool SetPropValue(std::string_view name, const platform::Variant& value);
    bool GetPropValue(std::string_view name, platform::Variant& value) const;
    // "CHANGEPAPER"(size, width, height, bin, orientation); false for other names.
    bool DoMethod(std::string_view name, const std::vector<platform::Variant>& args);

    bool ShowBackPicture = true;
    bool IsSubReport = false;
    TRMPage* ParentPage = nullptr;
    std::array<TRMBand*, rmBandTypeCount> Bands{}; // while preparing only
    std::string Name;
    std::uint8_t Type = ptReport;
    std::int32_t Size = 9;
    std::int32_t PageWidth = 210000, PageHeight = 297000; // thousandths of a mm
    std::int32_t LeftMargin = 15000, TopMargin = 20000, RightMargin = 15000, BottomMargin = 20000;
    std::uint8_t Orientation = poPortrait;
    bool PrintToPrevPage = false;
    std::int32_t Columns = 1;
    // Columns a page or band is laid out in: Columns within 1 … kMaxColumns (a count from a
    // file or a script may be anything).
    static constexpr int kMaxColumns = 256;
    int columnCount() const { return std::clamp<int>(Columns, 1, kMaxColumns); }
    std::int32_t ColumnGap = 0;
    std::int32_t PageBin = 0xFFFF;
    TRMStrings Script; // OnBeforePrint
    TRMPicture BackGround;
    std::int32_t BackGroundLeft = 0, BackGroundTop = 0, BackGroundWidth = -1, BackGroundHeight = -1;
    bool AutoHCenter = false;
    bool Visible = true;
    // Dialog pages only.
    std::string Caption = "Form";
    TColor Color = clBtnFace;
    std::int32_t DialogLeft = 220, DialogTop = 180, DialogWidth = 380, DialogHeight = 300;
    std::uint8_t BorderStyle = 3, Position = 4;
    TRMPageGeometry PrinterInfo;
    // Report-wide PrintPagePerPage flag reached through the page (not owned).
    bool* PrintPagePerPage = nullptr;

private:
    // Views in paint order; copying the list copies the views.
    struct ViewList : std::vector<std::unique_ptr<TRMView>> {
        ViewList() = default;
        ViewList(const ViewList& other);
        ViewList& operator=(const ViewList&) = delete;
    };
    TRMPage(const TRMPage&) = default;
    void moveViews(int dx, int dy);

    ViewList objects_;
};

// The template pages of a report.
class TRMPages {
public:
    int Count() const { return static_cast<int>(pages_.size()); }
    TRMPage* Page(int index) const;
    TRMPage* operator[](int index) const { return Page(index); }
    void Clear() { pages_.clear(); }
    // Copies of the pages with their views.
    std::vector<std::unique_ptr<TRMPage>> clonePages() const;
    // Exchanges the page list with `other`.
    void swapPages(std::vector<std::unique_ptr<TRMPage>>& other) { pages_.swap(other); }
    // New report page named "Page" + the lowest unused number, with the printer's paper.
    TRMPage* Add();
    void Delete(int index);
    int IndexOf(const TRMPage* page) const;
    // View of that name on any page; nullptr when none.
    TRMView* FindObject(std::string_view name) const;
    // Base name plus the lowest number that no view of the report has.
    std::string makeUniqueName(std::string_view baseName) const;

    // Defaults for new pages (the report's printer paper).
    TRMPaperRequest defaultPaper;
    bool* PrintPagePerPage = nullptr;

private:
    std::vector<std::unique_ptr<TRMPage>> pages_;
};

} // namespace report
