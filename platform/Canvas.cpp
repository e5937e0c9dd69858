#include "platform/Canvas.h"

#include "platform/GlyphRuns.h"
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
};

} // namespace

QPoint TCanvas::mapPoint(QPoint p) const {
    return Map{scaleX_, scaleY_, origin_}.pt(p);
}

TRect TCanvas::mapRect(const TRect& r) const {
    return Map{scaleX_, scaleY_, origin_}.rect(r);
}

int TCanvas::devicePenWidth() const {
    return Map{scaleX_, scaleY_, origin_}.penWidth(Pen.Width);
}

// ---------------------------------------------------------------------------------------------
// Clipping

void TCanvas::setClipRect(const TRect& rect) {
    clip_ = QRegion(mapRect(rect).toQRect());
}

void TCanvas::setClipRegion(const QRegion& region) {
    clip_ = Map{scaleX_, scaleY_, origin_}.transform().map(region);
}

void TCanvas::clearClip() {
    clip_ = baseClip_;
}

void TCanvas::intersectClipRect(const TRect& rect) {
    const QRegion r(mapRect(rect).toQRect());
    clip_ = clip_ ? clip_->intersected(r) : r;
}

void TCanvas::excludeClipRect(const TRect& rect) {
    const QRegion r(mapRect(rect).toQRect());
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
    const TRect d = mapRect(rect);
    if (d.isEmpty())
        return false;
    if (clip_)
        return clip_->intersects(d.toQRect());
    return true;
}

// ---------------------------------------------------------------------------------------------
// Recording

