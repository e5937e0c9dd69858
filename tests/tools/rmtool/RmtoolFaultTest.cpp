// rmtool as a process on hostile files and on a PDF folder that cannot take the file: every
// run ends by itself with an exit code and a message, never by a signal.

#include "report/print/RMPdfPrinter.h"
#include "tests/report/export/ExportTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

using namespace report;
using namespace exporttest;

namespace {

struct Outcome {
    bool normalExit = false;
    int code = -1;
    QString err;
};

class RmtoolFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        PreparedPages doc;
        tableReport(doc, 3, 40);
        doc.flush();
        ASSERT_TRUE(doc.pages().SaveToFile(path("r.rmp").toStdString()));
    }
    void TearDown() override {
        if (immutable_)
            QProcess::execute("chattr", {"-i", immutableFolder_});
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    // Runs rmtool; `fileSizeLimit` > 0 runs it under that file-size limit (bytes).
    Outcome rmtool(const QStringList& args, long fileSizeLimit = 0) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("CUPS_SERVER", dir.filePath("no-cups.sock"));
        process.setProcessEnvironment(env);
        if (fileSizeLimit > 0)
            process.start("prlimit",
                          QStringList{"--fsize=" + QString::number(fileSizeLimit), RMTOOL_PATH} +
                              args);
        else
            process.start(RMTOOL_PATH, args);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "rmtool ran away: " << args.join(' ').toStdString();
            return {};
        }
        return {process.exitStatus() == QProcess::NormalExit, process.exitCode(),
                QString::fromUtf8(process.readAllStandardError())};
    }
    void makeReadOnlyFolder(const QString& folder) {
        QDir().mkpath(folder);
        if (geteuid() == 0) {
            ASSERT_EQ(QProcess::execute("chattr", {"+i", folder}), 0)
                << "chattr +i failed: a folder root cannot write to cannot be made here";
            immutable_ = true;
            immutableFolder_ = folder;
        } else {
            ASSERT_TRUE(
                QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
    }

    QTemporaryDir dir;
    bool immutable_ = false;
    QString immutableFolder_;
};

} // namespace

TEST_F(RmtoolFaultTest, HostileReportsAndTemplatesEndWithAMessage) {
    const QDir corpus(testsupport::dataPath("report"));
    {
        QFile csv(path("units.csv"));
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
        csv.write("code,name\n0001,集团总部\n0002,北京分公司\n");
    }
    // The whole corpus, a real report cut at several lengths, and one grown to 64 MiB.
    QStringList reports;
    for (const QString& name : corpus.entryList({"*.rmp"}, QDir::Files))
        reports << corpus.filePath(name);
    const QByteArray good = fileBytes(path("r.rmp"));
    const int size = static_cast<int>(good.size());
    for (int cut : {1, 17, 100, size / 2, size - 1}) {
        const QString cutPath = path(QStringLiteral("cut%1.rmp").arg(cut));
        QFile f(cutPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(good.left(cut));
        reports << cutPath;
    }
    {
        QFile f(path("huge.rmp"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(good);
        const QByteArray block(1 << 20, '\xff');
        for (int i = 0; i < 64; ++i)
            f.write(block);
        reports << path("huge.rmp");
    }
    ASSERT_GE(reports.size(), 15);
    for (const QString& report : reports) {
        SCOPED_TRACE(report.toStdString());
        const Outcome r = rmtool({"info", report});
        EXPECT_TRUE(r.normalExit) << "crashed";
        if (r.code != 0) {
            EXPECT_FALSE(r.err.trimmed().isEmpty()) << "failed without a message";
        }
    }
    QStringList templates;
    for (const QString& name : corpus.entryList({"*.rmf"}, QDir::Files))
        templates << corpus.filePath(name);
    ASSERT_GE(templates.size(), 10);
    for (const QString& templ : templates) {
        SCOPED_TRACE(templ.toStdString());
        const Outcome r =
            rmtool({"render", templ, "--data", "Units=" + path("units.csv"), path("out.pdf")});
        EXPECT_TRUE(r.normalExit) << "crashed";
        if (r.code != 0) {
            EXPECT_FALSE(r.err.trimmed().isEmpty()) << "failed without a message";
        }
    }
}

TEST_F(RmtoolFaultTest, APdfFolderThatCannotTakeTheFileEndsThePrintWithAMessage) {
    // A folder nobody may write to.
    const QString locked = path("locked");
    makeReadOnlyFolder(locked);
    setPdfOutputFolder(locked.toStdString());
    Outcome r = rmtool({"print", path("r.rmp"), "--printer", "pdf"});
    EXPECT_TRUE(r.normalExit);
    EXPECT_NE(r.code, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("PDF"))) << r.err.toStdString();
    EXPECT_TRUE(QDir(locked).entryList(QDir::Files | QDir::Hidden).isEmpty());

    // A full disk, as the writer meets it: a file-size limit stops the file growing.
    const QString full = path("full");
    QDir().mkpath(full);
    setPdfOutputFolder(full.toStdString());
    r = rmtool({"print", path("r.rmp"), "--printer", "pdf"}, 2048);
    EXPECT_TRUE(r.normalExit) << "killed instead of told";
    EXPECT_NE(r.code, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("写入 PDF 文件"))) << r.err.toStdString();

    // The folder usable again: the same print succeeds.
    r = rmtool({"print", path("r.rmp"), "--printer", "pdf"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(QDir(full).entryList({"*.pdf"}, QDir::Files).size(), 1);
}
