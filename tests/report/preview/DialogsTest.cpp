// The print dialog, the page setup dialog with its margin check, and the printer
// properties dialog: models driven directly, windows driven on the offscreen platform.

#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "report/preview/RMPageImage.h"
#include "report/preview/RMPageSetupForm.h"
#include "report/preview/RMPrintForm.h"
#include "report/preview/RMPrinterPropForm.h"
#include "report/print/RMPdfPrinter.h"
#include "tests/report/print/PrintTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <gtest/gtest.h>

using namespace report;

namespace {

// A printer with an unprintable edge of `edge` hundredths of a millimetre on every side.
int addPrinter(const std::string& name, int edge) {
    TRMDeviceCapabilities caps;
    const TRMPaperMargins m{edge, edge, edge, edge};
    caps.media = {{"iso_a4_210x297mm", "A4", 21000, 29700, m},
                  {"iso_a3_297x420mm", "A3", 29700, 42000, m}};
    caps.bins = {{"auto", ""}, {"manual", ""}};
    caps.defaultMedia = "iso_a4_210x297mm";
    caps.duplexModes = {1, 2};
    auto info = std::make_unique<TRMPrinterInfo>(TRMPrinterKind::Cups, name);
    info->loadFrom(caps);
    return TRMPrinterList::instance().AddPrinter(name, std::move(info));
}

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        printtest::withoutPrintServer(dir.path());
        office = addPrinter("办公室打印机", 500);
        RMPrinter().Reset();
        setPdfOutputFolder(dir.path().toStdString());
    }
    QTemporaryDir dir;
    platform::ScriptedMessageBoxes boxes;
    int office = 0;
};

TEST_F(DialogsTest, PrintDialogSelectsThePrinterAtOnceAndCancelGivesItBack) {
    TRMPrintDialogModel model(RMPrinter(), {});
    EXPECT_EQ(model.PrinterItems(),
              (std::vector<std::string>{"默认打印机", "办公室打印机", "PDF"}));
    EXPECT_EQ(model.PrinterItem(), 0);
    ASSERT_TRUE(model.SelectPrinterItem(2));
    EXPECT_EQ(RMPrinter().PrinterIndex(), 3);
    EXPECT_EQ(model.Details().status, "空闲");
    EXPECT_EQ(model.ScalePaperItems().front(), "无缩放");
    EXPECT_EQ(model.ScalePaperItems().size(), RMPrinter().Info().PaperCodes.size())
        << "every paper but the custom one, after 无缩放";
    model.Cancel();
    EXPECT_EQ(RMPrinter().PrinterIndex(), 0);

    // The window: Down in the printer box picks 办公室打印机, the close button gives it back.
    std::string shownStatus;
    platform::ModalHook hook([&](QWidget* window) {
        auto* form = qobject_cast<TRMPrintForm*>(window);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->windowTitle(), "打印");
        EXPECT_EQ(form->GroupBox1->title(), "打印机");
        EXPECT_FALSE(form->rbdPrintCurPage->isEnabled());
        QTest::keyClick(form->cmbPrinters, Qt::Key_Down);
        EXPECT_EQ(RMPrinter().PrinterIndex(), office);
        form->cmbPrinters->setCurrentIndex(2);
        Q_EMIT form->cmbPrinters->activated(2);
        shownStatus = form->lblStatus->text().toStdString();
        EXPECT_EQ(form->lblPosition->text().toStdString(), dir.path().toStdString());
        form->btnCancel->click();
    });
    TRMPrintRunOptions options;
    EXPECT_FALSE(ShowPrintForm(nullptr, {}, options));
    EXPECT_EQ(shownStatus, "空闲");
    EXPECT_EQ(RMPrinter().PrinterIndex(), 0);
}

