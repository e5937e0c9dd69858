#include "platform/Canvas.h"

#include "platform/Metafile.h"
#include "platform/Picture.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPicture>
#include <QTransform>

#include <algorithm>
#include <cassert>
#include <cmath>

namespace platform {

struct TCanvas::SavedState {
    TFont font;
    TPen pen;
    TBrush brush;
    TBkMode bkMode;
    TBrush bkModeBrush;
    int characterExtra;
    QPoint penPos;
    std::optional<QRegion> clip;
    double scaleX;
    double scaleY;
    QPointF origin;
};

// Qt font and metrics of the last Font used, at the last scale.
struct TCanvas::Cache {
    bool valid{false};
    TFont font;
    double scale{1.0};
    int extra{0};
    QPaintDevice* device{nullptr};
    QFont qfont;
    std::optional<QFontMetrics> metrics;
    // Cell of the font in device pixels (see detail::fixedCell).
    int ascent{0};
    int descent{0};
    int height() const { return ascent + descent; }

    const QFontMetrics& use(const TFont& f, double s, int e, QPaintDevice* d) {
        if (valid && font == f && scale == s && extra == e && device == d)
            return *metrics;
        font = f;
        scale = s;
        extra = e;
        device = d;
        qfont = QFont(toQFont(f, s, e), d);
        metrics.emplace(qfont, d);
        if (const auto fixed = detail::fixedCell(f)) {
            ascent = int(std::lround(fixed->Ascent * s));
            descent = int(std::lround(fixed->Descent * s));
        } else {
            ascent = metrics->ascent();
            descent = metrics->descent();
        }
        valid = true;
        return *metrics;
    }
};

namespace {

QPaintDevice* defaultReference() {
    // 96 pixels per inch: 3780 dots per metre.
    static QImage image = [] {
        QImage img(1, 1, QImage::Format_RGB32);
        img.setDotsPerMeterX(3780);
        img.setDotsPerMeterY(3780);
        return img;
    }();
    return &image;
}

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

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

bool hasRasterOps(const QPainter& p) {
    return p.paintEngine() && p.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
}

// Saves the painter, applies the canvas clip and GDI-like rendering for one call.
class PainterScope {
public:
    PainterScope(QPainter& p, const std::optional<QRegion>& clip,
                 QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver)
        : p_(p) {
        p_.save();
        if (clip)
            p_.setClipRegion(*clip, Qt::ReplaceClip);
        p_.setRenderHint(QPainter::Antialiasing, false);
        p_.setBrushOrigin(0, 0);
        if (mode != QPainter::CompositionMode_SourceOver && hasRasterOps(p_))
            p_.setCompositionMode(mode);
    }
    ~PainterScope() { p_.restore(); }
    PainterScope(const PainterScope&) = delete;
    PainterScope& operator=(const PainterScope&) = delete;

private:
    QPainter& p_;
};

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

QRect qrect(const TRect& r) {
    return QRect(r.Left, r.Top, r.width(), r.height());
}

// Removes mnemonic ampersands ("&&" stays one "&").
QString stripPrefix(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'&' && i + 1 < s.size())
            ++i;
        else if (s[i] == u'&')
            continue;
        out += s[i];
    }
    return out;
}

bool isWideChar(QChar c) {
    return c.unicode() >= 0x2E80;
}

// Pieces of a paragraph between which a line may break: a run ending after blanks, or one
// wide (CJK) character.
std::vector<QString> breakTokens(const QString& s) {
    std::vector<QString> tokens;
    QString cur;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (isWideChar(c)) {
            if (!cur.isEmpty())
                tokens.push_back(cur);
            // A surrogate pair stays one character.
            const bool pair = c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate();
            tokens.push_back(s.mid(i, pair ? 2 : 1));
            if (pair)
                ++i;
            cur.clear();
            continue;
        }
        if (c != u' ' && !cur.isEmpty() && cur.back() == u' ') {
            tokens.push_back(cur);
            cur.clear();
        }
        cur += c;
    }
    if (!cur.isEmpty())
        tokens.push_back(cur);
    return tokens;
}

QString expandTabs(const QString& s) {
    QString out;
    for (QChar c : s) {
        if (c == u'\t') {
            const qsizetype n = 8 - out.size() % 8;
            out += QString(n, u' ');
        } else {
            out += c;
        }
    }
    return out;
}

struct LaidLine {
    QString text;
    int x;
    int y;
    int width;
};

} // namespace

