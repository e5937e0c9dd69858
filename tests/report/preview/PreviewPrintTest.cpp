// Printing and page setup from the preview, and the façade's ShowReport / PrintReport
// through the preview layer's hooks: prepared from a template, shown in the preview
// window, printed to the PDF printer and read back.

#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "report/engine/model/RMPaper.h"
#include "report/engine/model/RMReportOutput.h"
#include "report/preview/RMPageSetupForm.h"
#include "report/preview/RMPreview.h"
#include "report/preview/RMPreviewForm.h"
#include "report/preview/RMPreviewLayer.h"
#include "report/preview/RMPreviewSettings.h"
#include "report/preview/RMPrintForm.h"
#include "report/preview/RMProgressForm.h"
#include "report/preview/RMReportPrinting.h"
#include "report/print/RMOverlappedPrint.h"
#include "report/print/RMPdfPrinter.h"
#include "report/print/RMPrinter.h"
#include "tests/report/engine/TemplateBuilder.h"
#include "tests/report/print/PrintTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace report;
using platform::Variant;

// A listing of numbered rows with "第N页" in the page footer; about 42 rows fit on an A4
// page in portrait.
struct Listing {
    explicit Listing(int rows)
        : data("Rows", {"n"}, numbered(rows))
        , t(report) {
        data.attachTo(report);
        auto& master = t.band(rmbtMasterData, 20, "MasterData1");
        master.DisplayFormatText = "RMDialogForm.Rows";
        t.memo(master, 0, 0, 200, 20, {"行" + data.ref("n")}, "Cell");
        auto& footer = t.band(rmbtPageFooter, 20, "PageFooter");
        footerText = &t.memo(footer, 0, 0, 200, 20, {"第[Page#]页"}, "FooterText");
        report.ReportInfo.Strings[0] = "核算单位档案";
    }
    static std::vector<std::vector<Variant>> numbered(int count) {
        std::vector<std::vector<Variant>> rows;
        for (int i = 1; i <= count; ++i)
            rows.push_back({Variant(i)});
        return rows;
    }

    testreport::RowsDataset data;
    TRMReport report;
    testreport::TemplateBuilder t;
    TRMMemoView* footerText = nullptr;
};

template <typename T>
T* visibleWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<T*>(w); form != nullptr && form->isVisible())
            return form;
    return nullptr;
}

struct PreviewPrint : ::testing::Test {
    PreviewPrint() {
        printtest::withoutPrintServer(dir.path());
        setPdfOutputFolder(dir.path().toStdString());
        installPreviewLayer();
        rememberedPreview() = {};
    }
    ~PreviewPrint() override {
        installReportWindows({});
        installPrinter(nullptr);
    }

    // A placed preview control showing the report's prepared pages.
    std::unique_ptr<TRMPreview> show(TRMReport& report) {
        auto preview = std::make_unique<TRMPreview>();
        preview->resize(800, 600);
        preview->show();
        preview->ShowReport(report);
        return preview;
    }
    // Page numbers of the PDF files written since the last call, file by file.
    std::vector<std::vector<int>> newPrints() {
        std::vector<std::vector<int>> prints;
        for (const QString& name : QDir(dir.path()).entryList({"*.pdf"}, QDir::Files, QDir::Time)) {
            const QString file = dir.filePath(name);
            prints.push_back(printtest::printedPageNumbers(file));
            QFile::remove(file);
        }
        return prints;
    }

    QTemporaryDir dir;
    platform::ScriptedMessageBoxes boxes;
};

using Pages = std::vector<std::vector<int>>;

