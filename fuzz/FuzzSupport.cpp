#include "fuzz/FuzzSupport.h"

#include "platform/GuiStartup.h"
#include "platform/MessageBox.h"

#include <QDir>
#include <QFile>
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

void writeSeeds(const char* envName, const std::vector<std::pair<std::string, QByteArray>>& seeds) {
    const char* folder = std::getenv(envName);
    if (folder == nullptr || *folder == '\0')
        return;
    const QDir dir(QString::fromLocal8Bit(folder));
    dir.mkpath(".");
    for (const auto& [name, bytes] : seeds) {
        QFile file(dir.filePath(QString::fromStdString(name)));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
}

} // namespace fuzzsupport
