// A report's values into the print dialog and the page setup, and a confirmed page
// setting back onto the report's template pages.

#include "platform/MessageBox.h"
#include "report/engine/model/RMReport.h"
#include "report/preview/RMReportPrinting.h"
#include "report/print/RMPrinter.h"
#include "tests/report/print/PrintTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace report;

namespace {

class ReportPrintingTest : public ::testing::Test {
protected:
    void SetUp() override {
        printtest::withoutPrintServer(dir.path());
        installPrinterLayer();
        ASSERT_TRUE(RMPrinter().SelectByName("PDF"));
        report.ReportInfo.Strings[0] = "核算单位档案";
        report.DefaultCopies = 2;
        report.DefaultCollate = false;
        report.Taoda = true;
        report.PrintOffsetTop = 38;
        TRMPage* first = report.Pages.Add();
        first->setMarginsInPixels({38, 57, 38, 57});
        first->Columns = 2;
        first->ColumnGap = 5000;
        TRMPage* sub = report.Pages.Add();
        sub->IsSubReport = true;
        sub->setMarginsInPixels({0, 0, 0, 0});
        report.EMFPages.AddPage(*first);
    }
    void TearDown() override { installPrinter(nullptr); }

    QTemporaryDir dir;
    TRMReport report;
};

TEST_F(ReportPrintingTest, DialogsStartFromTheReport) {
    const TRMPrintDialogSettings dialog = printDialogSettings(printSettingsOf(report), true, 3);
    EXPECT_EQ(dialog.copies, 2);
    EXPECT_FALSE(dialog.collate);
    EXPECT_TRUE(dialog.stationery);
    EXPECT_EQ(dialog.offsetTop, 38);
    EXPECT_TRUE(dialog.currentPageAllowed);
    EXPECT_EQ(dialog.jobTitle, "核算单位档案");

    const TRMPrintRunOptions options = defaultPrintOptions(printSettingsOf(report));
    EXPECT_TRUE(options.pageList.empty());
    EXPECT_EQ(options.parity, 0);
    EXPECT_FALSE(options.scalePaper.has_value());
    EXPECT_EQ(options.scalePercent, 100);
    EXPECT_EQ(options.copies, 2);

    report.ReportInfo.Strings[0].clear();
    report.FileName = "/data/报表/archive.rmf";
    EXPECT_EQ(printJobTitle(report), "archive.rmf");
    report.FileName.clear();
    EXPECT_EQ(printJobTitle(report), "Untitled");

    const TRMPageSetting setting = pageSettingFromReport(report, report.EMFPages);
    EXPECT_EQ(setting.PrinterName, "PDF");
    EXPECT_EQ(setting.PaperSize, 9);
    EXPECT_DOUBLE_EQ(setting.MarginLeft(), 10.1); // 38 pixels
    EXPECT_DOUBLE_EQ(setting.MarginTop(), 15.1);
    EXPECT_EQ(setting.PageColumns(), 2);
    EXPECT_DOUBLE_EQ(setting.ColumnGap(), 5);
    EXPECT_TRUE(setting.Taoda);
}

TEST_F(ReportPrintingTest, ConfirmedSettingGoesOntoEveryPageButSubreports) {
    TRMPageSetting setting = pageSettingFromReport(report, report.EMFPages);
    setting.Title = "新标题";
    setting.PaperSize = 8;
    setting.PaperWidth = 2970;
    setting.PaperHeight = 4200;
    setting.SetOrientation(1);
    setting.SetMarginLeft(20);
    setting.DoublePass = true;
    ASSERT_TRUE(applyPageSetting(report, setting));
    EXPECT_EQ(report.ReportInfo.Title(), "新标题");
    EXPECT_TRUE(report.DoublePass);
    const TRMPage& first = *report.Pages[0];
    EXPECT_EQ(first.Size, 8);
    EXPECT_EQ(first.Orientation, poLandscape);
    EXPECT_EQ(first.PageWidth, 420000);
    EXPECT_EQ(first.marginsInPixels().left, 76);
    EXPECT_EQ(first.PrinterInfo.pageWidthPx, 9921) << "A3 landscape at 600 dpi";
    const TRMPage& sub = *report.Pages[1];
    EXPECT_EQ(sub.Size, 9);
    EXPECT_EQ(sub.marginsInPixels().left, 0);

    platform::ScriptedMessageBoxes boxes;
    setting.PrinterName = "Virtual Printer";
    EXPECT_TRUE(applyPageSetting(report, setting)) << "the virtual printer can be chosen";
    EXPECT_EQ(RMPrinter().NameForFiles(), "Virtual Printer");
    EXPECT_EQ(boxes.count(), 0u);
}

} // namespace
