#pragma once

// What the page setup dialog edits: paper, orientation, bin, margins and columns, and the
// report switches that go with them.

#include <cstdint>
#include <string>

namespace report {

class TRMPageSetting {
public:
    std::string Title;
    int PaperSize = 9;
    std::int32_t PaperWidth = 2100; // tenths of a millimetre, as laid out
    std::int32_t PaperHeight = 2970;
    int Bin = -1;
    bool Taoda = false; // pre-printed stationery
    bool DoublePass = false;
    bool PrintBackColor = true;
    std::string PrinterName;
    // Shown by the dialog; not among the setting's own fields, kept for the caller.
    bool PrintToPrevPage = false;
    bool UnlimitedHeight = false;

    std::uint8_t Orientation() const { return orientation_; }
    // Changing the orientation swaps width and height.
    void SetOrientation(std::uint8_t orientation);
    // Millimetres; negative values are ignored.
    double MarginLeft() const { return left_; }
    double MarginTop() const { return top_; }
    double MarginRight() const { return right_; }
    double MarginBottom() const { return bottom_; }
    double ColumnGap() const { return gap_; }
    void SetMarginLeft(double mm);
    void SetMarginTop(double mm);
    void SetMarginRight(double mm);
    void SetMarginBottom(double mm);
    void SetColumnGap(double mm);
    int PageColumns() const { return columns_; }
    // 0 or less is ignored.
    void SetPageColumns(int columns);

private:
    std::uint8_t orientation_ = 0;
    double left_ = 0, top_ = 0, right_ = 0, bottom_ = 0, gap_ = 0;
    int columns_ = 1;
};

} // namespace report
