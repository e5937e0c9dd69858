// The hsdwhost program as a user runs it: bad databases, a screenshot run, bad options.

#include "host/DemoDatabase.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class HostProgramTest : public ::testing::Test {
protected:
    ProgramRun run(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.path() + QStringLiteral("/data"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(HSDW_HOST_PATH), arguments);
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
