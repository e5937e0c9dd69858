// Placing bands: stretched rows, child bands, bands split across pages, bands too tall for
// any page (printed once, cut at the bottom), band columns, cross columns, subreports, and
// a prepared page drawn through the page-drawing call.
#include "TemplateBuilder.h"
#include "platform/Metafile.h"
#include "report/engine/layout/RMLayoutCache.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMRichView.h"
#include "report/engine/preparation/RMViewCast.h"

#include <gtest/gtest.h>

using namespace report;
using namespace testreport;
using platform::Variant;

namespace {

struct Table {
    explicit Table(std::vector<std::string> values)
        : data("Table" + std::to_string(++serial), {"v"}, {})
        , t(report) {
        data.attachTo(report);
        for (auto& v : values)
            data.Rows.push_back({Variant(v)});
        master = &t.band(rmbtMasterData, 20, "MasterData1");
        master->DisplayFormatText = "RMDialogForm." + data.Name;
    }
    int bottomLimit() const {
        return t.page().paperHeightPixels() - t.page().marginsInPixels().bottom;
    }
    static inline int serial = 0;
    RowsDataset data;
    TRMReport report;
    TemplateBuilder t;
    TRMBandView* master;
};

std::string longText(int characters) {
    std::string s;
    for (int i = 0; i < characters; ++i)
        s += "档";
    return s;
}

} // namespace

TEST(PrepareBands, StretchedRowsGrowToTheirTallestCell) {
    Table tb({"短", longText(40), "短"});
    tb.master->setBandFlag(bandflag::Stretched, true);
    auto& wide = tb.t.memo(*tb.master, 0, 0, 100, 20, {tb.data.ref("v")}, "Text");
    wide.setFlag(flag::Stretched, true);
    wide.setFlag(flag::Wordwrap, true);
    auto& side = tb.t.memo(*tb.master, 100, 0, 60, 20, {"[Line#]"}, "Side");
    side.setFlag(flag::Stretched, true);
    ASSERT_TRUE(tb.report.PrepareReport());
    const std::vector<Placed> texts = named(tb.report, 0, "Text");
    const std::vector<Placed> sides = named(tb.report, 0, "Side");
    ASSERT_EQ(texts.size(), 3u);
    // 40 characters of 12 px in 96 px lines: 5 lines of 14 px, 4 px gaps, 1 px frames none.
    const int tall = texts[1].height;
    EXPECT_EQ(tall, 5 * 14 - 2 + 4);
    EXPECT_EQ(texts[0].height, 20);
    EXPECT_EQ(texts[2].top, texts[1].top + tall);
    EXPECT_EQ(sides[1].height, tall) << "every stretched cell reaches the band bottom";
    EXPECT_EQ(sides[1].text, "2");
}

TEST(PrepareBands, EveryStretchedCellIsLaidOutOnceOverBothPasses) {
    for (const bool twoPasses : {false, true}) {
        Table tb({longText(30), "短", longText(12)});
        tb.report.DoublePass = twoPasses;
        tb.master->setBandFlag(bandflag::Stretched, true);
        for (int c = 0; c < 2; ++c) {
            auto& cell = tb.t.memo(*tb.master, 100 * c, 0, 100, 20, {tb.data.ref("v")},
                                   "Cell" + std::to_string(c));
            cell.setFlag(flag::Stretched, true);
            cell.setFlag(flag::Wordwrap, true);
        }
        const std::size_t before = TRMLayoutCache::layoutsMade();
        ASSERT_TRUE(tb.report.PrepareReport());
        EXPECT_EQ(TRMLayoutCache::layoutsMade() - before, 6u) << "3 rows of 2 cells";
        EXPECT_EQ(named(tb.report, 0, "Cell1")[0].height, 4 * 14 - 2 + 4) << "8 characters a line";
    }
}

