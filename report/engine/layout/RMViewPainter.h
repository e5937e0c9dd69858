#pragma once

// Drawing shared by every view: the device rectangle of a view, background fill, frames
// (equal-side rectangle, single sides, double lines) and diagonal lines.

#include "platform/Canvas.h"
#include "report/engine/model/RMDrawContext.h"
#include "report/engine/model/RMView.h"

namespace report::detail {

// Device rectangle of the view; Right and Bottom are the scaled right and bottom edges
// (frames are drawn on them).
platform::TRect deviceRect(const TRMView& view, const TRMDrawPlacement& at);

// Device pixels of a page distance.
inline int scaled(double pixels, double scale) {
    return static_cast<int>(pixels * scale + (pixels * scale >= 0 ? 0.5 : -0.5));
}

// Background fill with `fill` (the view's FillColor, or a highlight colour).
void drawFill(platform::TCanvas& canvas, const TRMView& view, const platform::TRect& rect,
              const TRMDrawContext& context, TColor fill);
// The four sides by the frame rules.
void drawFrame(platform::TCanvas& canvas, const TRMView& view, const platform::TRect& rect,
               const TRMDrawPlacement& at, const TRMDrawContext& context);
// Diagonal kind 1-6 (black solid 1-pixel lines).
void drawDiagonals(platform::TCanvas& canvas, int kind, const platform::TRect& rect);
// Geometric pen of a frame side: rounded scaled width, square caps, dash style.
platform::TPen framePen(const TRMFrameLine& line, double scale);
// Whether a frame style asks for a double line (bit 0x10; the script value 7 too).
bool isDoubleStyle(std::uint8_t style);
// Room a visible frame side takes from the content: half its width, for a double line half
// the width plus twice the width (rounded); 0 for a hidden side.
int frameAllowance(const TRMFrameLine& side);

void line(platform::TCanvas& canvas, int x1, int y1, int x2, int y2);

// Canvas font of a report font of `points` at the vertical scale.
platform::TFont deviceFont(const TRMFont& font, int points, double scaleY);

} // namespace report::detail