// ---------------------------------------------------------------------------------------------

TCanvas::TCanvas(QPainter& painter)
    : painter_(&painter)
    , cache_(std::make_unique<Cache>()) {
    assert(painter.isActive() && "TCanvas needs an active painter");
    painter_->save();
    if (painter_->hasClipping())
        baseClip_ = painter_->clipRegion();
    clip_ = baseClip_;
}

TCanvas::TCanvas(TMetafile& target, QPaintDevice* reference)
    : recording_(&target)
    , reference_(reference)
    , cache_(std::make_unique<Cache>()) {}

TCanvas::~TCanvas() {
    if (painter_)
        painter_->restore();
}

TMetafileCanvas::TMetafileCanvas(TMetafile& target, QPaintDevice* reference)
    : TCanvas(target, reference) {}

// ---------------------------------------------------------------------------------------------
// State

void TCanvas::syncBkMode() const {
    if (Brush == bkModeBrush_)
        return;
    bkMode_ = Brush.Style == bsSolid ? TBkMode::Opaque : TBkMode::Transparent;
    bkModeBrush_ = Brush;
}

TBkMode TCanvas::bkMode() const {
    syncBkMode();
    return bkMode_;
}

void TCanvas::setBkMode(TBkMode mode) {
    bkMode_ = mode;
    bkModeBrush_ = Brush;
}

int TCanvas::saveDC() {
    syncBkMode();
    saved_.push_back(SavedState{Font, Pen, Brush, bkMode_, bkModeBrush_, characterExtra_, penPos_,
                                clip_, scaleX_, scaleY_, origin_});
    return int(saved_.size());
}

bool TCanvas::restoreDC(int level) {
    if (level < 0)
        level = int(saved_.size()) + level + 1;
    if (level < 1 || level > int(saved_.size()))
        return false;
    const SavedState s = saved_[std::size_t(level - 1)];
    saved_.resize(std::size_t(level - 1));
    Font = s.font;
    Pen = s.pen;
    Brush = s.brush;
    bkMode_ = s.bkMode;
    bkModeBrush_ = s.bkModeBrush;
    characterExtra_ = s.characterExtra;
    penPos_ = s.penPos;
    clip_ = s.clip;
    scaleX_ = s.scaleX;
    scaleY_ = s.scaleY;
    origin_ = s.origin;
    return true;
}

void TCanvas::setViewport(double scaleX, double scaleY, QPointF origin) {
    scaleX_ = scaleX > 0 ? scaleX : 1.0;
    scaleY_ = scaleY > 0 ? scaleY : 1.0;
    origin_ = origin;
}

QPaintDevice* TCanvas::measureDevice() const {
    if (painter_)
        return painter_->device();
    return reference_ ? reference_ : defaultReference();
}

int TCanvas::pixelsPerInchX() const {
    return measureDevice()->logicalDpiX();
}
int TCanvas::pixelsPerInchY() const {
    return measureDevice()->logicalDpiY();
}

QSize TCanvas::size() const {
    QSize device;
    if (recording_)
        device = QSize(recording_->width(), recording_->height());
    else
        device = QSize(painter_->device()->width(), painter_->device()->height());
    return QSize(int(std::lround((device.width() - origin_.x()) / scaleX_)),
                 int(std::lround((device.height() - origin_.y()) / scaleY_)));
}

// ---------------------------------------------------------------------------------------------
// Mapping helpers (file-local through a small accessor struct)

namespace {

struct Map {
    double sx, sy;
    QPointF o;
    int x(double v) const { return int(std::lround(v * sx + o.x())); }
    int y(double v) const { return int(std::lround(v * sy + o.y())); }
    QPoint pt(QPoint p) const { return QPoint(x(p.x()), y(p.y())); }
    TRect rect(const TRect& r) const { return {x(r.Left), y(r.Top), x(r.Right), y(r.Bottom)}; }
    TRect unmap(const TRect& r) const {
        return {int(std::floor((r.Left - o.x()) / sx)), int(std::floor((r.Top - o.y()) / sy)),
                int(std::ceil((r.Right - o.x()) / sx)), int(std::ceil((r.Bottom - o.y()) / sy))};
    }
    QTransform transform() const { return QTransform(sx, 0, 0, sy, o.x(), o.y()); }
    int penWidth(int w) const { return std::max(1, int(std::lround(std::max(1, w) * sx))); }
    int length(int v, double s) const { return int(std::lround(v * s)); }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Clipping

void TCanvas::setClipRect(const TRect& rect) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    clip_ = QRegion(qrect(m.rect(rect)));
}

void TCanvas::setClipRegion(const QRegion& region) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    clip_ = m.transform().map(region);
}

