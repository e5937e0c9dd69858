// Windows printed through the form report to the PDF printer and read back with pdftotext:
// a label above a grid above a second label, and a grid wider than the page with its
// leading column repeated on the page of the columns that did not fit.

#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "report/engine/model/RMReport.h"
#include "report/preview/RMPageSetupForm.h"
#include "report/preview/RMPreview.h"
#include "report/preview/RMPreviewForm.h"
#include "report/print/RMPdfPrinter.h"
#include "tests/report/formreport/FormReportTestSupport.h"
#include "tests/report/print/PrintTestSupport.h"

#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace report;
using namespace formtest;

namespace {

class FormReportPrint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        printtest::withoutPrintServer(dir.path());
        setPdfOutputFolder(dir.path().toStdString());
    }

    // Prints the window; returns each printed page's lines, blanks collapsed and empty
    // lines dropped.
    std::vector<QStringList> print(TestWindow& w) {
        for (const QString& old : QDir(dir.path()).entryList({"*.pdf"}))
            QFile::remove(dir.filePath(old));
        w.report().ShowPrintDialog = false;
        w.report().PrintFromControls();
        const QStringList files = QDir(dir.path()).entryList({"*.pdf"});
        EXPECT_EQ(files.size(), 1);
        if (files.size() != 1)
            return {};
        const QString text =
            printtest::runTool("pdftotext", {"-layout", dir.filePath(files[0]), "-"});
        std::vector<QStringList> pages;
        for (const QString& page : text.split(u'\f')) {
            QStringList lines;
            for (const QString& line : page.split(u'\n'))
                if (!line.simplified().isEmpty())
                    lines.push_back(line.simplified());
            if (!lines.isEmpty())
                pages.push_back(lines);
        }
        return pages;
    }

    QTemporaryDir dir;
    platform::ScriptedMessageBoxes boxes; // the PDF printer names its file
};

QTableWidget* table(TestWindow& w, int x, int y, int width, int columns, int columnWidth,
                    int rows) {
    auto* t = w.add<QTableWidget>(x, y, width, 150);
    t->setColumnCount(columns);
    t->setRowCount(rows);
    for (int c = 0; c < columns; ++c) {
        t->setHorizontalHeaderItem(c, new QTableWidgetItem(QStringLiteral("列%1").arg(c)));
        t->setColumnWidth(c, columnWidth);
        for (int r = 0; r < rows; ++r)
            t->setItem(r, c, new QTableWidgetItem(QStringLiteral("%1-%2").arg(r).arg(c)));
    }
    return t;
}

} // namespace

TEST_F(FormReportPrint, LabelAboveAGridAboveALabel) {
    TestWindow w;
    w.add<QLabel>(10, 10, 200, 20)->setText("核算单位一览");
    table(w, 10, 40, 300, 2, 100, 3);
    w.add<QLabel>(10, 200, 100, 20)->setText("制表人");

    // The second label is in the column footer, which prints only with PageHeaderOnly1.
    std::vector<QStringList> pages = print(w);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], (QStringList{"核算单位一览", "列0 列1", "0-0 0-1", "1-0 1-1", "2-0 2-1"}));

    w.report().PageHeaderOnly1 = true;
    pages = print(w);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0],
              (QStringList{"核算单位一览", "列0 列1", "0-0 0-1", "1-0 1-1", "2-0 2-1", "制表人"}));
}

TEST_F(FormReportPrint, AWideGridRepeatsItsFixedColumnOnTheNextPage) {
    TestWindow w;
    table(w, 0, 0, 580, 5, 200, 2);
    w.report().GridFixedCols = 1;
    w.report().PageHeaderOnly1 = true; // the title row on both pages

    const std::vector<QStringList> pages = print(w);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], (QStringList{"列0 列1 列2", "0-0 0-1 0-2", "1-0 1-1 1-2"}));
    EXPECT_EQ(pages[1], (QStringList{"列0 列3 列4", "0-0 0-3 0-4", "1-0 1-3 1-4"}));
    EXPECT_EQ(printtest::pdfPageCount(dir.filePath(QDir(dir.path()).entryList({"*.pdf"})[0])), 2);
}

TEST_F(FormReportPrint, EverySliceOfAWideGridStartsWithItsTitles) {
    TestWindow w;
    table(w, 0, 0, 580, 5, 200, 60); // slice 1 needs two pages
    w.report().GridFixedCols = 1;
    w.report().PageHeader().setCaptionText(
        "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 SimSun;}}"
        "\\pard\\f0 \\'b1\\'ed\\'cd\\'b7\\par}"); // 表头

    // The slices print one after the other, each on as many pages as its rows need.
    const std::vector<QStringList> pages = print(w);
    ASSERT_GE(pages.size(), 4u);
    ASSERT_EQ(pages.size() % 2, 0u);
    const std::size_t second = pages.size() / 2;
    EXPECT_EQ(pages[0].mid(0, 3), (QStringList{"表头", "列0 列1 列2", "0-0 0-1 0-2"}));
    EXPECT_FALSE(pages[1].contains("列0 列1 列2")); // a report title, not a page header
    // The second slice's first page: its titles with the repeated column, no header caption.
    EXPECT_EQ(pages[second].mid(0, 2), (QStringList{"列0 列3 列4", "0-0 0-3 0-4"}));
    EXPECT_FALSE(pages[second].contains("表头"));
}

TEST_F(FormReportPrint, PageSetupKeepsTheTitleAndTheColumnsInTheRebuiltReport) {
    TestWindow w;
    table(w, 0, 0, 300, 2, 100, 60);
    w.report().ReportTitle = "单位档案";
    ASSERT_TRUE(w.report().ReportOptions.has(rmgoRebuildAfterPageChanged));

    std::string titleAfter;
    int pagesBefore = 0, pagesAfter = 0, rightmostAfter = 0;
    platform::ModalHook hook([&](QWidget* window) {
        if (auto* setup = qobject_cast<TRMPageSetupForm*>(window)) {
            EXPECT_EQ(setup->edtTitle->text(), "单位档案");
            setup->edtTitle->setText("新标题");
            setup->edtColumns->setValue(2);
            setup->edtColumnGap->setValue(0.5); // centimetres
            setup->btnOK->click();
            return;
        }
        auto* form = qobject_cast<TRMPreviewForm*>(window);
        ASSERT_NE(form, nullptr);
        TRMPreview* preview = form->Preview();
        pagesBefore = preview->PageCount();
        form->btnPageSetup->trigger();
        titleAfter = preview->document().Print.ReportTitle;
        pagesAfter = preview->PageCount();
        for (const auto& v : preview->pages()->pageViews(0)->Objects())
            if (dynamic_cast<const TRMMemoView*>(v.get()) != nullptr)
                rightmostAfter = std::max(rightmostAfter, v->Left);
    });
    w.report().PreviewFromControls();

    EXPECT_EQ(titleAfter, "新标题");
    EXPECT_EQ(w.report().ReportEngine().ReportInfo.Title(), "新标题");
    const TRMPage& rebuilt = page(w.report());
    EXPECT_EQ(rebuilt.Columns, 2);
    EXPECT_NEAR(rebuilt.ColumnGap, 5000, 150); // thousandths of a millimetre, via pixels
    EXPECT_EQ(w.report().PageLayout().Columns, 2);
    // The rows flow into the second page column: 38 + 349 + 19 at 96 dpi, half the pages.
    EXPECT_GE(rightmostAfter, 38 + 349 + 19);
    EXPECT_LT(pagesAfter, pagesBefore);
}
