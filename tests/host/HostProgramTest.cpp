// The hsdwhost program as a user runs it: bad databases, a screenshot run, bad options, the
// version and the plug-in it finds, from the build tree and from an installed tree.

#include "host/DemoDatabase.h"
#include "host/PluginLibrary.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <filesystem>
#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class HostProgramTest : public ::testing::Test {
protected:
    // `headless`: no display and no Qt platform named, as on a server.
    ProgramRun run(const QStringList& arguments,
                   const QString& program = QStringLiteral(HSDW_HOST_PATH), bool headless = false) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (headless)
            for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.path() + QStringLiteral("/data"));
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(HostProgramTest, MissingOrUnreadableDatabaseExitsWithAMessage) {
    const QString missing = dir.path() + QStringLiteral("/none.sqlite");
    const ProgramRun r1 = run({QStringLiteral("--db"), missing});
    EXPECT_EQ(r1.exitCode, 3);
    EXPECT_TRUE(r1.err.contains(QStringLiteral("数据库文件不存在"))) << r1.err.toStdString();
    EXPECT_FALSE(QFile::exists(missing));

    const QString garbage = dir.path() + QStringLiteral("/garbage.sqlite");
    QFile f(garbage);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a database, just some text that fills the header page");
    f.close();
    const ProgramRun r2 = run({QStringLiteral("--db"), garbage});
    EXPECT_EQ(r2.exitCode, 3);
    EXPECT_TRUE(r2.err.contains(QStringLiteral("无法读取数据库文件"))) << r2.err.toStdString();

    const ProgramRun r3 = run({QStringLiteral("--mode"), QStringLiteral("sideways")});
    EXPECT_EQ(r3.exitCode, 2);
    EXPECT_TRUE(r3.err.contains(QStringLiteral("启动方式"))) << r3.err.toStdString();

    const ProgramRun r4 = run({QStringLiteral("--plugin"), dir.path() + QStringLiteral("/no.so"),
                               QStringLiteral("--db"), garbage});
    EXPECT_EQ(r4.exitCode, 3) << "the database is checked first";
}

TEST_F(HostProgramTest, ScreenshotOfTheDemoDatabase) {
    const QString shot = dir.path() + QStringLiteral("/host.png");
    const ProgramRun r = run({QStringLiteral("--screenshot"), shot});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), shot);
    EXPECT_TRUE(r.err.contains(QStringLiteral("已创建演示数据库"))) << "first run seeds the demo";
    QImage image(shot);
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 400);
    EXPECT_GE(image.height(), 300);
    // The middle of the host window shows the plug-in's window, not the empty container.
    EXPECT_NE(image.pixel(image.width() / 2, image.height() / 2), qRgb(0xE8, 0xEC, 0xF2));
    EXPECT_TRUE(QFile::exists(dir.path() + QStringLiteral("/data/hsdwhost/demo.sqlite")));

    // A run that meets a message box answers it and reports it instead of waiting.
    const QString again = dir.path() + QStringLiteral("/dialog.png");
    const ProgramRun second = run({QStringLiteral("--dialog"), QStringLiteral("--db-type-error"),
                                   QStringLiteral("--screenshot"), again});
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_FALSE(second.err.contains(QStringLiteral("已创建演示数据库")));
    EXPECT_TRUE(second.err.contains(QStringLiteral("获取数据库类型失败!")))
        << second.err.toStdString();
    EXPECT_FALSE(QImage(again).isNull());
}

TEST_F(HostProgramTest, VersionNamesThePluginItLoadsAndNeedsNoDisplay) {
    const QString built = QFileInfo(QStringLiteral(HSDW_PLUGIN_PATH)).canonicalFilePath();
    const ProgramRun r = run({QStringLiteral("--version")}, QStringLiteral(HSDW_HOST_PATH), true);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << r.out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("hsdwhost " HSDW_VERSION));
    EXPECT_EQ(QFileInfo(lines[1].section(QStringLiteral("："), 1)).canonicalFilePath(), built)
        << "the host in the build tree loads the plug-in built there";

    const QString missing = dir.path() + QStringLiteral("/no.so");
    const ProgramRun m = run({QStringLiteral("-v"), QStringLiteral("--plugin"), missing});
    EXPECT_EQ(m.exitCode, 4);
    EXPECT_TRUE(m.out.startsWith(QStringLiteral("hsdwhost " HSDW_VERSION "\n")));
    EXPECT_TRUE(m.err.contains(QStringLiteral("找不到插件库：") + missing)) << m.err.toStdString();
}

// An installed tree on the machine that built it: <prefix>/bin/hsdwhost (the built program,
// hard-linked, so that it knows itself by the new path) loads <prefix>'s plug-in and never
// the build tree's, which is still there.
TEST_F(HostProgramTest, AnInstalledHostLoadsTheInstalledPluginOnly) {
    namespace fs = std::filesystem;
    QTemporaryDir prefix(QStringLiteral(PROJECT_BINARY_DIR "/tests/installed-XXXXXX"));
    ASSERT_TRUE(prefix.isValid());
    const fs::path bin = fs::path(prefix.path().toStdString()) / "bin";
    fs::create_directories(bin);
    std::error_code ec;
    fs::create_hard_link(HSDW_HOST_PATH, bin / "hsdwhost", ec);
    if (ec)
        fs::copy_file(HSDW_HOST_PATH, bin / "hsdwhost");
    const QString host = QString::fromStdString((bin / "hsdwhost").string());
    const QString installed =
        QDir::cleanPath(QString::fromStdString(bin.string()) +
                        QStringLiteral("/" HSDW_INSTALLED_PLUGIN_FROM_BINDIR));
    ASSERT_TRUE(installed.startsWith(prefix.path() + QStringLiteral("/lib/")));
    EXPECT_EQ(host::PluginLibrary::defaultPathFor(QString::fromStdString(bin.string())),
              installed.toStdString());
    EXPECT_EQ(host::PluginLibrary::defaultPathFor(QFileInfo(QStringLiteral(HSDW_HOST_PATH)).path()),
              HSDW_PLUGIN_PATH);

    const ProgramRun none = run({QStringLiteral("--version")}, host);
    EXPECT_EQ(none.exitCode, 4) << "the build tree's plug-in is no fallback";
    EXPECT_TRUE(none.err.contains(QStringLiteral("找不到插件库：") + installed))
        << none.err.toStdString();

    fs::create_directories(fs::path(installed.toStdString()).parent_path());
    fs::create_symlink(HSDW_PLUGIN_PATH, installed.toStdString());
    const ProgramRun found = run({QStringLiteral("--version")}, host);
    ASSERT_EQ(found.exitCode, 0) << found.err.toStdString();
    EXPECT_TRUE(found.out.endsWith(QStringLiteral("插件库：") + installed + '\n'))
        << found.out.toStdString();
}