// Past its bound the cache still hands a band's write the layout of its measure, and every
// layout is the one the view makes itself.
TEST(PrepareBands, ALayoutCacheFullToItsBoundGivesTheViewsOwnLayouts) {
    TRMMemoView view;
    view.Width = 100;
    view.Height = 20;
    view.setFlag(flag::Wordwrap, true);
    TRMLayoutCache bounded(0);
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < 2 * static_cast<int>(TRMLayoutCache::kRecentEntries); ++i) {
            const TRMStrings text{longText(1 + i % 40) + std::to_string(i)};
            const TRMMemoLayout expected = view.LayoutText(text);
            const std::size_t before = TRMLayoutCache::layoutsMade();
            const int measured = bounded.layout(view, text, true).TextHeight;
            const TRMMemoLayout written = bounded.layout(view, text, false);
            ASSERT_EQ(TRMLayoutCache::layoutsMade() - before, 1u) << "text " << i;
            ASSERT_EQ(measured, expected.TextHeight) << "text " << i;
            ASSERT_EQ(written.Lines, expected.Lines) << "text " << i;
        }
}

// The band loops' class checks, remembered per class, answer as dynamic_cast does: in any
// order, again, and for more classes than they remember.
TEST(PrepareBands, ViewClassChecksAnswerAsDynamicCast) {
    std::vector<std::unique_ptr<TRMView>> views;
    views.push_back(std::make_unique<TRMCalcMemoView>());
    views.push_back(std::make_unique<TRMMemoView>());
    views.push_back(std::make_unique<TRMSubReportView>());
    views.push_back(std::make_unique<TRMPictureView>());
    views.push_back(std::make_unique<TRMRichView>());
    views.push_back(std::make_unique<TRMLineView>());
    views.push_back(std::make_unique<TRMBandView>());
    views.push_back(std::make_unique<TRMShapeView>());
    views.push_back(std::make_unique<TRMCheckBoxView>());
    views.push_back(std::make_unique<TRMMoneyView>());
    views.push_back(std::make_unique<TRMDiagonalView>());
    views.push_back(std::make_unique<TRMRegionView>());
    views.push_back(std::make_unique<TRMView>());
    for (int round = 0; round < 2; ++round)
        for (const auto& owned : views) {
            TRMView* v = owned.get();
            const std::string name = v->ClassName();
            EXPECT_EQ(viewCast<TRMMemoView>(v), dynamic_cast<TRMMemoView*>(v)) << name;
            EXPECT_EQ(viewCast<TRMCalcMemoView>(v), dynamic_cast<TRMCalcMemoView*>(v)) << name;
            EXPECT_EQ(viewCast<TRMSubReportView>(v), dynamic_cast<TRMSubReportView*>(v)) << name;
            EXPECT_EQ(viewCast<const TRMStretcheable>(static_cast<const TRMView*>(v)),
                      dynamic_cast<const TRMStretcheable*>(v))
                << name;
        }
}

TEST(PrepareBands, ChildBandsFollowAndPrintWhenTheirBandIsHidden) {
    Table tb({"a", "b"});
    tb.t.memo(*tb.master, 0, 0, 100, 20, {tb.data.ref("v")}, "Cell");
    auto& child = tb.t.band(rmbtChild, 10, "Child");
    tb.t.memo(child, 0, 0, 100, 10, {"子[Line#]"}, "ChildText");
    tb.master->ChildBand = "Child";
    ASSERT_TRUE(tb.report.PrepareReport());
    const std::vector<Placed> cells = named(tb.report, 0, "Cell");
    const std::vector<Placed> children = named(tb.report, 0, "ChildText");
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0].top, cells[0].top + 20);
    EXPECT_EQ(cells[1].top, children[0].top + 10);

    tb.master->Visible = false;
    ASSERT_TRUE(tb.report.PrepareReport());
    EXPECT_TRUE(named(tb.report, 0, "ChildText").empty());
    tb.master->setBandFlag(bandflag::PrintChildIfInvisible, true);
    ASSERT_TRUE(tb.report.PrepareReport());
    EXPECT_EQ(named(tb.report, 0, "ChildText").size(), 2u);
    EXPECT_TRUE(named(tb.report, 0, "Cell").empty());
}

