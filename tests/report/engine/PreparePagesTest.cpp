// Preparation: passes and page numbers, page footers by page, empty data, page breaks with
// repeated headers, blank rows, print-page-per-page order, progress, cancellation and the
// evaluation error, and that the template comes back exactly as it was.
#include "TemplateBuilder.h"
#include "platform/MessageBox.h"
#include "report/engine/model/RMReportOutput.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace report;
using namespace testreport;
using platform::Variant;

namespace {

std::vector<std::vector<Variant>> numberedRows(int count) {
    std::vector<std::vector<Variant>> rows;
    for (int i = 1; i <= count; ++i)
        rows.push_back({Variant(i), Variant("行" + std::to_string(i))});
    return rows;
}

// Title, page header, one master-data row per record (20 px), page footer with the page
// numbers. About 42 rows fit on an A4 page.
struct Listing {
    explicit Listing(int rows)
        : data("Rows" + std::to_string(++serial), {"n", "name"}, numberedRows(rows))
        , t(report) {
        data.attachTo(report);
        title = &t.band(rmbtReportTitle, 30, "Title");
        t.memo(*title, 0, 0, 200, 30, {"标题"}, "TitleText");
        header = &t.band(rmbtPageHeader, 20, "PageHeader");
        t.memo(*header, 0, 0, 200, 20, {"页头"}, "HeaderText");
        master = &t.band(rmbtMasterData, 20, "MasterData1");
        master->DisplayFormatText = "RMDialogForm." + data.Name;
        t.memo(*master, 0, 0, 100, 20, {data.ref("n")}, "Cell");
        footer = &t.band(rmbtPageFooter, 20, "PageFooter");
        t.memo(*footer, 0, 0, 200, 20, {"第[Page#]页/共[TotalPages#]页"}, "FooterText")
            .setFlag(flag::HideZeros, false);
    }
    static inline int serial = 0;
    int pageCount() const { return report.EMFPages.Count(); }
    // Paper height − bottom margin − page-footer height: where page footers print.
    int footerTop() const {
        return t.page().paperHeightPixels() - t.page().marginsInPixels().bottom - footer->Height;
    }
    std::vector<std::string> cells(int page) const {
        std::vector<std::string> out;
        for (const Placed& p : named(report, page, "Cell"))
            out.push_back(p.text);
        return out;
    }

    RowsDataset data;
    TRMReport report;
    TemplateBuilder t;
    TRMBandView *title, *header, *master, *footer;
};

} // namespace

TEST(PreparePages, TotalPagesIsExactInTwoPassesAndZeroInOne) {
    for (const bool twoPasses : {false, true}) {
        Listing l(100);
        l.report.DoublePass = twoPasses;
        ASSERT_TRUE(l.report.PrepareReport());
        ASSERT_EQ(l.pageCount(), 3);
        for (int p = 0; p < 3; ++p) {
            const std::vector<Placed> footers = named(l.report, p, "FooterText");
            if (p == 0) { // band views start with OnFirstPage on
                ASSERT_EQ(footers.size(), 1u);
            }
            ASSERT_EQ(footers.size(), 1u) << "page " << p;
            EXPECT_EQ(footers[0].text,
                      "第" + std::to_string(p + 1) + "页/共" + (twoPasses ? "3" : "0") + "页");
            EXPECT_EQ(footers[0].top, l.footerTop());
        }
        // Rows continue without gap or repetition over the pages.
        std::vector<std::string> all;
        for (int p = 0; p < 3; ++p)
            for (const std::string& c : l.cells(p))
                all.push_back(c);
        ASSERT_EQ(all.size(), 100u);
        for (int i = 0; i < 100; ++i)
            EXPECT_EQ(all[static_cast<std::size_t>(i)], std::to_string(i + 1));
    }
}

