#pragma once

// An off-screen bitmap with its own canvas: measuring canvases and scratch drawing that
// need no window. The image stays readable while the canvas lives.

#include "platform/Canvas.h"

#include <QImage>
#include <QPainter>

namespace platform {

namespace detail {

// Constructed before the TCanvas base so that its painter exists first.
struct BitmapStore {
    BitmapStore(int width, int height, TColor fill);
    QImage image;
    QPainter painter;
};

} // namespace detail

class TBitmapCanvas : private detail::BitmapStore, public TCanvas {
public:
    // A width x height bitmap (at least 1 x 1) at 96 pixels per inch, filled with `fill`.
    explicit TBitmapCanvas(int width = 1, int height = 1, TColor fill = clWhite);

    const QImage& image() const { return BitmapStore::image; }
};

} // namespace platform
