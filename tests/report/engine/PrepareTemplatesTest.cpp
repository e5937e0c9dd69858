// Stored templates prepared over data, and the page-level switches: continuing on the
// previous page, one run per record of a multiple report, page columns, dialog pages and
// templates that lack an add-in class.
#include "TemplateBuilder.h"
#include "platform/MessageBox.h"
#include "report/engine/model/RMVariables.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace report;
using namespace testreport;
using platform::Variant;

namespace {

void loadTemplate(TRMReport& report, const char* name) {
    ASSERT_TRUE(report.LoadFromFile(
        testsupport::dataPath(QString("report/templates/") + name).toStdString()));
}

std::vector<std::string> textsNamed(const TRMReport& report, const std::string& prefix) {
    std::vector<std::string> out;
    for (int p = 0; p < report.EMFPages.Count(); ++p)
        for (const Placed& v : named(report, p, prefix))
            out.push_back(v.text);
    return out;
}

} // namespace

TEST(PrepareTemplates, SalesByRegionFromItsFile) {
    RowsDataset sales("Sales", {"region", "item", "amount"}, {});
    const char* regions[] = {"华北", "华东", "华南"};
    for (int r = 0; r < 3; ++r)
        for (int i = 0; i < 30; ++i)
            sales.Rows.push_back({Variant(regions[r]),
                                  Variant("商品" + std::to_string(r * 100 + i)), Variant(r + 1)});
    GlobalVariables().SetVariable("Title", "地区销售");
    TRMReport report;
    sales.attachTo(report);
    loadTemplate(report, "sales_by_region.rmf");
    const std::string before = templateBytes(report);
    ASSERT_TRUE(report.PrepareReport());
    EXPECT_EQ(templateBytes(report), before);
    ASSERT_EQ(report.EMFPages.Count(), 3);
    EXPECT_EQ(textsNamed(report, "TitleText"), (std::vector<std::string>{"地区销售"}));
    // Group headers show the total of their rows, also where they repeat after a break.
    EXPECT_EQ(textsNamed(report, "GroupText"),
              (std::vector<std::string>{"地区:华北", "地区:华东", "地区:华东", "地区:华南",
                                        "地区:华南"}));
    EXPECT_EQ(textsNamed(report, "GroupAhead"),
              (std::vector<std::string>{"本组合计30", "本组合计60", "本组合计60", "本组合计90",
                                        "本组合计90"}));
    EXPECT_EQ(textsNamed(report, "GroupTotal"),
              (std::vector<std::string>{"小计:30", "小计:60", "小计:90"}));
    EXPECT_EQ(textsNamed(report, "GroupCount"),
              (std::vector<std::string>{"笔数:30", "笔数:30", "笔数:30"}));
    EXPECT_EQ(textsNamed(report, "GrandTotal"), (std::vector<std::string>{"总计:180"}));
    EXPECT_EQ(textsNamed(report, "PageNumbers"),
              (std::vector<std::string>{"第1页/共3页", "第2页/共3页", "第3页/共3页"}));
    EXPECT_EQ(textsNamed(report, "CellItem").size(), 90u);
    GlobalVariables().Clear();
}

TEST(PrepareTemplates, ArchiveListWithItsColumnFooterOnEveryPage) {
    RowsDataset units("RMGridDataSet1", {"f_Hsdwh", "f_Hsdwmc"}, {});
    for (int i = 1; i <= 50; ++i)
        units.Rows.push_back(
            {Variant(std::to_string(1000 + i)), Variant("单位" + std::to_string(i))});
    GlobalVariables().SetVariable("Oper", "张三");
    TRMReport report;
    units.attachTo(report);
    loadTemplate(report, "archive_list.rmf");
    ASSERT_TRUE(report.PrepareReport());
    ASSERT_EQ(report.EMFPages.Count(), 2);
    EXPECT_EQ(textsNamed(report, "Caption"),
              (std::vector<std::string>{"核算单位档案", "核算单位档案"}));
    EXPECT_EQ(textsNamed(report, "Operator"),
              (std::vector<std::string>{"制表人:张三", "制表人:张三"}));
    EXPECT_EQ(textsNamed(report, "PageNo"), (std::vector<std::string>{"第1页", "第2页"}));
    const std::vector<Placed> codes = named(report, 0, "Code");
    const std::vector<Placed> footer = named(report, 0, "Operator");
    EXPECT_EQ(footer[0].top, codes.back().top + 20) << "the column footer follows the last row";
    EXPECT_EQ(textsNamed(report, "Name").back(), "单位50");
    GlobalVariables().Clear();
}

TEST(PrepareTemplates, PrintToPrevPageContinuesOnTheLastPage) {
    TRMReport report;
    TemplateBuilder t(report);
    auto& first = t.band(rmbtReportTitle, 100, "First");
    t.memo(first, 0, 0, 100, 100, {"第一页内容"}, "A");
    t.nextPage();
    t.page().PrintToPrevPage = true;
    auto& second = t.band(rmbtReportTitle, 40, "Second");
    t.memo(second, 0, 0, 100, 40, {"接续内容"}, "B");
    ASSERT_TRUE(report.PrepareReport());
    ASSERT_EQ(report.EMFPages.Count(), 1);
    EXPECT_EQ(named(report, 0, "B").front().top, t.topMargin() + 100);

    t.page().PrintToPrevPage = false;
    ASSERT_TRUE(report.PrepareReport());
    EXPECT_EQ(report.EMFPages.Count(), 2);
}