TEST(PrepareBands, BreakedBandsSplitTheirTextOverPages) {
    Table tb({longText(2000)});
    tb.master->setBandFlag(bandflag::Stretched, true);
    tb.master->setBandFlag(bandflag::Breaked, true);
    auto& text = tb.t.memo(*tb.master, 0, 0, 600, 20, {tb.data.ref("v")}, "Text");
    text.setFlag(flag::Stretched, true);
    text.setFlag(flag::Wordwrap, true);
    ASSERT_TRUE(tb.report.PrepareReport());
    // 2000 characters, 49 per 600-px line: 41 lines of 14 px, about 66 lines per page.
    ASSERT_EQ(tb.report.EMFPages.Count(), 1);
    Table big({longText(6000)});
    big.master->setBandFlag(bandflag::Stretched, true);
    big.master->setBandFlag(bandflag::Breaked, true);
    auto& bigText = big.t.memo(*big.master, 0, 0, 600, 20, {big.data.ref("v")}, "Text");
    bigText.setFlag(flag::Stretched, true);
    bigText.setFlag(flag::Wordwrap, true);
    ASSERT_TRUE(big.report.PrepareReport());
    ASSERT_EQ(big.report.EMFPages.Count(), 2);
    std::string joined;
    for (int p = 0; p < 2; ++p) {
        const std::vector<Placed> parts = named(big.report, p, "Text");
        ASSERT_EQ(parts.size(), 1u);
        EXPECT_LE(parts[0].top + parts[0].height, big.bottomLimit());
        for (char c : parts[0].text)
            if (c != '|')
                joined += c;
    }
    EXPECT_EQ(joined, longText(6000)) << "every character printed once";
}

TEST(PrepareBands, BandsTooTallForAnyPagePrintOnceCutAtTheBottom) {
    // A data band taller than the page.
    Table tall({"1", "2", "3"});
    tall.master->Height = 1500;
    tall.t.memo(*tall.master, 0, 0, 100, 1500, {tall.data.ref("v")}, "Cell");
    ASSERT_TRUE(tall.report.PrepareReport());
    ASSERT_EQ(tall.report.EMFPages.Count(), 3);
    for (int p = 0; p < 3; ++p) {
        const std::vector<Placed> cells = named(tall.report, p, "Cell");
        ASSERT_EQ(cells.size(), 1u);
        EXPECT_EQ(cells[0].text, std::to_string(p + 1));
        EXPECT_EQ(cells[0].top, tall.t.topMargin());
        EXPECT_EQ(cells[0].top + cells[0].height, tall.bottomLimit());
    }

    // A page header and a title taller than the page, and a page header whose script
    // asks for a new page every time it prints.
    Table header({"1", "2"});
    header.t.memo(*header.master, 0, 0, 100, 20, {header.data.ref("v")}, "Cell");
    auto& title = header.t.band(rmbtReportTitle, 1300, "Title");
    header.t.memo(title, 0, 0, 100, 1300, {"标题"}, "TitleText");
    auto& pageHeader = header.t.band(rmbtPageHeader, 1200, "PageHeader");
    header.t.memo(pageHeader, 0, 0, 100, 1200, {"页头"}, "HeaderText");
    pageHeader.OnBeforePrint = {"NewPage"};
    ASSERT_TRUE(header.report.PrepareReport());
    const int pages = header.report.EMFPages.Count();
    EXPECT_GE(pages, 2);
    EXPECT_LE(pages, 4);
    int cells = 0;
    for (int p = 0; p < pages; ++p)
        for (const Placed& v : placed(header.report, p)) {
            EXPECT_LE(v.top + v.height, header.bottomLimit()) << v.name << " on page " << p;
            cells += v.name == "Cell";
        }
    EXPECT_EQ(cells, 0) << "no room for rows below a header that fills the page";
}

