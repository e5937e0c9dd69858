#include "platform/Guard.h"

#include "platform/MessageBox.h"

#include <QCoreApplication>

#include <cstdio>

namespace platform::detail {

void reportError(QWidget* owner, const std::string& text) noexcept {
    try {
        const std::string caption = QCoreApplication::applicationName().toStdString();
        MessageBox(owner, text, caption.empty() ? "错误" : caption, MB_OK | MB_ICONERROR);
    } catch (...) {
        std::fprintf(stderr, "error: %s\n", text.c_str());
    }
}

} // namespace platform::detail
