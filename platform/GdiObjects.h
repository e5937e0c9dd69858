#pragma once

// Font, pen and brush descriptions of the canvas. They are plain values: assigning one
// copies it, and a canvas resolves them to Qt objects only when it draws.

#include "platform/Colors.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class QFont;
class QRect;

namespace platform {

// A rectangle as the drawing calls take it: right and bottom are exclusive, so the width
// is Right - Left (a QRect's right() is one less).
struct TRect {
    int Left{0};
    int Top{0};
    int Right{0};
    int Bottom{0};

    constexpr int width() const { return Right - Left; }
    constexpr int height() const { return Bottom - Top; }
    constexpr bool isEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool contains(int x, int y) const {
        return x >= Left && x < Right && y >= Top && y < Bottom;
    }
    constexpr TRect offset(int dx, int dy) const {
        return {Left + dx, Top + dy, Right + dx, Bottom + dy};
    }
    constexpr TRect inflated(int dx, int dy) const {
        return {Left - dx, Top - dy, Right + dx, Bottom + dy};
    }
    QRect toQRect() const;
    static TRect fromQRect(const QRect& r);

    constexpr bool operator==(const TRect&) const = default;
};

constexpr TRect Rect(int left, int top, int right, int bottom) {
    return {left, top, right, bottom};
}
constexpr TRect Bounds(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}
// Common part of two rectangles; empty rectangles yield {0, 0, 0, 0}.
TRect intersectRect(const TRect& a, const TRect& b);
// Smallest rectangle holding both; an empty one is ignored.
TRect unionRect(const TRect& a, const TRect& b);

// Character sets of a font (informational on this platform: every face holds Unicode).
constexpr int ANSI_CHARSET = 0;
constexpr int DEFAULT_CHARSET = 1;
constexpr int SYMBOL_CHARSET = 2;
constexpr int GB2312_CHARSET = 134;

enum TFontStyle : std::uint8_t {
    fsBold = 0x01,
    fsItalic = 0x02,
    fsUnderline = 0x04,
    fsStrikeOut = 0x08,
};
// A set of TFontStyle bits.
using TFontStyles = std::uint8_t;

// Logical pixels per inch that font point sizes refer to.
constexpr int FontPixelsPerInch = 96;

struct TFont {
    std::string Name{"宋体"};
    // < 0: character height (em size) in pixels; > 0: cell height (ascent + descent,
    // internal leading included); 0: the default height (-12).
    int Height{-12};
    TFontStyles Style{0};
    TColor Color{clWindowText};
    int Charset{GB2312_CHARSET};
    // Angle of the base line in tenths of a degree, counter-clockwise.
    int Escapement{0};
    // Average character width in pixels; 0 keeps the face's natural width.
    int Width{0};

    // Size in points at FontPixelsPerInch (negative when Height is a cell height).
    int size() const;
    void setSize(int points);

    bool bold() const { return Style & fsBold; }
    bool italic() const { return Style & fsItalic; }
    bool underline() const { return Style & fsUnderline; }
    bool strikeOut() const { return Style & fsStrikeOut; }

    bool operator==(const TFont&) const = default;
};

// Qt font with this font's face, style and height in pixels (Height scaled by `scale`,
// positive heights converted from cell height to em size). Character spacing is added
// to every character.
QFont toQFont(const TFont& font, double scale = 1.0, int characterExtra = 0);

namespace detail {

// Cell metrics of a bitmap face the system names ("MS Sans Serif"), which its substitute
// cannot reproduce: text is drawn in the substitute at EmHeight pixels on the fixed
// baseline, and measured with the fixed cell.
struct FixedCell {
    int EmHeight;
    int Ascent;
    int Descent;
};
std::optional<FixedCell> fixedCell(const TFont& font);

} // namespace detail

enum TPenStyle : std::uint8_t {
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame,
};

// Raster operation of a pen (the values of the system's pen modes, pmCopy = 4).
enum TPenMode : std::uint8_t {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor,
};

enum class TPenCap : std::uint8_t { Round, Square, Flat };
enum class TPenJoin : std::uint8_t { Round, Bevel, Miter };

struct TPen {
    TColor Color{clBlack};
    // In logical pixels; 0 and 1 both draw one device pixel at scale 1.
    int Width{1};
    TPenStyle Style{psSolid};
    TPenMode Mode{pmCopy};
    // End caps of a line. A one-pixel round-capped line covers its start but not its end
    // point, like a cosmetic pen.
    TPenCap Cap{TPenCap::Round};
    TPenJoin Join{TPenJoin::Round};

    bool operator==(const TPen&) const = default;
};

enum TBrushStyle : std::uint8_t {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross,
    // Monochrome 8 x 8 pattern (TBrush::Pattern): 0 bits take the font (text) colour and
    // 1 bits the brush colour, as a pattern brush selected into a device does.
    bsPattern,
};

struct TBrush {
    TColor Color{clWhite};
    TBrushStyle Style{bsSolid};
    // Rows top to bottom; bit 7 is the leftmost pixel. Used only with bsPattern.
    std::array<std::uint8_t, 8> Pattern{};

    bool operator==(const TBrush&) const = default;

    static TBrush solid(TColor color) { return TBrush{color, bsSolid, {}}; }
    static TBrush clear() { return TBrush{clWhite, bsClear, {}}; }
    static TBrush pattern(const std::array<std::uint8_t, 8>& rows, TColor color = clWhite) {
        return TBrush{color, bsPattern, rows};
    }
};

} // namespace platform