TEST_F(PreviewPrint, WithoutTheDialogAllPagesPrintAtOnceAndTheCurrentPageOnce) {
    Listing l(100);
    ASSERT_TRUE(l.report.PrepareReport());
    ASSERT_EQ(l.report.EMFPages.Count(), 3);
    l.report.ShowPrintDialog = false;
    l.report.DefaultCopies = 2;
    l.report.DefaultCollate = false;
    std::vector<int> progress;
    int pagesWhilePrinting = -1;
    l.report.OnProgress = [&](int n) {
        progress.push_back(n);
        pagesWhilePrinting = l.report.EMFPages.Count();
    };
    auto preview = show(l.report);
    EXPECT_EQ(l.report.EMFPages.Count(), 0) << "the preview holds the pages";

    preview->Print();
    EXPECT_EQ(newPrints(), (Pages{{1, 1, 2, 2, 3, 3}}));
    EXPECT_EQ(progress, (std::vector<int>{1, 1, 2, 2, 3, 3})) << "the report's own progress";
    EXPECT_EQ(visibleWindow<TRMProgressForm>(), nullptr);
    EXPECT_EQ(pagesWhilePrinting, 0) << "the preview prints its own pages, never lends them";
    EXPECT_EQ(l.report.EMFPages.Count(), 0);
    EXPECT_EQ(preview->PageCount(), 3);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().caption, "提示");

    // The current page once, whatever the copies; the preview stays on it.
    progress.clear();
    preview->GoToPage(2);
    preview->PrintCurrentPage();
    EXPECT_EQ(newPrints(), (Pages{{2}}));
    EXPECT_EQ(progress, (std::vector<int>{2}));
    EXPECT_EQ(preview->CurPage(), 2);
    EXPECT_EQ(preview->PageCount(), 3);
}

TEST_F(PreviewPrint, ThePrintDialogStartsFromTheReportAndOffersTheCurrentPage) {
    Listing l(100);
    ASSERT_TRUE(l.report.PrepareReport());
    l.report.DefaultCopies = 3;
    l.report.DefaultCollate = false;
    l.report.Taoda = true;
    auto preview = show(l.report);
    preview->GoToPage(3);

    bool seen = false;
    platform::ModalHook hook([&](QWidget* window) {
        auto* form = qobject_cast<TRMPrintForm*>(window);
        ASSERT_NE(form, nullptr);
        seen = true;
        EXPECT_EQ(form->edtCopies->value(), 3);
        EXPECT_FALSE(form->chkCollate->isChecked());
        EXPECT_TRUE(form->chkTaoda->isChecked());
        ASSERT_TRUE(form->rbdPrintCurPage->isEnabled()) << "opened from a preview";
        form->rbdPrintCurPage->click();
        form->edtCopies->setValue(2);
        form->edtOffsetTop->setValue(1.0);
        form->btnOK->click();
    });
    preview->Print();
    ASSERT_TRUE(seen);
    EXPECT_EQ(newPrints(), (Pages{{3, 3}}));
    EXPECT_EQ(l.report.PrintOffsetTop, 38) << "offsets changed in the dialog stay with the report";
    EXPECT_EQ(l.report.DefaultCopies, 3);

    // Cancelled: nothing printed, nothing lost.
    platform::ModalHook cancel(
        [](QWidget* window) { static_cast<TRMPrintForm*>(window)->btnCancel->click(); });
    preview->Print();
    EXPECT_TRUE(newPrints().empty());
    EXPECT_EQ(preview->PageCount(), 3);
    EXPECT_EQ(l.report.EMFPages.Count(), 0);
}

TEST_F(PreviewPrint, PageSetupAppliesTheSettingPreparesAgainAndStartsAtPageOne) {
    Listing l(100);
    std::vector<TRMPageSetting> hooked;
    bool breakTemplate = false;
    l.report.OnPageSetup = [&](const TRMPageSetting& setting) {
        hooked.push_back(setting);
        if (breakTemplate)
            l.footerText->Memo = {"[1 MOD 0]"};
    };
    ASSERT_TRUE(l.report.PrepareReport());
    auto preview = show(l.report);
    preview->GoToPage(3);

    platform::ModalHook hook([&](QWidget* window) {
        auto* form = qobject_cast<TRMPageSetupForm*>(window);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->edtTitle->text(), "核算单位档案");
        EXPECT_TRUE(form->rdbPortrait->isChecked());
        form->edtTitle->setText("新标题");
        form->rdbLandscape->click();
        form->edtLeft->setValue(2.0);
        form->btnOK->click();
    });
    preview->PageSetup();
    ASSERT_EQ(hooked.size(), 1u);
    EXPECT_EQ(hooked[0].Title, "新标题");
    EXPECT_EQ(hooked[0].Orientation(), poLandscape);
    EXPECT_DOUBLE_EQ(hooked[0].MarginLeft(), 20);
    EXPECT_EQ(l.report.ReportInfo.Title(), "新标题");
    EXPECT_EQ(l.report.Pages[0]->Orientation, poLandscape);

    const TRMPageInfo first = preview->pages()->pageInfo(0);
    EXPECT_EQ(first.Orientation, poLandscape) << "prepared again on the new paper";
    EXPECT_GT(first.Width, first.Height);
    const int landscapePages = preview->PageCount();
    EXPECT_GT(landscapePages, 3) << "fewer rows fit a landscape page";
    EXPECT_EQ(preview->CurPage(), 1);
    EXPECT_EQ(l.report.EMFPages.Count(), 0) << "the preview took the new pages";

    // A preparation that fails keeps the pages shown before.
    breakTemplate = true;
    platform::ModalHook again([](QWidget* window) {
        auto* form = static_cast<TRMPageSetupForm*>(window);
        form->rdbPortrait->click();
        form->btnOK->click();
    });
    preview->PageSetup();
    ASSERT_EQ(hooked.size(), 2u);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().caption, "错误");
    EXPECT_EQ(preview->PageCount(), landscapePages);
    EXPECT_EQ(preview->pages()->pageInfo(0).Orientation, poLandscape);
}

