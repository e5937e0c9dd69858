#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QWidget>

#include <vector>

namespace platform {
namespace {

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

int showForHandle(WindowHandle owner, std::string_view text, std::string_view caption,
                  unsigned flags) {
    return showWithQt(widgetOf(owner), text, caption, flags);
}

// Linked into every program that uses widgets' message boxes (the guard reports through
// them), so that boxes asked for by widget-free code are shown too.
const bool presenterRegistered = [] {
    detail::setMessageBoxPresenter(&showForHandle);
    return true;
}();

} // namespace

int MessageBox(QWidget* owner, std::string_view text, std::string_view caption, unsigned flags) {
    if (detail::messageBoxHookInstalled())
        return MessageBox(handleOf(owner), text, caption, flags);
    return showWithQt(owner, text, caption, flags);
}

} // namespace platform
