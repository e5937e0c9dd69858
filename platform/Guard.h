#pragma once

// The one guard every entry from Qt into our code runs in (key, character, mouse, paint,
// command, timer, message). It drops a silent cancel, shows any other error's text in a
// message box, and never lets an exception cross into Qt or a C caller.

#include "platform/Abort.h"
#include "platform/WindowHandle.h"

#include <exception>
#include <string>
#include <utility>

class QWidget;

namespace platform {

namespace detail {
// Shows `text` in an error box owned by `owner` (falls back to stderr if that throws).
void reportError(QWidget* owner, const std::string& text) noexcept;
} // namespace detail

// Runs `fn`. Returns true when it completed, false when it was cancelled or failed.
template <class Fn>
bool guarded(QWidget* owner, Fn&& fn) noexcept {
    try {
        std::forward<Fn>(fn)();
        return true;
    } catch (const EAbort&) {
        return false;
    } catch (const std::exception& e) {
        detail::reportError(owner, e.what());
    } catch (...) {
        detail::reportError(owner, "未知错误");
    }
    return false;
}

} // namespace platform
