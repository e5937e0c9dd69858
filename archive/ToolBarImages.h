#pragma once

// The eight 16 x 16 images of the archive tool bar, drawn at run time on a transparent
// background: 0 page with a blue plus, 1 bars with a yellow arrow pointing left, 2 bars with
// a yellow arrow pointing right, 3 page with a lens, 4 printer, 5 page with green circular
// arrows, 6 arrow entering a door, 7 question mark on a brown disc.

#include <QImage>

namespace archive {

constexpr int kToolBarImageCount = 8;
constexpr int kToolBarImageSize = 16;

// Image `index` (0..7); a null image for any other index.
QImage toolBarImage(int index);

} // namespace archive