void TCanvas::clearClip() {
    clip_ = baseClip_;
}

void TCanvas::intersectClipRect(const TRect& rect) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    const QRegion r(qrect(m.rect(rect)));
    clip_ = clip_ ? clip_->intersected(r) : r;
}

void TCanvas::excludeClipRect(const TRect& rect) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    const QRegion r(qrect(m.rect(rect)));
    if (!clip_) {
        const QSize s = recording_
                            ? QSize(recording_->width(), recording_->height())
                            : QSize(painter_->device()->width(), painter_->device()->height());
        // Unclipped means the whole device (a recording without a frame: a generous area).
        clip_ = s.isEmpty() ? QRegion(QRect(-100000, -100000, 200000, 200000))
                            : QRegion(QRect(QPoint(0, 0), s));
    }
    clip_ = clip_->subtracted(r);
}

TRect TCanvas::clipRect() const {
    const Map m = Map{scaleX_, scaleY_, origin_};
    if (clip_)
        return m.unmap(TRect::fromQRect(clip_->boundingRect()));
    const QSize s = recording_ ? QSize(recording_->width(), recording_->height())
                               : QSize(painter_->device()->width(), painter_->device()->height());
    return m.unmap(TRect{0, 0, s.width(), s.height()});
}

bool TCanvas::rectVisible(const TRect& rect) const {
    const Map m = Map{scaleX_, scaleY_, origin_};
    const TRect d = m.rect(rect);
    if (d.isEmpty())
        return false;
    if (clip_)
        return clip_->intersects(qrect(d));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Recording

TMetaRecord TCanvas::makeRecord(int kind) const {
    const Map m = Map{scaleX_, scaleY_, origin_};
    TMetaRecord r;
    r.Kind = TMetaRecordKind(kind);
    r.Pen = Pen;
    r.Pen.Width = Pen.Width == 0 && scaleX_ == 1.0 ? 0 : m.penWidth(Pen.Width);
    r.Brush = Brush;
    r.Font = Font;
    if (scaleY_ != 1.0) {
        const int h = Font.Height == 0 ? -12 : Font.Height;
        const int scaled = std::max(1, int(std::lround(std::abs(h) * scaleY_)));
        r.Font.Height = h < 0 ? -scaled : scaled;
    }
    if (scaleX_ != 1.0 && Font.Width > 0)
        r.Font.Width = std::max(1, int(std::lround(Font.Width * scaleX_)));
    r.BkMode = bkMode();
    r.CharacterExtra = int(std::lround(characterExtra_ * scaleX_));
    r.Clip = clip_;
    return r;
}

void TCanvas::addRecord(TMetaRecord&& record) {
    recording_->append(std::move(record));
}

// ---------------------------------------------------------------------------------------------
// Lines

void TCanvas::moveTo(int x, int y) {
    penPos_ = QPoint(x, y);
}

void TCanvas::lineTo(int x, int y) {
    const QPoint from = penPos_;
    penPos_ = QPoint(x, y);
    const Map m = Map{scaleX_, scaleY_, origin_};
    const QPoint a = m.pt(from);
    const QPoint b = m.pt(penPos_);
    if (recording_) {
        TMetaRecord r = makeRecord(int(TMetaRecordKind::Line));
        r.Points = {a, b};
        const int w = m.penWidth(Pen.Width);
        r.Bounds = TRect{std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()) + 1,
                         std::max(a.y(), b.y()) + 1}
                       .inflated(w / 2, w / 2);
        addRecord(std::move(r));
        return;
    }
    if (Pen.Mode == pmNop)
        return;
    PainterScope s(*painter_, clip_, compositionOf(Pen.Mode));
    painter_->setPen(toQPen(Pen, m.penWidth(Pen.Width)));
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
    const Map m = Map{scaleX_, scaleY_, origin_};
    std::vector<QPoint> mapped;
    mapped.reserve(points.size());
    for (const QPoint& p : points)
        mapped.push_back(m.pt(p));
    // Groups beyond the given points are ignored rather than read past the end.
    std::vector<int> groups;
    std::size_t used = 0;
    for (int c : counts) {
        if (c < 0 || used + std::size_t(c) > mapped.size())
            break;
        groups.push_back(c);
        used += std::size_t(c);
    }
    const int w = m.penWidth(Pen.Width);
    if (recording_) {
        TMetaRecord r = makeRecord(
            int(counts.size() == 1 ? TMetaRecordKind::Polyline : TMetaRecordKind::PolyPolyline));
        TRect b{};
        for (std::size_t i = 0; i < used; ++i)
            b = unionRect(
                b, TRect{mapped[i].x(), mapped[i].y(), mapped[i].x() + 1, mapped[i].y() + 1});
        r.Bounds = b.inflated(w / 2, w / 2);
        mapped.resize(used);
        r.Points = std::move(mapped);
        if (r.Kind == TMetaRecordKind::PolyPolyline)
            r.Counts = std::move(groups);
        addRecord(std::move(r));
        return;
    }
    if (Pen.Mode == pmNop)
        return;
    PainterScope s(*painter_, clip_, compositionOf(Pen.Mode));
    painter_->setPen(toQPen(Pen, w));
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
    const Map m = Map{scaleX_, scaleY_, origin_};
    const TRect d = m.rect(rect);
    if (recording_) {
        TMetaRecord r = makeRecord(int(TMetaRecordKind::FillRect));
        r.Rect = d;
        r.Bounds = d;
        addRecord(std::move(r));
        return;
    }
    if (d.isEmpty())
        return;
    PainterScope s(*painter_, clip_);
    painter_->fillRect(qrect(d), toQBrush(Brush, Font.Color));
}