TEST_F(PreviewPrint, ShowReportPreparesWithProgressAndPreviewsInTheWindow) {
    Listing l(100);
    QString progressCaption;
    l.report.OnBeginPage = [&](int) {
        if (auto* progress = visibleWindow<TRMProgressForm>())
            progressCaption = progress->windowTitle();
    };
    int shownPages = 0;
    QString caption;
    platform::ModalHook hook([&](QWidget* window) {
        auto* form = qobject_cast<TRMPreviewForm*>(window);
        ASSERT_NE(form, nullptr);
        caption = form->windowTitle();
        shownPages = form->Preview()->PageCount();
        EXPECT_TRUE(form->Preview()->FindText("行100", false, false, true));
        EXPECT_EQ(form->Preview()->CurPage(), 3);
        form->close();
    });
    l.report.ShowReport();
    EXPECT_EQ(progressCaption, "正在准备报表 - 核算单位档案");
    EXPECT_EQ(visibleWindow<TRMProgressForm>(), nullptr) << "the progress window goes";
    EXPECT_EQ(caption, "预览 - 核算单位档案");
    EXPECT_EQ(shownPages, 3);
    EXPECT_EQ(boxes.count(), 0u);

    // With a placed control the pages go there; a report's own OnProgress replaces the
    // progress window.
    TRMPreview placed;
    l.report.Preview = &placed;
    progressCaption.clear();
    int progressCalls = 0;
    l.report.OnProgress = [&](int) { ++progressCalls; };
    l.report.ShowReport();
    EXPECT_EQ(placed.PageCount(), 3);
    EXPECT_GT(progressCalls, 0);
    EXPECT_TRUE(progressCaption.isEmpty());
}

TEST_F(PreviewPrint, PrintReportPreparesAndPrintsToThePdfPrinter) {
    Listing l(100);
    l.report.ShowPrintDialog = false;
    TRMPrinterOutput printer;
    l.report.PrintReport(printer);
    EXPECT_EQ(printer.Result().status, TRMPrintStatus::Printed);
    EXPECT_EQ(newPrints(), (Pages{{1, 2, 3}}));
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_NE(boxes.last().text.find(".pdf"), std::string::npos);

    l.report.ShowPrintDialog = true;
    bool seen = false;
    platform::ModalHook hook([&](QWidget* window) {
        auto* form = qobject_cast<TRMPrintForm*>(window);
        ASSERT_NE(form, nullptr);
        seen = true;
        EXPECT_FALSE(form->rbdPrintCurPage->isEnabled()) << "not from a preview";
        QTest::keyClicks(form->edtPages, "2-");
        form->btnOK->click();
    });
    l.report.PrintReport(printer);
    EXPECT_TRUE(seen);
    EXPECT_EQ(newPrints(), (Pages{{2, 3}}));
}

