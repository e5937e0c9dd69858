// The Excel filter, read back with openpyxl: cells on the grid of the view positions,
// merged spans, values and number formats, fonts, fills and borders, the two sheet modes,
// streaming, and files left alone when an export fails.

#include "report/engine/model/RMProgress.h"
#include "report/export/RMXlsxExportFilter.h"
#include "tests/report/export/ExportTestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace report;
using namespace exporttest;

namespace {

class XlsxExport : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(name); }
    TRMExportResult run(PreparedPages& doc, const QString& file, std::vector<int> pages = {},
                        TRMProgress* progress = nullptr) {
        return exportReport(doc.pages(), filter, file.toStdString(), pages, progress, "单位档案");
    }
    QTemporaryDir dir;
    TRMXlsxExportFilter filter;
};

} // namespace

TEST_F(XlsxExport, TableBecomesCellsWithValuesFormatsAndStyles) {
    PreparedPages doc;
    tableReport(doc, 1, 3);
    const TRMExportResult result = run(doc, path("t.xlsx"));
    ASSERT_EQ(result.status, TRMExportStatus::Exported) << result.message;
    EXPECT_TRUE(filter.streamed());

    const QJsonObject book = readXlsx(path("t.xlsx"));
    ASSERT_EQ(book["sheets"].toArray().size(), 1);
    EXPECT_EQ(book["title"].toString(), QStringLiteral("单位档案"));
    const QJsonObject sheet = book["sheets"].toArray()[0].toObject();
    EXPECT_EQ(sheet["name"].toString(), QStringLiteral("单位档案"));
    const QJsonObject cells = cellsByRef(sheet);

    // Title merged over the four columns (its right edge ends inside the last one).
    EXPECT_EQ(sheet["merged"].toArray(), QJsonArray({"A1:D1", "A6:D6"}));
    EXPECT_EQ(cells["A1"]["value"].toString(), QStringLiteral("核算单位档案"));
    EXPECT_TRUE(cells["A1"]["bold"].toBool());
    EXPECT_EQ(cells["A1"]["size"].toDouble(), 14);
    EXPECT_EQ(cells["A1"]["halign"].toString(), "center");
    // Column titles: bold on the grey fill, framed.
    EXPECT_EQ(cells["B2"]["value"].toString(), QStringLiteral("名称"));
    EXPECT_EQ(cells["B2"]["fill"].toString(), "C0C0C0");
    EXPECT_EQ(cells["B2"]["font"].toString(), QStringLiteral("宋体"));
    EXPECT_EQ(cells["B2"]["border"].toObject()["left"].toString(), "thin");
    EXPECT_EQ(cells["B2"]["border"].toObject()["bottom"].toString(), "thin");
    // The code stays text, the amount is a number with its grouping format, the date a date.
    EXPECT_EQ(cells["A3"]["value"].toString(), "0001");
    EXPECT_EQ(cells["A3"]["type"].toString(), "s");
    EXPECT_EQ(cells["A3"]["format"].toString(), "@");
    EXPECT_EQ(cells["C4"]["type"].toString(), "n");
    EXPECT_DOUBLE_EQ(cells["C4"]["value"].toDouble(), 3.0);
    EXPECT_EQ(cells["C4"]["format"].toString(), "#,##0");
    EXPECT_DOUBLE_EQ(cells["C5"]["value"].toDouble(), 4.5);
    EXPECT_EQ(cells["C5"]["format"].toString(), "#,##0.0");
    EXPECT_EQ(cells["C5"]["halign"].toString(), "right");
    EXPECT_EQ(cells["D3"]["type"].toString(), "d");
    EXPECT_EQ(cells["D3"]["value"].toString(), "2026-01-02T00:00:00");
    EXPECT_EQ(cells["D3"]["format"].toString(), "yyyy.mm.dd");
    // Footer below the table, merged like the title.
    EXPECT_EQ(cells["A6"]["value"].toString(), QStringLiteral("第1页/共1页"));

    // Widths and heights follow the views: 80 / 200 pixels, the 40-pixel title row (from its
    // top to the column titles) 30 points; 20-pixel rows are Excel's default 15 points.
    const QJsonObject cols = sheet["cols"].toObject();
    EXPECT_NEAR(cols["A"].toDouble() / cols["B"].toDouble(), 80.0 / 200.0, 0.03);
    EXPECT_DOUBLE_EQ(sheet["rows"].toObject()["1"].toDouble(), 30.0);
    EXPECT_FALSE(sheet["rows"].toObject().contains("3"));
}

