// rmtool render as a process: a template file prepared against CSV and SQLite data bound
// by the dataset name its data band uses, the switches the file does not hold, and the
// messages for data that is missing, unbound or unreadable.

#include "report/engine/expressions/RMDisplayFormat.h"
#include "tests/report/engine/TemplateBuilder.h"
#include "tests/report/export/ExportTestSupport.h"
#include "tests/report/print/PrintTestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace report;
using namespace exporttest;

namespace {

struct Outcome {
    int code = -1;
    QString out, err;
};

class RmtoolRender : public ::testing::Test {
protected:
    void SetUp() override {
        // Title, then one band row per unit: code, name and amount (two decimals).
        TRMReport report;
        report.ReportInfo.Strings[0] = "单位名单";
        testreport::TemplateBuilder t(report);
        auto& title = t.band(rmbtReportTitle, 30, "Title");
        t.memo(title, 0, 0, 300, 30, {"单位名单"}, "TitleText");
        auto& rows = t.band(rmbtMasterData, 20, "Rows");
        rows.DisplayFormatText = "Units";
        t.memo(rows, 0, 0, 80, 20, {"[Units.\"code\"]"}, "Code").setFrameTyp(15);
        t.memo(rows, 80, 0, 200, 20, {"[Units.\"name\"]"}, "UnitName").setFrameTyp(15);
        TRMMemoView& amount = t.memo(rows, 280, 0, 100, 20, {"[Units.\"amount\"]"}, "Amount");
        amount.DisplayFormat = makeFormatCode(fkNumber, 1, 2, '.');
        amount.setFrameTyp(15);
        ASSERT_TRUE(report.SaveToFile(path("units.rmf").toStdString()));

        write("units.csv", "code,name,amount\n0009,甲单位,12.5\n0010,\"乙,单位\",1234\n");
        write("empty.csv", "code,name,amount\n");
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path("units.sqlite").toUtf8().constData(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "create table t(code text, name text, amount real);"
                               "insert into t values('0001','丙单位',7.25),('0002','丁单位',null);",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    void write(const char* name, const char* text) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    Outcome rmtool(const QStringList& args) {
        QProcess process;
        process.start(RMTOOL_PATH, args);
        if (!process.waitForFinished(120000)) {
            ADD_FAILURE() << "rmtool did not finish";
            return {};
        }
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(RmtoolRender, CsvDataIntoAWorkbookWithValuesFromTheTemplate) {
    const Outcome r = rmtool(
        {"render", path("units.rmf"), "--data", "Units=" + path("units.csv"), path("out.xlsx")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonObject sheet = readXlsx(path("out.xlsx"))["sheets"].toArray()[0].toObject();
    EXPECT_EQ(sheet["name"].toString(), QStringLiteral("单位名单"));
    const QJsonObject cells = cellsByRef(sheet);
    EXPECT_EQ(cells["A1"]["value"].toString(), QStringLiteral("单位名单"));
    EXPECT_EQ(cells["A2"]["value"].toString(), "0009");
    EXPECT_EQ(cells["A2"]["type"].toString(), "s");
    EXPECT_EQ(cells["B3"]["value"].toString(), QStringLiteral("乙,单位"));
    EXPECT_EQ(cells["C2"]["type"].toString(), "n");
    EXPECT_DOUBLE_EQ(cells["C2"]["value"].toDouble(), 12.5);
    EXPECT_EQ(cells["C2"]["format"].toString(), "0.00");
    EXPECT_DOUBLE_EQ(cells["C3"]["value"].toDouble(), 1234);
}

TEST_F(RmtoolRender, SqliteDataIntoPdfAndAPreparedFile) {
    const QString data =
        "Units=" + path("units.sqlite") + ":select code, name, amount from t order by code";
    Outcome r = rmtool({"render", path("units.rmf"), "--data", data, path("out.pdf")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QString text = printtest::runTool("pdftotext", {"-layout", path("out.pdf"), "-"});
    EXPECT_TRUE(text.contains(QStringLiteral("丙单位"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("7.25"))) << text.toStdString();

    r = rmtool({"render", path("units.rmf"), "--data", data, path("out.rmp"), "--double-pass"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("已准备 1 页"))) << r.out.toStdString();
    r = rmtool({"info", path("out.rmp")});
    EXPECT_TRUE(r.out.contains(QStringLiteral("页数: 1"))) << r.out.toStdString();
}

TEST_F(RmtoolRender, EmptyDataAndBadBindings) {
    // Empty data: a page with the title when asked for, none otherwise.
    Outcome r = rmtool({"render", path("units.rmf"), "--data", "Units=" + path("empty.csv"),
                        path("e.rmp"), "--print-if-empty"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    r = rmtool({"render", path("units.rmf"), "--data", "Units=" + path("empty.csv"), path("e.pdf"),
                "--no-print-if-empty"});
    EXPECT_EQ(r.code, 3);
    EXPECT_TRUE(r.err.contains(QStringLiteral("报表没有页"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("e.pdf")));

    struct Case {
        QStringList args;
        int code;
        QString message;
    };
    for (const auto& [name, bytes] : {std::pair<QString, QByteArray>{"bad.rmf", "not a template"},
                                      {"open-quote.csv", "code,name\n0001,\"unclosed\n"},
                                      {"junk.sqlite", QByteArray(4096, 'x')}}) {
        QFile bad(path(name));
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write(bytes);
    }
    const std::vector<Case> cases = {
        {{"render", path("units.rmf"), "--data", "Other=" + path("units.csv"), path("x.pdf")},
         2,
         "使用数据 'Units'"},
        {{"render", path("units.rmf"), "--data", "Units=" + path("none.csv"), path("x.pdf")},
         2,
         "文件不存在"},
        {{"render", path("units.rmf"), "--data",
          "Units=" + path("units.sqlite") + ":select * from nope", path("x.pdf")},
         2,
         "no such table"},
        {{"render", path("units.rmf"), "--data", "Units=" + path("units.sqlite") + ":delete from t",
          path("x.pdf")},
         2,
         "只能用查询语句"},
        {{"render", path("units.rmf"), "--data", "Units=" + path("open-quote.csv"), path("x.pdf")},
         2,
         "引号没有闭合"},
        {{"render", path("units.rmf"), "--data",
          "Units=" + path("junk.sqlite") + ":select * from units", path("x.pdf")},
         2,
         "not a database"},
        {{"render", path("bad.rmf"), "--data", "Units=" + path("units.csv"), path("x.pdf")},
         2,
         "不是报表模板或已损坏"},
        {{"render", path("missing.rmf"), "--data", "Units=" + path("units.csv"), path("x.pdf")},
         2,
         "文件不存在"},
    };
    for (const Case& c : cases) {
        r = rmtool(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString() << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << c.args.join(' ').toStdString() << "\n"
                                               << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(path("x.pdf")));
}

TEST_F(RmtoolRender, TimeoutEndsAPreparationThatPrintsNothingAndWritesNothing) {
    // A band of no height over two thousand million records.
    TRMReport report;
    testreport::TemplateBuilder t(report);
    t.band(rmbtMasterData, 0, "Rows").DisplayFormatText = "2000000000";
    ASSERT_TRUE(report.SaveToFile(path("endless.rmf").toStdString()));
    const auto start = std::chrono::steady_clock::now();
    const Outcome r = rmtool({"render", path("endless.rmf"), "--data", "Units=" + path("units.csv"),
                              path("out.pdf"), "--timeout", "1"});
    // The limit, starting the process and writing the message: well below 10 s.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("报表准备超过 1 秒的上限"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("out.pdf")));
}

TEST_F(RmtoolRender, TemplateTextDumpBuildCheckInfoAndAHandWrittenTwin) {
    // dump to stdout and to a file, build back: the template's own bytes.
    Outcome r = rmtool({"dump", path("units.rmf")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("\"DataSource\": \"Units\""))) << r.out.toStdString();
    ASSERT_EQ(rmtool({"dump", path("units.rmf"), path("units.json")}).code, 0);
    ASSERT_EQ(rmtool({"build", path("units.json"), path("again.rmf")}).code, 0);
    auto bytes = [&](const char* name) {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
    };
    EXPECT_EQ(bytes("again.rmf"), bytes("units.rmf"));
    r = rmtool({"info", path("units.json")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("第1页 Page1: A4 210 x 297 毫米, 6 个视图, 2 个带区")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("  Units (Rows)"))) << r.out.toStdString();

    // The same template written by hand renders the same PDF.
    const char* twin = R"({
      "ReportInfo": ["单位名单"],
      "pages": [{"Name": "Page1", "views": [
        {"Class": "TRMBandView", "Name": "Title", "Width": 700, "Height": 30},
        {"Class": "TRMMemoView", "Name": "TitleText", "Left": 57, "Width": 300, "Height": 30,
         "Memo": ["单位名单"], "Font": {"Name": "宋体", "Size": 9}},
        {"Class": "TRMBandView", "Name": "Rows", "Top": 40, "Width": 700, "Height": 20,
         "BandType": "rmbtMasterData", "DataSource": "Units"},
        {"Class": "TRMMemoView", "Name": "Code", "Left": 57, "Top": 40, "Width": 80, "Height": 20,
         "LeftFrame": {"Visible": true}, "TopFrame": {"Visible": true},
         "RightFrame": {"Visible": true}, "BottomFrame": {"Visible": true},
         "Memo": ["[Units.\"code\"]"], "Font": {"Name": "宋体", "Size": 9}},
        {"Class": "TRMMemoView", "Name": "UnitName", "Left": 137, "Top": 40, "Width": 200,
         "Height": 20, "LeftFrame": {"Visible": true}, "TopFrame": {"Visible": true},
         "RightFrame": {"Visible": true}, "BottomFrame": {"Visible": true},
         "Memo": ["[Units.\"name\"]"], "Font": {"Name": "宋体", "Size": 9}},
        {"Class": "TRMMemoView", "Name": "Amount", "Left": 337, "Top": 40, "Width": 100,
         "Height": 20, "LeftFrame": {"Visible": true}, "TopFrame": {"Visible": true},
         "RightFrame": {"Visible": true}, "BottomFrame": {"Visible": true},
         "DisplayFormat": 16843310, "Memo": ["[Units.\"amount\"]"],
         "Font": {"Name": "宋体", "Size": 9}}
      ]}]
    })";
    write("twin.json", twin);
    ASSERT_EQ(rmtool({"check", path("twin.json")}).code, 0);
    const QString data = "Units=" + path("units.csv");
    r = rmtool({"render", path("twin.json"), "--data", data, path("twin.pdf")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    ASSERT_EQ(rmtool({"render", path("units.rmf"), "--data", data, path("units.pdf")}).code, 0);
    // The same texts at the same places (the files' own dates may differ by a second).
    const auto placedTexts = [&](const char* name) {
        QStringList lines =
            printtest::runTool("pdftotext", {"-bbox", path(name), "-"}).split(QLatin1Char('\n'));
        lines.removeIf([](const QString& line) { return line.contains(QStringLiteral("<meta")); });
        return lines;
    };
    EXPECT_EQ(placedTexts("twin.pdf"), placedTexts("units.pdf"));
    EXPECT_TRUE(printtest::runTool("pdftotext", {"-layout", path("twin.pdf"), "-"})
                    .contains(QStringLiteral("甲单位")));

    // A bad text: every problem with its path, exit 2, nothing written.
    write("bad.json", R"({"pages": [{"views": [{"Class": "TRMMemoView", "Font": {"Size": "大"},
                          "Colour": 1}]}]})");
    r = rmtool({"build", path("bad.json"), path("bad.rmf")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("pages[0].views[0].Font.Size: 需要一个数字")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("pages[0].views[0].Colour: 未知的键")));
    EXPECT_FALSE(QFile::exists(path("bad.rmf")));
    EXPECT_EQ(rmtool({"check", path("bad.json")}).code, 2);
}
