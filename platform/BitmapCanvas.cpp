#include "platform/BitmapCanvas.h"

#include <algorithm>

namespace platform {

detail::BitmapStore::BitmapStore(int width, int height, TColor fill)
    : image(std::max(1, width), std::max(1, height), QImage::Format_RGB32) {
    // 96 pixels per inch: 3780 dots per metre.
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(toQColor(fill == clNone ? clWhite : fill));
    painter.begin(&image);
}

TBitmapCanvas::TBitmapCanvas(int width, int height, TColor fill)
    : BitmapStore(width, height, fill)
    , TCanvas(BitmapStore::painter) {}

} // namespace platform
