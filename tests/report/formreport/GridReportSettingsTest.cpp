// The grid report's settings: initial values, the copy rules, and the references that
// clear themselves.

#include "report/engine/model/RMDBDataSet.h"
#include "report/formreport/RMFormReport.h"
#include "report/print/RMPageSetting.h"
#include "tests/report/formreport/FormReportTestSupport.h"

#include <QStandardItemModel>
#include <QWidget>

#include <gtest/gtest.h>

using namespace report;

TEST(GridReportSettings, InitialValues) {
    const TRMPageLayout layout;
    EXPECT_EQ(layout.pgSize, 9);
    EXPECT_EQ(layout.Width, 2100);
    EXPECT_EQ(layout.Height, 2970);
    EXPECT_EQ(layout.pgOr, poPortrait);
    EXPECT_EQ(layout.Columns, 0);
    for (int margin :
         {layout.LeftMargin, layout.TopMargin, layout.RightMargin, layout.BottomMargin})
        EXPECT_EQ(margin, 38); // 10 mm at 96 dpi
    EXPECT_EQ(layout.PrinterName, "默认打印机");
    EXPECT_FALSE(layout.DoublePass);

    TRMFormReport r;
    EXPECT_EQ(r.ReportOptions,
              (TRMGridReportOptions{rmgoStretch, rmgoWordWrap, rmgoGridLines,
                                    rmgoRebuildAfterPageChanged, rmgoDisableControls}));
    EXPECT_EQ(r.ReportOptions.bits(), 0x0001 << 1 | 1 << 2 | 1 << 3 | 1 << 9 | 1 << 10);
    EXPECT_EQ(r.PreviewButtons, 1 | 2 | 4 | 8 | 16 | 32 | 64 | 512);
    EXPECT_EQ(r.ScaleMode().ScaleMode, rmsmFit);
    EXPECT_EQ(r.ScaleMode().ScaleFactor, 100);
    EXPECT_EQ(r.MasterDataBandOptions().Height, -1);
    EXPECT_EQ(r.MasterDataBandOptions().ColumnWidth, 200);
    EXPECT_EQ(r.GridNumOptions().Text, "No");
    EXPECT_EQ(r.GridNumOptions().Number(), 7);
    EXPECT_TRUE(r.ShowProgress);
    EXPECT_TRUE(r.ShowPrintDialog);
    EXPECT_FALSE(r.PageHeaderOnly1);
    EXPECT_EQ(r.PageHeader().Owner(), &r);
    EXPECT_EQ(r.Groups().Owner(), &r);
}

TEST(GridReportSettings, InvalidValuesAreIgnored) {
    TRMPageHeaderFooter caption;
    caption.setHeight(30);
    caption.setHeight(-5);
    EXPECT_EQ(caption.Height(), 30);
    caption.setHeight(0); // automatic height
    EXPECT_EQ(caption.Height(), 0);

    TRMGridNumOptions numbers;
    numbers.setNumber(-1);
    EXPECT_EQ(numbers.Number(), 7);
    numbers.setNumber(0);
    EXPECT_EQ(numbers.Number(), 0);
}

TEST(GridReportSettings, CaptionLinesFormOneText) {
    TRMPageHeaderFooter caption;
    caption.setCaptionText("{\\rtf1\r\n\\par\nx}\r\n");
    EXPECT_EQ(caption.Caption(), (TRMStrings{"{\\rtf1", "\\par", "x}"}));
    EXPECT_EQ(caption.CaptionText(), "{\\rtf1\r\n\\par\r\nx}");
    EXPECT_TRUE(caption.hasText());
    caption.setCaption({"", ""});
    EXPECT_FALSE(caption.hasText());
}

