#pragma once

// Modal windows. Every modal window of the system runs through execModal(), so that tests
// can receive it through a ModalHook, inspect it, drive it and close it; nothing in a test
// ever waits on a person. Like the message-box service, the hook is published on the
// QCoreApplication instance as a C hook and so reaches a plug-in's own copy of this layer.

#include <functional>

class QDialog;
class QWidget;

namespace platform {

// Shows `dialog` modally and returns its result code (QDialog::exec()).
int execModal(QDialog& dialog);

extern "C" {
// Installed by the plug-in's hosts as HsdwModalHook (a C header): the window is passed as
// void*, the dialog's QWidget*.
struct PlatformModalHook {
    void (*onModal)(void* context, void* window);
    void* context;
};
}

// The application property that holds the installed hook's address (a quintptr).
inline constexpr const char* kModalHookProperty = "platform.modal-hook";

// Test hook: `handler` is called with every modal window once it is shown and its event
// loop runs. A window still open when the handler returns is rejected, so that a test
// never hangs. Restores the previous hook when destroyed.
class ModalHook {
public:
    explicit ModalHook(std::function<void(QWidget*)> handler);
    ~ModalHook();
    ModalHook(const ModalHook&) = delete;
    ModalHook& operator=(const ModalHook&) = delete;

    int count() const { return count_; }

private:
    static void call(void* context, void* window);

    std::function<void(QWidget*)> handler_;
    PlatformModalHook hook_{};
    const PlatformModalHook* previous_ = nullptr;
    int count_ = 0;
};

} // namespace platform
