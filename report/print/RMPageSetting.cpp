#include "report/print/RMPageSetting.h"

#include <utility>

namespace report {

void TRMPageSetting::SetOrientation(std::uint8_t orientation) {
    orientation = orientation == 1 ? 1 : 0;
    if (orientation != orientation_)
        std::swap(PaperWidth, PaperHeight);
    orientation_ = orientation;
}

void TRMPageSetting::SetMarginLeft(double mm) {
    if (mm >= 0)
        left_ = mm;
}

void TRMPageSetting::SetMarginTop(double mm) {
    if (mm >= 0)
        top_ = mm;
}

void TRMPageSetting::SetMarginRight(double mm) {
    if (mm >= 0)
        right_ = mm;
}

void TRMPageSetting::SetMarginBottom(double mm) {
    if (mm >= 0)
        bottom_ = mm;
}

void TRMPageSetting::SetColumnGap(double mm) {
    if (mm >= 0)
        gap_ = mm;
}

void TRMPageSetting::SetPageColumns(int columns) {
    if (columns > 0)
        columns_ = columns;
}

} // namespace report