void TCanvas::frameRect(const TRect& rect) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    const TRect d = m.rect(rect);
    if (recording_) {
        TMetaRecord r = makeRecord(int(TMetaRecordKind::FrameRect));
        r.Rect = d;
        r.Bounds = d;
        addRecord(std::move(r));
        return;
    }
    if (d.isEmpty())
        return;
    const int wx = std::max(1, int(std::lround(scaleX_)));
    const int wy = std::max(1, int(std::lround(scaleY_)));
    const QBrush b = toQBrush(Brush, Font.Color);
    PainterScope s(*painter_, clip_);
    painter_->fillRect(QRect(d.Left, d.Top, d.width(), wy), b);
    painter_->fillRect(QRect(d.Left, d.Bottom - wy, d.width(), wy), b);
    painter_->fillRect(QRect(d.Left, d.Top + wy, wx, d.height() - 2 * wy), b);
    painter_->fillRect(QRect(d.Right - wx, d.Top + wy, wx, d.height() - 2 * wy), b);
}

namespace {

enum class Shape { Rectangle, Ellipse, RoundRect };

} // namespace

static void paintShape(QPainter& p, const std::optional<QRegion>& clip, Shape shape, const TRect& d,
                       const TPen& pen, int penWidth, const TBrush& brush, TColor textColor,
                       QSize corner) {
    if (d.isEmpty() || pen.Mode == pmNop)
        return;
    PainterScope s(p, clip, compositionOf(pen.Mode));
    const QPen qp = toQPen(pen, penWidth);
    p.setPen(qp);
    p.setBrush(toQBrush(brush, textColor));
    // The outline runs through the outermost pixels; without a pen the fill ends one pixel
    // short on the right and bottom. An inside-frame pen keeps a wide outline within the
    // rectangle.
    QRectF r(d.Left, d.Top, d.width() - 1, d.height() - 1);
    if (pen.Style == psInsideFrame && penWidth > 1) {
        const double inset = (penWidth - 1) / 2.0;
        r.adjust(inset, inset, -inset, -inset);
    }
    if (qp.style() == Qt::NoPen && shape == Shape::Rectangle) {
        p.fillRect(QRect(d.Left, d.Top, d.width() - 1, d.height() - 1), p.brush());
        return;
    }
    switch (shape) {
    case Shape::Rectangle:
        p.drawRect(r);
        break;
    case Shape::Ellipse:
        p.drawEllipse(r);
        break;
    case Shape::RoundRect:
        p.drawRoundedRect(r, corner.width() / 2.0, corner.height() / 2.0, Qt::AbsoluteSize);
        break;
    }
}

void TCanvas::rectangle(const TRect& rect) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    const TRect d = m.rect(rect);
    const int w = m.penWidth(Pen.Width);
    if (recording_) {
        TMetaRecord r = makeRecord(int(TMetaRecordKind::Rectangle));
        r.Rect = d;
        r.Bounds = d.inflated(w / 2, w / 2);
        addRecord(std::move(r));
        return;
    }
    paintShape(*painter_, clip_, Shape::Rectangle, d, Pen, w, Brush, Font.Color, {});
}

