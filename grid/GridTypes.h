#pragma once

// Value types shared by the grid's model, painter and widget: option sets, cell
// coordinates, draw states and the grid errors. Colours, rectangles (right and bottom
// exclusive) and fonts are the canvas's own.

#include "platform/Colors.h"
#include "platform/GdiObjects.h"

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>

namespace grid {

using platform::TColor;
using platform::TFont;
using platform::TRect;

using platform::clAqua;
using platform::clBlack;
using platform::clBtnFace;
using platform::clGray;
using platform::clGreen;
using platform::clHighlight;
using platform::clHighlightText;
using platform::clSilver;
using platform::clWhite;
using platform::clWindow;
using platform::clWindowText;

enum class TGridOption : std::uint16_t {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking,
};

// Options as the 16-bit set the stored form uses (bit n = option n).
class TGridOptions {
public:
    constexpr TGridOptions() = default;
    constexpr TGridOptions(std::initializer_list<TGridOption> options) {
        for (TGridOption o : options)
            bits_ |= bit(o);
    }
    constexpr bool contains(TGridOption o) const { return bits_ & bit(o); }
    constexpr TGridOptions with(TGridOption o) const { return fromBits(bits_ | bit(o)); }
    constexpr TGridOptions without(TGridOption o) const { return fromBits(bits_ & ~bit(o)); }
    constexpr std::uint16_t bits() const { return bits_; }
    static constexpr TGridOptions fromBits(unsigned b) {
        TGridOptions o;
        o.bits_ = static_cast<std::uint16_t>(b & 0x7FFF);
        return o;
    }
    constexpr bool operator==(const TGridOptions&) const = default;

private:
    static constexpr std::uint16_t bit(TGridOption o) {
        return static_cast<std::uint16_t>(1u << static_cast<unsigned>(o));
    }
    std::uint16_t bits_ = 0;
};

using enum TGridOption;

constexpr TGridOptions kDefaultGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                                           goRangeSelect};

// Draw state of one painted cell.
struct TGridDrawState {
    bool StateSelected = false;
    bool StateFocused = false;
    bool StateFixed = false;
    bool operator==(const TGridDrawState&) const = default;
};

struct TGridCoord {
    int X = 0; // column
    int Y = 0; // row
    bool operator==(const TGridCoord&) const = default;
};

// A rectangle of cells, normalised: Left <= Right, Top <= Bottom.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool contains(int col, int row) const {
        return col >= Left && col <= Right && row >= Top && row <= Bottom;
    }
    bool operator==(const TGridRect&) const = default;
};

enum class TScrollStyle : std::uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TBorderStyle : std::uint8_t { bsNone, bsSingle };
enum class TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
enum class TGridMouseMode : std::uint8_t {
    Idle,
    Selecting,
    SizingRow,
    SizingColumn,
    MovingRow,
    MovingColumn
};

// Every error the grid raises; the messages are fixed English texts.
class EInvalidGridOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The list error of the cell store: "List index out of bounds (%d)".
class EListError : public std::out_of_range {
public:
    explicit EListError(int index);
};

namespace msg {
inline constexpr const char* IndexOutOfRange = "Grid index out of range";
inline constexpr const char* FixedColTooBig = "Fixed column count must be less than column count";
inline constexpr const char* FixedRowTooBig = "Fixed row count must be less than row count";
inline constexpr const char* TooManyDeleted = "Too many rows or columns deleted";
inline constexpr const char* GridTooLarge = "Grid too large for operation";
inline constexpr const char* CannotInsertDelete = "Cannot insert or delete rows from grid";
} // namespace msg

[[noreturn]] void invalidOp(const char* message);

} // namespace grid