TEST_F(DialogsTest, PrintDialogMakesTheOptionsFromWhatWasChosen) {
    TRMPrintDialogSettings settings;
    settings.copies = 3;
    settings.collate = false;
    settings.stationery = true;
    settings.offsetTop = 38; // page pixels: 10.1 mm
    settings.currentPageAllowed = true;
    settings.currentPage = 4;
    bool changed = true;
    platform::ModalHook hook([&](QWidget* window) {
        auto* form = qobject_cast<TRMPrintForm*>(window);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->edtCopies->value(), 3);
        EXPECT_FALSE(form->chkCollate->isChecked());
        EXPECT_TRUE(form->chkTaoda->isChecked());
        EXPECT_DOUBLE_EQ(form->edtOffsetTop->value(), 1.0);
        EXPECT_TRUE(form->rdbPrintAll->isChecked());
        QTest::keyClicks(form->edtPages, "1a,3-x5");
        EXPECT_EQ(form->edtPages->text(), "1,3-5") << "letters cannot be typed";
        EXPECT_TRUE(form->rbdPrintPapges->isChecked()) << "typing chooses the page list";
        form->cmbPrintAll->setCurrentIndex(2);
        form->cmbScalePapers->setCurrentIndex(form->Model().ScalePaperItems().size() > 9 ? 9 : 1);
        form->edtScale->setValue(80);
        form->btnOK->click();
    });
    TRMPrintRunOptions options;
    ASSERT_TRUE(ShowPrintForm(nullptr, settings, options, &changed));
    EXPECT_EQ(options.pageList, "1,3-5");
    EXPECT_EQ(options.copies, 3);
    EXPECT_FALSE(options.collate);
    EXPECT_TRUE(options.stationery);
    EXPECT_EQ(options.parity, 2);
    ASSERT_TRUE(options.scalePaper.has_value());
    EXPECT_EQ(options.scalePaper->code, 9) << "the ninth paper of the PDF printer is A4";
    EXPECT_EQ(options.scalePercent, 80);
    EXPECT_EQ(options.offsetTop, 38);
    EXPECT_FALSE(changed) << "offsets were shown and given back unchanged";

    TRMPrintDialogModel model(RMPrinter(), settings);
    EXPECT_FALSE(model.SetPageText("1;2"));
    model.PageChoice = TRMPrintDialogModel::pcCurrent;
    EXPECT_EQ(model.Options().pageList, "4");
    model.ScaleText = "abc";
    EXPECT_EQ(model.ScalePercent(), 100);
    model.ScaleText = "0";
    EXPECT_EQ(model.ScalePercent(), 1);
    model.OffsetLeftMm = 5;
    EXPECT_EQ(model.Options().offsetLeft, 19);
    EXPECT_TRUE(model.OffsetsChanged());
}

TEST_F(DialogsTest, PageSetupChoosesPaperOrientationAndSize) {
    TRMPageSetting setting;
    setting.SetMarginLeft(10);
    setting.SetMarginLeft(-1);
    EXPECT_DOUBLE_EQ(setting.MarginLeft(), 10) << "negative margins are ignored";
    setting.SetPageColumns(0);
    EXPECT_EQ(setting.PageColumns(), 1);
    setting.PrinterName = "PDF";
    TRMPageSetupModel model(RMPrinter(), setting);
    EXPECT_EQ(model.PrinterItems().size(), 4u);
    EXPECT_EQ(model.PrinterItem(), TRMPrinterList::instance().pdfIndex());
    EXPECT_EQ(model.PaperItems()[model.PaperItem()], "A4 210 x 297 毫米");
    model.ChoosePaper(TRMPrinterList::instance().Info(model.PrinterItem()).PaperIndex(8));
    EXPECT_EQ(setting.PaperSize, 8);
    EXPECT_EQ(setting.PaperWidth, 2970);
    model.SetOrientation(1);
    EXPECT_EQ(setting.PaperWidth, 4200) << "landscape swaps width and height";
    EXPECT_EQ(setting.PaperHeight, 2970);
    EXPECT_FALSE(model.SizeEditable());
    model.ChoosePaper(static_cast<int>(model.PaperItems().size()) - 1);
    EXPECT_EQ(setting.PaperSize, 256);
    EXPECT_TRUE(model.SizeEditable());
    model.SetWidthCm(15.5);
    EXPECT_EQ(setting.PaperWidth, 1550);
    EXPECT_DOUBLE_EQ(model.WidthCm(), 15.5);
    ASSERT_TRUE(model.Accept({}));
    EXPECT_EQ(RMPrinter().NameForFiles(), "PDF");
    EXPECT_EQ(RMPrinter().PaperSize(), 256);
    EXPECT_EQ(RMPrinter().Orientation(), 1);
    EXPECT_EQ(RMPrinter().PaperHeight(), 1550) << "kept portrait inside the printer";
}

