// Scripts and events while preparing, data sources (ranges, user datasets, master and
// detail), and the façade's ShowReport / PrintReport with their hooks.
#include "TemplateBuilder.h"
#include "platform/MessageBox.h"
#include "report/engine/model/RMReportOutput.h"

#include <gtest/gtest.h>

using namespace report;
using namespace testreport;
using platform::Variant;

namespace {

struct Numbers {
    explicit Numbers(int rows)
        : data("Numbers" + std::to_string(++serial), {"n"}, {})
        , t(report) {
        data.attachTo(report);
        for (int i = 1; i <= rows; ++i)
            data.Rows.push_back({Variant(i)});
        master = &t.band(rmbtMasterData, 20, "MasterData1");
        master->DisplayFormatText = "RMDialogForm." + data.Name;
        cell = &t.memo(*master, 0, 0, 100, 20, {data.ref("n")}, "Cell");
    }
    std::vector<std::string> cells(int page) const {
        std::vector<std::string> out;
        for (const Placed& p : named(report, page, "Cell"))
            out.push_back(p.text);
        return out;
    }
    static inline int serial = 0;
    RowsDataset data;
    TRMReport report;
    TemplateBuilder t;
    TRMBandView* master;
    TRMMemoView* cell;
};

} // namespace

TEST(PrepareScripts, NewPageShowBandAndStopReport) {
    Numbers n(6);
    n.master->OnBeforePrint = {"if [Line#] = 3 then NewPage"};
    ASSERT_TRUE(n.report.PrepareReport());
    ASSERT_EQ(n.report.EMFPages.Count(), 2);
    EXPECT_EQ(n.cells(0), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(n.cells(1), (std::vector<std::string>{"3", "4", "5", "6"}));

    // A band of no type of its own printed from a script, after every second row.
    Numbers shown(4);
    auto& extra = shown.t.band(rmbtChild, 10, "Extra");
    shown.t.memo(extra, 0, 0, 100, 10, {"插入[Line#]"}, "ExtraText");
    shown.master->OnAfterPrint = {"if [Line#] MOD 2 = 0 then ShowBand('Extra')"};
    ASSERT_TRUE(shown.report.PrepareReport());
    std::vector<std::string> order;
    for (const Placed& p : placed(shown.report, 0))
        order.push_back(p.text);
    EXPECT_EQ(order, (std::vector<std::string>{"1", "2", "插入", "3", "4", "插入"}));

    Numbers stopped(6);
    stopped.master->OnBeforePrint = {"if [Line#] > 4 then StopReport"};
    EXPECT_TRUE(stopped.report.PrepareReport()) << "a stopped report keeps what it printed";
    EXPECT_EQ(stopped.cells(0), (std::vector<std::string>{"1", "2", "3", "4"}));
}

TEST(PrepareScripts, AssignmentsVariablesAndPositionNames) {
    Numbers n(3);
    n.master->OnBeforePrint = {
        "begin", "  Cell.FillColor := 255;",
        "  if [Line#] = 2 then Cell.Visible := False else Cell.Visible := True;",
        "  Seen := [Line#] * 10", "end"};
    auto& info = n.t.band(rmbtMasterFooter, 20, "Footer");
    n.t.memo(info, 0, 0, 300, 20,
             {"[Seen] [CurY] [FreeSpace] [PageHeight] [PageWidth] [FinalPass]"}, "Info");
    ASSERT_TRUE(n.report.PrepareReport());
    EXPECT_EQ(n.cells(0), (std::vector<std::string>{"1", "3"}));
    const TRMPage& page = n.t.page();
    const int top = n.t.topMargin() + 60;
    const int bottom = page.paperHeightPixels() - page.marginsInPixels().bottom;
    const int width = page.paperWidthPixels() - page.marginsInPixels().right;
    EXPECT_EQ(named(n.report, 0, "Info").front().text,
              "30 " + std::to_string(top) + " " + std::to_string(bottom - top) + " " +
                  std::to_string(bottom) + " " + std::to_string(width) + " True");
}

TEST(PrepareScripts, EventsInOrder) {
    Numbers n(60);
    auto& footer = n.t.band(rmbtPageFooter, 20, "PageFooter");
    n.t.memo(footer, 0, 0, 100, 20, {"[Page#]"}, "FooterText");
    std::vector<std::string> log;
    TRMReport& r = n.report;
    r.OnBeginDoc = [&] { log.push_back("BeginDoc"); };
    r.OnEndDoc = [&] { log.push_back("EndDoc"); };
    r.OnBeginPage = [&](int pg) { log.push_back("BeginPage" + std::to_string(pg)); };
    r.OnEndPage = [&](int pg) { log.push_back("EndPage" + std::to_string(pg)); };
    int bands = 0, ended = 0;
    r.OnBeginBand = [&](TRMBand&) { ++bands; };
    r.OnEndBand = [&](TRMBand&) { ++ended; };
    r.OnBeforePrintBand = [&](TRMBand& band, bool& print) {
        print = !(band.BandType == rmbtMasterData && band.RowNo == 2);
    };
    r.OnBeforePrint = [&](TRMStrings& memo, TRMView& view) {
        if (view.Name == "Cell" && memo.front().find("\"n\"") != std::string::npos)
            memo = {"<" + memo.front() + ">"};
    };
    int afterPrints = 0;
    r.OnAfterPrint = [&](TRMView&) { ++afterPrints; };
    r.OnGetValue = [&](const std::string& name, Variant& value) {
        if (name == "Page#")
            value = "P";
    };
    ASSERT_TRUE(r.PrepareReport());
    EXPECT_EQ(log, (std::vector<std::string>{"BeginDoc", "BeginPage0", "EndPage0", "BeginPage1",
                                             "EndPage1", "EndPage1", "EndDoc"}));
    EXPECT_EQ(bands, ended);
    EXPECT_EQ(n.cells(0).front(), "<" + n.data.ref("n") + ">")
        << "a handler that changes the text stops its expansion";
    EXPECT_EQ(named(r, 0, "Cell").size() + named(r, 1, "Cell").size(), 59u) << "row 2 skipped";
    EXPECT_EQ(named(r, 0, "FooterText").front().text, "P");
    EXPECT_EQ(afterPrints, 59 + 2);
}

TEST(PrepareScripts, DataSourceRangesUserDatasetsAndNumberedBands) {
    // The band's range override counts 3 of 10 records and is undone afterwards.
    Numbers n(10);
    n.master->RangeEnd = reCount;
    n.master->RangeEndCount = 3;
    ASSERT_TRUE(n.report.PrepareReport());
    EXPECT_EQ(n.cells(0), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(n.data.RangeEnd, reLast);
    EXPECT_EQ(n.data.RangeEndCount, 0);
    EXPECT_EQ(n.data.Inits, 1);
    EXPECT_EQ(n.data.Exits, 1);

    // A user dataset ends only through OnCheckEOF (or a count range).
    TRMUserDataset user("UserRows");
    int nexts = 0;
    user.OnNext = [&](TRMDataset&) { ++nexts; };
    user.OnCheckEOF = [](TRMDataset& d, bool& eof) { eof = d.RecordNo() >= 4; };
    TRMReport report;
    report.Datasets.Add(user, "RMDialogForm");
    TemplateBuilder t(report);
    auto& band = t.band(rmbtMasterData, 20, "MasterData1");
    band.DisplayFormatText = "RMDialogForm.UserRows";
    t.memo(band, 0, 0, 100, 20, {"[Line#]"}, "Cell");
    auto& counted = t.band(rmbtMasterData, 20, "Counted");
    counted.DisplayFormatText = "2";
    t.memo(counted, 0, 0, 100, 20, {"第[Line#]次"}, "Counted");
    ASSERT_TRUE(report.PrepareReport());
    EXPECT_EQ(texts(report, 0), (std::vector<std::string>{"1", "2", "3", "4", "第1次", "第2次"}));
    EXPECT_EQ(nexts, 4);
}

TEST(PrepareScripts, MasterRowsWithoutDetailRowsArePrintedOnlyWhenAsked) {
    // Detail rows follow the master record: master 1 has two, master 2 none, master 3 one.
    RowsDataset masters("Masters", {"m"}, {{Variant("一")}, {Variant("二")}, {Variant("三")}});
    const std::vector<int> detailCount = {2, 0, 1};
    TRMUserDataset details("Details");
    details.OnCheckEOF = [&](TRMDataset& d, bool& eof) {
        eof = d.RecordNo() >=
              detailCount[static_cast<std::size_t>(std::clamp(masters.RecordNo(), 0, 2))];
    };
    TRMReport report;
    masters.attachTo(report);
    report.Datasets.Add(details, "RMDialogForm");
    TemplateBuilder t(report);
    auto& master = t.band(rmbtMasterData, 20, "Master");
    master.DisplayFormatText = "RMDialogForm.Masters";
    t.memo(master, 0, 0, 100, 20, {masters.ref("m")}, "M");
    auto& detail = t.band(rmbtDetailData, 20, "Detail");
    detail.DisplayFormatText = "RMDialogForm.Details";
    t.memo(detail, 20, 0, 100, 20, {"明细[Line#]"}, "D");
    ASSERT_TRUE(report.PrepareReport());
    EXPECT_EQ(texts(report, 0), (std::vector<std::string>{"一", "明细1", "明细2", "三", "明细1"}));
    master.setBandFlag(bandflag::PrintIfSubsetEmpty, true);
    ASSERT_TRUE(report.PrepareReport());
    EXPECT_EQ(texts(report, 0),
              (std::vector<std::string>{"一", "明细1", "明细2", "二", "三", "明细1"}));
}

// An output that records what it was handed.
struct RecordingOutput : TRMReportOutput {
    std::function<void(TRMReport&)> onDeliver;
    void Deliver(TRMReport& r) override { onDeliver(r); }
};

TEST(PrepareScripts, ShowReportAndPrintReportHandThePagesOn) {
    Numbers n(3);
    n.report.ReportInfo.Strings[0] = "核算单位档案";
    std::string caption;
    int shown = 0, printed = 0, placed = 0;
    TRMReportWindows windows;
    windows.PreviewWindow = [&]() -> std::unique_ptr<TRMReportOutput> {
        auto window = std::make_unique<RecordingOutput>();
        window->onDeliver = [&](TRMReport& r) {
            caption = r.previewCaption();
            shown = r.EMFPages.Count();
        };
        return window;
    };
    installReportWindows(windows);
    n.report.ShowReport();
    EXPECT_EQ(shown, 1) << "without a Preview the installed window shows the pages";
    EXPECT_EQ(caption, "预览 - 核算单位档案");

    RecordingOutput previewControl;
    previewControl.onDeliver = [&](TRMReport& r) { placed = r.EMFPages.Count(); };
    RecordingOutput printer;
    printer.onDeliver = [&](TRMReport& r) {
        printed = r.EMFPages.Count();
        EXPECT_EQ(r.Preview, nullptr) << "printing detaches the preview";
    };
    n.report.Preview = &previewControl;
    shown = 0;
    n.report.ShowReport();
    EXPECT_EQ(placed, 1);
    EXPECT_EQ(shown, 0);
    n.report.PrintReport(printer);
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(n.report.Preview, &previewControl);
    n.report.Preview = nullptr;

    n.report.ReportInfo.Strings[0].clear();
    EXPECT_EQ(n.report.previewCaption(), "预览 - Untitled");
    n.report.FileName = "/tmp/报表/月报.rmf";
    EXPECT_EQ(n.report.previewCaption(), "预览 - 月报.rmf");

    // Failing preparation shows its own box and nothing is previewed; an error raised on
    // the way to the preview is shown as "异常错误,原因:".
    shown = 0;
    platform::ScriptedMessageBoxes boxes;
    n.cell->Memo = {"[1 MOD 0]"};
    n.report.ShowReport();
    EXPECT_EQ(shown, 0);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().caption, "错误");
    n.cell->Memo = {"1"};
    windows.PreviewWindow = []() -> std::unique_ptr<TRMReportOutput> {
        throw std::runtime_error("预览窗口无法打开");
    };
    installReportWindows(windows);
    n.report.ShowReport();
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_EQ(boxes.last().text, "异常错误,原因:预览窗口无法打开");
    installReportWindows({});
}

TEST(PrepareScripts, CompositeReportsPrepareTheirMembersIntoOnePageList) {
    Numbers first(3), second(2);
    first.report.DoublePass = false;
    auto& footer = second.t.band(rmbtPageFooter, 20, "PageFooter");
    second.t.memo(footer, 0, 0, 100, 20, {"[Page#]/[TotalPages#]"}, "FooterText");
    TRMCompositeReport composite;
    composite.Reports = {&first.report, &second.report};
    composite.DoublePass = true;
    const std::string before = templateBytes(second.report);
    ASSERT_TRUE(composite.PrepareReport());
    ASSERT_EQ(composite.EMFPages.Count(), 2);
    EXPECT_EQ(first.report.EMFPages.Count(), 0) << "members keep their own pages";
    EXPECT_EQ(texts(composite, 0), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(texts(composite, 1), (std::vector<std::string>{"1", "2", "2/2"}));
    EXPECT_EQ(templateBytes(second.report), before);

    composite.CompositeMode = TRMCompositeReport::rmPagePerPage;
    ASSERT_TRUE(composite.PrepareReport());
    ASSERT_EQ(composite.EMFPages.Count(), 1);
    EXPECT_EQ(texts(composite, 0), (std::vector<std::string>{"1", "2", "3", "1", "2", "1/1"}));
}
