// Test entry point: a QApplication on the offscreen platform (unless TEST_DISPLAY is
// set), a private runtime and configuration home per process, and the platform's
// start-up steps (font substitutions), so that every test sees the same environment.

#include "platform/GuiStartup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!std::getenv("TEST_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    const QByteArray runtimeDir = (home.path() + "/runtime").toLocal8Bit();
    const QByteArray configDir = (home.path() + "/config").toLocal8Bit();
    QDir().mkpath(QString::fromLocal8Bit(runtimeDir));
    QDir().mkpath(QString::fromLocal8Bit(configDir));
    QFile::setPermissions(QString::fromLocal8Bit(runtimeDir),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("XDG_RUNTIME_DIR", runtimeDir.constData(), 1);
    setenv("XDG_CONFIG_HOME", configDir.constData(), 1);

    QApplication app(argc, argv);
    platform::startGui();

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