TMetaRecord TCanvas::makeRecord(int kind) const {
    TMetaRecord r;
    r.Kind = TMetaRecordKind(kind);
    r.Pen = Pen;
    r.Pen.Width = Pen.Width == 0 && scaleX_ == 1.0 ? 0 : devicePenWidth();
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

void TCanvas::recordRect(int kind, const TRect& rect, const TRect& bounds, unsigned flags,
                         const RecordExtra& extra) {
    TMetaRecord r = makeRecord(kind);
    r.Rect = rect;
    r.Bounds = bounds;
    r.Flags = flags;
    if (extra)
        extra(r);
    addRecord(std::move(r));
}

std::optional<TRect> TCanvas::paintArea(int kind, const TRect& rect, unsigned flags,
                                        const RecordExtra& extra) {
    const TRect d = mapRect(rect);
    if (recording_) {
        recordRect(kind, d, d, flags, extra);
        return std::nullopt;
    }
    if (d.isEmpty())
        return std::nullopt;
    return d;
}

// ---------------------------------------------------------------------------------------------
// Painting

TCanvas::PainterScope::PainterScope(QPainter& painter, const std::optional<QRegion>& clip, int mode,
                                    bool keep)
    : p_(painter) {
    const bool composite = mode != QPainter::CompositionMode_SourceOver && hasRasterOps(p_);
    saved_ = keep || clip || composite;
    if (saved_)
        p_.save();
    if (clip)
        p_.setClipRegion(*clip, Qt::ReplaceClip);
    // Unchanged state is not set again: every change costs a state update on PDF devices.
    if (p_.renderHints() & QPainter::Antialiasing)
        p_.setRenderHint(QPainter::Antialiasing, false);
    if (p_.brushOrigin() != QPoint(0, 0))
        p_.setBrushOrigin(0, 0);
    if (composite)
        p_.setCompositionMode(QPainter::CompositionMode(mode));
}

TCanvas::PainterScope::~PainterScope() {
    if (saved_)
        p_.restore();
}

void TCanvas::PainterScope::clipTo(const QRect& rect) {
    if (!saved_) {
        p_.save();
        saved_ = true;
    }
    p_.setClipRect(rect, Qt::IntersectClip);
}

bool TCanvas::hasRasterOps(const QPainter& p) {
    return p.paintEngine() && p.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
}

// ---------------------------------------------------------------------------------------------
// Text

namespace {

// Text is filled with the pen's colour, whatever its width: a solid pen of that colour (a
// frame's, say) is kept, since every change of pen costs a change of graphics state on PDF
// devices.
void setTextPen(QPainter& p, TColor color) {
    const QColor wanted = color == clNone ? QColor(Qt::transparent) : toQColor(color);
    const QPen& pen = p.pen();
    if (pen.style() != Qt::SolidLine || pen.brush().style() != Qt::SolidPattern ||
        pen.color() != wanted)
        p.setPen(wanted);
}

// Draws one line of text with its top-left corner at `at` (device coordinates).
void paintTextLine(QPainter& p, QPoint at, const QString& s, const QFont& font, int ascent,
                   int height, int width, bool opaque, TColor background, TColor color,
                   int escapement, bool rightToLeft) {
    if (escapement == 0 && !rightToLeft && !(opaque && background != clNone)) {
        // The common case needs no transformation of its own (the caller restores state).
        setTextPen(p, color);
        // Plain texts as cached glyph runs, the rest shaped.
        if (drawPlainText(p, QPointF(at.x(), at.y() + ascent), font, s))
            return;
        p.setFont(font);
        p.drawText(QPoint(at.x(), at.y() + ascent), s);
        return;
    }
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
    const QPoint at = mapPoint(QPoint(x, y));
    if (!rect)
        options &= ~(ETO_CLIPPED | ETO_OPAQUE);
    const TRect d = rect ? mapRect(*rect) : TRect{};
    const QFontMetrics& fm = cache_->use(Font, scaleY_, characterExtra_, measureDevice());
    const QString s = qs(text);
    // Measuring shapes the text a second time: only recording and opaque cells need it.
    const bool opaque = bkMode() == TBkMode::Opaque;
    const int width = recording_ || opaque ? fm.horizontalAdvance(s) : 0;
    const TRect box{at.x(), at.y(), at.x() + width, at.y() + cache_->height()};
    if (recording_) {
        const auto kind = (options & (ETO_CLIPPED | ETO_OPAQUE)) ? TMetaRecordKind::TextRect
                                                                 : TMetaRecordKind::TextOut;
        TRect bounds = (options & ETO_CLIPPED) ? intersectRect(box, d) : box;
        if (options & ETO_OPAQUE)
            bounds = unionRect(bounds, d);
        recordRect(int(kind), d, bounds, options, [&](TMetaRecord& r) {
            r.Points = {at};
            r.Text = std::string(text);
        });
        return;
    }
    PainterScope scope(*painter_, clip_);
    if (options & ETO_CLIPPED)
        scope.clipTo(d.toQRect());
    if ((options & ETO_OPAQUE) && Brush.Color != clNone && !d.isEmpty())
        painter_->fillRect(d.toQRect(), toQColor(Brush.Color));
    paintTextLine(*painter_, at, s, cache_->qfont, cache_->ascent, cache_->height(), width, opaque,
                  Brush.Color, Font.Color, Font.Escapement, (options & ETO_RTLREADING) != 0);
}

int TCanvas::drawText(std::string_view text, TRect& rect, unsigned format) {
    const TRect d = mapRect(rect);
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
        recordRect(int(TMetaRecordKind::DrawText), d,
                   (format & DT_NOCLIP) ? bounds : intersectRect(bounds, d), format,
                   [&](TMetaRecord& r) { r.Text = std::string(text); });
        return resultHeight;
    }
    PainterScope scope(*painter_, clip_);
    if (!(format & DT_NOCLIP))
        scope.clipTo(d.toQRect());
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
    const auto d =
        paintArea(int(TMetaRecordKind::Image), dest, rop, [&](TMetaRecord& r) { r.Image = image; });
    if (!d || image.isNull())
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
    painter_->drawImage(d->toQRect(), source);
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
        const TRect d = m.rect(bounds);
        recordRect(int(TMetaRecordKind::Raw), d, d, 0, [&](TMetaRecord& r) {
            r.Drawing = std::move(picture);
            r.Text = std::string(text);
        });
        return;
    }
    PainterScope scope(*painter_, clip_, 0, true);
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
