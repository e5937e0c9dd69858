// The print run through the built-in PDF printer, read back with pdftotext and pdfinfo,
// and through a recording device where positions matter.

#include "report/print/RMPdfPrinter.h"
#include "report/print/RMPrintRun.h"
#include "report/print/RMPrinter.h"
#include "tests/report/print/PrintTestSupport.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

using namespace report;
using printtest::printedPageNumbers;
using printtest::TestPages;

namespace {

class PrintRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(out.isValid());
        // No print server: the list holds only the fixed entries and the PDF printer.
        printtest::withoutPrintServer(out.path());
        ASSERT_TRUE(RMPrinter().SelectIndex(TRMPrinterList::instance().pdfIndex()));
        setPdfOutputFolder(out.path().toStdString());
    }

    TRMPrintResult print(TestPages& pages, TRMPrintRunOptions options = {}) {
        options.jobTitle = "测试报表";
        const std::unique_ptr<TRMPrintDevice> device = RMPrinter().CreateDevice();
        TRMPrintRun run(pages, RMPrinter(), *device);
        run.Progress = &progress;
        run.OnPrintReport = [this] { ++printReportCalls; };
        return run.Execute(options);
    }

    // Page numbers printed into the one file the run wrote.
    std::vector<int> printedPages(TestPages& pages, const TRMPrintRunOptions& options) {
        const TRMPrintResult result = print(pages, options);
        EXPECT_EQ(result.status, TRMPrintStatus::Printed) << result.message;
        EXPECT_EQ(result.outputs.size(), 1u);
        if (result.outputs.size() != 1)
            return {};
        return printedPageNumbers(QString::fromStdString(result.outputs[0]));
    }

    QStringList files() const { return QDir(out.path()).entryList({"*.pdf"}, QDir::Files); }

    QTemporaryDir out;
    TRMHeadlessProgress progress;
    int printReportCalls = 0;
};