TEST(GridReportSettings, AssigningCopiesIntoTheOwnedObjects) {
    TRMFormReport r;
    TRMPageLayout layout;
    layout.LeftMargin = 50;
    layout.DoublePass = true;
    r.setPageLayout(layout);
    layout.LeftMargin = 60;
    EXPECT_EQ(r.PageLayout().LeftMargin, 50);
    EXPECT_TRUE(r.PageLayout().DoublePass);

    TRMPageHeaderFooter header;
    header.setCaptionText("{\\rtf1 x}");
    header.setHeight(12);
    r.setPageHeader(header);
    EXPECT_EQ(r.PageHeader().CaptionText(), "{\\rtf1 x}");
    EXPECT_EQ(r.PageHeader().Height(), 12);
    EXPECT_EQ(r.PageHeader().Owner(), &r); // the report keeps its own object

    TRMGroupItems groups;
    groups.Add().GroupFieldName = "Code";
    groups.Add().FormNewPage = true;
    r.setGroups(groups);
    groups[0].GroupFieldName = "changed";
    ASSERT_EQ(r.Groups().Count(), 2);
    EXPECT_EQ(r.Groups()[0].GroupFieldName, "Code");
    EXPECT_FALSE(r.Groups()[0].FormNewPage);
    EXPECT_TRUE(r.Groups()[1].FormNewPage);

    TRMGridNumOptions numbers;
    numbers.Text = "序号";
    numbers.setNumber(3);
    r.setGridNumOptions(numbers);
    EXPECT_EQ(r.GridNumOptions().Text, "序号");
    EXPECT_EQ(r.GridNumOptions().Number(), 3);
}

TEST(GridReportSettings, IncompatibleClassesAreRefused) {
    TRMPageLayout layout;
    const TRMScaleOptions scale;
    try {
        layout.Assign(scale);
        FAIL() << "assignment accepted";
    } catch (const platform::EConvertError& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TRMScaleOptions to a TRMPageLayout");
    }
    TRMGroupItems items;
    EXPECT_THROW(items.Assign(TRMGroupItem{}), platform::EConvertError);
    EXPECT_EQ(layout.LeftMargin, 38);
}

TEST(GridReportSettings, ReferencesClearWhenTheirObjectsGo) {
    formtest::TestWindow w;
    auto* panel = w.add<QWidget>(0, 0, 100, 100);
    TRMFormReport& r = w.report();
    r.PrintControl = panel;
    auto model = std::make_unique<QStandardItemModel>();
    r.DataSet = model.get();
    delete panel;
    model.reset();
    EXPECT_EQ(r.PrintControl, nullptr);
    EXPECT_EQ(r.DataSet, nullptr);
    EXPECT_FALSE(r.BuildFromControls());
    r.RebuildFromControls();
    EXPECT_TRUE(formtest::page(r).Objects().empty());
}

TEST(GridReportSettings, GridDataSetsTakeTheSmallestFreeNumber) {
    auto first = std::make_unique<TRMFormReport>();
    TRMFormReport second;
    const std::string a = first->GridDataSet().Name;
    const std::string b = second.GridDataSet().Name;
    EXPECT_EQ(a.substr(0, 13), "RMGridDataSet");
    EXPECT_NE(a, b);
    first.reset();
    TRMFormReport third;
    EXPECT_EQ(third.GridDataSet().Name, a);
}

TEST(GridReportSettings, PageSetupSettingsComeBackInPixels) {
    TRMFormReport r;
    TRMPageSetting setting;
    setting.Title = "档案";
    setting.PrinterName = "PDF";
    setting.DoublePass = true;
    setting.PaperSize = 8;
    setting.PaperWidth = 2970;
    setting.PaperHeight = 4200;
    setting.SetOrientation(poLandscape); // swaps width and height
    setting.SetPageColumns(2);
    setting.SetColumnGap(5);
    setting.SetMarginLeft(20);
    setting.SetMarginTop(15.5);
    setting.SetMarginRight(0);
    setting.SetMarginBottom(25);
    setting.Bin = 7;
    setting.PrintBackColor = false;
    r.ApplyPageSetting(setting);
    const TRMPageLayout& l = r.PageLayout();
    EXPECT_EQ(l.Title, "档案");
    EXPECT_EQ(l.PrinterName, "PDF");
    EXPECT_TRUE(l.DoublePass);
    EXPECT_EQ(l.pgSize, 8);
    EXPECT_EQ(l.pgOr, poLandscape);
    EXPECT_EQ(l.Width, 4200);
    EXPECT_EQ(l.Height, 2970);
    EXPECT_EQ(l.Columns, 2);
    EXPECT_EQ(l.ColumnSpace, 19); // 5 mm at 96 dpi
    EXPECT_EQ(l.LeftMargin, 76);
    EXPECT_EQ(l.TopMargin, 59);
    EXPECT_EQ(l.RightMargin, 0);
    EXPECT_EQ(l.BottomMargin, 94);
    EXPECT_EQ(l.pgBin, 7);
    EXPECT_FALSE(l.PrintBackColor);
}