TEST(PrepareTemplates, MultipleReportsRunTheirPagesOncePerRecord) {
    RowsDataset customers("Customers", {"name"}, {{Variant("甲公司")}, {Variant("乙公司")}});
    TRMReport report;
    customers.attachTo(report);
    TemplateBuilder t(report);
    auto& title = t.band(rmbtReportTitle, 20, "Title");
    t.memo(title, 0, 0, 200, 20, {customers.ref("name")}, "Name");
    report.ReportType = rtMultiple;
    report.Dataset = &customers;
    ASSERT_TRUE(report.PrepareReport());
    ASSERT_EQ(report.EMFPages.Count(), 2);
    EXPECT_EQ(textsNamed(report, "Name"), (std::vector<std::string>{"甲公司", "乙公司"}));
}

TEST(PrepareTemplates, PageColumnsFillSideBySide) {
    RowsDataset rows("Rows", {"n"}, {});
    for (int i = 1; i <= 100; ++i)
        rows.Rows.push_back({Variant(i)});
    TRMReport report;
    rows.attachTo(report);
    TemplateBuilder t(report);
    t.page().Columns = 2;
    t.page().ColumnGap = 10000; // 10 mm
    auto& header = t.band(rmbtColumnHeader, 20, "ColumnHeader");
    t.memo(header, 0, 0, 100, 20, {"序号"}, "Head");
    auto& band = t.band(rmbtMasterData, 20, "MasterData1");
    band.DisplayFormatText = "RMDialogForm.Rows";
    t.memo(band, 0, 0, 100, 20, {rows.ref("n")}, "Cell");
    ASSERT_TRUE(report.PrepareReport());
    ASSERT_EQ(report.EMFPages.Count(), 2);
    const std::vector<Placed> heads = named(report, 0, "Head");
    ASSERT_EQ(heads.size(), 2u);
    const int columnWidth =
        (t.page().paperWidthPixels() - t.page().marginsInPixels().right - t.leftMargin() - 38) / 2;
    EXPECT_EQ(heads[1].left, t.leftMargin() + columnWidth + 38);
    EXPECT_EQ(heads[1].top, heads[0].top);
    const std::vector<Placed> cells = named(report, 0, "Cell");
    const auto second = std::find_if(cells.begin(), cells.end(),
                                     [&](const Placed& c) { return c.left == heads[1].left; });
    ASSERT_NE(second, cells.end());
    EXPECT_EQ(second->top, cells.front().top) << "column 2 starts at the column top";
    EXPECT_EQ(named(report, 1, "Cell").front().text,
              std::to_string(static_cast<int>(cells.size()) + 1));
}

TEST(PrepareTemplates, DialogPagesAreSkippedAndMissingAddInsStopThePreparation) {
    TRMReport report;
    TemplateBuilder t(report);
    auto& title = t.band(rmbtReportTitle, 20, "Title");
    t.memo(title, 0, 0, 100, 20, {"内容"}, "Text");
    t.nextPage();
    t.page().Type = ptDialog;
    auto& dialogBand = t.band(rmbtReportTitle, 20, "DialogTitle");
    t.memo(dialogBand, 0, 0, 100, 20, {"对话框"}, "DialogText");
    ASSERT_TRUE(report.PrepareReport());
    EXPECT_EQ(report.EMFPages.Count(), 1);
    EXPECT_EQ(texts(report, 0), (std::vector<std::string>{"内容"}));

    platform::ScriptedMessageBoxes boxes;
    TRMReport broken;
    broken.LoadFromFile(testsupport::dataPath("report/t_unknown_addin.rmf").toStdString());
    ASSERT_TRUE(broken.ClassNotFound.found);
    const std::size_t shown = boxes.count();
    EXPECT_FALSE(broken.PrepareReport());
    ASSERT_EQ(boxes.count(), shown + 1);
    EXPECT_EQ(boxes.last().caption, "错误");
    EXPECT_EQ(broken.EMFPages.Count(), 0);
}

TEST(PrepareTemplates, DataFieldOnlyPrintsTheBoundFieldAsItReads) {
    RowsDataset rows("Amounts", {"v"}, {{Variant(0)}, {Variant(1234.5)}});
    TRMReport report;
    rows.attachTo(report);
    TemplateBuilder t(report);
    auto& master = t.band(rmbtMasterData, 20, "MasterData1");
    master.DisplayFormatText = "RMDialogForm.Amounts";
    t.memo(master, 0, 0, 100, 20, {rows.ref("v")}, "Expanded");
    t.memo(master, 100, 0, 100, 20, {rows.ref("v")}, "FieldOnly")
        .setFlag2(flag2::DataFieldOnly, true);
    // Not one bracketed field: not bound, so expanded as usual.
    t.memo(master, 200, 0, 100, 20, {"值" + rows.ref("v")}, "NotBound")
        .setFlag2(flag2::DataFieldOnly, true);
    ASSERT_TRUE(report.PrepareReport());
    EXPECT_EQ(textsNamed(report, "Expanded"), (std::vector<std::string>{"", "1234.5"}));
    EXPECT_EQ(textsNamed(report, "FieldOnly"), (std::vector<std::string>{"0", "1234.5"}));
    EXPECT_EQ(textsNamed(report, "NotBound"), (std::vector<std::string>{"值", "值1234.5"}));
}
