// Printing as the user sees it: the progress window with its cancel button, and the
// messages after a run.

#include "platform/MessageBox.h"
#include "report/preview/RMPrintPages.h"
#include "report/preview/RMProgressForm.h"
#include "report/print/RMPdfPrinter.h"
#include "tests/report/print/PrintTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdlib>
#include <gtest/gtest.h>

using namespace report;

namespace {

TRMProgressForm* progressWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<TRMProgressForm*>(w); form && form->isVisible())
            return form;
    return nullptr;
}

class PrintPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        printtest::withoutPrintServer(out.path());
        setPdfOutputFolder(out.path().toStdString());
    }
    QStringList files() const { return QDir(out.path()).entryList({"*.pdf"}, QDir::Files); }

    QTemporaryDir out;
    platform::ScriptedMessageBoxes boxes;
};

// Clicks the progress window's cancel button while page `at` is drawn, and notes what
// the window showed then.
class CancellingPages : public printtest::TestPages {
public:
    CancellingPages(int count, int at)
        : TestPages(count)
        , at_(at) {}
    void DrawPage(int index, platform::TCanvas& canvas, const platform::TRect& target,
                  const TRMDrawContext& context) override {
        TestPages::DrawPage(index, canvas, target, context);
        TRMProgressForm* form = progressWindow();
        if (form == nullptr)
            return;
        seenCaption = form->windowTitle();
        seenLine = form->Label1->text();
        onTop = form->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        if (index == at_)
            form->btnCancel->click();
    }
    QString seenCaption, seenLine;
    bool onTop = false;

private:
    int at_;
};

TEST_F(PrintPagesTest, PdfPrinterTellsWhereTheFileWent) {
    printtest::TestPages pages(2);
    TRMPrintRequest request;
    request.options.jobTitle = "档案";
    const TRMPrintResult result = PrintPages(nullptr, pages, request);
    ASSERT_EQ(result.status, TRMPrintStatus::Printed) << result.message;
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().caption, "提示");
    EXPECT_NE(boxes.last().text.find(result.outputs.at(0)), std::string::npos) << boxes.last().text;
    EXPECT_EQ(files().size(), 1);
    EXPECT_EQ(progressWindow(), nullptr) << "the progress window goes when printing ends";
}

TEST_F(PrintPagesTest, CancelInTheProgressWindowStopsTheRun) {
    CancellingPages pages(5, 2);
    bool terminated = false;
    TRMPrintRequest request;
    request.options.jobTitle = "档案";
    request.options.reportTitle = "档案";
    request.terminated = &terminated;
    const TRMPrintResult result = PrintPages(nullptr, pages, request);
    EXPECT_EQ(result.status, TRMPrintStatus::Cancelled);
    EXPECT_TRUE(terminated);
    EXPECT_EQ(pages.drawn.size(), 3u);
    EXPECT_EQ(pages.seenCaption, "正在准备报表 - 档案");
    EXPECT_EQ(pages.seenLine, "正在打印页:2");
    EXPECT_TRUE(pages.onTop);
    EXPECT_TRUE(files().isEmpty());
    EXPECT_EQ(boxes.count(), 0u);
}

TEST_F(PrintPagesTest, FailuresAreShownInAnErrorBox) {
    printtest::TestPages pages(2);
    TRMPrintRequest request;
    request.options.pageList = "1,a";
    EXPECT_EQ(PrintPages(nullptr, pages, request).status, TRMPrintStatus::BadPageList);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "'a' 不是有效的整数值");
    EXPECT_EQ(boxes.last().caption, "错误");
    EXPECT_EQ(boxes.last().flags, platform::MB_OK | platform::MB_ICONERROR);

    ASSERT_TRUE(RMPrinter().SelectIndex(1));
    request.options.pageList.clear();
    EXPECT_EQ(PrintPages(nullptr, pages, request).status, TRMPrintStatus::Failed);
    EXPECT_EQ(boxes.last().text, "所选打印机错误");
    EXPECT_TRUE(pages.drawn.empty());
    EXPECT_TRUE(files().isEmpty());
}

} // namespace