TEST(PreparePages, BandsStackFromTheTopMarginAndPageHeadersRepeat) {
    Listing l(100);
    ASSERT_TRUE(l.report.PrepareReport());
    const int top = l.t.topMargin();
    const std::vector<Placed> page1 = placed(l.report, 0);
    ASSERT_GE(page1.size(), 4u);
    EXPECT_EQ(page1[0].name, "TitleText");
    EXPECT_EQ(page1[0].top, top);
    EXPECT_EQ(page1[0].left, l.t.leftMargin());
    EXPECT_EQ(page1[1].name, "HeaderText");
    EXPECT_EQ(page1[1].top, top + 30);
    const std::vector<Placed> rows = named(l.report, 0, "Cell");
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].top, top + 50 + 20 * static_cast<int>(i));
    // The last row on a page still ends above the page footer.
    EXPECT_LE(rows.back().top + 20, l.footerTop());
    EXPECT_GT(rows.back().top + 40, l.footerTop());
    // Page 2: no title, the header at the top margin, rows right below it.
    const std::vector<Placed> page2 = placed(l.report, 1);
    EXPECT_EQ(page2[0].name, "HeaderText");
    EXPECT_EQ(page2[0].top, top);
    EXPECT_EQ(named(l.report, 1, "Cell").front().top, top + 20);
}

TEST(PreparePages, PageFootersFollowOnFirstPageAndOnLastPage) {
    struct Case {
        int rows;
        bool first, last;
        std::vector<bool> expected; // footer printed, per page
    };
    const Case cases[] = {
        {10, true, true, {true}},
        {10, false, true, {false}}, // one page: OnFirstPage alone decides
        {10, true, false, {true}},
        {100, true, true, {true, true, true}},
        {100, false, true, {false, true, true}},
        {100, true, false, {true, true, false}},
        {100, false, false, {false, true, false}},
    };
    for (const Case& c : cases) {
        Listing l(c.rows);
        l.footer->setBandFlag(bandflag::OnFirstPage, c.first);
        l.footer->setBandFlag(bandflag::OnLastPage, c.last);
        ASSERT_TRUE(l.report.PrepareReport());
        ASSERT_EQ(l.pageCount(), static_cast<int>(c.expected.size()));
        for (int p = 0; p < l.pageCount(); ++p)
            EXPECT_EQ(!named(l.report, p, "FooterText").empty(), c.expected[p])
                << c.rows << " rows, first " << c.first << ", last " << c.last << ", page " << p;
    }
}

TEST(PreparePages, EmptyMasterDataPrintsThePageOnlyWithPrintIfEmpty) {
    Listing l(0);
    l.report.PrintIfEmpty = false;
    EXPECT_FALSE(l.report.PrepareReport());
    EXPECT_EQ(l.pageCount(), 0);

    l.report.PrintIfEmpty = true;
    ASSERT_TRUE(l.report.PrepareReport());
    ASSERT_EQ(l.pageCount(), 1);
    EXPECT_EQ(texts(l.report, 0), (std::vector<std::string>{"标题", "页头", "第1页/共0页"}));

    // A data source that fails to open counts as empty.
    Listing broken(5);
    broken.data.Cursor.FailToOpen = true;
    broken.report.PrintIfEmpty = false;
    EXPECT_FALSE(broken.report.PrepareReport());
    EXPECT_EQ(broken.data.Inits, 1);
}

TEST(PreparePages, RepeatedHeadersFollowABreak) {
    RowsDataset data("Groups", {"g", "n"}, {});
    for (int i = 0; i < 60; ++i)
        data.Rows.push_back({Variant(i < 50 ? "甲" : "乙"), Variant(i + 1)});
    TRMReport report;
    data.attachTo(report);
    TemplateBuilder t(report);
    auto& group = t.band(rmbtGroupHeader, 20, "Group");
    group.DisplayFormatText = data.ref("g");
    group.setBandFlag(bandflag::RepeatHeader, true);
    t.memo(group, 0, 0, 200, 20, {"组 " + data.ref("g")}, "GroupText");
    auto& columns = t.band(rmbtMasterHeader, 20, "Columns");
    columns.setBandFlag(bandflag::RepeatHeader, true);
    t.memo(columns, 0, 0, 200, 20, {"序号"}, "ColumnsText");
    auto& master = t.band(rmbtMasterData, 20, "MasterData1");
    master.DisplayFormatText = "RMDialogForm.Groups";
    t.memo(master, 0, 0, 100, 20, {data.ref("n")}, "Cell");
    auto& footer = t.band(rmbtGroupFooter, 20, "GroupFooter");
    t.memo(footer, 0, 0, 200, 20, {"组尾"}, "GroupEnd");
    ASSERT_TRUE(report.PrepareReport());
    ASSERT_EQ(report.EMFPages.Count(), 2);

    const int top = t.topMargin();
    // Page 2 starts with the repeated group header and master header, then the rows.
    const std::vector<Placed> page2 = placed(report, 1);
    ASSERT_GE(page2.size(), 3u);
    EXPECT_EQ(page2[0].text, "组 甲");
    EXPECT_EQ(page2[0].top, top);
    EXPECT_EQ(page2[1].text, "序号");
    EXPECT_EQ(page2[1].top, top + 20);
    EXPECT_EQ(page2[2].name, "Cell");
    EXPECT_EQ(page2[2].top, top + 40);
    // Group 甲 ends on page 2 with its footer; group 乙 starts with a new header.
    std::vector<std::string> seq;
    for (const Placed& p : page2)
        if (p.name != "Cell")
            seq.push_back(p.text);
    // The master header prints when the data starts and after breaks, not per group.
    EXPECT_EQ(seq, (std::vector<std::string>{"组 甲", "序号", "组尾", "组 乙", "组尾"}));
}

