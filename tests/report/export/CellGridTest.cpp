// The cell grid and the values behind printed texts, without any output file.

#include "report/engine/expressions/RMDateTime.h"
#include "report/engine/expressions/RMDisplayFormat.h"
#include "report/engine/model/RMExportFilter.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMRichView.h"
#include "report/export/RMCellValue.h"
#include "report/export/RMExportGrid.h"
#include "tests/report/export/ExportTestSupport.h"

#include <gtest/gtest.h>

using namespace report;
using namespace exporttest;

namespace {

// Collects the placed cells of each page through the export replay.
struct GridRecorder : TRMExportFilter {
    std::string description() const override { return "网格"; }
    std::string fileMask() const override { return "*.grid"; }
    bool beginDocument(const TRMExportDocument&, std::string*) override { return true; }
    void beginPage(int, const TRMPageInfo&) override { cells.clear(); }
    void view(const TRMView& v, const platform::TRect& r) override { cells.addView(v, r); }
    void line(const TRMView& v, int x, int y, int, std::string_view text) override {
        cells.addLine(v, x, y, text);
    }
    void endPage() override {
        TRMColumnLayout columns;
        cells.addEdgesTo(columns);
        columns.finish();
        placed = cells.place(columns, heights);
        widths.clear();
        for (int c = 0; c < columns.columnCount(); ++c)
            widths.push_back(columns.width(c));
    }
    bool endDocument(std::string*) override { return true; }
    void abortDocument() override {}

    const TRMExportCell* at(int row, int col) const {
        for (const TRMExportCell& c : placed)
            if (c.Row == row && c.Col == col)
                return &c;
        return nullptr;
    }
    TRMPageCells cells;
    std::vector<TRMExportCell> placed;
    std::vector<int> heights, widths;
};

} // namespace

TEST(CellGrid, ColumnsAndRowsComeFromNearlyEqualEdgesAndViewsSpanThem) {
    PreparedPages doc;
    const int page = doc.addPage();
    doc.memo(page, 10, 10, 300, 30, "标题", false);
    doc.memo(page, 10, 40, 100, 20, "A");
    doc.memo(page, 110, 41, 100, 20, "B"); // one pixel lower
    doc.memo(page, 210, 40, 100, 20, "C");
    doc.memo(page, 10, 60, 200, 20, "AB");      // two columns
    doc.memo(page, 211, 60, 99, 20, "");        // framed empty cell, one pixel off
    doc.memo(page, 500, 60, 20, 20, "", false); // nothing to show: no cell, no column
    doc.flush();
    GridRecorder grid;
    doc.pages().exportPage(0, grid);

    ASSERT_EQ(grid.widths, (std::vector<int>{100, 100, 100}));
    EXPECT_EQ(grid.heights, (std::vector<int>{30, 20, 20}));
    ASSERT_EQ(grid.placed.size(), 6u);
    const TRMExportCell* title = grid.at(0, 0);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->LastCol, 2);
    EXPECT_EQ(title->Text, "标题");
    ASSERT_NE(grid.at(1, 1), nullptr);
    EXPECT_EQ(grid.at(1, 1)->Text, "B");
    EXPECT_EQ(grid.at(2, 0)->LastCol, 1);
    EXPECT_EQ(grid.at(2, 0)->Text, "AB");
    EXPECT_EQ(grid.at(2, 2)->Text, "");
    EXPECT_TRUE(grid.at(2, 2)->Style.Frames[0].Visible);
    // Cells come in row order, then column order.
    for (std::size_t i = 1; i < grid.placed.size(); ++i)
        EXPECT_TRUE(grid.placed[i - 1].Row < grid.placed[i].Row ||
                    (grid.placed[i - 1].Row == grid.placed[i].Row &&
                     grid.placed[i - 1].Col < grid.placed[i].Col));
}

TEST(CellGrid, TextComesFromTheMemoLinesOfTheExportReplay) {
    PreparedPages doc;
    const int page = doc.addPage();
    TRMMemoView& wrapped = doc.memo(page, 10, 10, 60, 60, "一二三四五六七八九十");
    wrapped.setFlag(flag::Wordwrap, true);
    doc.memo(page, 70, 10, 100, 60, "甲\n乙");
    doc.flush();
    TRMCheckBoxView box;
    box.SetBounds(170, 10, 20, 20);
    box.Memo1 = {"1"};
    TRMEMFPages::WriteView(doc.pages()[0]->Stream, box);
    GridRecorder grid;
    doc.pages().exportPage(0, grid);
    ASSERT_EQ(grid.placed.size(), 3u);
    // The lines as the memo laid them out, one per line of the cell.
    EXPECT_GT(std::count(grid.at(0, 0)->Text.begin(), grid.at(0, 0)->Text.end(), '\n'), 0);
    std::string joined = grid.at(0, 0)->Text;
    std::erase(joined, '\n');
    EXPECT_EQ(joined, "一二三四五六七八九十");
    EXPECT_EQ(grid.at(0, 1)->Text, "甲\n乙");
    EXPECT_TRUE(grid.at(0, 1)->Style.Wrap);
    EXPECT_EQ(grid.at(0, 2)->Text, "X");
}