TEST_F(DialogsTest, MarginsInsideTheUnprintableEdgeAreRaisedOnYesOnly) {
    for (const bool yes : {true, false}) {
        TRMPageSetting setting;
        setting.PrinterName = "办公室打印机";
        setting.SetMarginRight(10);
        TRMPageSetupModel model(RMPrinter(), setting);
        int asked = 0;
        ASSERT_TRUE(model.Accept([&] {
            ++asked;
            return yes;
        }));
        EXPECT_EQ(asked, 1);
        EXPECT_DOUBLE_EQ(setting.MarginLeft(), yes ? 5.5 : 0);
        EXPECT_DOUBLE_EQ(setting.MarginTop(), yes ? 5.5 : 0);
        EXPECT_DOUBLE_EQ(setting.MarginBottom(), yes ? 5.5 : 0);
        EXPECT_DOUBLE_EQ(setting.MarginRight(), 10) << "a margin outside the edge stays";
    }
    TRMPageSetting wide;
    wide.PrinterName = "办公室打印机";
    wide.SetMarginLeft(6);
    wide.SetMarginTop(6);
    wide.SetMarginRight(6);
    wide.SetMarginBottom(6);
    TRMPageSetupModel model(RMPrinter(), wide);
    ASSERT_TRUE(model.Accept([] {
        ADD_FAILURE() << "nothing to ask";
        return true;
    }));
}

TEST_F(DialogsTest, PageSetupWindowAsksAboutTheMarginsAndShowsThePaper) {
    TRMPageSetting setting;
    setting.PrinterName = "办公室打印机";
    setting.Title = "核算单位档案";
    boxes.answer(platform::IDYES);
    platform::ModalHook hook([&](QWidget* window) {
        auto* form = qobject_cast<TRMPageSetupForm*>(window);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->windowTitle(), "页面设置");
        ASSERT_EQ(form->PageControl1->count(), 4);
        EXPECT_EQ(form->PageControl1->tabText(0), "纸张类型(&S)");
        EXPECT_EQ(form->PageControl1->tabText(1), "纸张来源(&P)");
        EXPECT_EQ(form->PageControl1->tabText(2), "页边距(&M)");
        EXPECT_EQ(form->PageControl1->tabText(3), "其它");
        EXPECT_EQ(form->edtTitle->text(), "核算单位档案");
        EXPECT_EQ(form->cmbPrinterNames->currentText(), "办公室打印机");
        EXPECT_DOUBLE_EQ(form->edtWidth->value(), 21.0);
        EXPECT_FALSE(form->edtWidth->isEnabled());
        EXPECT_EQ(form->lstBinNames->count(), 3);
        form->resize(700, 400);
        form->rdbLandscape->click();
        const QRectF paper = form->PageImage->PaperRect();
        EXPECT_GT(paper.width(), paper.height()) << "the picture turns with the paper";
        form->edtLeft->setValue(2.0);
        EXPECT_GT(form->PageImage->MarginRect().left(), paper.left());
        form->btnOK->click();
    });
    ASSERT_TRUE(ShowPageSetupForm(nullptr, setting));
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text,
              "有一处或多处页边距设置了页面的可打印区域之外，是否自动调整页边距？");
    EXPECT_EQ(boxes.last().caption, "警告");
    EXPECT_EQ(boxes.last().flags & platform::MB_TYPEMASK, platform::MB_YESNO);
    EXPECT_DOUBLE_EQ(setting.MarginLeft(), 20);
    EXPECT_DOUBLE_EQ(setting.MarginTop(), 5.5);
    EXPECT_EQ(setting.Orientation(), 1);
    EXPECT_EQ(setting.PaperWidth, 2970);
    EXPECT_EQ(RMPrinter().PrinterIndex(), office);
}