TEST(PreparePages, AppendBlankFillsLinesPerPageBeforeTheColumnFooter) {
    Listing l(5);
    l.master->LinesPerPage = 20;
    l.master->setBandFlag(bandflag::AutoAppendBlank, true);
    auto& columnFooter = l.t.band(rmbtColumnFooter, 20, "ColumnFooter");
    l.t.memo(columnFooter, 0, 0, 200, 20, {"栏目注脚"}, "ColumnFooterText");
    ASSERT_TRUE(l.report.PrepareReport());
    ASSERT_EQ(l.pageCount(), 1);
    const std::vector<Placed> rows = named(l.report, 0, "Cell");
    ASSERT_EQ(rows.size(), 20u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(rows[static_cast<std::size_t>(i)].text, i < 5 ? std::to_string(i + 1) : "")
            << "row " << i;
    const std::vector<Placed> footer = named(l.report, 0, "ColumnFooterText");
    ASSERT_EQ(footer.size(), 1u);
    EXPECT_EQ(footer[0].top, rows.back().top + 20);

    // LinesPerPage alone breaks the page after 20 rows.
    Listing limited(45);
    limited.master->LinesPerPage = 20;
    ASSERT_TRUE(limited.report.PrepareReport());
    ASSERT_EQ(limited.pageCount(), 3);
    EXPECT_EQ(limited.cells(0).size(), 20u);
    EXPECT_EQ(limited.cells(1).front(), "21");
    EXPECT_EQ(limited.cells(2).size(), 5u);
}

TEST(PreparePages, TemplateIsLeftExactlyAsItWas) {
    Listing l(100);
    l.report.DoublePass = true;
    // Scripts change views and bands while preparing; none of it may stay.
    l.master->OnBeforePrint = {"Cell.Left := 300", "Cell.Memo := 'x'"};
    l.title->OnAfterPrint = {"TitleText.Visible := False"};
    TRMView* cell = l.t.page().FindObject("Cell");
    const std::string before = templateBytes(l.report);
    ASSERT_TRUE(l.report.PrepareReport());
    EXPECT_EQ(templateBytes(l.report), before);
    EXPECT_EQ(l.t.page().FindObject("Cell"), cell) << "views the caller holds stay valid";
    EXPECT_EQ(named(l.report, 1, "Cell").front().left, 300);

    // Cancelled in the first pass.
    TRMHeadlessProgress* progress = nullptr;
    TRMReportWindows windows;
    windows.ProgressWindow = [&](const std::string&) -> std::unique_ptr<TRMProgress> {
        auto p = std::make_unique<TRMHeadlessProgress>();
        progress = p.get();
        p->onLine = [p = p.get()](const std::string& line) {
            if (line.find("2") != std::string::npos)
                p->cancel();
        };
        return p;
    };
    installReportWindows(windows);
    EXPECT_FALSE(l.report.PrepareReport());
    installReportWindows({});
    EXPECT_EQ(l.pageCount(), 0);
    EXPECT_EQ(templateBytes(l.report), before);

    // Failed with an evaluation error.
    platform::ScriptedMessageBoxes boxes;
    dynamic_cast<TRMMemoView*>(l.t.page().FindObject("FooterText"))->Memo = {"[1 MOD 0]"};
    const std::string broken = templateBytes(l.report);
    EXPECT_FALSE(l.report.PrepareReport());
    EXPECT_EQ(boxes.count(), 1u);
    EXPECT_EQ(templateBytes(l.report), broken);
}

TEST(PreparePages, ProgressLinesAndCancellationInTheFirstPass) {
    Listing l(100);
    l.report.DoublePass = true;
    l.report.ReportInfo.Strings[0] = "核算单位档案";
    std::string caption;
    std::vector<std::string> lines;
    bool cancelAtSecondPage = false;
    TRMReportWindows windows;
    windows.ProgressWindow = [&](const std::string& c) -> std::unique_ptr<TRMProgress> {
        caption = c;
        auto p = std::make_unique<TRMHeadlessProgress>();
        p->onLine = [&, p = p.get()](const std::string& line) {
            lines.push_back(line);
            if (cancelAtSecondPage && line == "进行第一次处理:  2")
                p->cancel();
        };
        return p;
    };
    installReportWindows(windows);
    ASSERT_TRUE(l.report.PrepareReport());
    EXPECT_EQ(caption, "正在准备报表 - 核算单位档案");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "进行第一次处理:  1");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "正在处理页:  2 从 3"), lines.end());

    lines.clear();
    cancelAtSecondPage = true;
    EXPECT_FALSE(l.report.PrepareReport());
    EXPECT_EQ(l.pageCount(), 0) << "a cancel in the first pass leaves no pages";
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("正在处理页", 0) == 0;
    })) << "no final pass after the cancel";

    // OnProgress replaces the window; ShowProgress off shows none.
    std::vector<int> numbers;
    l.report.OnProgress = [&](int n) { numbers.push_back(n); };
    lines.clear();
    ASSERT_TRUE(l.report.PrepareReport());
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(numbers.front(), 1);
    EXPECT_EQ(*std::max_element(numbers.begin(), numbers.end()), 4);
    l.report.OnProgress = nullptr;
    l.report.ShowProgress = false;
    ASSERT_TRUE(l.report.PrepareReport());
    EXPECT_TRUE(lines.empty());
    installReportWindows({});
}