TEST(CellGrid, RichViewsBecomeCellsWithThePlainTextOfTheirLines) {
    PreparedPages doc;
    const int page = doc.addPage();
    doc.memo(page, 10, 100, 100, 20, "编码");
    doc.memo(page, 110, 100, 200, 20, "名称");
    doc.flush();
    // A two-paragraph caption over the columns, as a title is printed.
    TRMRichView title;
    title.SetBounds(10, 10, 300, 80);
    title.RichText = "{\\rtf1{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\qc\\f0\\fs28 "
                     "\\'ba\\'cb\\'cb\\'e3\\'b5\\'a5\\'ce\\'bb{\\b \\'b5\\'b5\\'b0\\'b8}\\par "
                     "2026\\par}";
    TRMEMFPages::WriteView(doc.pages()[0]->Stream, title);
    TRMRichView empty; // prints nothing: no cell
    empty.SetBounds(10, 140, 300, 20);
    TRMEMFPages::WriteView(doc.pages()[0]->Stream, empty);
    GridRecorder grid;
    doc.pages().exportPage(0, grid);
    ASSERT_EQ(grid.placed.size(), 3u);
    const TRMExportCell* caption = grid.at(0, 0);
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->Text, "核算单位档案\n2026"); // runs of one line join, lines break
    EXPECT_EQ(caption->LastCol, 1);                 // over both columns
    ASSERT_NE(grid.at(1, 1), nullptr);
    EXPECT_EQ(grid.at(1, 1)->Text, "名称");
}

TEST(CellValue, NumbersOnlyWhereTheFormatPrintsExactlyThatText) {
    // Number formats: value and an Excel format that prints the same text.
    TRMCellValue v = cellValueOf("1,234.5", amountFormat, "");
    EXPECT_EQ(v.kind, TRMCellValue::Number);
    EXPECT_DOUBLE_EQ(v.number, 1234.5);
    EXPECT_EQ(v.excelFormat, "#,##0.0");
    v = cellValueOf("-12.30", fixedFormat, "");
    EXPECT_EQ(v.kind, TRMCellValue::Number);
    EXPECT_DOUBLE_EQ(v.number, -12.3);
    EXPECT_EQ(v.excelFormat, "0.00");
    const std::int32_t custom = makeFormatCode(fkNumber, 4, 2, '.');
    v = cellValueOf(formatValue(platform::Variant(-5.0), custom, "￥#,##0.00;(￥#,##0.00)"), custom,
                    "￥#,##0.00;(￥#,##0.00)");
    EXPECT_EQ(v.kind, TRMCellValue::Number);
    EXPECT_DOUBLE_EQ(v.number, -5.0);
    EXPECT_EQ(v.excelFormat, "\"￥\"#,##0.00;(\"￥\"#,##0.00)");
    // Text the format would not print stays text: codes, edited texts, text formats.
    EXPECT_EQ(cellValueOf("0009", fixedFormat, "").kind, TRMCellValue::Text);
    EXPECT_EQ(cellValueOf("12.3 元", amountFormat, "").kind, TRMCellValue::Text);
    EXPECT_EQ(cellValueOf("12", makeFormatCode(fkText, 0, 2, '.'), "").kind, TRMCellValue::Text);
    EXPECT_EQ(cellValueOf(" 12", amountFormat, "").kind, TRMCellValue::Text);
    EXPECT_EQ(cellValueOf("", amountFormat, "").kind, TRMCellValue::Text);
    // A comma as the decimal separator.
    const std::int32_t comma = makeFormatCode(fkNumber, 1, 2, ',');
    v = cellValueOf("3,25", comma, "");
    EXPECT_EQ(v.kind, TRMCellValue::Number);
    EXPECT_DOUBLE_EQ(v.number, 3.25);
}

TEST(CellValue, DatesAndTimesReadBackThroughTheirPatterns) {
    const double day = encodeDate(2026, 12, 9);
    for (int sub = 0; sub <= 6; ++sub) {
        const std::int32_t code = makeFormatCode(fkDate, sub, 0, 0);
        const std::string text = formatValue(platform::Variant(platform::DateTime{day}), code, "");
        const TRMCellValue v = cellValueOf(text, code, "");
        EXPECT_EQ(v.kind, TRMCellValue::Date) << sub << " " << text;
        EXPECT_DOUBLE_EQ(v.number, day) << sub << " " << text;
    }
    EXPECT_EQ(cellValueOf("2026年12月09日", makeFormatCode(fkDate, 2, 0, 0), "").excelFormat,
              "yyyy\"年\"mm\"月\"dd\"日\"");
    EXPECT_EQ(excelDateFormat("dddd yyyy'年'M'月'd'日'"), "[$-804]dddd yyyy\"年\"m\"月\"d\"日\"");
    EXPECT_EQ(excelDateFormat("hh:nn:ss"), "hh:mm:ss");
    const TRMCellValue t = cellValueOf("08:05:30", makeFormatCode(fkTime, 0, 0, 0), "");
    EXPECT_EQ(t.kind, TRMCellValue::Date);
    EXPECT_DOUBLE_EQ(t.number, encodeTime(8, 5, 30));
    // Not a date of that pattern, an impossible date, a day before March 1900.
    EXPECT_EQ(cellValueOf("2026-12-09", makeFormatCode(fkDate, 1, 0, 0), "").kind,
              TRMCellValue::Text);
    EXPECT_EQ(cellValueOf("2026.02.30", makeFormatCode(fkDate, 1, 0, 0), "").kind,
              TRMCellValue::Text);
    EXPECT_EQ(cellValueOf("1900.01.05", makeFormatCode(fkDate, 1, 0, 0), "").kind,
              TRMCellValue::Text);
}