void TCanvas::ellipse(const TRect& rect) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    const TRect d = m.rect(rect);
    const int w = m.penWidth(Pen.Width);
    if (recording_) {
        TMetaRecord r = makeRecord(int(TMetaRecordKind::Ellipse));
        r.Rect = d;
        r.Bounds = d.inflated(w / 2, w / 2);
        addRecord(std::move(r));
        return;
    }
    paintShape(*painter_, clip_, Shape::Ellipse, d, Pen, w, Brush, Font.Color, {});
}

void TCanvas::roundRect(const TRect& rect, int cornerWidth, int cornerHeight) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    const TRect d = m.rect(rect);
    const int w = m.penWidth(Pen.Width);
    const QSize corner(m.length(cornerWidth, scaleX_), m.length(cornerHeight, scaleY_));
    if (recording_) {
        TMetaRecord r = makeRecord(int(TMetaRecordKind::RoundRect));
        r.Rect = d;
        r.Corner = corner;
        r.Bounds = d.inflated(w / 2, w / 2);
        addRecord(std::move(r));
        return;
    }
    paintShape(*painter_, clip_, Shape::RoundRect, d, Pen, w, Brush, Font.Color, corner);
}

void TCanvas::polygon(std::span<const QPoint> points) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    QPolygon mapped;
    TRect b{};
    for (const QPoint& p : points) {
        const QPoint q = m.pt(p);
        mapped << q;
        b = unionRect(b, TRect{q.x(), q.y(), q.x() + 1, q.y() + 1});
    }
    const int w = m.penWidth(Pen.Width);
    if (recording_) {
        TMetaRecord r = makeRecord(int(TMetaRecordKind::Polygon));
        r.Points.assign(mapped.begin(), mapped.end());
        r.Bounds = b.inflated(w / 2, w / 2);
        addRecord(std::move(r));
        return;
    }
    if (mapped.size() < 2 || Pen.Mode == pmNop)
        return;
    PainterScope s(*painter_, clip_, compositionOf(Pen.Mode));
    painter_->setPen(toQPen(Pen, w));
    painter_->setBrush(toQBrush(Brush, Font.Color));
    painter_->drawPolygon(mapped, Qt::OddEvenFill);
}

void TCanvas::patBlt(const TRect& rect, std::uint32_t rop) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    const TRect d = m.rect(rect);
    if (recording_) {
        TMetaRecord r = makeRecord(int(TMetaRecordKind::PatBlt));
        r.Rect = d;
        r.Flags = rop;
        r.Bounds = d;
        addRecord(std::move(r));
        return;
    }
    if (d.isEmpty())
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
    painter_->fillRect(qrect(d), brush);
}

void TCanvas::drawFocusRect(const TRect& rect) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    const TRect d = m.rect(rect);
    if (recording_) {
        TMetaRecord r = makeRecord(int(TMetaRecordKind::FocusRect));
        r.Rect = d;
        r.Bounds = d;
        addRecord(std::move(r));
        return;
    }
    if (d.isEmpty())
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
    painter_->fillRect(QRect(d.Left, d.Top, d.width(), 1), b);
    if (d.height() > 1)
        painter_->fillRect(QRect(d.Left, d.Bottom - 1, d.width(), 1), b);
    if (d.height() > 2) {
        painter_->fillRect(QRect(d.Left, d.Top + 1, 1, d.height() - 2), b);
        if (d.width() > 1)
            painter_->fillRect(QRect(d.Right - 1, d.Top + 1, 1, d.height() - 2), b);
    }
}

