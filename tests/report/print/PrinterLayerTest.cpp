// The printer list, paper and bin lists, paper matching, page geometry and status words.

#include "report/engine/model/RMPage.h"
#include "report/print/RMPrinter.h"
#include "report/print/RMPrinterStatus.h"
#include "tests/report/print/PrintTestSupport.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <gtest/gtest.h>

using namespace report;

namespace {

class PrinterLayerTest : public ::testing::Test {
protected:
    void SetUp() override { printtest::withoutPrintServer(dir.path()); }
    QTemporaryDir dir;
};

TEST_F(PrinterLayerTest, WithoutAPrintServerThePdfPrinterIsTheDefault) {
    const TRMPrinterList& list = TRMPrinterList::instance();
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Name(0), "默认打印机");
    EXPECT_EQ(list.Name(1), "虚拟打印机");
    EXPECT_EQ(list.Name(2), "PDF");
    EXPECT_EQ(list.DefaultIndex(), 2);
    EXPECT_TRUE(list.HasRealPrinter());
    EXPECT_EQ(RMPrinter().Info().Kind, TRMPrinterKind::Pdf);
    EXPECT_EQ(RMPrinter().NameForFiles(), "Default Printer");
}

TEST_F(PrinterLayerTest, PrinterNamesSelectByTheFileRules) {
    const TRMPrinterList& list = TRMPrinterList::instance();
    EXPECT_EQ(list.IndexOfName(""), 0);
    EXPECT_EQ(list.IndexOfName("Default Printer"), 0);
    EXPECT_EQ(list.IndexOfName("默认打印机"), 0);
    EXPECT_EQ(list.IndexOfName("Virtual Printer"), 1);
    EXPECT_EQ(list.IndexOfName("虚拟打印机"), 1);
    EXPECT_EQ(list.IndexOfName("virtual printer"), 0) << "the fixed names compare exactly";
    EXPECT_EQ(list.IndexOfName("pdf"), 2);
    EXPECT_EQ(list.IndexOfName("no such printer"), 0);

    ASSERT_TRUE(RMPrinter().SelectByName("Virtual Printer"));
    EXPECT_EQ(RMPrinter().NameForFiles(), "Virtual Printer");
    ASSERT_TRUE(RMPrinter().SelectByName("PDF"));
    EXPECT_EQ(RMPrinter().NameForFiles(), "PDF");
    EXPECT_FALSE(RMPrinter().SelectIndex(7));
    EXPECT_EQ(RMPrinter().PrinterIndex(), 2);
}

TEST_F(PrinterLayerTest, PdfPrinterOffersTheTableThenTheFiveSizesThenCustom) {
    ASSERT_TRUE(RMPrinter().SelectByName("PDF"));
    const TRMPrinterInfo& info = RMPrinter().Info();
    const std::size_t n = info.PaperCodes.size();
    ASSERT_EQ(n, builtinPapers().size() + 6);
    EXPECT_EQ(info.PaperCodes.front(), 1);
    EXPECT_EQ(info.PaperNames[info.PaperIndex(9)], paperName(9));
    const std::vector<int> tail(info.PaperCodes.end() - 6, info.PaperCodes.end());
    EXPECT_EQ(tail, (std::vector<int>{800, 801, 802, 803, 804, 256}));
    EXPECT_EQ(info.PaperNames[n - 6], "16开(18.4 x 26 厘米)");
    EXPECT_EQ(info.PaperNames.back(), "自定义大小");
    EXPECT_EQ(info.CustomCode(), 256);
    EXPECT_EQ(info.BinCodes, (std::vector<int>{65535}));
    EXPECT_EQ(info.BinNames, (std::vector<std::string>{"缺省"}));
}

