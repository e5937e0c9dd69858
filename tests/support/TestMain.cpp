// Test entry point: a QApplication on the offscreen platform (unless TEST_DISPLAY is
// set), a private runtime and configuration home per process, and the platform's
// start-up steps (font substitutions), and a job-flag block name of its own, so that every
// test sees the same environment.
// Nothing in a test waits on a person. A message box that no test scripted fails the
// running test (the guard reports unexpected errors that way) and is answered with its
// first button; an unscripted modal window is closed and named on stderr.

#include "platform/GuiStartup.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "plugin/plugin_abi.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

// Beneath every test's own ScriptedMessageBoxes: a box that reaches this hook was not
// expected by anyone.
int unscriptedBox(void*, std::uintptr_t, const char* text, const char* caption, unsigned flags) {
    ADD_FAILURE() << "unscripted message box \"" << (caption ? caption : "")
                  << "\": " << (text ? text : "");
    switch (flags & platform::MB_TYPEMASK) {
    case platform::MB_YESNO:
    case platform::MB_YESNOCANCEL:
        return platform::IDYES;
    default:
        return platform::IDOK;
    }
}

} // namespace

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
    // A job-flag block of this process's own (the plug-in and the host both read the name
    // from here), so that parallel tests and a working host never see each other's flag.
    if (!std::getenv(HSDW_JOB_FLAG_BLOCK_ENV))
        setenv(HSDW_JOB_FLAG_BLOCK_ENV,
               (std::string(HSDW_JOB_FLAG_BLOCK) + ".test." + std::to_string(getpid())).c_str(), 1);

    QApplication app(argc, argv);
    platform::startGui();
    const platform::PlatformMessageBoxHook unscriptedBoxes{&unscriptedBox, nullptr};
    platform::setMessageBoxHook(&unscriptedBoxes);
    const platform::ModalHook unscriptedModals([](QWidget* window) {
        std::fprintf(stderr, "test: closed an unscripted modal window '%s'\n",
                     qPrintable(window->windowTitle()));
    });

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