TEST(PrepareBands, BandColumnsAcrossOrDownFirst) {
    for (const bool acrossFirst : {true, false}) {
        std::vector<std::string> values;
        for (int i = 1; i <= 7; ++i)
            values.push_back(std::to_string(i));
        Table tb(values);
        tb.master->Columns = 3;
        tb.master->ColumnWidth = 150;
        tb.master->ColumnGap = 10;
        tb.master->setBandFlag(bandflag::PrintColFirst, acrossFirst);
        tb.master->LinesPerPage = acrossFirst ? 0 : 3;
        tb.t.memo(*tb.master, 0, 0, 100, 20, {tb.data.ref("v")}, "Cell");
        auto& footer = tb.t.band(rmbtMasterFooter, 20, "Footer");
        tb.t.memo(footer, 0, 0, 100, 20, {"尾"}, "FooterText");
        ASSERT_TRUE(tb.report.PrepareReport());
        ASSERT_EQ(tb.report.EMFPages.Count(), 1);
        const std::vector<Placed> cells = named(tb.report, 0, "Cell");
        ASSERT_EQ(cells.size(), 7u);
        const int x0 = tb.t.leftMargin(), y0 = tb.t.topMargin();
        for (int i = 0; i < 7; ++i) {
            const int column = acrossFirst ? i % 3 : i / 3;
            const int line = acrossFirst ? i / 3 : i % 3;
            EXPECT_EQ(cells[static_cast<std::size_t>(i)].left, x0 + 160 * column) << i;
            EXPECT_EQ(cells[static_cast<std::size_t>(i)].top, y0 + 20 * line) << i;
        }
        EXPECT_EQ(named(tb.report, 0, "FooterText").front().top, y0 + 60)
            << "the footer goes below the lowest column";
    }
}

TEST(PrepareBands, CrossColumnsOnePerRecord) {
    RowsDataset months("Months" + std::to_string(++Table::serial), {"m"},
                       {{Variant("一月")}, {Variant("二月")}, {Variant("三月")}});
    TRMReport report;
    months.attachTo(report);
    TemplateBuilder t(report);
    auto& row = t.band(rmbtMasterData, 20, "Row");
    row.DisplayFormatText = "1";
    auto& crossHeader = t.band(rmbtCrossHeader, 0, "CrossHeader");
    crossHeader.SetBounds(t.leftMargin(), 0, 80, 0);
    auto& cross = t.band(rmbtCrossData, 0, "CrossData");
    cross.SetBounds(t.leftMargin() + 80, 0, 60, 0);
    cross.DisplayFormatText = "RMDialogForm." + months.Name;
    t.memo(row, 0, 0, 80, 20, {"项目"}, "Head");
    t.memo(row, 80, 0, 60, 20, {months.ref("m") + "[Column#]"}, "Month");
    std::vector<int> widths;
    report.OnPrintColumn = [&](int column, int& width) {
        widths.push_back(column);
        if (column == 2)
            width = 100;
    };
    ASSERT_TRUE(report.PrepareReport());
    const std::vector<Placed> head = named(report, 0, "Head");
    const std::vector<Placed> cells = named(report, 0, "Month");
    ASSERT_EQ(head.size(), 1u);
    EXPECT_EQ(head[0].left, t.leftMargin());
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[0].text, "一月1");
    EXPECT_EQ(cells[0].left, t.leftMargin() + 80);
    EXPECT_EQ(cells[1].left, t.leftMargin() + 140);
    EXPECT_EQ(cells[2].text, "三月3");
    EXPECT_EQ(cells[2].left, t.leftMargin() + 240) << "column 2 was widened to 100";
    EXPECT_EQ(widths, (std::vector<int>{1, 2, 3}));
}