TEST_F(PrinterLayerTest, DeviceMediaAreNumberedAndCompleted) {
    TRMDeviceCapabilities caps;
    caps.media = {
        {"iso_a4_210x297mm", "A4", 21000, 29700, {420, 420, 420, 420}},
        {"na_letter_8.5x11in", "Letter", 21590, 27940, {635, 635, 635, 635}},
        {"iso_a4_210x297mm.Borderless", "A4", 21000, 29700, {}},
        {"om_photo_100x150mm", "", 10000, 15000, {}},
        {"custom_max", "Custom Size", 0, 0, {}},
        {"oe_odd_3x5in", "Card", 7620, 12700, {}},
    };
    caps.bins = {{"auto", ""}, {"manual", ""}, {"tray-1", ""}};
    caps.defaultMedia = "na_letter_8.5x11in";
    caps.defaultBin = "manual";
    caps.defaultOrientation = 1;
    caps.duplexModes = {1, 2};
    caps.dpiX = caps.dpiY = 300;
    TRMPrinterInfo info(TRMPrinterKind::Cups, "q");
    info.loadFrom(caps);

    EXPECT_EQ(info.PaperCodes, (std::vector<int>{9, 1, 257, 259, 800, 801, 802, 803, 804, 258}));
    EXPECT_EQ(info.PaperNames[2], "100 x 150 mm");
    EXPECT_EQ(info.PaperNames[3], "Card");
    EXPECT_EQ(info.PaperNames.back(), "自定义大小") << "the device's custom entry moves last";
    EXPECT_EQ(info.CustomCode(), 258);
    EXPECT_TRUE(info.IsCustomSize(258));
    EXPECT_TRUE(info.IsCustomSize(256));
    EXPECT_TRUE(info.IsCustomSize(802));
    EXPECT_FALSE(info.IsCustomSize(9));
    EXPECT_EQ(info.PaperMedia[0], "iso_a4_210x297mm");
    EXPECT_EQ(info.MarginsOf(1).left, 635);

    EXPECT_EQ(info.BinCodes, (std::vector<int>{65535, 7, 4, 258}));
    EXPECT_EQ(info.BinNames, (std::vector<std::string>{"缺省", "自动选择", "手动进纸", "纸盒 1"}));
    EXPECT_EQ(info.DeviceMode.paperCode, 1);
    EXPECT_EQ(info.DeviceMode.bin, 4);
    EXPECT_EQ(info.DeviceMode.orientation, 1);
    EXPECT_EQ(info.DpiX, 300);
}

TEST_F(PrinterLayerTest, PaperMatchingToleratesTinyDifferences) {
    TRMPrinter& printer = RMPrinter();
    ASSERT_TRUE(printer.SelectByName("PDF"));
    printer.SetPrinterInfo(9, 2100, 2970, 0, -1);
    EXPECT_TRUE(printer.SamePaper(9, 2101, 2971, 0, -1));
    EXPECT_FALSE(printer.SamePaper(9, 2102, 2970, 0, -1));
    EXPECT_FALSE(printer.SamePaper(9, 2100, 2972, 0, -1));
    EXPECT_FALSE(printer.SamePaper(9, 2100, 2970, 1, -1));
    EXPECT_TRUE(printer.SamePaper(9, 2100, 2970, 0, 65535));
    // A bin the printer lacks cannot be set, so it matches whatever bin is current.
    EXPECT_TRUE(printer.SamePaper(9, 2100, 2970, 0, 7));
    EXPECT_TRUE(printer.SamePaper(9, 2100, 2970, 0, 0));

    // A custom size keeps its own width and height under the printer's custom code.
    printer.SetPrinterInfo(256, 1500, 2500, 0, -1);
    EXPECT_EQ(printer.PaperSize(), 256);
    EXPECT_EQ(printer.PaperWidth(), 1500);
    // A table code takes the printer's size for it, whatever the page asked.
    printer.SetPrinterInfo(8, 1, 1, 0, -1);
    EXPECT_EQ(printer.PaperWidth(), 2970);
    EXPECT_EQ(printer.PaperHeight(), 4200);
    // Nothing changes while a job is open.
    printer.SetPrinting(true);
    printer.SetPrinterInfo(9, 2100, 2970, 1, -1);
    printer.SetPrinting(false);
    EXPECT_EQ(printer.PaperSize(), 8);
}

