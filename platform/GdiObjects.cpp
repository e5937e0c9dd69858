#include "platform/GdiObjects.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QRect>

#include <algorithm>
#include <cmath>

namespace platform {

QRect TRect::toQRect() const {
    return QRect(Left, Top, width(), height());
}

TRect TRect::fromQRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

TRect intersectRect(const TRect& a, const TRect& b) {
    const TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                  std::min(a.Bottom, b.Bottom)};
    return r.isEmpty() ? TRect{} : r;
}

TRect unionRect(const TRect& a, const TRect& b) {
    if (a.isEmpty())
        return b.isEmpty() ? TRect{} : b;
    if (b.isEmpty())
        return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

int TFont::size() const {
    // Size = -Height * 72 / ppi, rounded like MulDiv.
    const int h = Height == 0 ? -12 : Height;
    return int(std::lround(-double(h) * 72.0 / FontPixelsPerInch));
}

void TFont::setSize(int points) {
    Height = -int(std::lround(double(points) * FontPixelsPerInch / 72.0));
}

namespace {

QFont baseFont(const TFont& font) {
    QFont f(QString::fromStdString(font.Name));
    f.setBold(font.bold());
    f.setItalic(font.italic());
    f.setUnderline(font.underline());
    f.setStrikeOut(font.strikeOut());
    // Widths must add up character by character, as the system's text measuring does.
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

// Em size per pixel of cell height (ascent + descent) of a face and style.
double emPerCellPixel(const TFont& font) {
    static QHash<QString, double> cache;
    const QString key = QString::fromStdString(font.Name) + QChar(u'\x1') +
                        QString::number(int(font.Style & (fsBold | fsItalic)));
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    QFont f = baseFont(font);
    f.setPixelSize(100);
    const QFontMetricsF m(f);
    const double cell = m.ascent() + m.descent();
    const double ratio = cell > 0 ? 100.0 / cell : 1.0;
    cache.insert(key, ratio);
    return ratio;
}

} // namespace

QFont toQFont(const TFont& font, double scale, int characterExtra) {
    QFont f = baseFont(font);
    const int height = font.Height == 0 ? -12 : font.Height;
    const double scaled = std::abs(height) * scale;
    int pixels = 0;
    if (height < 0)
        pixels = int(std::lround(scaled));
    else
        pixels = int(std::lround(scaled * emPerCellPixel(font)));
    f.setPixelSize(std::max(1, pixels));
    if (font.Width > 0) {
        const QFontMetricsF m(f);
        const double natural = m.averageCharWidth();
        if (natural > 0) {
            const int stretch = int(std::lround(font.Width * scale / natural * 100.0));
            f.setStretch(std::clamp(stretch, 1, 4000));
        }
    }
    if (characterExtra != 0)
        f.setLetterSpacing(QFont::AbsoluteSpacing, characterExtra * scale);
    return f;
}

} // namespace platform
