#pragma once

// Virtual key codes with a shift set, and the translation of Qt key events into the three
// phases the system's handlers are written for: key-down, then (when the key-down was not
// consumed and the key carries text) one character phase per character, then key-up.

#include <QString>

#include <cstdint>
#include <functional>

class QKeyEvent;
class QWidget;

namespace platform {

using Word = std::uint16_t;

constexpr Word VK_BACK = 8;
constexpr Word VK_TAB = 9;
constexpr Word VK_RETURN = 13;
constexpr Word VK_SHIFT = 16;
constexpr Word VK_CONTROL = 17;
constexpr Word VK_MENU = 18;
constexpr Word VK_ESCAPE = 27;
constexpr Word VK_SPACE = 32;
constexpr Word VK_PRIOR = 33; // Page Up
constexpr Word VK_NEXT = 34;  // Page Down
constexpr Word VK_END = 35;
constexpr Word VK_HOME = 36;
constexpr Word VK_LEFT = 37;
constexpr Word VK_UP = 38;
constexpr Word VK_RIGHT = 39;
constexpr Word VK_DOWN = 40;
constexpr Word VK_INSERT = 45;
constexpr Word VK_DELETE = 46;
constexpr Word VK_0 = 48; // '0'..'9' are 48..57
constexpr Word VK_A = 65; // 'A'..'Z' are 65..90
constexpr Word VK_F1 = 112;
constexpr Word VK_F2 = 113;
constexpr Word VK_F3 = 114;
constexpr Word VK_F12 = 123;

// The shift set {Shift, Alt, Ctrl}, plus the mouse buttons and double click that mouse
// events carry in the same set.
enum class ShiftFlag : std::uint8_t {
    Shift = 1,
    Alt = 2,
    Ctrl = 4,
    Left = 8,
    Right = 16,
    Middle = 32,
    Double = 64,
};

class TShiftState {
public:
    constexpr TShiftState() = default;
    constexpr TShiftState(ShiftFlag f)
        : bits_(static_cast<std::uint8_t>(f)) {}
    constexpr bool contains(ShiftFlag f) const { return bits_ & static_cast<std::uint8_t>(f); }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr TShiftState operator|(TShiftState o) const { return fromBits(bits_ | o.bits_); }
    constexpr TShiftState& operator|=(TShiftState o) {
        bits_ |= o.bits_;
        return *this;
    }
    constexpr bool operator==(const TShiftState&) const = default;
    constexpr std::uint8_t bits() const { return bits_; }
    static constexpr TShiftState fromBits(unsigned b) {
        TShiftState s;
        s.bits_ = static_cast<std::uint8_t>(b);
        return s;
    }

private:
    std::uint8_t bits_ = 0;
};

constexpr TShiftState operator|(ShiftFlag a, ShiftFlag b) {
    return TShiftState(a) | TShiftState(b);
}

// Virtual key code of a Qt key event (0 when the key has none).
Word virtualKeyOf(const QKeyEvent& event);
// The shift set of keyboard modifiers.
TShiftState shiftStateOf(Qt::KeyboardModifiers modifiers);
// Qt key event text for a virtual key code (used by tests and by synthesized events).
Qt::Key qtKeyOf(Word virtualKey);

// Characters a key event carries in the character phase. Enter, Backspace, Esc and Tab
// carry their control characters (13, 8, 27, 9) as on Windows; Ctrl+letter carries 1–26.
QString charactersOf(const QKeyEvent& event);

// The three phases as callbacks. `keyDown` may set the key to 0 to consume it; `keyPress`
// may set the character to 0 to consume it.
struct KeyHandlers {
    std::function<void(Word& key, TShiftState shift)> keyDown;
    std::function<void(char32_t& ch)> keyPress;
    std::function<void(Word& key, TShiftState shift)> keyUp;
};

// Result of running a key press through its phases.
struct KeyPressResult {
    Word key = 0;       // the key after key-down handlers (0 = consumed)
    QString characters; // characters that survived the character phase
};

// Runs a Qt key-press event aimed at `target` through its phases, interleaving the key
// preview of the form that contains `target` (if any): preview key-down, control key-down,
// then per character preview key-press, control key-press. Exceptions from handlers
// propagate: callers run this inside their guard. A widget that calls this marks itself
// with markOwnKeyPhases() so that the preview filter leaves its events alone.
KeyPressResult runKeyPress(QWidget* target, const QKeyEvent& event, const KeyHandlers& handlers);
// Runs a Qt key-release event through the preview's and the control's key-up phase.
void runKeyRelease(QWidget* target, const QKeyEvent& event, const KeyHandlers& handlers);
void markOwnKeyPhases(QWidget* widget);

// Key preview for a form: while installed, the form's handlers see every key event aimed
// at one of its descendants before that control does. For Qt's own controls a consumed
// key never reaches the control and a changed or consumed character reaches it as a
// re-written event.
class KeyPreview {
public:
    KeyPreview(QWidget* form, KeyHandlers handlers);
    ~KeyPreview();
    KeyPreview(const KeyPreview&) = delete;
    KeyPreview& operator=(const KeyPreview&) = delete;

private:
    class Filter;
    Filter* filter_;
};

} // namespace platform
