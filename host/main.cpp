// The reference host: loads the plug-in with dlopen, serves its data from a SQLite file or a
// PostgreSQL server and opens the accounting-unit archive embedded in its main window (or as
// a dialog). With --init-db it sets up the database instead and exits; --help and --version
// answer without a display.

#include "host/ArchiveSetup.h"
#include "host/CoorDispService.h"
#include "host/DemoDatabase.h"
#include "host/HostOptions.h"
#include "host/HostWindow.h"
#include "host/JobFlagBlock.h"
#include "host/PluginLibrary.h"
#include "host/PostgresDatabase.h"
#include "host/SqliteDatabase.h"
#include "platform/GuiStartup.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/SharedMemory.h"
#include "plugin/plugin_abi.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>
#include <QStatusBar>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

namespace {

enum ExitCode { Ok = 0, BadArguments = 2, DatabaseUnusable = 3, PluginUnusable = 4, Failed = 5 };

bool interactive() {
    const QString platformName = QGuiApplication::platformName();
    return platformName != QLatin1String("offscreen") && platformName != QLatin1String("minimal");
}

// --print-pdf / --export-xlsx: the open archive window's print command into `path`
// (message HSDW_WM_PRINT_TO_FILE); the boxes it showed go to stderr.
int printToFile(QWidget* pluginWindow, int format, const std::string& path,
                const platform::ScriptedMessageBoxes& boxes);

// The plug-in --plugin names, or the one this host finds by default.
std::string pluginPath(const host::HostOptions& options) {
    return options.pluginPath.empty() ? host::PluginLibrary::defaultPath() : options.pluginPath;
}

int fail(int code, const std::string& message, bool showBox) {
    std::fprintf(stderr, "hsdwhost: %s\n", message.c_str());
    if (showBox)
        QMessageBox::critical(nullptr, QStringLiteral("参考宿主"), QString::fromStdString(message));
    return code;
}

void settle(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(5);
    }
}

std::shared_ptr<host::Database> openDatabase(const host::HostOptions& options) {
    using host::SqliteDatabase;
    if (host::isPostgresLocation(options.databasePath))
        return std::make_shared<host::PostgresDatabase>(options.databasePath);
    if (options.databasePath.empty()) {
        const std::string path = host::defaultDemoDatabasePath();
        if (!std::filesystem::exists(path)) {
            host::createDemoDatabase(path);
            std::fprintf(stderr, "hsdwhost: 已创建演示数据库 %s\n", path.c_str());
        }
        return std::make_shared<SqliteDatabase>(path, SqliteDatabase::OpenMode::ExistingOnly);
    }
    if (options.createDatabase && !std::filesystem::exists(options.databasePath))
        host::createDemoDatabase(options.databasePath);
    return std::make_shared<SqliteDatabase>(
        options.databasePath, options.initDatabase ? SqliteDatabase::OpenMode::CreateIfMissing
                                                   : SqliteDatabase::OpenMode::ExistingOnly);
}

int initDatabase(host::Database& database, const host::HostOptions& options) {
    host::InitOptions init;
    init.demo = options.demo;
    init.rolePrefix = options.rolePrefix;
    const host::InitResult done = host::initArchiveDatabase(database, init);
    std::printf("已初始化数据库 %s：结构版本 %d\n", database.location().c_str(), done.version);
    if (!done.ownerRole.empty())
        std::printf(
            "角色：%s（结构所有者），%s（操作员：请把登录用户加入此角色，宿主以操作员身份连接）\n",
            done.ownerRole.c_str(), done.operatorRole.c_str());
    if (options.demo)
        std::printf(done.seeded ? "已写入演示数据\n" : "核算单位表已有数据，未写入演示数据\n");
    return Ok;
}

