#pragma once

// Text views: memo, aggregate memo, money-grid cell and diagonal header cell.

#include "report/engine/model/RMView.h"

namespace report {

class TRMReport;
struct TRMMemoLayout; // layout/RMMemoLayout.h
struct TRMTextFont;   // layout/RMTextMeasure.h

// Split state of a memo printed across a page break.
enum TRMSplitState : std::uint8_t { rmsNormal = 0, rmsMeasuring = 1, rmsPrinting = 2 };

class TRMMemoView : public TRMStretcheable {
public:
    TRMMemoView();
    std::string ClassName() const override { return "TRMMemoView"; }
    std::unique_ptr<TRMView> clone() const override { return std::make_unique<TRMMemoView>(*this); }
    void SaveState() override;
    void RestoreState() override;
    bool SetPropValue(std::string_view name, const platform::Variant& value) override;
    bool GetPropValue(std::string_view name, platform::Variant& value) const override;
    // "LOADFROMFILE"(file): Memo from a text file, UTF-8 or else GBK (an error when it
    // cannot be read); "HIDE", "SHOW".
    bool DoMethod(std::string_view name, const std::vector<platform::Variant>& args) override;
    void Draw(platform::TCanvas& canvas, const TRMDrawPlacement& at,
              const TRMDrawContext& context) const override;

    // --- layout (RMMemoRender.cpp)
    // Text drawing shows: Memo for a view read from a prepared page, else Memo1.
    const TRMStrings& DrawnText() const { return StreamMode == smPrepared ? Memo : Memo1; }
    // Measuring font at `size` points (FontScaleWidth stretch and CharSpacing included).
    TRMTextFont TextFont(int size) const;
    // Wraps `text` to the view's width (height for rt90/rt270) with font scaling by width
    // and by height; the designer keeps an over-long "[" line whole and does not scale.
    TRMMemoLayout LayoutText(const TRMStrings& text, bool designer = false) const;
    // Width the text needs on one line (AutoWidth, CALCWIDTH).
    int TextWidth(const TRMStrings& text) const;
    // Height of the frame's top and bottom sides that the content must leave free.
    int FrameAllowanceY() const;
    // Lines of `layout` that fit into the view's height, counted as drawing does.
    int LinesThatFit(const TRMMemoLayout& layout) const;

    // --- preparation (RMMemoPrint.cpp)
    // Builds Memo1 from Memo: bracket expansion (unless TextOnly), blank-row mode, HideZeros
    // and display formats through the report.
    virtual void ExpandMemo(TRMReport& report);
    // Applies the highlight when its condition holds (the caller restores with RestoreHighlight).
    void ApplyHighlight(TRMReport& report);
    void RestoreHighlight();
    // Height the content needs at the current width: 0 for an empty or suppressed text.
    int CalcHeight(TRMReport& report) override;
    // Height of one line plus GapY; height still to print after a split.
    int MinHeight() const;
    int RemainHeight() const;
    // Writes the view into a prepared page stream at its current Left/Top (the caller has
    // placed it): split state, Suppress and MergeRepeated included. Returns whether a new
    // record was written (false: invisible, or merged into the previous row's cell).
    bool PrintToStream(TRMReport& report, RMStream& stream) override;
    // Wrapped Memo1 (each line with its marker) as PrintToStream stores it.
    void WrapMemo1(bool designer = false);

    // Alignment word: bits 0-1 horizontal, bit 2 vertical text, bits 3-4 layout.
    int Alignment() const { return Adjust & 3; }
    void setAlignment(int value) { Adjust = (Adjust & ~3) | (value & 3); }
    int Layout() const { return Adjust & 0x18; }
    void setLayout(int value) { Adjust = (Adjust & ~0x18) | (value & 0x18); }
    bool vertical() const { return (Adjust & 4) != 0; }

    // WordBreak and AutoWidth exclude font scaling.
    void setWordBreak(bool on);
    void setAutoWidth(bool on);

    TRMFont Font;
    std::int32_t Adjust = 0;
    struct Highlight {
        std::int16_t FontStyle = fontstyle::Bold;
        TColor FontColor = clBlack;
        TColor FillColor = clWhite;
        bool operator==(const Highlight&) const = default;
    } HighlightAttr;
    std::string Highlight; // condition
    std::int32_t CharSpacing = 0;
    std::int32_t LineSpacing = 2;
    std::uint8_t RotationType = rtNone;
    std::uint8_t ScaleFontType = ByWidth;
    std::int16_t FontScaleWidth = 0;
    std::string MasterMemoView;
    std::string LastValue;
    platform::Variant CalcValue;
    bool ValueChanged = false;
    // Printing across pages: DrawStatus is the split state; Memo1 keeps the lines still to
    // print in state 2; PrintedLines counts the lines the last part held.
    std::uint8_t DrawStatus = rmsNormal;
    int PrintedLines = 0;
    // Last written instance for MergeRepeated: its stream, the offset of its Height field
    // and its Top.
    struct MergeAnchor {
        const RMStream* Stream = nullptr;
        std::size_t HeightPos = 0;
        std::int32_t Top = 0;
    } Merge;

protected:
    void saveExtra(RMStream& stream) const override;
    void loadExtra(RMStream& stream) override;

private:
    std::int32_t savedAdjust_ = 0;
    struct SavedHighlight {
        bool active = false;
        std::int16_t style = 0;
        TColor color = 0, fill = 0;
    } savedHighlight_;
};

// An amount printed digit by digit in money-grid columns.
class TRMMoneyView : public TRMMemoView {
public:
    TRMMoneyView();
    std::string ClassName() const override { return "TRMMoneyView"; }
    std::unique_ptr<TRMView> clone() const override {
        return std::make_unique<TRMMoneyView>(*this);
    }
    bool SetPropValue(std::string_view name, const platform::Variant& value) override;
    bool GetPropValue(std::string_view name, platform::Variant& value) const override;

    void Draw(platform::TCanvas& canvas, const TRMDrawPlacement& at,
              const TRMDrawContext& context) const override;

    bool TitleMode = false;
    std::string MoneySymbol = "￥";
    std::int32_t DigitCount = 12;
    std::int32_t Decimals = 2;
    std::int32_t LineWidth = 1;
    TColor LineColor = 0xC0C0C0;
    TColor KLineColor = clBlack;        // thousands separators
    TColor DecimalLineColor = 0x0000FF; // decimal point

protected:
    void saveExtra(RMStream& stream) const override;
    void loadExtra(RMStream& stream) override;
};

// Corner-header cell: up to four texts separated by ";" and split lines.
class TRMDiagonalView : public TRMMemoView {
public:
    TRMDiagonalView();
    std::string ClassName() const override { return "TRMDiagonalView"; }
    std::unique_ptr<TRMView> clone() const override {
        return std::make_unique<TRMDiagonalView>(*this);
    }
    bool SetPropValue(std::string_view name, const platform::Variant& value) override;
    bool GetPropValue(std::string_view name, platform::Variant& value) const override;

    void Draw(platform::TCanvas& canvas, const TRMDrawPlacement& at,
              const TRMDrawContext& context) const override;

    std::int32_t LineWidth = 1;
    TColor LineColor = clBlack;

protected:
    void saveExtra(RMStream& stream) const override;
    void loadExtra(RMStream& stream) override;
};

} // namespace report