TEST(PrepareBands, MergedCrossCellsRestartOnEveryPage) {
    RowsDataset months("Months" + std::to_string(++Table::serial), {"m"},
                       {{Variant("一月")}, {Variant("二月")}});
    TRMReport report;
    months.attachTo(report);
    TemplateBuilder t(report);
    auto& row = t.band(rmbtMasterData, 20, "Row");
    row.DisplayFormatText = "70";
    auto& cross = t.band(rmbtCrossData, 0, "CrossData");
    cross.SetBounds(t.leftMargin() + 80, 0, 60, 0);
    cross.DisplayFormatText = "RMDialogForm." + months.Name;
    t.memo(row, 0, 0, 80, 20, {"[Line#]"}, "Line");
    auto& cell = t.memo(row, 80, 0, 60, 20, {months.ref("m")}, "Month");
    cell.setFlag(flag::Suppress, true);
    cell.setFlag(flag::MergeRepeated, true);
    ASSERT_TRUE(report.PrepareReport());
    ASSERT_EQ(report.EMFPages.Count(), 2);
    for (int page = 0; page < 2; ++page) {
        const std::vector<Placed> lines = named(report, page, "Line");
        const std::vector<Placed> cells = named(report, page, "Month");
        ASSERT_EQ(cells.size(), 2u) << "one merged cell per column on page " << page + 1;
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(cells[i].text, i == 0 ? "一月" : "二月");
            EXPECT_EQ(cells[i].left, t.leftMargin() + 80 + 60 * static_cast<int>(i));
            EXPECT_EQ(cells[i].top, lines.front().top) << "the run starts again at the top";
            EXPECT_EQ(cells[i].top + cells[i].height, lines.back().top + 20)
                << "and spans the rows of its page";
        }
    }
}

TEST(PrepareBands, SubreportsPrintInTheirRectangleOverPages) {
    std::vector<std::vector<Variant>> rows;
    for (int i = 1; i <= 70; ++i)
        rows.push_back({Variant("行" + std::to_string(i))});
    RowsDataset lines("Lines" + std::to_string(++Table::serial), {"v"}, rows);
    TRMReport report;
    lines.attachTo(report);
    TemplateBuilder t(report);
    auto& header = t.band(rmbtPageHeader, 30, "Header");
    t.memo(header, 0, 0, 100, 20, {"页眉"}, "HeaderText");
    auto& parent = t.band(rmbtMasterData, 40, "Parent");
    t.memo(parent, 0, 0, 250, 20, {"左边"}, "Beside");
    auto sub = std::make_unique<TRMSubReportView>();
    sub->Name = "Sub";
    sub->SetBounds(t.leftMargin() + 300, parent.Top + 10, 200, 20);
    sub->SubPage = 1;
    t.page().addView(std::move(sub));
    auto& after = t.band(rmbtMasterData, 20, "After");
    t.memo(after, 0, 0, 100, 20, {"之后"}, "AfterText");
    t.nextPage();
    auto& subData = t.band(rmbtMasterData, 20, "SubData");
    subData.DisplayFormatText = "RMDialogForm." + lines.Name;
    t.memo(subData, 0, 0, 250, 20, {lines.ref("v")}, "SubCell");
    t.memo(subData, 0, 0, 40, 20, {"右"}, "SubRight").BandAlign = baRight;
    auto& merged = t.memo(subData, 0, 0, 30, 20, {"同"}, "SubMerged");
    merged.setFlag(flag::Suppress, true);
    merged.setFlag(flag::MergeRepeated, true);
    report.DoublePass = true; // the first pass counts the same pages
    ASSERT_TRUE(report.PrepareReport());
    EXPECT_EQ(report.State.TotalPages, 2);
    ASSERT_EQ(report.EMFPages.Count(), 2) << "the subreport's page is not prepared alone";

    const int left = t.leftMargin() + 300, right = left + 200;
    const int bottom = t.page().paperHeightPixels() - t.page().marginsInPixels().bottom;
    std::vector<std::string> printed;
    for (int page = 0; page < 2; ++page) {
        const std::vector<Placed> cells = named(report, page, "SubCell");
        const std::vector<Placed> marks = named(report, page, "SubRight");
        ASSERT_FALSE(cells.empty());
        ASSERT_EQ(marks.size(), cells.size());
        const int top = page == 0 ? t.topMargin() + 30 + 10 : t.topMargin() + 30;
        EXPECT_EQ(cells.front().top, top) << "page " << page + 1;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            EXPECT_EQ(cells[i].left, left);
            EXPECT_EQ(cells[i].width, 200) << "cut at the subreport's width";
            EXPECT_EQ(cells[i].top, top + 20 * static_cast<int>(i));
            EXPECT_LE(cells[i].top + cells[i].height, bottom);
            EXPECT_EQ(marks[i].left, right - 40) << "aligned to the subreport's right edge";
            printed.push_back(cells[i].text);
        }
        EXPECT_EQ(named(report, page, "HeaderText").size(), 1u);
        const std::vector<Placed> runs = named(report, page, "SubMerged");
        ASSERT_EQ(runs.size(), 1u) << "the merged run starts again on page " << page + 1;
        EXPECT_EQ(runs[0].top, top);
        EXPECT_EQ(runs[0].top + runs[0].height, cells.back().top + 20);
    }
    EXPECT_EQ(printed, [&] {
        std::vector<std::string> all;
        for (const auto& r : rows)
            all.push_back(r[0].stringValue());
        return all;
    }());
    const std::vector<Placed> beside = named(report, 0, "Beside");
    ASSERT_EQ(beside.size(), 1u);
    EXPECT_EQ(beside[0].left, t.leftMargin());
    const std::vector<Placed> last = named(report, 1, "SubCell");
    const std::vector<Placed> afterText = named(report, 1, "AfterText");
    ASSERT_EQ(afterText.size(), 1u) << "the next band follows the subreport on page 2";
    EXPECT_EQ(afterText[0].top, last.back().top + 20);
}