TRect TCanvas::drawEdge(const TRect& rect, unsigned edge, unsigned flags) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    if (recording_) {
        const TRect d = m.rect(rect);
        TMetaRecord r = makeRecord(int(TMetaRecordKind::Edge));
        r.Rect = d;
        r.Flags = flags;
        r.Extra = edge;
        r.Bounds = d;
        addRecord(std::move(r));
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
        painter_->fillRect(qrect(m.rect(logical)), toQColor(color));
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

// ---------------------------------------------------------------------------------------------
// Text

namespace {

// Draws one line of text with its top-left corner at `at` (device coordinates).
void paintTextLine(QPainter& p, QPoint at, const QString& s, const QFont& font, int ascent,
                   int height, int width, bool opaque, TColor background, TColor color,
                   int escapement, bool rightToLeft) {
    p.save();
    p.setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    p.translate(at);
    if (escapement != 0)
        p.rotate(-escapement / 10.0);
    if (opaque && background != clNone)
        p.fillRect(QRect(0, 0, width, height), toQColor(background));
    p.setFont(font);
    p.setPen(color == clNone ? QColor(Qt::transparent) : toQColor(color));
    p.drawText(QPoint(0, ascent), s);
    p.restore();
}

} // namespace

void TCanvas::textOut(int x, int y, std::string_view text) {
    extTextOut(x, y, 0, nullptr, text);
    penPos_ = QPoint(x + textWidth(text), y);
}

void TCanvas::textRect(const TRect& rect, int x, int y, std::string_view text) {
    extTextOut(x, y, ETO_CLIPPED | (Brush.Style != bsClear ? ETO_OPAQUE : 0), &rect, text);
}

void TCanvas::extTextOut(int x, int y, unsigned options, const TRect* rect, std::string_view text) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    const QPoint at = m.pt(QPoint(x, y));
    if (!rect)
        options &= ~(ETO_CLIPPED | ETO_OPAQUE);
    const TRect d = rect ? m.rect(*rect) : TRect{};
    const QFontMetrics& fm = cache_->use(Font, scaleY_, characterExtra_, measureDevice());
    const QString s = qs(text);
    const int width = fm.horizontalAdvance(s);
    const TRect box{at.x(), at.y(), at.x() + width, at.y() + cache_->height()};
    if (recording_) {
        TMetaRecord r =
            makeRecord(int((options & (ETO_CLIPPED | ETO_OPAQUE)) ? TMetaRecordKind::TextRect
                                                                  : TMetaRecordKind::TextOut));
        r.Points = {at};
        r.Text = std::string(text);
        r.Flags = options;
        r.Rect = d;
        r.Bounds = (options & ETO_CLIPPED) ? intersectRect(box, d) : box;
        if (options & ETO_OPAQUE)
            r.Bounds = unionRect(r.Bounds, d);
        addRecord(std::move(r));
        return;
    }
    PainterScope scope(*painter_, clip_);
    if (options & ETO_CLIPPED)
        painter_->setClipRect(qrect(d), Qt::IntersectClip);
    if ((options & ETO_OPAQUE) && Brush.Color != clNone && !d.isEmpty())
        painter_->fillRect(qrect(d), toQColor(Brush.Color));
    paintTextLine(*painter_, at, s, cache_->qfont, cache_->ascent, cache_->height(), width,
                  bkMode() == TBkMode::Opaque, Brush.Color, Font.Color, Font.Escapement,
                  (options & ETO_RTLREADING) != 0);
}

