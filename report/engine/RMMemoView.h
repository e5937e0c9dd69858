#pragma once

// Text views: memo, aggregate memo, money-grid cell and diagonal header cell.

#include "report/engine/RMView.h"

namespace report {

class TRMMemoView : public TRMStretcheable {
public:
    TRMMemoView();
    std::string ClassName() const override { return "TRMMemoView"; }
    std::unique_ptr<TRMView> clone() const override { return std::make_unique<TRMMemoView>(*this); }
    void SaveState() override;
    void RestoreState() override;
    bool SetPropValue(std::string_view name, const platform::Variant& value) override;
    bool GetPropValue(std::string_view name, platform::Variant& value) const override;

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

protected:
    void saveExtra(RMStream& stream) const override;
    void loadExtra(RMStream& stream) override;

private:
    std::int32_t savedAdjust = 0;
};

// Aggregate value over the rows of a data band.
class TRMCalcMemoView : public TRMMemoView {
public:
    TRMCalcMemoView();
    std::string ClassName() const override { return "TRMCalcMemoView"; }
    std::unique_ptr<TRMView> clone() const override {
        return std::make_unique<TRMCalcMemoView>(*this);
    }

    bool ResetAfterPrint = true;
    std::uint8_t DBCalcType = rmdcSum;
    std::string DataBand;
    std::string Filter;
    std::string IntalizeValue;  // start expression of a user aggregate
    std::string AggregateValue; // step expression of a user aggregate

protected:
    void saveExtra(RMStream& stream) const override;
    void loadExtra(RMStream& stream) override;
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

    std::int32_t LineWidth = 1;
    TColor LineColor = clBlack;

protected:
    void saveExtra(RMStream& stream) const override;
    void loadExtra(RMStream& stream) override;
};

} // namespace report
