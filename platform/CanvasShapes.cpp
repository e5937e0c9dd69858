#include "platform/Canvas.h"

// Lines and areas: pens, brushes, raster-operation fills, focus rectangles and edges.

#include "platform/Metafile.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

QPainter::CompositionMode compositionOf(TPenMode mode) {
    switch (mode) {
    case pmBlack:
        return QPainter::RasterOp_ClearDestination;
    case pmWhite:
        return QPainter::RasterOp_SetDestination;
    case pmNot:
        return QPainter::RasterOp_NotDestination;
    case pmNotCopy:
        return QPainter::RasterOp_NotSource;
    case pmMergePenNot:
        return QPainter::RasterOp_SourceOrNotDestination;
    case pmMaskPenNot:
        return QPainter::RasterOp_SourceAndNotDestination;
    case pmMergeNotPen:
        return QPainter::RasterOp_NotSourceOrDestination;
    case pmMaskNotPen:
        return QPainter::RasterOp_NotSourceAndDestination;
    case pmMerge:
        return QPainter::RasterOp_SourceOrDestination;
    case pmNotMerge:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmMask:
        return QPainter::RasterOp_SourceAndDestination;
    case pmNotMask:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case pmXor:
        return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor:
        return QPainter::RasterOp_NotSourceXorDestination;
    case pmNop:
    case pmCopy:
        break;
    }
    return QPainter::CompositionMode_SourceOver;
}

QPen toQPen(const TPen& pen, int width) {
    if (pen.Style == psClear || pen.Color == clNone)
        return QPen(Qt::NoPen);
    QPen q(toQColor(pen.Color));
    q.setWidth(width);
    switch (pen.Cap) {
    // A one-pixel flat cap leaves the end point out, as the system's cosmetic pens do.
    case TPenCap::Round:
        q.setCapStyle(width <= 1 ? Qt::FlatCap : Qt::RoundCap);
        break;
    case TPenCap::Square:
        q.setCapStyle(Qt::SquareCap);
        break;
    case TPenCap::Flat:
        q.setCapStyle(Qt::FlatCap);
        break;
    }
    switch (pen.Join) {
    case TPenJoin::Round:
        q.setJoinStyle(Qt::RoundJoin);
        break;
    case TPenJoin::Bevel:
        q.setJoinStyle(Qt::BevelJoin);
        break;
    case TPenJoin::Miter:
        q.setJoinStyle(Qt::MiterJoin);
        break;
    }
    // Dash lengths of one-pixel pens in pixels; wider pens scale Qt's patterns by width.
    const bool thin = width <= 1;
    switch (pen.Style) {
    case psDash:
        if (thin)
            q.setDashPattern({18, 6});
        else
            q.setStyle(Qt::DashLine);
        break;
    case psDot:
        if (thin)
            q.setDashPattern({3, 3});
        else
            q.setStyle(Qt::DotLine);
        break;
    case psDashDot:
        if (thin)
            q.setDashPattern({9, 6, 3, 6});
        else
            q.setStyle(Qt::DashDotLine);
        break;
    case psDashDotDot:
        if (thin)
            q.setDashPattern({9, 3, 3, 3, 3, 3});
        else
            q.setStyle(Qt::DashDotDotLine);
        break;
    default:
        break;
    }
    return q;
}

// 8 x 8 image of a monochrome pattern: 1 bits `one`, 0 bits `zero`. With `andOnly` the
// colours that leave the destination unchanged under AND (white) become transparent.
QImage patternImage(const std::array<std::uint8_t, 8>& rows, TColor one, TColor zero,
                    bool andOnly = false) {
    QImage img(8, 8, QImage::Format_ARGB32);
    const QColor c1 = toQColor(one);
    const QColor c0 = toQColor(zero);
    const auto pixel = [&](const QColor& c) {
        if (andOnly && (ColorToRGB(fromQColor(c)) & 0xFFFFFF) == 0xFFFFFF)
            return QColor(Qt::transparent).rgba();
        return c.rgba();
    };
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            img.setPixel(x, y, (rows[std::size_t(y)] >> (7 - x)) & 1 ? pixel(c1) : pixel(c0));
    return img;
}