TEST_F(XlsxExport, OneSheetRepeatsEachPageHeaderOnceAndBreaksBetweenPages) {
    PreparedPages doc;
    tableReport(doc, 3, 4);
    ASSERT_EQ(run(doc, path("one.xlsx")).status, TRMExportStatus::Exported);
    const QJsonObject sheet = readXlsx(path("one.xlsx"))["sheets"].toArray()[0].toObject();
    const QJsonObject cells = cellsByRef(sheet);
    // Each page: title, column titles, 4 units, footer = 7 rows.
    for (int p = 0; p < 3; ++p) {
        const int first = p * 7 + 1;
        EXPECT_EQ(cells[QString("A%1").arg(first)]["value"].toString(),
                  QStringLiteral("核算单位档案"));
        EXPECT_EQ(cells[QString("A%1").arg(first + 1)]["value"].toString(), QStringLiteral("编码"));
        EXPECT_EQ(cells[QString("A%1").arg(first + 2)]["value"].toString(),
                  QString::fromStdString(unitCode(p * 4 + 1)));
        EXPECT_EQ(cells[QString("A%1").arg(first + 6)]["value"].toString(),
                  QString("第%1页/共3页").arg(p + 1));
    }
    EXPECT_EQ(sheet["max_row"].toInt(), 21);
    EXPECT_EQ(sheet["breaks"].toArray(), QJsonArray({7, 14}));
}

TEST_F(XlsxExport, SheetPerPageAndAPageList) {
    PreparedPages doc;
    tableReport(doc, 3, 2);
    filter.Options.SheetPerPage = true;
    ASSERT_EQ(run(doc, path("per.xlsx"), {2, 0}).status, TRMExportStatus::Exported);
    const QJsonArray sheets = readXlsx(path("per.xlsx"))["sheets"].toArray();
    ASSERT_EQ(sheets.size(), 2);
    EXPECT_EQ(sheets[0]["name"].toString(), QStringLiteral("第3页"));
    EXPECT_EQ(sheets[1]["name"].toString(), QStringLiteral("第1页"));
    const QJsonObject third = cellsByRef(sheets[0].toObject());
    const QJsonObject first = cellsByRef(sheets[1].toObject());
    EXPECT_EQ(third["A3"]["value"].toString(), "0005");
    EXPECT_EQ(first["A4"]["value"].toString(), "0002");
}

TEST_F(XlsxExport, CellsCoveringSeveralRowsAreMergedWithoutStreaming) {
    PreparedPages doc;
    const int page = doc.addPage();
    doc.memo(page, 10, 10, 100, 40, "合并"); // two rows high
    doc.memo(page, 110, 10, 100, 20, "上");
    doc.memo(page, 110, 30, 100, 20, "下");
    doc.memo(page, 111, 30, 60, 20, "叠"); // same first cell as "下": joins it
    doc.flush();
    ASSERT_EQ(run(doc, path("span.xlsx")).status, TRMExportStatus::Exported);
    EXPECT_FALSE(filter.streamed());
    const QJsonObject sheet = readXlsx(path("span.xlsx"))["sheets"].toArray()[0].toObject();
    EXPECT_EQ(sheet["merged"].toArray(), QJsonArray({"A1:A2"}));
    const QJsonObject cells = cellsByRef(sheet);
    EXPECT_EQ(cells["A1"]["value"].toString(), QStringLiteral("合并"));
    EXPECT_EQ(cells["B2"]["value"].toString(), QStringLiteral("下\n叠"));
    EXPECT_TRUE(cells["B2"]["wrap"].toBool());
}

TEST_F(XlsxExport, FailuresLeaveNoFileAndKeepTheOldOne) {
    PreparedPages doc;
    tableReport(doc, 3, 2);
    // A folder that does not exist.
    TRMExportResult result = run(doc, path("missing/x.xlsx"));
    EXPECT_EQ(result.status, TRMExportStatus::Failed);
    EXPECT_NE(result.message.find("不存在"), std::string::npos) << result.message;
    // A page the report does not have: nothing is written.
    result = run(doc, path("p.xlsx"), {7});
    EXPECT_EQ(result.status, TRMExportStatus::Failed);
    EXPECT_NE(result.message.find("第 8 页"), std::string::npos) << result.message;
    EXPECT_FALSE(QFile::exists(path("p.xlsx")));
    // Cancelled after the first page: the file that was there stays as it was.
    {
        QFile old(path("keep.xlsx"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    TRMHeadlessProgress progress;
    progress.onLine = [&](const std::string&) { progress.cancel(); };
    result = run(doc, path("keep.xlsx"), {}, &progress);
    EXPECT_EQ(result.status, TRMExportStatus::Cancelled);
    EXPECT_EQ(fileBytes(path("keep.xlsx")), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "temporary files left behind";
}
