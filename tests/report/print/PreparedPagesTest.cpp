// Real prepared pages printed through the adapter: paper runs from the page records,
// memo text drawn by paintPage into the PDF, backgrounds and the stationery switch.

#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/print/RMPdfPrinter.h"
#include "report/print/RMPreparedPageSource.h"
#include "report/print/RMPrintRun.h"
#include "tests/report/print/PrintTestSupport.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>

#include <cstdlib>
#include <gtest/gtest.h>

using namespace report;

namespace {

// Prepared pages "第1页" … with the given orientations; every page's memo is PrintVisible
// except the note "底纹" on page 1, and page 1 has a background picture.
class PreparedReport {
public:
    explicit PreparedReport(const std::vector<bool>& landscape) {
        QImage image(60, 30, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QByteArray bmp;
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "BMP");
        for (std::size_t i = 0; i < landscape.size(); ++i) {
            TRMPage templatePage;
            templatePage.ChangePaper(9, 2100, 2970, -1, landscape[i] ? poLandscape : poPortrait);
            templatePage.BackGroundLeft = 40;
            templatePage.BackGroundTop = 50;
            if (i == 0) {
                templatePage.BackGround = {TRMPicture::Bitmap, bmp.toStdString()};
                report.EMFPages.AddBackground(templatePage);
            } else {
                templatePage.ShowBackPicture = false;
            }
            TRMEMFPage* page = report.EMFPages.AddPage(templatePage);
            writeMemo(*page, 60, 80, "第" + std::to_string(i + 1) + "页", true);
            if (i == 0)
                writeMemo(*page, 60, 200, "底纹", false);
        }
    }

    TRMReport report;

private:
    static void writeMemo(TRMEMFPage& page, int left, int top, const std::string& text,
                          bool printVisible) {
        TRMMemoView memo;
        memo.StreamMode = smPrepared;
        memo.Font.Name = "宋体";
        memo.Font.Size = 12;
        memo.SetBounds(left, top, 300, 30);
        memo.Memo1 = {text};
        memo.setFlag(flag::PrintVisible, printVisible);
        TRMEMFPages::WriteView(page.Stream, memo);
    }
};

class PreparedPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        printtest::withoutPrintServer(out.path());
        installPrinterLayer();
        ASSERT_TRUE(RMPrinter().SelectByName("PDF"));
        setPdfOutputFolder(out.path().toStdString());
    }
    void TearDown() override { installPrinter(nullptr); }
    QTemporaryDir out;
};

TEST_F(PreparedPagesTest, PagesPrintInRunsOfTheirPaperWithTheirText) {
    PreparedReport prepared({false, true, true, false});
    TRMPreparedPageSource source(prepared.report.EMFPages);
    ASSERT_EQ(source.PageCount(), 4);
    EXPECT_EQ(source.Page(1).Orientation, poLandscape);
    EXPECT_EQ(source.Page(1).Width, 1123);

    const std::unique_ptr<TRMPrintDevice> device = RMPrinter().CreateDevice();
    TRMPrintRun run(source, RMPrinter(), *device);
    TRMPrintRunOptions options;
    options.jobTitle = "档案";
    const TRMPrintResult result = run.Execute(options);
    ASSERT_EQ(result.status, TRMPrintStatus::Printed) << result.message;
    ASSERT_EQ(result.outputs.size(), 3u);
    const std::vector<std::vector<int>> runs{{1}, {2, 3}, {4}};
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const QString pdf = QString::fromStdString(result.outputs[i]);
        EXPECT_EQ(printtest::printedPageNumbers(pdf), runs[i]);
        const std::vector<QSizeF> sizes = printtest::pdfPageSizes(pdf);
        ASSERT_FALSE(sizes.empty());
        EXPECT_EQ(sizes[0].width() > sizes[0].height(), i == 1);
    }
    EXPECT_NE(printtest::runTool("pdftotext", {QString::fromStdString(result.outputs[0]), "-"})
                  .indexOf("底纹"),
              -1);
}

TEST_F(PreparedPagesTest, StationeryLeavesOutBackgroundAndViewsNotPrintVisible) {
    PreparedReport prepared({false, false});
    TRMPreparedPageSource source(prepared.report.EMFPages);
    ASSERT_TRUE(source.Background(0).has_value());
    EXPECT_EQ(source.Background(0)->left, 40);
    EXPECT_EQ(source.Background(0)->picture->width(), 60);
    EXPECT_FALSE(source.Background(1).has_value()) << "page 2 has ShowBackPicture off";

    printtest::RecordingDevice device;
    TRMPrintRun run(source, RMPrinter(), device);
    ASSERT_EQ(run.Execute({}).status, TRMPrintStatus::Printed);
    const platform::TMetafile& plain = *device.jobs[0].pages[0];
    EXPECT_EQ(plain.recordsOf(platform::TMetaRecordKind::Image).size(), 1u);
    EXPECT_EQ(plain.texts(), (std::vector<std::string>{"第1页", "底纹"}));

    TRMPrintRunOptions stationery;
    stationery.stationery = true;
    ASSERT_EQ(run.Execute(stationery).status, TRMPrintStatus::Printed);
    const platform::TMetafile& taoda = *device.jobs[1].pages[0];
    EXPECT_TRUE(taoda.recordsOf(platform::TMetaRecordKind::Image).empty());
    EXPECT_EQ(taoda.texts(), (std::vector<std::string>{"第1页"}));
}

} // namespace
