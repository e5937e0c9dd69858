// rmtool: prepared reports and report templates from the command line — describe, export
// to PDF / Excel / CSV / PNG, print, and prepare templates against CSV or SQLite data.
// Runs without a display; every message the engine would show in a box goes to stderr.

#include "platform/GuiStartup.h"
#include "platform/MessageBox.h"
#include "report/engine/model/RMUnits.h"
#include "report/print/RMPrinter.h"
#include "tools/rmtool/Command.h"
#include "tools/rmtool/Runner.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

// Message boxes become lines on stderr, answered with their first button.
int consoleBox(void*, std::uintptr_t, const char* text, const char* caption, unsigned flags) {
    std::fprintf(stderr, "rmtool: %s%s%s\n", caption != nullptr && *caption ? caption : "",
                 caption != nullptr && *caption ? ": " : "", text != nullptr ? text : "");
    switch (flags & platform::MB_TYPEMASK) {
    case platform::MB_YESNO:
    case platform::MB_YESNOCANCEL:
        return platform::IDYES;
    default:
        return platform::IDOK;
    }
}

// Qt's own notes (no runtime folder, a font fallback) are not the user's business.
void quietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "rmtool: %s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // A file-size limit fails the write, which is reported, instead of killing the tool.
    std::signal(SIGXFSZ, SIG_IGN);
    rmtool::Command command;
    try {
        command = rmtool::parseCommand(arguments);
    } catch (const rmtool::UsageError& e) {
        std::fprintf(stderr, "rmtool: %s\n%s", e.what(), rmtool::usage().c_str());
        return rmtool::BadUsage;
    }
    // Drawing needs fonts and a GUI application, not a screen.
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    qInstallMessageHandler(quietQt);
    QApplication app(argc, argv);
    platform::startGui();
    report::setScreenPixelsPerInch(96, 96);
    const platform::PlatformMessageBoxHook boxes{&consoleBox, nullptr};
    platform::setMessageBoxHook(&boxes);
    report::installPrinterLayer();
    const int code = rmtool::Runner(stdout, stderr).run(command);
    platform::setMessageBoxHook(nullptr);
    return code;
}