TEST(PreparePages, EvaluationErrorIsShownOnceWithTheObjectAndNoPagesStay) {
    Listing l(3);
    auto& cell = dynamic_cast<TRMMemoView&>(*l.t.page().FindObject("Cell"));
    const std::string expression = "[10 MOD (" + l.data.ref("n") + " - 2)]";
    cell.Memo = {"数量", expression};
    l.report.Name = "RMReport7";
    platform::ScriptedMessageBoxes boxes;
    EXPECT_FALSE(l.report.PrepareReport());
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().caption, "错误");
    EXPECT_EQ(boxes.last().flags & platform::MB_ICONMASK, platform::MB_ICONERROR);
    // Row 1 prints; row 2 (n - 2 = 0) fails.
    EXPECT_EQ(boxes.last().text, "计算时发生错误\n数量\n" + expression +
                                     "\n\n报表: RMReport7\n对象: Cell\nDivision by zero");
    EXPECT_EQ(l.pageCount(), 0);
    EXPECT_EQ(l.report.ErrorMessage, boxes.last().text);
}

TEST(PreparePages, PrintPagePerPageAlternatesTheTemplatePages) {
    RowsDataset first("First", {"n"}, {}), second("Second", {"n"}, {});
    for (int i = 1; i <= 110; ++i)
        first.Rows.push_back({Variant(i)});
    for (int i = 1; i <= 60; ++i)
        second.Rows.push_back({Variant(i)});
    TRMReport report;
    first.attachTo(report);
    second.attachTo(report);
    TemplateBuilder t(report);
    auto& a = t.band(rmbtMasterData, 20, "A");
    a.DisplayFormatText = "RMDialogForm.First";
    t.memo(a, 0, 0, 100, 20, {"A" + first.ref("n")}, "CellA");
    t.nextPage();
    auto& b = t.band(rmbtMasterData, 20, "B");
    b.DisplayFormatText = "RMDialogForm.Second";
    t.memo(b, 0, 0, 100, 20, {"B" + second.ref("n")}, "CellB");
    report.PrintPagePerPage = true;
    ASSERT_TRUE(report.PrepareReport());
    // 110 rows of A take 3 pages, 60 rows of B 2 pages: A1 B1 A2 B2 A3.
    ASSERT_EQ(report.EMFPages.Count(), 5);
    std::string order;
    for (int p = 0; p < 5; ++p) {
        const std::string firstText = texts(report, p).front();
        order += firstText.substr(0, 1) + std::to_string(report.EMFPages[p]->TemplatePageNo) + " ";
        EXPECT_EQ(report.EMFPages[p]->TemplatePageNo, p % 2 == 0 && p < 4 ? 1 : (p == 4 ? 1 : 2));
    }
    EXPECT_EQ(texts(report, 0).front(), "A1");
    EXPECT_EQ(texts(report, 1).front(), "B1");
    EXPECT_EQ(texts(report, 2).front(), "A" + std::to_string(texts(report, 0).size() + 1));
    EXPECT_EQ(texts(report, 3).front(), "B" + std::to_string(texts(report, 1).size() + 1));
    EXPECT_EQ(order, "A1 B2 A1 B2 A1 ");
}