TEST_F(PrinterLayerTest, GeometryOfThePdfPrinterAndOfTheVirtualPrinter) {
    TRMPrinter& printer = RMPrinter();
    ASSERT_TRUE(printer.SelectByName("PDF"));
    printer.SetPrinterInfo(9, 2100, 2970, 0, -1);
    TRMPageGeometry g = printer.Geometry();
    EXPECT_EQ(g.pageWidthPx, 4961); // 210 mm at 600 dpi
    EXPECT_EQ(g.pageHeightPx, 7016);
    EXPECT_EQ(g.paperWidth, 794); // 210 mm at 96 pixels per inch
    EXPECT_EQ(g.paperHeight, 1123);
    EXPECT_EQ(g.printableLeftPx, 0);
    EXPECT_EQ(g.printableWidthPx, 4961);
    EXPECT_EQ(g.printableWidth, 752);   // 4961 × 93 / 1.022 / 600
    EXPECT_EQ(g.printableHeight, 1071); // 7016 × 93 / 1.015 / 600
    EXPECT_NEAR(printer.FactorX(), 4961.0 / 794, 1e-9);

    printer.SetPrinterInfo(9, 2100, 2970, 1, -1);
    g = printer.Geometry();
    EXPECT_EQ(g.pageWidthPx, 7016);
    EXPECT_EQ(g.paperWidth, 1123);

    ASSERT_TRUE(printer.SelectByName("Virtual Printer"));
    TRMPageGeometry kept;
    kept.pageWidthPx = 1234;
    printer.applyPaper({9, 2100, 2970, 0, -1}, kept);
    EXPECT_EQ(kept.pageWidthPx, 1234) << "the virtual printer leaves the device fields";
    EXPECT_EQ(kept.paperWidth, 794);
    EXPECT_EQ(kept.printableLeft, 18);
    EXPECT_EQ(kept.printableWidth, 794 - 36);
    EXPECT_DOUBLE_EQ(printer.FactorX(), 1.0);
}

TEST_F(PrinterLayerTest, EnginePagesGetThePrintersGeometryOnceInstalled) {
    installPrinterLayer();
    ASSERT_TRUE(RMPrinter().SelectByName("PDF"));
    TRMPage page;
    page.ChangePaper(11, 0, 0, -1, poLandscape); // A5
    EXPECT_EQ(page.PrinterInfo.pageWidthPx, 4961);
    EXPECT_EQ(page.PrinterInfo.pageHeightPx, 3496);
    EXPECT_EQ(page.PageWidth, 210000);
    EXPECT_EQ(currentPrinter().printerName(), "PDF");
    installPrinter(nullptr);
}

TEST(PrinterStatusTest, WordsFollowTheStatusValueAsAWhole) {
    EXPECT_EQ(printerStatusText(0, 0), "空闲");
    EXPECT_EQ(printerStatusText(0, 2), "打印:有2篇文档正在等待打印");
    EXPECT_EQ(printerStatusText(1024, 1), "正在打印:有1篇文档正在等待打印");
    EXPECT_EQ(printerStatusText(16, 0), "缺纸");
    EXPECT_EQ(printerStatusText(16 | 8, 0), "空闲") << "several conditions match no text";
    EXPECT_EQ(printerStatusText(4194304, 0), "Door Open");
    EXPECT_EQ(printerStatusText(8192, 0), "报警");

    cups::TRMCupsStatus stopped{5, {"paused"}, 0, true};
    EXPECT_EQ(printerStatusValue(stopped), 1u);
    cups::TRMCupsStatus jammed{3, {"media-jam-error"}, 0, true};
    EXPECT_EQ(printerStatusValue(jammed), 8u);
    cups::TRMCupsStatus busy{4, {"toner-low-report"}, 3, true};
    EXPECT_EQ(printerStatusValue(busy), 1024u | 131072u);
    cups::TRMCupsStatus offline{3, {"offline-report"}, 0, true};
    EXPECT_EQ(printerStatusText(printerStatusValue(offline), 0), "没有联机");
}

} // namespace