TEST_F(DialogsTest, PrinterPropertiesSetTheNextJob) {
    ASSERT_TRUE(RMPrinter().SelectIndex(office));
    TRMPrinterPropModel model(RMPrinter());
    EXPECT_EQ(model.BinItems(), (std::vector<std::string>{"缺省", "自动选择", "手动进纸"}));
    EXPECT_EQ(model.DuplexItems().size(), 2u);
    EXPECT_EQ(model.PaperItems().size(), RMPrinter().Info().PaperNames.size() - 1);
    model.PaperItem = RMPrinter().Info().PaperIndex(8);
    model.BinItem = 2;
    model.Orientation = 1;
    model.DuplexItem = 1;
    model.Apply();
    const TRMPrintJob job = RMPrinter().CurrentJob("x");
    EXPECT_EQ(job.paperCode, 8);
    EXPECT_EQ(job.media, "iso_a3_297x420mm");
    EXPECT_EQ(job.paperWidth, 4200) << "landscape A3";
    EXPECT_EQ(job.binKeyword, "manual");
    EXPECT_EQ(job.duplex, 2);

    platform::ModalHook hook([&](QWidget* window) {
        auto* form = qobject_cast<TRMPrinterPropForm*>(window);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->cmbBins->currentText(), "手动进纸");
        EXPECT_TRUE(form->rdbLandscape->isChecked());
        form->rdbPortrait->setChecked(true);
        form->btnOK->click();
    });
    ASSERT_TRUE(ShowPrinterPropForm(nullptr, RMPrinter()));
    EXPECT_EQ(RMPrinter().Orientation(), 0);
}

} // namespace

namespace {

// Grabs both dialogs headless; with SCREENSHOT_DIR set the pictures are kept there (the
// ones in docs/ are made that way).
TEST_F(DialogsTest, DialogsRenderHeadless) {
    const QString keep = qEnvironmentVariable("SCREENSHOT_DIR");
    std::vector<QSize> sizes;
    platform::ModalHook hook([&](QWidget* window) {
        window->adjustSize();
        const QImage picture = window->grab().toImage();
        sizes.push_back(picture.size());
        EXPECT_FALSE(picture.isNull());
        if (!keep.isEmpty())
            picture.save(keep + "/" + window->objectName() + ".png");
    });
    TRMPrintDialogSettings settings;
    settings.currentPageAllowed = true;
    TRMPrintRunOptions options;
    ASSERT_TRUE(RMPrinter().SelectIndex(TRMPrinterList::instance().pdfIndex()));
    setPdfOutputFolder("/home/kuaiji/文档");
    ShowPrintForm(nullptr, settings, options);
    TRMPageSetting setting;
    setting.PrinterName = "PDF";
    setting.Title = "核算单位档案";
    setting.SetMarginLeft(20);
    setting.SetMarginTop(15);
    setting.SetMarginRight(20);
    setting.SetMarginBottom(15);
    ShowPageSetupForm(nullptr, setting);
    ASSERT_EQ(sizes.size(), 2u);
    for (const QSize& size : sizes) {
        EXPECT_GT(size.width(), 300);
        EXPECT_GT(size.height(), 200);
    }
}

} // namespace
