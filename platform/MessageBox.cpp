#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <QVariant>
#include <QWidget>

namespace platform {
namespace {

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

int showWithQt(QWidget* owner, std::string_view text, std::string_view caption, unsigned flags) {
    QMessageBox box(owner);
    box.setWindowTitle(QString::fromUtf8(caption.data(), qsizetype(caption.size())));
    box.setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    switch (flags & MB_ICONMASK) {
    case MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONWARNING:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    struct Button {
        QMessageBox::StandardButton button;
        const char* label;
        int result;
    };
    std::vector<Button> buttons;
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        buttons = {{QMessageBox::Ok, "确定", IDOK}, {QMessageBox::Cancel, "取消", IDCANCEL}};
        break;
    case MB_YESNO:
        buttons = {{QMessageBox::Yes, "是(&Y)", IDYES}, {QMessageBox::No, "否(&N)", IDNO}};
        break;
    case MB_YESNOCANCEL:
        buttons = {{QMessageBox::Yes, "是(&Y)", IDYES},
                   {QMessageBox::No, "否(&N)", IDNO},
                   {QMessageBox::Cancel, "取消", IDCANCEL}};
        break;
    default:
        buttons = {{QMessageBox::Ok, "确定", IDOK}};
        break;
    }
    for (const Button& b : buttons) {
        box.addButton(b.button);
        box.button(b.button)->setText(QString::fromUtf8(b.label));
    }
    const std::size_t defaultIndex = (flags & MB_DEFBUTTON2) && buttons.size() > 1 ? 1 : 0;
    box.setDefaultButton(buttons[defaultIndex].button);
    box.setEscapeButton(buttons.size() > 1 ? buttons.back().button : buttons.front().button);
    const int pressed = box.exec();
    for (const Button& b : buttons)
        if (pressed == b.button)
            return b.result;
    return cancelResultFor(flags);
}

} // namespace

const PlatformMessageBoxHook* setMessageBoxHook(const PlatformMessageBoxHook* hook) {
    const PlatformMessageBoxHook* previous = installedHook();
    if (QCoreApplication* app = QCoreApplication::instance())
        app->setProperty(kMessageBoxHookProperty,
                         hook ? QVariant::fromValue(reinterpret_cast<quintptr>(hook)) : QVariant());
    return previous;
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
    return showWithQt(widgetOf(owner), text, caption, flags);
}

int MessageBox(QWidget* owner, std::string_view text, std::string_view caption, unsigned flags) {
    if (installedHook())
        return MessageBox(handleOf(owner), text, caption, flags);
    return showWithQt(owner, text, caption, flags);
}

ScriptedMessageBoxes::ScriptedMessageBoxes() {
    hook_.show = &ScriptedMessageBoxes::show;
    hook_.context = this;
    previous_ = setMessageBoxHook(&hook_);
}

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    setMessageBoxHook(previous_);
}

int ScriptedMessageBoxes::show(void* context, quintptr owner, const char* text, const char* caption,
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