// The host is meant to run as an operator: say so when it runs with more rights.
void warnAboutPrivilegedLogin(host::Database& database) {
    if (database.kind() != host::DatabaseKind::Postgres)
        return;
    platform::DataPacket role;
    std::vector<std::string> errors;
    if (database.query("select current_user, rolsuper from pg_roles where rolname = current_user",
                       role, errors) &&
        !role.rows.empty() && role.rows[0][1] == "t")
        std::fprintf(stderr,
                     "hsdwhost: 警告：以超级用户 %s 连接；日常使用请以操作员角色的成员连接\n",
                     role.rows[0][0].value_or("").c_str());
}

int printToFile(QWidget* pluginWindow, int format, const std::string& path,
                const platform::ScriptedMessageBoxes& boxes) {
    if (pluginWindow == nullptr)
        return fail(Failed, "档案窗口没有打开，无法打印", false);
    const std::string file = std::filesystem::absolute(path).string();
    qintptr result = 0;
    const bool delivered = QMetaObject::invokeMethod(
        pluginWindow, "windowMessage", Qt::DirectConnection, Q_RETURN_ARG(qintptr, result),
        Q_ARG(uint, HSDW_WM_PRINT_TO_FILE), Q_ARG(quintptr, quintptr(format)),
        Q_ARG(qintptr, reinterpret_cast<qintptr>(file.c_str())));
    std::string reasons;
    for (const platform::ScriptedMessageBoxes::Record& box : boxes.records()) {
        std::fprintf(stderr, "hsdwhost: 消息框「%s」：%s\n", box.caption.c_str(), box.text.c_str());
        if ((box.flags & 0xF0) == HSDW_MB_ICONERROR || (box.flags & 0xF0) == HSDW_MB_ICONWARNING)
            reasons += (reasons.empty() ? "" : "；") + box.text;
    }
    if (!delivered || result == HSDW_PRINT_FILE_REFUSED)
        return fail(Failed, "插件窗口不支持打印到文件", false);
    if (result == HSDW_PRINT_FILE_NOTHING)
        return fail(Failed,
                    "没有打印任何内容（打印被取消或没有页面）" +
                        (reasons.empty() ? std::string() : "：" + reasons),
                    false);
    std::error_code ec;
    if (result != HSDW_PRINT_FILE_WRITTEN || !std::filesystem::is_regular_file(file, ec) ||
        std::filesystem::file_size(file, ec) == 0)
        return fail(Failed, "无法写入 " + file + (reasons.empty() ? std::string() : "：" + reasons),
                    false);
    std::printf("%s\n", file.c_str());
    std::fflush(stdout);
    return Ok;
}

// Whether the command line only asks for the help or the version, which need no display.
bool asksForInformation(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--")
            return false;
        if (arg == "-h" || arg == "--help" || arg == "-v" || arg == "--version")
            return true;
    }
    return false;
}

// --help, or --version: the version and the plug-in this host loads (loaded to prove it).
int showInformation(const host::ParsedOptions& parsed) {
    if (!parsed.error.empty() && !parsed.helpShown)
        return fail(BadArguments, parsed.error, false);
    if (parsed.helpShown) {
        std::printf("%s", parsed.error.c_str());
        return Ok;
    }
    std::printf("hsdwhost %s\n", HSDW_VERSION);
    std::fflush(stdout);
    try {
        const host::PluginLibrary plugin(pluginPath(parsed.options));
        std::printf("插件库：%s\n", plugin.path().c_str());
    } catch (const std::exception& e) {
        return fail(PluginUnusable, e.what(), false);
    }
    return Ok;
}

} // namespace