QBrush toQBrush(const TBrush& brush, TColor textColor, bool andOnly = false) {
    if (brush.Color == clNone && brush.Style != bsPattern)
        return QBrush(Qt::NoBrush);
    const QColor color = toQColor(brush.Color);
    switch (brush.Style) {
    case bsSolid:
        return QBrush(color);
    case bsClear:
        return QBrush(Qt::NoBrush);
    case bsHorizontal:
        return QBrush(color, Qt::HorPattern);
    case bsVertical:
        return QBrush(color, Qt::VerPattern);
    case bsFDiagonal:
        return QBrush(color, Qt::BDiagPattern);
    case bsBDiagonal:
        return QBrush(color, Qt::FDiagPattern);
    case bsCross:
        return QBrush(color, Qt::CrossPattern);
    case bsDiagCross:
        return QBrush(color, Qt::DiagCrossPattern);
    case bsPattern:
        return QBrush(patternImage(brush.Pattern, brush.Color, textColor, andOnly));
    }
    return QBrush(Qt::NoBrush);
}

// Pixels covered by `points`, as one rectangle.
TRect pointBounds(std::span<const QPoint> points) {
    TRect b{};
    for (const QPoint& p : points)
        b = unionRect(b, TRect{p.x(), p.y(), p.x() + 1, p.y() + 1});
    return b;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Recording

void TCanvas::recordPoints(int kind, std::vector<QPoint> points, std::vector<int> counts) {
    const int w = devicePenWidth();
    const TRect bounds = pointBounds(points).inflated(w / 2, w / 2);
    recordRect(kind, TRect{}, bounds, 0, [&](TMetaRecord& r) {
        r.Points = std::move(points);
        r.Counts = std::move(counts);
    });
}

// ---------------------------------------------------------------------------------------------
// Lines

void TCanvas::moveTo(int x, int y) {
    penPos_ = QPoint(x, y);
}

void TCanvas::lineTo(int x, int y) {
    const QPoint a = mapPoint(penPos_);
    penPos_ = QPoint(x, y);
    const QPoint b = mapPoint(penPos_);
    if (recording_) {
        recordPoints(int(TMetaRecordKind::Line), {a, b});
        return;
    }
    if (Pen.Mode == pmNop)
        return;
    PainterScope s(*painter_, clip_, compositionOf(Pen.Mode));
    painter_->setPen(toQPen(Pen, devicePenWidth()));
    painter_->drawLine(a, b);
}

void TCanvas::polyline(std::span<const QPoint> points) {
    if (points.empty())
        return;
    const int count = int(points.size());
    polyPolyline(points, std::span<const int>(&count, 1));
    penPos_ = points.back();
}

void TCanvas::polyPolyline(std::span<const QPoint> points, std::span<const int> counts) {
    std::vector<QPoint> mapped;
    mapped.reserve(points.size());
    for (const QPoint& p : points)
        mapped.push_back(mapPoint(p));
    // Groups beyond the given points are ignored rather than read past the end.
    std::vector<int> groups;
    std::size_t used = 0;
    for (int c : counts) {
        if (c < 0 || used + std::size_t(c) > mapped.size())
            break;
        groups.push_back(c);
        used += std::size_t(c);
    }
    if (recording_) {
        mapped.resize(used);
        if (counts.size() == 1)
            recordPoints(int(TMetaRecordKind::Polyline), std::move(mapped));
        else
            recordPoints(int(TMetaRecordKind::PolyPolyline), std::move(mapped), std::move(groups));
        return;
    }
    if (Pen.Mode == pmNop)
        return;
    PainterScope s(*painter_, clip_, compositionOf(Pen.Mode));
    painter_->setPen(toQPen(Pen, devicePenWidth()));
    std::size_t at = 0;
    for (int c : groups) {
        if (c >= 2)
            painter_->drawPolyline(mapped.data() + at, c);
        at += std::size_t(c);
    }
}

// ---------------------------------------------------------------------------------------------
// Areas

void TCanvas::fillRect(const TRect& rect) {
    const auto d = paintArea(int(TMetaRecordKind::FillRect), rect);
    if (!d)
        return;
    PainterScope s(*painter_, clip_);
    painter_->fillRect(d->toQRect(), toQBrush(Brush, Font.Color));
}

void TCanvas::frameRect(const TRect& rect) {
    const auto d = paintArea(int(TMetaRecordKind::FrameRect), rect);
    if (!d)
        return;
    const int wx = std::max(1, int(std::lround(scaleX_)));
    const int wy = std::max(1, int(std::lround(scaleY_)));
    const QBrush b = toQBrush(Brush, Font.Color);
    PainterScope s(*painter_, clip_);
    painter_->fillRect(QRect(d->Left, d->Top, d->width(), wy), b);
    painter_->fillRect(QRect(d->Left, d->Bottom - wy, d->width(), wy), b);
    painter_->fillRect(QRect(d->Left, d->Top + wy, wx, d->height() - 2 * wy), b);
    painter_->fillRect(QRect(d->Right - wx, d->Top + wy, wx, d->height() - 2 * wy), b);
}

void TCanvas::outlinedShape(int kind, const TRect& rect, QSize corner) {
    const TRect d = mapRect(rect);
    const int w = devicePenWidth();
    if (recording_) {
        recordRect(kind, d, d.inflated(w / 2, w / 2), 0,
                   [&](TMetaRecord& r) { r.Corner = corner; });
        return;
    }
    if (d.isEmpty() || Pen.Mode == pmNop)
        return;
    PainterScope s(*painter_, clip_, compositionOf(Pen.Mode));
    const QPen qp = toQPen(Pen, w);
    // Unchanged pens and brushes are not set again (each change is written into a PDF).
    if (painter_->pen() != qp)
        painter_->setPen(qp);
    if (const QBrush b = toQBrush(Brush, Font.Color); painter_->brush() != b)
        painter_->setBrush(b);
    // The outline runs through the outermost pixels; without a pen the fill ends one pixel
    // short on the right and bottom. An inside-frame pen keeps a wide outline within the
    // rectangle.
    QRectF r(d.Left, d.Top, d.width() - 1, d.height() - 1);
    if (Pen.Style == psInsideFrame && w > 1) {
        const double inset = (w - 1) / 2.0;
        r.adjust(inset, inset, -inset, -inset);
    }
    switch (TMetaRecordKind(kind)) {
    case TMetaRecordKind::Ellipse:
        painter_->drawEllipse(r);
        break;
    case TMetaRecordKind::RoundRect:
        painter_->drawRoundedRect(r, corner.width() / 2.0, corner.height() / 2.0, Qt::AbsoluteSize);
        break;
    default:
        if (qp.style() == Qt::NoPen)
            painter_->fillRect(QRect(d.Left, d.Top, d.width() - 1, d.height() - 1),
                               painter_->brush());
        else
            painter_->drawRect(r);
        break;
    }
}

void TCanvas::rectangle(const TRect& rect) {
    outlinedShape(int(TMetaRecordKind::Rectangle), rect, {});
}

void TCanvas::ellipse(const TRect& rect) {
    outlinedShape(int(TMetaRecordKind::Ellipse), rect, {});
}

void TCanvas::roundRect(const TRect& rect, int cornerWidth, int cornerHeight) {
    const auto scaled = [](int v, double scale) { return int(std::lround(v * scale)); };
    outlinedShape(int(TMetaRecordKind::RoundRect), rect,
                  QSize(scaled(cornerWidth, scaleX_), scaled(cornerHeight, scaleY_)));
}

void TCanvas::polygon(std::span<const QPoint> points) {
    QPolygon mapped;
    for (const QPoint& p : points)
        mapped << mapPoint(p);
    if (recording_) {
        recordPoints(int(TMetaRecordKind::Polygon),
                     std::vector<QPoint>(mapped.begin(), mapped.end()));
        return;
    }
    if (mapped.size() < 2 || Pen.Mode == pmNop)
        return;
    PainterScope s(*painter_, clip_, compositionOf(Pen.Mode));
    painter_->setPen(toQPen(Pen, devicePenWidth()));
    painter_->setBrush(toQBrush(Brush, Font.Color));
    painter_->drawPolygon(mapped, Qt::OddEvenFill);
}

void TCanvas::patBlt(const TRect& rect, std::uint32_t rop) {
    const auto d = paintArea(int(TMetaRecordKind::PatBlt), rect, rop);
    if (!d)
        return;
    const bool rasterOps = hasRasterOps(*painter_);
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    QBrush brush = toQBrush(Brush, Font.Color);
    switch (rop) {
    case PATINVERT:
        mode = QPainter::RasterOp_SourceXorDestination;
        break;
    case PATAND:
        mode = QPainter::RasterOp_SourceAndDestination;
        if (!rasterOps) {
            // Without raster operations only the parts that change the destination are drawn.
            if (Brush.Style == bsPattern)
                brush = toQBrush(Brush, Font.Color, true);
            else if ((ColorToRGB(Brush.Color) & 0xFFFFFF) == 0xFFFFFF)
                return;
        }
        break;
    case DSTINVERT:
        mode = QPainter::RasterOp_NotDestination;
        brush = QBrush(Qt::black);
        if (!rasterOps)
            return;
        break;
    case BLACKNESS:
        brush = QBrush(Qt::black);
        break;
    case WHITENESS:
        brush = QBrush(Qt::white);
        break;
    default:
        break;
    }
    if (Brush.Style == bsClear && rop != DSTINVERT && rop != BLACKNESS && rop != WHITENESS)
        return;
    PainterScope s(*painter_, clip_, mode);
    painter_->fillRect(d->toQRect(), brush);
}

void TCanvas::drawFocusRect(const TRect& rect) {
    const auto d = paintArea(int(TMetaRecordKind::FocusRect), rect);
    if (!d)
        return;
    const bool rasterOps = hasRasterOps(*painter_);
    // Checkerboard aligned to the device: white pixels invert under XOR, black ones stay.
    static const QImage invert = [] {
        QImage img(8, 8, QImage::Format_ARGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                img.setPixel(x, y, (x + y) % 2 == 0 ? 0xFFFFFFFFu : 0xFF000000u);
        return img;
    }();
    static const QImage dots = [] {
        QImage img(8, 8, QImage::Format_ARGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                img.setPixel(x, y, (x + y) % 2 == 0 ? 0xFF000000u : 0x00000000u);
        return img;
    }();
    PainterScope s(*painter_, clip_, QPainter::RasterOp_SourceXorDestination);
    const QBrush b(rasterOps ? invert : dots);
    painter_->fillRect(QRect(d->Left, d->Top, d->width(), 1), b);
    if (d->height() > 1)
        painter_->fillRect(QRect(d->Left, d->Bottom - 1, d->width(), 1), b);
    if (d->height() > 2) {
        painter_->fillRect(QRect(d->Left, d->Top + 1, 1, d->height() - 2), b);
        if (d->width() > 1)
            painter_->fillRect(QRect(d->Right - 1, d->Top + 1, 1, d->height() - 2), b);
    }
}

TRect TCanvas::drawEdge(const TRect& rect, unsigned edge, unsigned flags) {
    if (recording_) {
        const TRect d = mapRect(rect);
        recordRect(int(TMetaRecordKind::Edge), d, d, flags,
                   [&](TMetaRecord& r) { r.Extra = edge; });
    }
    // Outer then inner border; each is one logical pixel wide.
    struct Border {
        unsigned raised, sunken;
        TColor raisedLight, raisedDark, sunkenLight, sunkenDark;
    };
    const Border borders[2] = {
        {BDR_RAISEDOUTER, BDR_SUNKENOUTER, cl3DLight, cl3DDkShadow, clBtnShadow, clBtnHighlight},
        {BDR_RAISEDINNER, BDR_SUNKENINNER, clBtnHighlight, clBtnShadow, cl3DDkShadow, cl3DLight},
    };
    TRect r = rect;
    std::optional<PainterScope> scope;
    if (!recording_)
        scope.emplace(*painter_, clip_);
    const auto fill = [&](const TRect& logical, TColor color) {
        if (recording_ || logical.isEmpty())
            return;
        painter_->fillRect(mapRect(logical).toQRect(), toQColor(color));
    };
    for (const Border& b : borders) {
        TColor topLeft = clNone;
        TColor bottomRight = clNone;
        if (edge & b.raised) {
            topLeft = b.raisedLight;
            bottomRight = b.raisedDark;
        } else if (edge & b.sunken) {
            topLeft = b.sunkenLight;
            bottomRight = b.sunkenDark;
        } else {
            continue;
        }
        if (flags & BF_FLAT)
            topLeft = bottomRight = clBtnShadow;
        if (flags & BF_MONO)
            topLeft = bottomRight = clWindowFrame;
        if (flags & BF_TOP)
            fill({r.Left, r.Top, r.Right - 1, r.Top + 1}, topLeft);
        if (flags & BF_LEFT)
            fill({r.Left, r.Top, r.Left + 1, r.Bottom - 1}, topLeft);
        if (flags & BF_BOTTOM)
            fill({r.Left, r.Bottom - 1, r.Right, r.Bottom}, bottomRight);
        if (flags & BF_RIGHT)
            fill({r.Right - 1, r.Top, r.Right, r.Bottom}, bottomRight);
        r = {r.Left + ((flags & BF_LEFT) ? 1 : 0), r.Top + ((flags & BF_TOP) ? 1 : 0),
             r.Right - ((flags & BF_RIGHT) ? 1 : 0), r.Bottom - ((flags & BF_BOTTOM) ? 1 : 0)};
    }
    if (flags & BF_MIDDLE)
        fill(r, clBtnFace);
    return r;
}

} // namespace platform