TEST_F(PrintRunTest, PageListsSelectPagesInOrder) {
    TestPages nine(9);
    TRMPrintRunOptions options;
    options.pageList = "1,3,5-7";
    EXPECT_EQ(printedPages(nine, options), (std::vector<int>{1, 3, 5, 6, 7}));
    options.pageList = "5-";
    EXPECT_EQ(printedPages(nine, options), (std::vector<int>{5, 6, 7, 8, 9}));
    options.pageList = " 2 , 4 ";
    EXPECT_EQ(printedPages(nine, options), (std::vector<int>{2, 4}));
    options.pageList = "";
    EXPECT_EQ(printedPages(nine, options), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(files().size(), 4) << "one file per run, none overwritten";
    EXPECT_EQ(progress.lines.back(), "正在打印页:9");
    EXPECT_EQ(progress.caption, "正在准备报表");
}

TEST_F(PrintRunTest, CopiesCollatedAndNot) {
    TestPages two(2);
    TRMPrintRunOptions options;
    options.copies = 2;
    options.collate = true;
    EXPECT_EQ(printedPages(two, options), (std::vector<int>{1, 2, 1, 2}));
    options.collate = false;
    EXPECT_EQ(printedPages(two, options), (std::vector<int>{1, 1, 2, 2}));
    options.copies = 0; // below 1 counts as 1
    EXPECT_EQ(printedPages(two, options), (std::vector<int>{1, 2}));
}

TEST_F(PrintRunTest, ParityCountsFromPageOne) {
    TestPages five(5);
    TRMPrintRunOptions options;
    options.parity = 1;
    EXPECT_EQ(printedPages(five, options), (std::vector<int>{1, 3, 5}));
    options.parity = 2;
    EXPECT_EQ(printedPages(five, options), (std::vector<int>{2, 4}));
    options.pageList = "2-4";
    options.parity = 1;
    EXPECT_EQ(printedPages(five, options), (std::vector<int>{3}));
}

TEST_F(PrintRunTest, OneJobPerRunOfEqualPaper) {
    TestPages pages(5, {false, false, true, true, false});
    const TRMPrintResult result = print(pages);
    ASSERT_EQ(result.status, TRMPrintStatus::Printed) << result.message;
    ASSERT_EQ(result.outputs.size(), 3u);
    EXPECT_EQ(result.jobs, 3);
    const std::vector<std::vector<int>> expected{{1, 2}, {3, 4}, {5}};
    for (std::size_t job = 0; job < 3; ++job) {
        const QString pdf = QString::fromStdString(result.outputs[job]);
        EXPECT_EQ(printedPageNumbers(pdf), expected[job]);
        for (const QSizeF& size : printtest::pdfPageSizes(pdf)) {
            const bool landscape = job == 1;
            EXPECT_NEAR(size.width(), landscape ? 841.9 : 595.3, 0.5);
            EXPECT_NEAR(size.height(), landscape ? 595.3 : 841.9, 0.5);
        }
    }
}

// Pages asking for a bin the printer lacks (the PDF printer has only its default bin) go
// into one document; the bin cannot be set, so it is no change of paper.
TEST_F(PrintRunTest, ABinThePrinterLacksKeepsOneDocument) {
    TestPages pages(4);
    for (TRMPageInfo& page : pages.pages)
        page.Bin = 0;
    const TRMPrintResult result = print(pages);
    ASSERT_EQ(result.status, TRMPrintStatus::Printed) << result.message;
    EXPECT_EQ(result.jobs, 1);
    ASSERT_EQ(result.outputs.size(), 1u);
    EXPECT_EQ(printedPageNumbers(QString::fromStdString(result.outputs[0])),
              (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(PrintRunTest, ScaleToPaperPrintsEveryPageOnThatPaper) {
    TestPages pages(3);
    TRMPrintRunOptions options;
    options.scalePaper = TRMScalePaper{8, 2970, 4200}; // A3
    const TRMPrintResult result = print(pages, options);
    ASSERT_EQ(result.status, TRMPrintStatus::Printed) << result.message;
    ASSERT_EQ(result.outputs.size(), 1u);
    const QString pdf = QString::fromStdString(result.outputs[0]);
    EXPECT_EQ(printedPageNumbers(pdf), (std::vector<int>{1, 2, 3}));
    for (const QSizeF& size : printtest::pdfPageSizes(pdf)) {
        EXPECT_NEAR(size.width(), 841.9, 0.5);
        EXPECT_NEAR(size.height(), 1190.6, 0.5);
    }
    // Pages were drawn at page scale into the metafile, not onto the printer.
    ASSERT_EQ(pages.drawn.size(), 3u);
    EXPECT_EQ(pages.drawn[0].target, (platform::TRect{0, 0, 794, 1123}));
    EXPECT_EQ(pages.drawn[0].context.PrintScale, 100);
}

TEST_F(PrintRunTest, ScaledPageLandsOnThePrinterPageTimesThePercentage) {
    TestPages pages(1);
    printtest::RecordingDevice device;
    TRMPrintRunOptions options;
    options.scalePaper = TRMScalePaper{8, 2970, 4200};
    options.scalePercent = 50;
    TRMPrintRun run(pages, RMPrinter(), device);
    ASSERT_EQ(run.Execute(options).status, TRMPrintStatus::Printed);
    ASSERT_EQ(device.jobs.size(), 1u);
    const TRMPageGeometry& g = device.jobs[0].job.geometry;
    EXPECT_EQ(g.pageWidthPx, 7016); // A3 at 600 dpi
    const platform::TMetafile& page = *device.jobs[0].pages[0];
    const auto frames = page.recordsOf(platform::TMetaRecordKind::FrameRect);
    ASSERT_EQ(frames.size(), 1u);
    // The page's outline (its whole paper) spans half the A3 sheet.
    EXPECT_NEAR(frames[0]->Rect.width(), 7016 / 2, 3);
    EXPECT_NEAR(frames[0]->Rect.height(), 9921 / 2, 3);
    EXPECT_EQ(frames[0]->Rect.Left, 0);
}

TEST_F(PrintRunTest, PageIsDrawnOverTheWholeSheetMovedByThePrintOffsets) {
    TestPages pages(1);
    printtest::RecordingDevice device;
    TRMPrintRunOptions options;
    options.offsetLeft = 20; // page pixels
    options.offsetTop = 10;
    options.scalePercent = 80;
    TRMPrintRun run(pages, RMPrinter(), device);
    ASSERT_EQ(run.Execute(options).status, TRMPrintStatus::Printed);
    const TRMPageGeometry& g = device.jobs[0].job.geometry;
    ASSERT_EQ(pages.drawn.size(), 1u);
    const platform::TRect target = pages.drawn[0].target;
    const int dx = static_cast<int>(std::lround(20.0 * g.pageWidthPx / g.paperWidth));
    const int dy = static_cast<int>(std::lround(10.0 * g.pageHeightPx / g.paperHeight));
    EXPECT_EQ(target, (platform::TRect{-g.printableLeftPx + dx, -g.printableTopPx + dy,
                                       g.pageWidthPx - g.printableLeftPx + dx,
                                       g.pageHeightPx - g.printableTopPx + dy}));
    EXPECT_TRUE(pages.drawn[0].context.IsPrinting);
    EXPECT_EQ(pages.drawn[0].context.PrintScale, 80);
    EXPECT_EQ(pages.drawn[0].context.DpiX, 600);
}

TEST_F(PrintRunTest, BackgroundPictureScaledToThePrinterUnlessOnStationery) {
    TestPages pages(1);
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    pages.backgroundPicture = platform::Picture::fromImage(image);
    pages.backgroundPlace = {10, 30, 100, -1}; // height: the picture's own
    printtest::RecordingDevice device;
    TRMPrintRun run(pages, RMPrinter(), device);
    ASSERT_EQ(run.Execute({}).status, TRMPrintStatus::Printed);
    const TRMPageGeometry& g = device.jobs[0].job.geometry;
    const double fx = static_cast<double>(g.pageWidthPx) / g.paperWidth;
    const double fy = static_cast<double>(g.pageHeightPx) / g.paperHeight;
    const auto images = device.jobs[0].pages[0]->recordsOf(platform::TMetaRecordKind::Image);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->Rect, (platform::TRect{static_cast<int>(std::lround(10 * fx)),
                                                static_cast<int>(std::lround(30 * fy)),
                                                static_cast<int>(std::lround(110 * fx)),
                                                static_cast<int>(std::lround(50 * fy))}));

    TRMPrintRunOptions stationery;
    stationery.stationery = true;
    ASSERT_EQ(run.Execute(stationery).status, TRMPrintStatus::Printed);
    EXPECT_TRUE(device.jobs[1].pages[0]->recordsOf(platform::TMetaRecordKind::Image).empty());
    EXPECT_TRUE(pages.drawn.back().context.Taoda);
}

TEST_F(PrintRunTest, PageListThatIsNotNumericEndsBeforeAnyJob) {
    TestPages pages(3);
    TRMPrintRunOptions options;
    options.pageList = "1,x";
    const TRMPrintResult result = print(pages, options);
    EXPECT_EQ(result.status, TRMPrintStatus::BadPageList);
    EXPECT_EQ(result.message, "'x' 不是有效的整数值");
    EXPECT_EQ(printReportCalls, 0);
    EXPECT_TRUE(files().isEmpty());
    for (const char* bad : {"1,,2", "-3", "1-2-3", "3,"}) {
        options.pageList = bad;
        EXPECT_EQ(print(pages, options).status, TRMPrintStatus::BadPageList) << bad;
    }
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(PrintRunTest, CancelBetweenPagesDropsTheJobInProgress) {
    TestPages pages(6, {false, false, false, true, true, true});
    progress.onLine = [this](const std::string& line) {
        if (line == "正在打印页:5")
            progress.cancel();
    };
    const TRMPrintResult result = print(pages);
    EXPECT_EQ(result.status, TRMPrintStatus::Cancelled);
    EXPECT_EQ(pages.drawn.size(), 5u) << "nothing is drawn after the cancel";
    // The portrait run was finished before the cancel; the landscape one is dropped.
    ASSERT_EQ(files().size(), 1);
    EXPECT_EQ(printedPageNumbers(out.filePath(files()[0])), (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(RMPrinter().Printing());
}

TEST_F(PrintRunTest, EndPrintPageHandlerGetsEveryPageInItsOwnJob) {
    TestPages pages(3);
    const std::unique_ptr<TRMPrintDevice> device = RMPrinter().CreateDevice();
    TRMPrintRun run(pages, RMPrinter(), *device);
    std::vector<int> seen;
    run.OnEndPrintPage = [&](int& pg) {
        seen.push_back(pg);
        pg = 99; // ignored
    };
    TRMPrintRunOptions options;
    options.pageList = "1-3";
    const TRMPrintResult result = run.Execute(options);
    ASSERT_EQ(result.status, TRMPrintStatus::Printed);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
    ASSERT_EQ(result.outputs.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(printedPageNumbers(QString::fromStdString(result.outputs[i])),
                  (std::vector<int>{i + 1}));
}

TEST_F(PrintRunTest, PdfFilesNeverReplaceAnExistingFile) {
    const std::filesystem::path folder = out.path().toStdString();
    const std::filesystem::path first = pdfFileNameFor(folder, "a/b:c");
    EXPECT_EQ(first.parent_path(), folder);
    EXPECT_EQ(first.filename().string().rfind("a_b_c ", 0), 0u);
    std::ofstream(first) << "someone's file";
    const std::filesystem::path second = pdfFileNameFor(folder, "a/b:c");
    EXPECT_NE(second, first);
    EXPECT_NE(second.string().find(" (2).pdf"), std::string::npos);
    std::ifstream kept(first);
    std::string content;
    std::getline(kept, content);
    EXPECT_EQ(content, "someone's file");
}

TEST_F(PrintRunTest, UnwritableOutputFolderEndsTheRunWithAMessage) {
    const QString blocker = out.filePath("a-file");
    std::ofstream(blocker.toStdString()) << "x";
    setPdfOutputFolder((blocker + "/sub").toStdString());
    TestPages pages(2);
    const TRMPrintResult result = print(pages);
    EXPECT_EQ(result.status, TRMPrintStatus::Failed);
    EXPECT_NE(result.message.find("无法在输出文件夹"), std::string::npos) << result.message;
    EXPECT_EQ(pages.drawn.size(), 0u);
    EXPECT_FALSE(RMPrinter().Printing());
}

} // namespace