int TCanvas::drawText(std::string_view text, TRect& rect, unsigned format) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    const TRect d = m.rect(rect);
    const QFontMetrics& fm = cache_->use(Font, scaleY_, characterExtra_, measureDevice());
    QString s = qs(text);
    if (!(format & DT_NOPREFIX))
        s = stripPrefix(s);
    if (format & DT_EXPANDTABS)
        s = expandTabs(s);

    std::vector<QString> paragraphs;
    if (format & DT_SINGLELINE) {
        s.remove(u'\r');
        s.remove(u'\n');
        paragraphs.push_back(s);
    } else {
        s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        s.replace(u'\r', u'\n');
        for (const QString& p : s.split(u'\n'))
            paragraphs.push_back(p);
    }
    std::vector<QString> lines;
    if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
        const auto trimmedRight = [](QString t) {
            while (!t.isEmpty() && t.back() == u' ')
                t.chop(1);
            return t;
        };
        for (const QString& p : paragraphs) {
            QString line;
            for (const QString& token : breakTokens(p)) {
                const QString candidate = line + token;
                if (!line.isEmpty() && fm.horizontalAdvance(trimmedRight(candidate)) > d.width()) {
                    lines.push_back(trimmedRight(line));
                    line = token;
                    while (!line.isEmpty() && line.front() == u' ')
                        line.remove(0, 1);
                } else {
                    line = candidate;
                }
            }
            lines.push_back(trimmedRight(line));
        }
    } else {
        lines = std::move(paragraphs);
    }

    const int lineHeight = cache_->height();
    const int total = lineHeight * int(lines.size());
    int y = d.Top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = d.Top + (d.height() - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            y = d.Bottom - lineHeight;
    }
    std::vector<LaidLine> laid;
    int widest = 0;
    TRect bounds{};
    for (const QString& line : lines) {
        const int w = fm.horizontalAdvance(line);
        int x = d.Left;
        if (format & DT_CENTER)
            x = d.Left + (d.width() - w) / 2;
        else if (format & DT_RIGHT)
            x = d.Right - w;
        laid.push_back({line, x, y, w});
        bounds = unionRect(bounds, TRect{x, y, x + w, y + lineHeight});
        widest = std::max(widest, w);
        y += lineHeight;
    }
    const int resultHeight = int(std::lround((y - d.Top) / scaleY_));

    if (format & DT_CALCRECT) {
        rect.Right = rect.Left + int(std::ceil(widest / scaleX_));
        rect.Bottom = rect.Top + int(std::ceil(total / scaleY_));
        return int(std::lround(total / scaleY_));
    }
    if (recording_) {
        TMetaRecord r = makeRecord(int(TMetaRecordKind::DrawText));
        r.Rect = d;
        r.Text = std::string(text);
        r.Flags = format;
        r.Bounds = (format & DT_NOCLIP) ? bounds : intersectRect(bounds, d);
        addRecord(std::move(r));
        return resultHeight;
    }
    PainterScope scope(*painter_, clip_);
    if (!(format & DT_NOCLIP))
        painter_->setClipRect(qrect(d), Qt::IntersectClip);
    const bool opaque = bkMode() == TBkMode::Opaque;
    for (const LaidLine& l : laid)
        paintTextLine(*painter_, QPoint(l.x, l.y), l.text, cache_->qfont, cache_->ascent,
                      cache_->height(), l.width, opaque, Brush.Color, Font.Color, 0,
                      (format & DT_RTLREADING) != 0);
    return resultHeight;
}

QSize TCanvas::textExtent(std::string_view text) const {
    const QFontMetrics& fm = cache_->use(Font, scaleY_, characterExtra_, measureDevice());
    const int w = fm.horizontalAdvance(qs(text));
    return QSize(int(std::lround(w / scaleX_)), int(std::lround(cache_->height() / scaleY_)));
}

int TCanvas::textWidth(std::string_view text) const {
    return textExtent(text).width();
}

int TCanvas::textHeight(std::string_view text) const {
    return textExtent(text).height();
}

TTextMetric TCanvas::textMetrics() const {
    const QFontMetrics& fm = cache_->use(Font, scaleY_, characterExtra_, measureDevice());
    const auto ly = [&](int v) { return int(std::lround(v / scaleY_)); };
    const auto lx = [&](int v) { return int(std::lround(v / scaleX_)); };
    TTextMetric t;
    t.Ascent = ly(cache_->ascent);
    t.Descent = ly(cache_->descent);
    t.Height = ly(cache_->height());
    t.InternalLeading = std::max(0, ly(cache_->height() - cache_->qfont.pixelSize()));
    t.ExternalLeading = std::max(0, ly(fm.leading()));
    t.AveCharWidth = lx(fm.averageCharWidth());
    t.MaxCharWidth = lx(fm.maxWidth());
    return t;
}

// ---------------------------------------------------------------------------------------------
// Pictures and raw drawing

void TCanvas::stretchDraw(const TRect& dest, const Picture& picture, std::uint32_t rop) {
    if (picture.isEmpty())
        return;
    drawImage(dest, picture.image(), rop);
}

void TCanvas::draw(int x, int y, const Picture& picture) {
    stretchDraw(Bounds(x, y, picture.width(), picture.height()), picture);
}

void TCanvas::drawImage(const TRect& dest, const QImage& image, std::uint32_t rop) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    const TRect d = m.rect(dest);
    if (recording_) {
        TMetaRecord r = makeRecord(int(TMetaRecordKind::Image));
        r.Rect = d;
        r.Image = image;
        r.Flags = rop;
        r.Bounds = d;
        addRecord(std::move(r));
        return;
    }
    if (d.isEmpty() || image.isNull())
        return;
    const bool rasterOps = hasRasterOps(*painter_);
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    QImage source = image;
    switch (rop) {
    case SRCAND:
        mode = QPainter::RasterOp_SourceAndDestination;
        if (!rasterOps) {
            // White leaves the destination unchanged under AND.
            source = image.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < source.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(source.scanLine(y));
                for (int x = 0; x < source.width(); ++x)
                    if ((line[x] & 0xFFFFFF) == 0xFFFFFF)
                        line[x] = 0;
            }
        }
        break;
    case SRCPAINT:
        mode = QPainter::RasterOp_SourceOrDestination;
        break;
    case SRCINVERT:
        mode = QPainter::RasterOp_SourceXorDestination;
        break;
    default:
        break;
    }
    PainterScope scope(*painter_, clip_, mode);
    painter_->drawImage(qrect(d), source);
}

