// rmtool run as a process on real files: what it prints, what it writes (read back with
// openpyxl, pdfinfo / pdftotext, Python's csv module, Qt's image reader) and its exit
// codes and messages for every kind of bad input.

#include "platform/Gbk.h"
#include "report/print/RMPdfPrinter.h"
#include "tests/report/export/ExportTestSupport.h"
#include "tests/report/print/PrintTestSupport.h"
#include "tools/rmtool/Runner.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace report;
using namespace exporttest;

namespace {

struct Outcome {
    int code = -1;
    QString out, err;
};

class RmtoolProcess : public ::testing::Test {
protected:
    void SetUp() override {
        PreparedPages doc;
        tableReport(doc, 2, 3);
        const int landscape = doc.addPage(true);
        doc.memo(landscape, 40, 40, 200, 30, "横向页");
        doc.flush();
        ASSERT_TRUE(doc.pages().SaveToFile(path("r.rmp").toStdString()));
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    Outcome rmtool(const QStringList& args) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("CUPS_SERVER", dir.filePath("no-cups.sock")); // only the built-in printers
        process.setProcessEnvironment(env);
        process.start(RMTOOL_PATH, args);
        if (!process.waitForFinished(120000)) {
            ADD_FAILURE() << "rmtool did not finish: " << args.join(' ').toStdString();
            return {};
        }
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(RmtoolProcess, InfoDescribesPagesPapersAndTemplatePages) {
    const Outcome r = rmtool({"info", path("r.rmp")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("页数: 3"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("第1-2页: A4 210 x 297 毫米, 纵向")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("第3页: A4 210 x 297 毫米, 横向")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("第1-3页: 模板第1页"))) << r.out.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

TEST_F(RmtoolProcess, ExportsEveryFormat) {
    Outcome r = rmtool({"export", path("r.rmp"), path("o.xlsx"), "--pages", "2"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("已导出 1 页")));
    const QJsonObject sheet = readXlsx(path("o.xlsx"))["sheets"].toArray()[0].toObject();
    const QJsonObject cells = cellsByRef(sheet);
    EXPECT_EQ(cells["A3"]["value"].toString(), "0004");
    EXPECT_EQ(cells["C3"]["type"].toString(), "s"); // no template: the amount is its text

    r = rmtool({"export", path("r.rmp"), path("o.pdf")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(printtest::pdfPageCount(path("o.pdf")), 3);
    EXPECT_TRUE(
        printtest::runTool("pdftotext", {path("o.pdf"), "-"}).contains(QStringLiteral("横向页")));

    r = rmtool({"export", path("r.rmp"), path("o.csv"), "--encoding", "gbk", "--pages", "1"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(QString::fromStdString(platform::fromGbk(fileBytes(path("o.csv")).toStdString()))
                    .contains(QStringLiteral("0001,单位1,1.5,2026.01.02\r\n")));

    r = rmtool({"export", path("r.rmp"), path("o.png"), "--dpi", "50", "--pages", "1,3"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(QImage(path("o-1.png")).size(), QSize(413, 585));
    EXPECT_EQ(QImage(path("o-3.png")).size(), QSize(585, 413));
    EXPECT_FALSE(QFile::exists(path("o-2.png")));
}

TEST_F(RmtoolProcess, PrintsOnThePdfPrinter) {
    const QString folder = path("printed");
    setPdfOutputFolder(folder.toStdString()); // the child reads the same settings
    const Outcome r = rmtool({"print", path("r.rmp"), "--printer", "pdf", "--pages", "1-2",
                              "--copies", "2", "--collate"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("已在 PDF 上打印 4 页"))) << r.out.toStdString();
    const QStringList files = QDir(folder).entryList({"*.pdf"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(printtest::printedPageNumbers(QDir(folder).filePath(files[0])),
              (std::vector<int>{1, 2, 1, 2}));
}

TEST_F(RmtoolProcess, SaysItsVersion) {
    const Outcome r = rmtool({"--version"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("rmtool " HSDW_VERSION "\n"));
}

TEST_F(RmtoolProcess, BadInputsGiveMessagesAndExitCodes) {
    struct Case {
        QStringList args;
        int code;
        QString message;
    };
    {
        QFile damaged(path("bad.rmp"));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write(fileBytes(path("r.rmp")).left(60)); // cut short
    }
    QDir().mkpath(path("ro"));
    QFile::setPermissions(path("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool rootIgnoresRights = QFileInfo(path("ro")).isWritable();
    const std::vector<Case> cases = {
        {{"info", path("missing.rmp")}, 2, "文件不存在"},
        {{"info", path("bad.rmp")}, 2, "不是报表文件或已损坏"},
        {{"export", path("r.rmp"), path("x.pdf"), "--pages", "1,a"}, 1, "页码 '1,a' 有误"},
        {{"export", path("r.rmp"), path("x.pdf"), "--pages", "7"}, 1, "报表只有 3 页，没有第 7 页"},
        {{"print", path("r.rmp"), "--printer", "没有这台"}, 4, "没有打印机 '没有这台'"},
        {{"print", path("r.rmp"), "--printer", "虚拟打印机"}, 3, "不能打印"},
        {{"export", path("r.rmp"), path("nowhere/x.xlsx")}, 3, "不存在"},
        {{"export", path("r.rmp")}, 1, "缺少输出文件"},
        {{"export", path("r.rmp"), path("x.doc")}, 1, "输出文件须为"},
        // Every command that reads a prepared file checks it, and print checks its pages.
        {{"export", path("bad.rmp"), path("x.pdf")}, 2, "不是报表文件或已损坏"},
        {{"print", path("missing.rmp")}, 2, "文件不存在"},
        {{"print", path("bad.rmp")}, 2, "不是报表文件或已损坏"},
        {{"print", path("r.rmp"), "--pages", "9"}, 1, "报表只有 3 页，没有第 9 页"},
        {{"print", path("r.rmp"), "--pages", "2-x"}, 1, "页码 '2-x' 有误"},
    };
    for (const Case& c : cases) {
        const Outcome r = rmtool(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString() << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << c.args.join(' ').toStdString() << "\n"
                                               << r.err.toStdString();
    }
    if (!rootIgnoresRights) {
        const Outcome r = rmtool({"export", path("r.rmp"), path("ro/x.csv")});
        EXPECT_EQ(r.code, 3) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("无法建立文件"))) << r.err.toStdString();
    }
    EXPECT_TRUE(QDir(dir.path()).entryList({"x.*", ".x.*"}, QDir::Files | QDir::Hidden).isEmpty());
}