TEST(PreparePages, PageLimitEndsPreparationWithAMessageInEveryPass) {
    for (const bool doublePass : {false, true}) {
        Listing l(400); // about ten pages
        l.report.DoublePass = doublePass;
        l.report.MaxPages = 3;
        platform::ScriptedMessageBoxes boxes;
        EXPECT_FALSE(l.report.PrepareReport()) << doublePass;
        EXPECT_EQ(l.pageCount(), 0) << doublePass;
        ASSERT_EQ(boxes.count(), 1u) << doublePass;
        EXPECT_EQ(boxes.last().text, "报表超过 3 页的上限");
        EXPECT_EQ(l.report.ErrorMessage, "报表超过 3 页的上限");

        // Within the limit, and with no limit, the same template prepares in full.
        l.report.MaxPages = 50;
        ASSERT_TRUE(l.report.PrepareReport()) << doublePass;
        const int pages = l.pageCount();
        EXPECT_GT(pages, 3);
        l.report.MaxPages = pages;
        ASSERT_TRUE(l.report.PrepareReport()) << doublePass;
        l.report.MaxPages = 0;
        ASSERT_TRUE(l.report.PrepareReport()) << doublePass;
        EXPECT_EQ(l.pageCount(), pages);
        EXPECT_EQ(boxes.count(), 1u);
    }
}

TEST(PreparePages, RecordsThatPrintNothingEndAtTheTimeLimitOrACancel) {
    using Clock = std::chrono::steady_clock;
    using std::chrono::seconds;
    // A band of no height over two thousand million records never fills a page.
    TRMReport report;
    TemplateBuilder t(report);
    t.band(rmbtMasterData, 0, "Rows").DisplayFormatText = "2000000000";
    platform::ScriptedMessageBoxes boxes;

    for (const bool doublePass : {false, true}) {
        report.DoublePass = doublePass;
        report.MaxSeconds = 1;
        const Clock::time_point start = Clock::now();
        EXPECT_FALSE(report.PrepareReport());
        const Clock::duration took = Clock::now() - start;
        EXPECT_GE(took, seconds(1));
        EXPECT_LT(took, seconds(2)) << "ends within a second of the limit";
        EXPECT_EQ(report.EMFPages.Count(), 0);
        EXPECT_EQ(report.ErrorMessage, "报表准备超过 1 秒的上限");
        EXPECT_EQ(boxes.last().text, report.ErrorMessage);
    }
    EXPECT_EQ(boxes.count(), 2u);

    // Without a limit the operator's Cancel ends it, here one second in.
    struct CancelLater : TRMHeadlessProgress {
        Clock::time_point at = Clock::now() + seconds(1);
        void processEvents() override {
            if (Clock::now() >= at)
                cancel();
        }
    };
    TRMReportWindows windows;
    windows.ProgressWindow = [](const std::string&) -> std::unique_ptr<TRMProgress> {
        return std::make_unique<CancelLater>();
    };
    installReportWindows(windows);
    report.MaxSeconds = 0;
    report.DoublePass = false;
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(report.PrepareReport());
    installReportWindows({});
    EXPECT_LT(Clock::now() - start, seconds(2));
    EXPECT_EQ(boxes.count(), 2u) << "a cancel shows nothing";
}
