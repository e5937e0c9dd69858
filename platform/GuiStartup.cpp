#include "platform/GuiStartup.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>

namespace platform {

void startGui() {
    static bool done = false;
    if (done)
        return;
    done = true;
    // The system names Windows faces; these map them onto the fonts the bootstrap installs
    // so that layouts measure the same on every machine.
    QFont::insertSubstitutions(QStringLiteral("宋体"),
                               {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing")});
    QFont::insertSubstitutions(QStringLiteral("SimSun"),
                               {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing")});
    QFont::insertSubstitutions(QStringLiteral("黑体"), {QStringLiteral("WenQuanYi Zen Hei")});
    QFont::insertSubstitutions(QStringLiteral("SimHei"), {QStringLiteral("WenQuanYi Zen Hei")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               {QStringLiteral("Liberation Serif")});
    QFont::insertSubstitutions(QStringLiteral("Courier New"), {QStringLiteral("Liberation Mono")});
    QFont::insertSubstitutions(QStringLiteral("System"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
}

int screenPixelsPerInch() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const int dpi = qRound(screen->logicalDotsPerInchX());
        if (dpi > 0)
            return dpi;
    }
    return 96;
}

} // namespace platform
