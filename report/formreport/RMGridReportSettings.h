#pragma once

// The settings a grid report reads at the start of every run: page layout, header and
// footer captions, scaling, master-data band options, the numbering column, the grid font
// override and the grouping fields. Plain data: copying one settings object from another
// of its class copies every property (through the setters' rules); copying from another
// class raises platform::EConvertError. Invalid values (negative heights and numbers) are
// ignored, never raised.
//
// Units: positions, sizes and margins are screen pixels of the display; paper width and
// height are tenths of a millimetre.

#include "platform/GdiObjects.h"
#include "platform/Persistent.h"
#include "report/engine/model/RMStream.h"
#include "report/engine/model/RMTypes.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace report {

class TRMCustomGridReport;

enum TRMGridReportOption : std::uint8_t {
    rmgoUseColor,
    rmgoStretch,
    rmgoWordWrap,
    rmgoGridLines,
    rmgoSelectedRecordsOnly,
    rmgoAppendBlank,
    rmgoGridNumber,
    rmgoDrawBorder,
    rmgoDoubleFrame,
    rmgoRebuildAfterPageChanged,
    rmgoDisableControls
};

// A set of report options in 16 bits (bit n = option n).
class TRMGridReportOptions {
public:
    constexpr TRMGridReportOptions() = default;
    constexpr TRMGridReportOptions(std::initializer_list<TRMGridReportOption> options) {
        for (TRMGridReportOption o : options)
            bits_ = static_cast<std::uint16_t>(bits_ | (1u << o));
    }
    constexpr bool has(TRMGridReportOption option) const { return (bits_ >> option) & 1u; }
    constexpr void include(TRMGridReportOption option) {
        bits_ = static_cast<std::uint16_t>(bits_ | (1u << option));
    }
    constexpr void exclude(TRMGridReportOption option) {
        bits_ = static_cast<std::uint16_t>(bits_ & ~(1u << option));
    }
    constexpr std::uint16_t bits() const { return bits_; }
    constexpr bool operator==(const TRMGridReportOptions&) const = default;

private:
    std::uint16_t bits_ = 0;
};

enum TRMFRScaleMode : std::uint8_t { rmsmAdjust, rmsmFit };

// 10 mm at the display's horizontal resolution, rounded (38 at 96 dpi).
int tenMillimetresInPixels();

// Page settings of every template page a build creates.
class TRMPageLayout : public platform::TPersistent {
public:
    TRMPageLayout();
    const char* ClassName() const override { return "TRMPageLayout"; }
    void Assign(const platform::TPersistent& source) override;

    std::uint16_t pgSize = 9; // paper code; 256 = custom size from Width / Height
    std::int32_t LeftMargin = 0, TopMargin = 0, RightMargin = 0, BottomMargin = 0; // pixels
    std::int32_t Columns = 0;     // page columns of every template page (0: one)
    std::int32_t ColumnSpace = 0; // pixels; gap between the page columns
    std::int32_t Height = 2970;   // tenths of a millimetre
    std::int32_t Width = 2100;
    std::uint8_t pgOr = poPortrait;
    std::int32_t pgBin = 0;
    std::string PrinterName; // engine text 47007 "默认打印机": the system default printer
    bool DoublePass = false;
    bool PrintBackColor = false; // kept from page setup
    std::string Title;           // from page setup: the title of the rebuild after it
};

// A caption (RTF whose lines form one document) and the height of its view.
class TRMPageHeaderFooter : public platform::TPersistent {
public:
    explicit TRMPageHeaderFooter(TRMCustomGridReport* owner = nullptr)
        : owner_(owner) {}
    const char* ClassName() const override { return "TRMPageHeaderFooter"; }
    void Assign(const platform::TPersistent& source) override;

    TRMCustomGridReport* Owner() const { return owner_; }
    const TRMStrings& Caption() const { return caption_; }
    void setCaption(TRMStrings lines) { caption_ = std::move(lines); }
    // The caption as one text, its lines joined with CR LF.
    std::string CaptionText() const;
    // Splits `text` into lines at CR LF, LF or CR.
    void setCaptionText(std::string_view text);
    bool hasText() const;
    // 0 = the caption's rendered height plus 2. A negative value is ignored.
    std::int32_t Height() const { return height_; }
    void setHeight(std::int32_t value);

private:
    TRMCustomGridReport* owner_;
    TRMStrings caption_;
    std::int32_t height_ = 0;
};

class TRMScaleOptions : public platform::TPersistent {
public:
    const char* ClassName() const override { return "TRMScaleOptions"; }
    void Assign(const platform::TPersistent& source) override;

    bool CenterOnPageH = false;
    bool CenterOnPageV = false; // only without a master-data band
    bool FitPageWidth = false;  // with rmsmFit; grids are then never split
    bool FitPageHeight = false; // with rmsmFit, without master data, not with FitPageWidth
    TRMFRScaleMode ScaleMode = rmsmFit;
    std::int32_t ScaleFactor = 100; // percent, with rmsmAdjust
};

class TRMMasterDataBandOptions : public platform::TPersistent {
public:
    const char* ClassName() const override { return "TRMMasterDataBandOptions"; }
    void Assign(const platform::TPersistent& source) override;

    std::int32_t LinesPerPage = 0;
    std::int32_t Columns = 1;
    std::int32_t ColumnWidth = 200;
    std::int32_t ColumnGap = 20;
    bool NewPageAfter = false;
    // Data row height of data-aware grids; 0 or less = the grid's default row height + 4.
    std::int32_t Height = -1;
};

class TRMGridNumOptions : public platform::TPersistent {
public:
    const char* ClassName() const override { return "TRMGridNumOptions"; }
    void Assign(const platform::TPersistent& source) override;

    std::string Text = "No"; // title of the numbering column
    // Width of the numbering column in widths of "a" in the grid's font; negative ignored.
    std::int32_t Number() const { return number_; }
    void setNumber(std::int32_t value);

private:
    std::int32_t number_ = 7;
};

class TRMGridFontOptions : public platform::TPersistent {
public:
    const char* ClassName() const override { return "TRMGridFontOptions"; }
    void Assign(const platform::TPersistent& source) override;

    bool UseCustomFontSize = false; // data cells take Font's size (only the size)
    platform::TFont Font;
    // Text colour of the grid add-ins' title cells in the printout; clNone prints the title
    // font's own colour, as the grid shows it on screen.
    platform::TColor TitleFontColor = platform::clNone;
};

class TRMGroupItem : public platform::TPersistent {
public:
    const char* ClassName() const override { return "TRMGroupItem"; }
    void Assign(const platform::TPersistent& source) override;

    std::string GroupFieldName; // items with an empty name are skipped
    bool FormNewPage = false;
};

// The grouping fields of a form report; knows the report that owns it.
class TRMGroupItems : public platform::TPersistent {
public:
    explicit TRMGroupItems(TRMCustomGridReport* owner = nullptr)
        : owner_(owner) {}
    const char* ClassName() const override { return "TRMGroupItems"; }
    // Replaces the items by copies of the source's.
    void Assign(const platform::TPersistent& source) override;

    TRMCustomGridReport* Owner() const { return owner_; }
    int Count() const { return static_cast<int>(items_.size()); }
    TRMGroupItem& operator[](int index) const {
        return *items_.at(static_cast<std::size_t>(index));
    }
    TRMGroupItem& Add();
    void Delete(int index);
    void Clear() { items_.clear(); }

private:
    TRMCustomGridReport* owner_;
    std::vector<std::unique_ptr<TRMGroupItem>> items_;
};

} // namespace report
