#include "platform/GdiObjects.h"

#include <QFont>
#include <QFontMetrics>
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

// Largest pixel size whose hinted cell (ascent + descent) is at most `cell`.
int pixelSizeForCell(const TFont& font, int cell) {
    thread_local QHash<QString, int> cache; // fonts are per thread (a print draws on its own)
    const QString key = QString::fromStdString(font.Name) + QChar(u'\x1') +
                        QString::number(int(font.Style & (fsBold | fsItalic))) + QChar(u'\x1') +
                        QString::number(cell);
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    QFont f = baseFont(font);
    const auto cellAt = [&](int px) {
        f.setPixelSize(px);
        const QFontMetrics m(f);
        return m.ascent() + m.descent();
    };
    f.setPixelSize(100);
    const QFontMetricsF m100(f);
    const double ratio =
        m100.ascent() + m100.descent() > 0 ? 100.0 / (m100.ascent() + m100.descent()) : 1.0;
    int px = std::max(1, int(std::lround(cell * ratio)));
    while (px > 1 && cellAt(px) > cell)
        --px;
    while (cellAt(px + 1) <= cell)
        ++px;
    cache.insert(key, px);
    return px;
}

// The bitmap face's sizes: 8, 10, 12, 14, 18 and 24 points.
constexpr detail::FixedCell SansSerifCells[] = {
    {11, 11, 2}, {13, 13, 3}, {16, 16, 4}, {19, 19, 5}, {23, 23, 6}, {29, 29, 8},
};

} // namespace

QFont toQFont(const TFont& font, double scale, int characterExtra) {
    QFont f = baseFont(font);
    const int height = font.Height == 0 ? -12 : font.Height;
    const double scaled = std::abs(height) * scale;
    int pixels = 0;
    if (const auto fixed = detail::fixedCell(font))
        pixels = int(std::lround(fixed->EmHeight * scale));
    else if (height < 0)
        pixels = int(std::lround(scaled));
    else if (scale == 1.0)
        pixels = pixelSizeForCell(font, height);
    else
        pixels = int(std::lround(pixelSizeForCell(font, height) * scale));
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

std::optional<detail::FixedCell> detail::fixedCell(const TFont& font) {
    if (QString::fromStdString(font.Name).compare(u"MS Sans Serif", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    for (const FixedCell& c : SansSerifCells) {
        if ((font.Height < 0 && -font.Height == c.EmHeight) ||
            (font.Height > 0 && font.Height == c.Ascent + c.Descent))
            return c;
    }
    return std::nullopt;
}

} // namespace platform
