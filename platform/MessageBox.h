#pragma once

// Message boxes with the Windows flag and result numbers, shown through QMessageBox.
// The WindowHandle overload is widget-free (MessageBoxService.cpp); the QWidget one and
// the Qt box itself live in the widget half (MessageBox.cpp).
//
// The service behind MessageBox() can be replaced (tests script it). Like the handle
// registry, the replacement is published on the QCoreApplication instance as a plain C
// hook, so it also serves a plug-in that links its own copy of this layer.

#include "platform/WindowHandle.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace platform {

// Buttons.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_TYPEMASK = 0xF;
// Icons.
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_ICONMASK = 0xF0;
// Default button.
constexpr unsigned MB_DEFBUTTON2 = 0x100;

// Results.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a modal message box and returns the button pressed (IDOK, IDCANCEL, ...).
int MessageBox(WindowHandle owner, std::string_view text, std::string_view caption, unsigned flags);
int MessageBox(QWidget* owner, std::string_view text, std::string_view caption, unsigned flags);

// Result of closing a box with the given flags without choosing (Esc or close box).
int cancelResultFor(unsigned flags);

namespace detail {
// The handle overload works without widgets: it hands a box to the installed hook, else to
// the presenter the widget half registers, else logs it and answers as if cancelled.
using MessageBoxPresenter = int (*)(WindowHandle owner, std::string_view text,
                                    std::string_view caption, unsigned flags);
void setMessageBoxPresenter(MessageBoxPresenter show);
bool messageBoxHookInstalled();
} // namespace detail

// C hook through which a replacement service receives every box. Strings are UTF-8. The
// plug-in's hosts install it as HsdwMessageBoxHook: the same layout and the same types.
extern "C" {
struct PlatformMessageBoxHook {
    int (*show)(void* context, std::uintptr_t owner, const char* text, const char* caption,
                unsigned flags);
    void* context;
};
}

// The application property that holds the installed hook's address (a quintptr; none or 0
// = boxes are shown with QMessageBox).
inline constexpr const char* kMessageBoxHookProperty = "platform.message-box-hook";

// Installs `hook` (null: none) and returns the hook it replaces.
const PlatformMessageBoxHook* setMessageBoxHook(const PlatformMessageBoxHook* hook);

// Scripted service for tests: records every box and answers from a queue (or with the
// box's first button once the queue is empty). Installed for its lifetime; restores the
// previous service when destroyed.
class ScriptedMessageBoxes {
public:
    struct Record {
        WindowHandle owner = 0;
        std::string text;
        std::string caption;
        unsigned flags = 0;
    };

    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes();
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    // Queues the answer for the next box.
    void answer(int result) { answers_.push_back(result); }

    const std::vector<Record>& records() const { return records_; }
    std::size_t count() const { return records_.size(); }
    const Record& last() const { return records_.back(); }
    void clear() { records_.clear(); }

private:
    static int show(void* context, std::uintptr_t owner, const char* text, const char* caption,
                    unsigned flags);

    PlatformMessageBoxHook hook_{};
    const PlatformMessageBoxHook* previous_ = nullptr;
    std::vector<Record> records_;
    std::deque<int> answers_;
};

} // namespace platform