void TCanvas::stretchDraw(const TRect& dest, const TMetafile& metafile) {
    metafile.play(*this, dest);
}

void TCanvas::paintRaw(const TRect& bounds, const std::function<void(QPainter&)>& paint,
                       std::string_view text) {
    const Map m = Map{scaleX_, scaleY_, origin_};
    if (recording_) {
        auto picture = std::make_shared<QPicture>();
        {
            QPainter p(picture.get());
            p.setTransform(m.transform());
            if (clip_)
                p.setClipRegion(m.transform().inverted().map(*clip_));
            paint(p);
        }
        TMetaRecord r = makeRecord(int(TMetaRecordKind::Raw));
        r.Rect = m.rect(bounds);
        r.Drawing = std::move(picture);
        r.Text = std::string(text);
        r.Bounds = r.Rect;
        addRecord(std::move(r));
        return;
    }
    PainterScope scope(*painter_, clip_);
    painter_->setTransform(m.transform(), true);
    paint(*painter_);
}

// ---------------------------------------------------------------------------------------------
// Replay

void TCanvas::replay(const TMetaRecord& r) {
    assert(!saved_.empty() && "replay runs between saveDC and restoreDC of TMetafile::play");
    Font = r.Font;
    Pen = r.Pen;
    Brush = r.Brush;
    setBkMode(r.BkMode);
    characterExtra_ = r.CharacterExtra;
    // The recorded clip is in the metafile's coordinates, i.e. this canvas's logical ones.
    const std::optional<QRegion>& base = saved_.back().clip;
    if (r.Clip) {
        const QRegion mapped = Map{scaleX_, scaleY_, origin_}.transform().map(*r.Clip);
        clip_ = base ? base->intersected(mapped) : mapped;
    } else {
        clip_ = base;
    }
    switch (r.Kind) {
    case TMetaRecordKind::Line:
        if (r.Points.size() == 2) {
            moveTo(r.Points[0].x(), r.Points[0].y());
            lineTo(r.Points[1].x(), r.Points[1].y());
        }
        break;
    case TMetaRecordKind::Polyline:
        polyline(r.Points);
        break;
    case TMetaRecordKind::PolyPolyline:
        polyPolyline(r.Points, r.Counts);
        break;
    case TMetaRecordKind::Polygon:
        polygon(r.Points);
        break;
    case TMetaRecordKind::FillRect:
        fillRect(r.Rect);
        break;
    case TMetaRecordKind::FrameRect:
        frameRect(r.Rect);
        break;
    case TMetaRecordKind::Rectangle:
        rectangle(r.Rect);
        break;
    case TMetaRecordKind::Ellipse:
        ellipse(r.Rect);
        break;
    case TMetaRecordKind::RoundRect:
        roundRect(r.Rect, r.Corner.width(), r.Corner.height());
        break;
    case TMetaRecordKind::PatBlt:
        patBlt(r.Rect, r.Flags);
        break;
    case TMetaRecordKind::FocusRect:
        drawFocusRect(r.Rect);
        break;
    case TMetaRecordKind::Edge:
        drawEdge(r.Rect, r.Extra, r.Flags);
        break;
    case TMetaRecordKind::TextOut:
    case TMetaRecordKind::TextRect:
        if (!r.Points.empty())
            extTextOut(r.Points[0].x(), r.Points[0].y(), r.Flags,
                       (r.Flags & (ETO_CLIPPED | ETO_OPAQUE)) ? &r.Rect : nullptr, r.Text);
        break;
    case TMetaRecordKind::DrawText:
        drawText(r.Text, r.Rect, r.Flags);
        break;
    case TMetaRecordKind::Image:
        drawImage(r.Rect, r.Image, r.Flags);
        break;
    case TMetaRecordKind::Raw:
        if (r.Drawing) {
            const auto picture = r.Drawing;
            paintRaw(
                r.Rect, [picture](QPainter& p) { p.drawPicture(0, 0, *picture); }, r.Text);
        }
        break;
    }
}

} // namespace platform