int main(int argc, char** argv) {
    // A file-size limit fails the write (a database statement, a printed file), which is
    // reported, instead of killing the host with the operator's work.
    std::signal(SIGXFSZ, SIG_IGN);
    if (asksForInformation(argc, argv)) {
        const QCoreApplication app(argc, argv);
        return showInformation(host::parseHostOptions(QCoreApplication::arguments()));
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hsdwhost"));
    platform::startGui();

    const host::ParsedOptions parsed = host::parseHostOptions(QApplication::arguments());
    if (parsed.helpShown || parsed.versionShown)
        return showInformation(parsed);
    if (!parsed.error.empty())
        return fail(BadArguments, parsed.error, false);
    const host::HostOptions& options = parsed.options;
    const bool unattended = !options.screenshotPath.empty() || !options.printPdfPath.empty() ||
                            !options.exportXlsxPath.empty();
    const bool showBoxes = interactive() && !unattended;

    std::shared_ptr<host::Database> database;
    try {
        database = openDatabase(options);
        if (options.initDatabase)
            return initDatabase(*database, options);
    } catch (const std::exception& e) {
        return fail(DatabaseUnusable, e.what(), showBoxes);
    }
    warnAboutPrivilegedLogin(*database);

    host::CoorDispService* service = nullptr;
    platform::DispatchRef serviceRef = host::CoorDispService::create(database, &service);
    if (options.dbType)
        service->setDbType(*options.dbType);
    service->setDbTypeRaises(options.dbTypeRaises);

    std::optional<platform::SharedMemory> jobBlock;
    if (options.jobFlag) {
        try {
            jobBlock = host::publishJobFlag(*options.jobFlag);
        } catch (const std::exception& e) {
            return fail(Failed, e.what(), showBoxes);
        }
    }

    std::unique_ptr<host::PluginLibrary> plugin;
    try {
        plugin = std::make_unique<host::PluginLibrary>(pluginPath(options));
    } catch (const std::exception& e) {
        return fail(PluginUnusable, e.what(), showBoxes);
    }

    // A screenshot or print run waits on nobody: message boxes are answered with their first
    // button (the print confirmation's "确定") and reported on stderr, modal windows are
    // closed at once.
    std::optional<platform::ScriptedMessageBoxes> unattendedBoxes;
    std::optional<platform::ModalHook> unattendedModals;
    if (unattended) {
        unattendedBoxes.emplace();
        unattendedModals.emplace([](QWidget* modal) {
            std::fprintf(stderr, "hsdwhost: 已关闭模态窗口「%s」\n",
                         modal->windowTitle().toLocal8Bit().constData());
        });
    }

    host::HostWindow window(*plugin, serviceRef, options.operatorCode);
    window.statusBar()->showMessage(
        QStringLiteral("数据库 %1").arg(QString::fromStdString(database->location())));
    window.show();
    settle(50);

    switch (options.startMode) {
    case host::StartMode::Embedded:
        window.openEmbedded();
        break;
    case host::StartMode::Dialog:
        window.openDialog();
        break;
    case host::StartMode::None:
        break;
    }

    if (!options.printPdfPath.empty() || !options.exportXlsxPath.empty()) {
        settle(300);
        return options.printPdfPath.empty()
                   ? printToFile(window.pluginWindow(), HSDW_PRINT_FILE_XLSX,
                                 options.exportXlsxPath, *unattendedBoxes)
                   : printToFile(window.pluginWindow(), HSDW_PRINT_FILE_PDF, options.printPdfPath,
                                 *unattendedBoxes);
    }
    if (!options.screenshotPath.empty()) {
        settle(300);
        QWidget* target = &window;
        if (options.startMode == host::StartMode::Dialog && window.pluginWindow())
            target = window.pluginWindow();
        const QString path =
            QFileInfo(QString::fromStdString(options.screenshotPath)).absoluteFilePath();
        for (const platform::ScriptedMessageBoxes::Record& box : unattendedBoxes->records())
            std::fprintf(stderr, "hsdwhost: 消息框「%s」：%s\n", box.caption.c_str(),
                         box.text.c_str());
        if (!target->grab().save(path, "PNG"))
            return fail(Failed, "无法保存截图：" + path.toStdString(), false);
        std::printf("%s\n", path.toLocal8Bit().constData());
        std::fflush(stdout);
        return Ok;
    }
    return app.exec();
}
