#include "fuzz/FuzzSupport.h"

#include "platform/GuiStartup.h"
#include "platform/MessageBox.h"

#include <QGuiApplication>

#include <cstdlib>

namespace fuzzsupport {

void initialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    platform::startGui();
    static platform::ScriptedMessageBoxes boxes;
    (void)boxes;
}

} // namespace fuzzsupport
