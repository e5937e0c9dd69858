#include "report/engine/layout/RMViewPainter.h"

#include <cmath>

namespace report {

using platform::TCanvas;
using platform::TRect;

namespace detail {

TRect deviceRect(const TRMView& v, const TRMDrawPlacement& at) {
    const auto x = [&](double px) {
        return static_cast<int>(std::lround(px * at.ScaleX + at.OffsetX));
    };
    const auto y = [&](double px) {
        return static_cast<int>(std::lround(px * at.ScaleY + at.OffsetY));
    };
    return {x(v.Left), y(v.Top), x(double(v.Left) + v.Width), y(double(v.Top) + v.Height)};
}

void drawFill(TCanvas& canvas, const TRMView& view, const TRect& rect, const TRMDrawContext& ctx,
              TColor fill) {
    if (ctx.FirstPass)
        return;
    if (ctx.Designer) {
        const int l = static_cast<int>(std::ceil(view.LeftFrame.Width / 2)),
                  t = static_cast<int>(std::ceil(view.TopFrame.Width / 2)),
                  r = static_cast<int>(std::ceil(view.RightFrame.Width / 2)),
                  b = static_cast<int>(std::ceil(view.BottomFrame.Width / 2));
        canvas.Brush = platform::TBrush::solid(platform::clWhite);
        canvas.fillRect({rect.Left - l, rect.Top - t, rect.Right + r + 1, rect.Bottom + b + 1});
    }
    if (fill == clNone || (ctx.IsPrinting && !ctx.PrintBackColor))
        return;
    canvas.Brush = platform::TBrush::solid(fill);
    canvas.fillRect(rect);
}

bool isDoubleStyle(std::uint8_t style) {
    return (style & 0x10) != 0 || style == psDouble;
}

int frameAllowance(const TRMFrameLine& side) {
    if (!side.Visible)
        return 0;
    const double half = side.Width / 2;
    return static_cast<int>(std::lround(isDoubleStyle(side.Style) ? half + 2 * side.Width : half));
}

platform::TPen framePen(const TRMFrameLine& side, double scale) {
    platform::TPen pen;
    pen.Color = side.Color;
    pen.Width = std::max(1, static_cast<int>(std::lround(side.Width * scale)));
    pen.Cap = platform::TPenCap::Square;
    pen.Join = platform::TPenJoin::Miter;
    const int dash = side.Style == psDouble ? 0 : (side.Style & 0x0F);
    switch (dash) {
    case 1:
        pen.Style = platform::psDash;
        break;
    case 2:
        pen.Style = platform::psDot;
        break;
    case 3:
        pen.Style = platform::psDashDot;
        break;
    case 4:
        pen.Style = platform::psDashDotDot;
        break;
    default:
        pen.Style = platform::psSolid;
        break;
    }
    return pen;
}

platform::TFont deviceFont(const TRMFont& f, int points, double scaleY) {
    platform::TFont font;
    font.Name = f.Name;
    platform::TFontStyles s = 0;
    if (f.Style & fontstyle::Bold)
        s |= platform::fsBold;
    if (f.Style & fontstyle::Italic)
        s |= platform::fsItalic;
    if (f.Style & fontstyle::Underline)
        s |= platform::fsUnderline;
    if (f.Style & fontstyle::StrikeOut)
        s |= platform::fsStrikeOut;
    font.Style = s;
    font.Color = f.Color;
    font.Charset = f.Charset;
    font.Height =
        -std::max(1, static_cast<int>(std::lround(std::lround(points * 96.0 / 72.0) * scaleY)));
    return font;
}

void line(TCanvas& canvas, int x1, int y1, int x2, int y2) {
    canvas.moveTo(x1, y1);
    canvas.lineTo(x2, y2);
}

void drawFrame(TCanvas& canvas, const TRMView& v, const TRect& r, const TRMDrawPlacement& at,
               const TRMDrawContext& ctx) {
    if (ctx.FirstPass || (ctx.IsPrinting && ctx.Taoda && !v.flag(flag::PrintFrame)))
        return;
    const double scale = at.ScaleX;
    const TRMFrameLine& l = v.LeftFrame;
    const bool allEqual = l.Visible && l == v.TopFrame && l == v.RightFrame && l == v.BottomFrame;
    if (allEqual) {
        canvas.Pen = framePen(l, scale);
        canvas.Brush = platform::TBrush::clear();
        canvas.rectangle(r.Left, r.Top, r.Right + 1, r.Bottom + 1);
        if (isDoubleStyle(l.Style)) {
            const int d = 2 * canvas.Pen.Width;
            canvas.rectangle(r.Left + d, r.Top + d, r.Right + 1 - d, r.Bottom + 1 - d);
        }
        return;
    }
    struct Side {
        const TRMFrameLine& frame;
        int x1, y1, x2, y2, dx, dy; // the line and the inward direction of a double line
    };
    const Side sides[] = {
        {v.LeftFrame, r.Left, r.Top, r.Left, r.Bottom, 1, 0},
        {v.TopFrame, r.Left, r.Top, r.Right, r.Top, 0, 1},
        {v.RightFrame, r.Right, r.Top, r.Right, r.Bottom, -1, 0},
        {v.BottomFrame, r.Left, r.Bottom, r.Right, r.Bottom, 0, -1},
    };
    for (const Side& s : sides) {
        if (!s.frame.Visible)
            continue;
        canvas.Pen = framePen(s.frame, scale);
        line(canvas, s.x1, s.y1, s.x2, s.y2);
        if (isDoubleStyle(s.frame.Style)) {
            const int d = 2 * canvas.Pen.Width;
            line(canvas, s.x1 + s.dx * d, s.y1 + s.dy * d, s.x2 + s.dx * d, s.y2 + s.dy * d);
        }
    }
}

void drawDiagonals(TCanvas& canvas, int kind, const TRect& r) {
    if (kind < 1 || kind > 6)
        return;
    canvas.Pen = platform::TPen{};
    const int midX = (r.Left + r.Right) / 2, midY = (r.Top + r.Bottom) / 2;
    if (kind == 1 || kind == 3)
        line(canvas, r.Left, r.Top, r.Right, r.Bottom);
    if (kind == 2 || kind == 3) {
        line(canvas, r.Left, r.Top, midX, r.Bottom);
        line(canvas, r.Left, r.Top, r.Right, midY);
    }
    if (kind == 4 || kind == 6)
        line(canvas, r.Left, r.Bottom, r.Right, r.Top);
    if (kind == 5 || kind == 6) {
        line(canvas, r.Left, midY, r.Right, r.Top);
        line(canvas, midX, r.Bottom, r.Right, r.Top);
    }
}

} // namespace detail

void TRMView::Draw(TCanvas& canvas, const TRMDrawPlacement& at, const TRMDrawContext& ctx) const {
    const TRect r = detail::deviceRect(*this, at);
    detail::drawFill(canvas, *this, r, ctx, FillColor);
    detail::drawFrame(canvas, *this, r, at, ctx);
    if (ObjectType != gtBand)
        detail::drawDiagonals(canvas, BandType, r);
}

} // namespace report