TEST(PrepareBands, SubreportsPrintAnotherPageAtTheirPlace) {
    RowsDataset lines("Lines" + std::to_string(++Table::serial), {"v"},
                      {{Variant("x")}, {Variant("y")}});
    TRMReport report;
    lines.attachTo(report);
    TemplateBuilder t(report);
    auto& title = t.band(rmbtReportTitle, 40, "Title");
    t.memo(title, 0, 0, 100, 20, {"主表"}, "MainText");
    auto sub = std::make_unique<TRMSubReportView>();
    sub->Name = "Sub";
    sub->SetBounds(t.leftMargin() + 200, title.Top + 20, 200, 20);
    sub->SubPage = 1;
    t.page().addView(std::move(sub));
    auto& after = t.band(rmbtMasterData, 20, "After");
    t.memo(after, 0, 0, 100, 20, {"之后"}, "AfterText");
    t.nextPage();
    auto& subData = t.band(rmbtMasterData, 15, "SubData");
    subData.DisplayFormatText = "RMDialogForm." + lines.Name;
    t.memo(subData, 0, 0, 50, 15, {lines.ref("v")}, "SubCell");
    ASSERT_TRUE(report.PrepareReport());
    ASSERT_EQ(report.EMFPages.Count(), 1) << "the subreport's page is not prepared alone";
    const std::vector<Placed> cells = named(report, 0, "SubCell");
    ASSERT_EQ(cells.size(), 2u);
    const int top = t.topMargin();
    EXPECT_EQ(cells[0].left, t.leftMargin() + 200);
    EXPECT_EQ(cells[0].top, top + 20);
    EXPECT_EQ(cells[1].top, top + 35);
    EXPECT_EQ(named(report, 0, "AfterText").front().top, top + 50)
        << "the next band goes below the subreport";
}

TEST(PrepareBands, PreparedPageDrawsItsViewsWhereTheyWereWritten) {
    Table tb({"甲", "乙"});
    auto& cell = tb.t.memo(*tb.master, 10, 0, 100, 20, {tb.data.ref("v")}, "Cell");
    cell.setFrameTyp(15);
    ASSERT_TRUE(tb.report.PrepareReport());
    const TRMPageInfo info = tb.report.EMFPages.pageInfo(0);
    platform::TMetafile m(info.Width, info.Height);
    {
        platform::TMetafileCanvas canvas(m);
        tb.report.EMFPages.paintPage(0, canvas, platform::Bounds(0, 0, info.Width, info.Height),
                                     TRMDrawContext{});
    }
    const auto records = m.textRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]->Text, "甲");
    EXPECT_EQ(records[1]->Text, "乙");
    EXPECT_EQ(records[0]->Points[0], QPoint(tb.t.leftMargin() + 12, tb.t.topMargin() + 2));
    EXPECT_EQ(records[1]->Points[0], QPoint(tb.t.leftMargin() + 12, tb.t.topMargin() + 22));
    EXPECT_EQ(m.recordsOf(platform::TMetaRecordKind::Rectangle).size(), 2u);
}