TEST_F(PreviewPrint, PrintEventsComeFromEveryPrintRun) {
    Listing l(100);
    l.report.ShowPrintDialog = false;
    int runs = 0;
    std::vector<int> printed;
    l.report.OnPrintReport = [&] {
        ++runs;
        EXPECT_TRUE(newPrints().empty()) << "before the first job";
    };
    l.report.OnEndPrintPage = [&](int& pg) { printed.push_back(pg); };

    // Through the report on the PDF printer: each page ends its job, so the next one starts
    // a new file.
    TRMPrinterOutput printer;
    l.report.PrintReport(printer);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(printed, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(printer.Result().jobs, 3);
    EXPECT_EQ(newPrints().size(), 3u);

    // From the preview's print and print-current-page commands.
    ASSERT_TRUE(l.report.PrepareReport());
    auto preview = show(l.report);
    printed.clear();
    preview->Print();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(printed, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(newPrints().size(), 3u);
    printed.clear();
    preview->GoToPage(2);
    preview->PrintCurrentPage();
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(printed, (std::vector<int>{1}));
    EXPECT_EQ(newPrints(), (Pages{{2}}));
}

// Printing while the report prepares: the same file as printing after it, and a cancel or
// an error in the preparation leaves no file behind.
struct OverlappedPrint : PreviewPrint {
    ~OverlappedPrint() override { setOverlappedPrint(true); }
    // Every text of the one file printed since the last call, with its box.
    QStringList placedTexts() {
        const QStringList files = QDir(dir.path()).entryList({"*.pdf"}, QDir::Files);
        if (files.size() != 1) {
            ADD_FAILURE() << "files: " << files.join(", ").toStdString();
            return {};
        }
        const QString file = dir.filePath(files[0]);
        QStringList lines =
            printtest::runTool("pdftotext", {"-bbox", file, "-"}).split(QLatin1Char('\n'));
        lines.removeIf([](const QString& line) { return line.contains(QStringLiteral("<meta")); });
        QFile::remove(file);
        return lines;
    }
    // Prints `report` overlapped and after preparing; their placed texts, which must match.
    void expectSameBothWays(TRMReport& report) {
        const int printed = overlappedPrintsDone();
        TRMPrinterOutput printer;
        report.PrintReport(printer);
        EXPECT_EQ(printer.Result().status, TRMPrintStatus::Printed);
        EXPECT_EQ(overlappedPrintsDone(), printed + 1) << "printed after preparing";
        const QStringList overlapped = placedTexts();
        setOverlappedPrint(false);
        report.PrintReport(printer);
        EXPECT_EQ(printer.Result().status, TRMPrintStatus::Printed);
        EXPECT_EQ(overlappedPrintsDone(), printed + 1);
        const QStringList sequential = placedTexts();
        setOverlappedPrint(true);
        EXPECT_GT(overlapped.filter(QStringLiteral("<page ")).size(), 5) << "pages";
        EXPECT_EQ(overlapped, sequential);
    }
};

TEST_F(OverlappedPrint, OnePassAndTwoPassReportsPrintTheSameAsAfterPreparing) {
    Listing l(400);
    l.report.ShowPrintDialog = false;
    l.report.ShowProgress = false;
    expectSameBothWays(l.report);
    // The page count is known in the second pass only: its pages are handed over.
    l.footerText->Memo = {"第[Page#]页 共[TotalPages]页"};
    l.report.DoublePass = true;
    expectSameBothWays(l.report);
}

TEST_F(OverlappedPrint, CancelOrAnErrorWhilePreparingLeavesNoFile) {
    Listing l(2000);
    l.report.ShowPrintDialog = false;
    l.report.DoublePass = true;
    // Cancelled from the preparation's progress once pages were handed over in the last pass.
    TRMReportWindows windows;
    windows.ProgressWindow = [&l](const std::string&) {
        auto progress = std::make_unique<TRMHeadlessProgress>();
        progress->onLine = [p = progress.get(), &l](const std::string& line) {
            if (l.report.FinalPass && l.report.EMFPages.Count() >= 8 &&
                line.rfind("正在处理页:", 0) == 0)
                p->cancel();
        };
        return progress;
    };
    installReportWindows(windows);
    const int started = overlappedPrintsStarted();
    TRMPrinterOutput printer;
    l.report.PrintReport(printer);
    EXPECT_EQ(overlappedPrintsStarted(), started + 1);
    EXPECT_NE(printer.Result().status, TRMPrintStatus::Printed);
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.pdf"}, QDir::Files).isEmpty());
    EXPECT_EQ(boxes.count(), 0u);

    // An error in the last pass: the engine's message, no file.
    l.report.ShowProgress = false;
    l.report.OnEndPage = [&l](int page) {
        if (l.report.FinalPass && page == 6)
            throw std::runtime_error("页脚出错");
    };
    l.report.PrintReport(printer);
    EXPECT_EQ(overlappedPrintsStarted(), started + 2);
    EXPECT_NE(printer.Result().status, TRMPrintStatus::Printed);
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.pdf"}, QDir::Files).isEmpty());
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_NE(boxes.last().text.find("页脚出错"), std::string::npos) << boxes.last().text;
}

} // namespace
