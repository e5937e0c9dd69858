#include "platform/MessageBox.h"

#include <QCoreApplication>
#include <QVariant>
#include <QtDebug>

namespace platform {
namespace {

// The widget half of this layer (MessageBox.cpp) registers the Qt message box here; a
// program without widgets shows no box and logs the text instead.
detail::MessageBoxPresenter presenter = nullptr;

const PlatformMessageBoxHook* installedHook() {
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return nullptr;
    return reinterpret_cast<const PlatformMessageBoxHook*>(
        app->property(kMessageBoxHookProperty).value<quintptr>());
}

int firstButtonResult(unsigned flags) {
    switch (flags & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return IDYES;
    default:
        return IDOK;
    }
}

} // namespace

const PlatformMessageBoxHook* setMessageBoxHook(const PlatformMessageBoxHook* hook) {
    const PlatformMessageBoxHook* previous = installedHook();
    if (QCoreApplication* app = QCoreApplication::instance())
        app->setProperty(kMessageBoxHookProperty,
                         hook ? QVariant::fromValue(reinterpret_cast<quintptr>(hook)) : QVariant());
    return previous;
}

void detail::setMessageBoxPresenter(MessageBoxPresenter show) {
    presenter = show;
}

bool detail::messageBoxHookInstalled() {
    return installedHook() != nullptr;
}

int cancelResultFor(unsigned flags) {
    switch (flags & MB_TYPEMASK) {
    case MB_OK:
        return IDOK;
    case MB_YESNO:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

int MessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
               unsigned flags) {
    if (const PlatformMessageBoxHook* hook = installedHook()) {
        const std::string t(text), c(caption);
        return hook->show(hook->context, owner, t.c_str(), c.c_str(), flags);
    }
    if (presenter)
        return presenter(owner, text, caption, flags);
    qWarning().noquote() << QString::fromUtf8(caption.data(), qsizetype(caption.size())) << ":"
                         << QString::fromUtf8(text.data(), qsizetype(text.size()));
    return cancelResultFor(flags);
}

ScriptedMessageBoxes::ScriptedMessageBoxes() {
    hook_.show = &ScriptedMessageBoxes::show;
    hook_.context = this;
    previous_ = setMessageBoxHook(&hook_);
}

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    setMessageBoxHook(previous_);
}

int ScriptedMessageBoxes::show(void* context, std::uintptr_t owner, const char* text, const char* caption,
                               unsigned flags) {
    // A C hook, possibly called from the other copy of this layer: nothing may escape.
    try {
        auto* self = static_cast<ScriptedMessageBoxes*>(context);
        self->records_.push_back({owner, text ? text : "", caption ? caption : "", flags});
        if (self->answers_.empty())
            return firstButtonResult(flags);
        const int result = self->answers_.front();
        self->answers_.pop_front();
        return result;
    } catch (...) {
        return cancelResultFor(flags);
    }
}

} // namespace platform
