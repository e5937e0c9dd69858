// The preview window on the offscreen platform: opening zooms, the tool bar and its
// buttons, the zoom and page number boxes, ProcMenu, the keyboard table, find, load and
// save, the data conversion, hand scrolling and the magnifier, and the window placement.

#include "PreviewTestSupport.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/Settings.h"
#include "report/preview/RMPreview.h"
#include "report/preview/RMPreviewForm.h"
#include "report/preview/RMPreviewSearchForm.h"
#include "report/preview/RMPreviewSettings.h"
#include "report/preview/RMSuperExpForm.h"
#include "tests/support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using namespace report;

struct Window : ::testing::Test {
    Window() {
        rememberedPreview() = {};
        platform::Settings settings(kPreviewSettingsRoot);
        settings.eraseSection("Form\\TRMPreviewForm");
        settings.eraseSection("ToolBar\\ToolBar1");
    }
    ~Window() override { rememberedPreview() = {}; }

    // A shown, non-maximised window of a known size with the document in it.
    std::unique_ptr<TRMPreviewForm> open(previewtest::Document& doc) {
        auto form = std::make_unique<TRMPreviewForm>();
        form->Show_Report(doc.report);
        form->show();
        form->setWindowState(Qt::WindowNoState);
        form->resize(900, 700);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        settle(*form);
        return form;
    }
    // Lets the layouts pass the window's size down to the pages' view.
    static void settle(TRMPreviewForm& form) {
        for (int i = 0; i < 100 && form.Preview()->viewport()->width() < form.width() - 40; ++i)
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    void key(TRMPreviewForm& form, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        form.Preview()->setFocus();
        QTest::keyClick(form.Preview(), k, m);
    }
    void enter(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
};

TEST_F(Window, ToolBarInOrderWithHintsAndZoomBoxEntries) {
    previewtest::Document doc(3);
    auto form = open(doc);
    std::vector<QString> hints;
    for (QAction* a : form->ToolBar()->actions())
        if (!a->isSeparator())
            hints.push_back(a == form->btnZoom ? form->ZoomBox()->toolTip() : a->toolTip());
    const std::vector<QString> expected{"显示比例",
                                        "放大镜",
                                        "整页",
                                        "",
                                        "页面宽度",
                                        "第一页",
                                        "上一页",
                                        "",
                                        "下一页",
                                        "最后一页",
                                        "查找文本",
                                        "打开报表",
                                        "保存报表",
                                        "超级数据格式转换",
                                        "保存为excel格式文件",
                                        "打印报表",
                                        "页面设置",
                                        "修改报表",
                                        "关闭预览"};
    EXPECT_EQ(hints, expected);
    EXPECT_EQ(form->ToolBar()->windowTitle(), "预览工具栏");
    QStringList entries;
    for (int i = 0; i < form->ZoomBox()->count(); ++i)
        entries << form->ZoomBox()->itemText(i);
    EXPECT_EQ(entries, QStringList({"200%", "150%", "100%", "75%", "50%", "25%", "10%", "页面宽度",
                                    "整页", "双页", "打印机分辨率"}));
    EXPECT_EQ(form->ZoomBox()->width(), 90);
    EXPECT_EQ(form->PageBox()->width(), 40);
    // Every button has its picture.
    for (QAction* a : form->ToolBar()->actions())
        if (!a->isSeparator() && a != form->btnZoom && a != form->btnPageNo) {
            EXPECT_FALSE(a->icon().isNull()) << a->toolTip().toStdString();
        }
}

TEST_F(Window, PreviewButtonsPickTheButtonsAndTheirSeparators) {
    previewtest::Document doc(2);
    doc.report.PreviewButtons = 383; // the archive window's buttons
    auto form = open(doc);
    EXPECT_TRUE(form->btnSaveToXLS->isVisible());
    EXPECT_FALSE(form->btnSuperExp->isVisible());
    EXPECT_FALSE(form->btnDesign->isVisible());
    EXPECT_TRUE(form->btnPrint->isVisible() && form->btnPrint->isEnabled()); // PDF printer
    form->btnSaveToXLS->trigger(); // no Excel filter registered: nothing happens
    EXPECT_EQ(form->Preview()->PageCount(), 2);

    previewtest::Document bare(1);
    bare.report.PreviewButtons = previewbutton::pbExit;
    auto other = open(bare);
    for (QAction* a : {other->btnZoom, other->btnFind, other->btnOpen, other->btnSave,
                       other->btnPrint, other->btnPageSetup, other->itmPrint})
        EXPECT_FALSE(a->isVisible());
    // Only the separator before the close button's group stays.
    int separators = 0;
    for (QAction* a : other->ToolBar()->actions())
        separators += a->isSeparator() && a->isVisible();
    EXPECT_EQ(separators, 2); // after the zoom toggles, after the paging group
    const QList<QAction*> actions = other->ToolBar()->actions();
    EXPECT_TRUE(actions[actions.indexOf(other->btnExit) - 1]->isSeparator());
    EXPECT_TRUE(actions[actions.indexOf(other->btnExit) - 1]->isVisible());
}

TEST_F(Window, OpeningZooms) {
    previewtest::Document doc(4);
    {
        auto first = open(doc);
        first->ZoomBox()->setCurrentIndex(4);
        Q_EMIT first->ZoomBox()->activated(4); // "50%"
        EXPECT_DOUBLE_EQ(first->Preview()->model().scale(), 0.5);
        first->accept();
        doc.report.EMFPages.swapPages(*first->Preview()->pages());
    }
    // pzDefault opens at the remembered 50 %.
    auto second = open(doc);
    EXPECT_EQ(second->Preview()->model().mode(), TRMScaleMode::Percent);
    EXPECT_DOUBLE_EQ(second->Preview()->model().scale(), 0.5);
    EXPECT_EQ(second->ZoomBox()->currentText(), "50%");
    doc.report.EMFPages.swapPages(*second->Preview()->pages());

    // pzTwoPages: the window restores the remembered zoom, a placed control shows two pages.
    doc.report.InitialZoom = pzTwoPages;
    auto third = open(doc);
    EXPECT_DOUBLE_EQ(third->Preview()->model().scale(), 0.5);
    doc.report.EMFPages.swapPages(*third->Preview()->pages());
    TRMPreview placed;
    placed.resize(800, 600);
    placed.show();
    placed.ShowReport(doc.report);
    EXPECT_EQ(placed.model().mode(), TRMScaleMode::TwoPages);
    EXPECT_EQ(placed.model().pagesPerRow(), 2);
    EXPECT_EQ(placed.CurPage(), 1);
    doc.report.EMFPages.swapPages(*placed.pages());

    // pzPageWidth presses the page width button.
    doc.report.InitialZoom = pzPageWidth;
    auto fourth = open(doc);
    EXPECT_EQ(fourth->Preview()->model().mode(), TRMScaleMode::PageWidth);
    EXPECT_TRUE(fourth->btnPageWidth->isChecked());
    EXPECT_FALSE(fourth->btn100->isChecked());
    EXPECT_EQ(fourth->ZoomBox()->currentText(), "页面宽度");
}

TEST_F(Window, ShowingTakesThePagesOver) {
    previewtest::Document doc(3);
    TRMPreview preview;
    preview.Next(); // commands do nothing without pages
    EXPECT_FALSE(preview.FindText("第", false, false, true));
    preview.ShowReport(doc.report);
    EXPECT_EQ(doc.report.EMFPages.pageCount(), 0);
    EXPECT_EQ(preview.PageCount(), 3);

    // Another report in the same control: its pages replace the first report's.
    previewtest::Document other(2);
    preview.ShowReport(other.report);
    EXPECT_EQ(doc.report.EMFPages.pageCount(), 0);
    EXPECT_EQ(other.report.EMFPages.pageCount(), 0);
    EXPECT_EQ(preview.PageCount(), 2);
    EXPECT_TRUE(preview.FindText("第2页", false, false, true));
}

TEST_F(Window, ZoomAndPageNumberBoxes) {
    previewtest::Document doc(5);
    auto form = open(doc);
    enter(form->PageBox(), "999");
    EXPECT_EQ(form->Preview()->CurPage(), 5);
    EXPECT_EQ(form->PageBox()->text(), "5");
    enter(form->PageBox(), "0");
    EXPECT_EQ(form->Preview()->CurPage(), 1);
    enter(form->PageBox(), "3");
    EXPECT_EQ(form->Preview()->CurPage(), 3);
    enter(form->PageBox(), "x");
    EXPECT_EQ(form->PageBox()->text(), "3"); // not a number: the current page comes back
    EXPECT_EQ(form->StatusLabel()->text(), "页 3/5");

    QLineEdit* zoom = form->ZoomBox()->lineEdit();
    enter(zoom, "35");
    EXPECT_DOUBLE_EQ(form->Preview()->model().scale(), 0.35);
    EXPECT_EQ(form->ZoomBox()->currentText(), "35%");
    enter(zoom, "abc");
    EXPECT_DOUBLE_EQ(form->Preview()->model().scale(), 1.0);
    enter(zoom, "整页");
    EXPECT_EQ(form->Preview()->model().mode(), TRMScaleMode::OnePage);
    EXPECT_TRUE(form->btnOnePage->isChecked());
    EXPECT_EQ(rememberedPreview().mode, TRMScaleMode::OnePage);
    Q_EMIT form->ZoomBox()->activated(9);
    EXPECT_EQ(form->Preview()->model().mode(), TRMScaleMode::TwoPages);
}

TEST_F(Window, ProcMenuChecksTheZoomAndZooms) {
    previewtest::Document doc(2);
    auto form = open(doc);
    form->itmScale50->trigger();
    EXPECT_DOUBLE_EQ(form->Preview()->model().scale(), 0.5);
    EXPECT_DOUBLE_EQ(rememberedPreview().scale, 0.5);
    form->updateProcMenu();
    EXPECT_TRUE(form->itmScale50->isChecked());
    EXPECT_FALSE(form->itmScale100->isChecked());
    form->itmDoublePage->trigger();
    form->updateProcMenu();
    EXPECT_TRUE(form->itmDoublePage->isChecked());
    enter(form->ZoomBox()->lineEdit(), "33");
    form->updateProcMenu();
    EXPECT_TRUE(form->itmScale100->isChecked()); // a typed value checks 100 %
    EXPECT_FALSE(form->itmEditPage->isVisible());
    EXPECT_FALSE(form->itmNewPage->isVisible());
    EXPECT_TRUE(form->itmPrint->isEnabled());
    QStringList captions;
    for (QAction* a : form->ProcMenu()->actions())
        if (!a->isSeparator())
            captions << a->text();
    EXPECT_EQ(captions, QStringList({"200%", "150%", "100%", "75%", "50%", "25%", "10%", "页宽(&P)",
                                     "整页(&W)", "双页(&T)", "打印...", "打印当前页", "增加页",
                                     "删除页...", "编辑页..."}));
}

TEST_F(Window, KeyboardTable) {
    previewtest::Document doc(6);
    auto form = open(doc);
    TRMPreviewModel& model = form->Preview()->model();
    key(*form, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(model.currentPage(), 2);
    key(*form, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(model.currentPage(), 1);
    key(*form, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(model.currentPage(), 6);
    key(*form, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(model.offsetY(), 0);
    EXPECT_EQ(model.currentPage(), 1);

    key(*form, Qt::Key_Down);
    EXPECT_EQ(model.offsetY(), model.smallStep());
    EXPECT_TRUE(form->Preview()->verticalScrollBar()->hasFocus());
    key(*form, Qt::Key_Up);
    EXPECT_EQ(model.offsetY(), 0);
    key(*form, Qt::Key_PageDown);
    EXPECT_EQ(model.offsetY(), model.largeStepY());
    EXPECT_EQ(form->Preview()->verticalScrollBar()->value(), model.offsetY());

    model.setZoomPercent(200);
    key(*form, Qt::Key_Right);
    EXPECT_EQ(model.offsetX(), model.smallStep());
    EXPECT_TRUE(form->Preview()->horizontalScrollBar()->hasFocus());
    key(*form, Qt::Key_Left);
    EXPECT_EQ(model.offsetX(), 0);

    ASSERT_TRUE(form->Preview()->FindText("第2页", false, false, true));
    model.goToPage(1);
    model.scrollTo(0, 0);
    key(*form, Qt::Key_F3); // from the start of page 1, not behind the match on page 2
    EXPECT_EQ(model.currentPage(), 2);
    key(*form, Qt::Key_F3); // behind it: nothing more
    EXPECT_EQ(model.currentPage(), 2);

    QSignalSpy finished(form.get(), &QDialog::finished);
    key(*form, Qt::Key_Escape);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.front().front().toInt(), QDialog::Accepted);
}

TEST_F(Window, FindDialogAndFindNext) {
    previewtest::Document doc(4, {"普通"}, {{}, {}, {"金额 total"}, {"total-sum", "Totals"}});
    auto form = open(doc);
    int dialogs = 0;
    platform::ModalHook hook([&](QWidget* w) {
        auto* dialog = qobject_cast<TRMPreviewSearchForm*>(w);
        ASSERT_NE(dialog, nullptr);
        ++dialogs;
        EXPECT_EQ(dialog->windowTitle(), "查找文本");
        if (dialogs == 2) {
            EXPECT_EQ(dialog->edtSearchTxt->text(), "total"); // the last text comes back
        }
        dialog->edtSearchTxt->setText("total");
        dialog->chkWholewords->setChecked(true);
        dialog->rdbFromFirst->setChecked(true);
        dialog->btnOK->click();
    });
    key(*form, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(form->Preview()->CurPage(), 3);
    EXPECT_FALSE(form->Preview()->model().marked().isEmpty());
    EXPECT_TRUE(form->Preview()->FindNext());
    EXPECT_EQ(form->Preview()->CurPage(), 4); // "total-sum"; "Totals" is no whole word
    EXPECT_FALSE(form->Preview()->FindNext());
    form->btnFind->trigger();
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(form->Preview()->CurPage(), 3);
}

TEST_F(Window, LoadAndSaveRoundTrip) {
    QTemporaryDir dir;
    previewtest::Document doc(3);
    auto form = open(doc);
    const std::string first = dir.filePath("first").toStdString();
    ASSERT_TRUE(form->Preview()->SaveToFile(first)); // the extension is added
    ASSERT_TRUE(QFile::exists(dir.filePath("first.rmp")));

    previewtest::Document other(2, {"另一份"});
    TRMPreview second;
    second.ShowReport(other.report);
    ASSERT_TRUE(second.SaveToFile(dir.filePath("second.rmp").toStdString()));

    std::string caption;
    form->Preview()->OnCaptionChange = [&](const std::string& c) { caption = c; };
    form->Preview()->GoToPage(3);
    ASSERT_TRUE(
        form->Preview()->LoadFromFiles({dir.filePath("second.rmp"), dir.filePath("first.rmp")}));
    EXPECT_EQ(form->Preview()->PageCount(), 5);
    EXPECT_EQ(form->Preview()->CurPage(), 1);
    EXPECT_EQ(caption, "预览 - second.rmp");
    EXPECT_TRUE(form->Preview()->FindText("另一份", false, false, true));
    EXPECT_TRUE(form->Preview()->FindText("第3页", false, false, true));
    EXPECT_EQ(form->Preview()->CurPage(), 5);

    // Through the dialogs.
    platform::ModalHook hook([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        if (dialog->acceptMode() == QFileDialog::AcceptSave) {
            EXPECT_EQ(dialog->nameFilters(), QStringList({"Report 文件 (*.rmp)"}));
            dialog->selectFile(dir.filePath("third.rmp"));
        } else {
            EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
            dialog->selectFile(dir.filePath("third.rmp"));
        }
        static_cast<QDialog*>(dialog)->accept();
    });
    key(*form, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QFile::exists(dir.filePath("third.rmp")));
    key(*form, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(form->Preview()->PageCount(), 5);
    EXPECT_EQ(caption, "预览 - third.rmp");
}

TEST_F(Window, ABadFileShowsTheEngineMessageAndChangesNothing) {
    QTemporaryDir dir;
    QFile junk(dir.filePath("junk.rmp"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray("\x2b\x0a\x05\x00"
                          "Other\x00",
                          10)); // another magic
    junk.close();
    previewtest::Document good(1);
    TRMPreview saver;
    saver.ShowReport(good.report);
    ASSERT_TRUE(saver.SaveToFile(dir.filePath("good.rmp").toStdString()));

    previewtest::Document doc(4);
    TRMPreview preview;
    preview.ShowReport(doc.report);
    preview.GoToPage(3);
    platform::ScriptedMessageBoxes boxes;
    EXPECT_FALSE(preview.LoadFromFiles({dir.filePath("good.rmp"), dir.filePath("junk.rmp")}));
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().caption, "错误");
    EXPECT_EQ(boxes.last().text, "不是Quarvelinthos报表文件!");
    EXPECT_EQ(preview.PageCount(), 4);
    EXPECT_EQ(preview.CurPage(), 3);
    EXPECT_FALSE(preview.LoadFromFiles({dir.filePath("missing.rmp")}));
    EXPECT_EQ(boxes.count(), 2u);
    EXPECT_EQ(preview.PageCount(), 4);
}

TEST_F(Window, DataConversionMessages) {
    // Without the CSV filter registered (these tests register none) nothing can be
    // converted; the written file itself is tested with the filters (report_export_tests).
    previewtest::Document doc(2);
    auto form = open(doc);
    const TRMEMFPages* pages = form->Preview()->pages();
    QTemporaryDir dir;
    platform::ScriptedMessageBoxes boxes;
    EXPECT_FALSE(SuperExport(nullptr, pages, "  "));
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "目标路径非法。");
    EXPECT_EQ(boxes.last().caption, "转换失败");
    EXPECT_FALSE(SuperExport(nullptr, pages, dir.filePath("out.csv").toStdString()));
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_EQ(boxes.last().text.rfind("错误原因1：目标文件属性不可以为只读。", 0), 0u);
    EXPECT_EQ(boxes.last().caption, "转换失败");
    EXPECT_FALSE(QFile::exists(dir.filePath("out.csv")));
}

TEST_F(Window, HandScrollingAndTheMagnifier) {
    previewtest::Document doc(3);
    auto form = open(doc);
    TRMPreview* preview = form->Preview();
    preview->Zoom(100);
    QWidget* view = preview->viewport();
    const platform::TRect page = preview->model().pageRect(0);
    const QPoint on(page.Left + 100 - preview->model().offsetX(), 200);
    QTest::mousePress(view, Qt::LeftButton, {}, on);
    QMouseEvent move(QEvent::MouseMove, QPointF(on + QPoint(0, -150)),
                     QPointF(view->mapToGlobal(on + QPoint(0, -150))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, {}, on + QPoint(0, -150));
    EXPECT_EQ(preview->model().offsetY(), 150);

    form->btnMagnifier->trigger();
    EXPECT_TRUE(preview->Magnifier());
    EXPECT_TRUE(rememberedPreview().magnifier);
    const QPoint spot(on.x(), 300);
    QTest::mouseClick(view, Qt::LeftButton, {}, spot);
    EXPECT_EQ(preview->model().mode(), TRMScaleMode::OnePage);
    EXPECT_EQ(form->ZoomBox()->currentText(), "整页");
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(view->width() / 2, 200));
    EXPECT_EQ(preview->model().mode(), TRMScaleMode::Percent);
    EXPECT_DOUBLE_EQ(preview->model().scale(), 1.0);
    EXPECT_EQ(rememberedPreview().mode, TRMScaleMode::Percent);
}

TEST_F(Window, ObjectClickTakesThePressBeforeHandScrolling) {
    previewtest::Document doc(2);
    auto form = open(doc);
    TRMPreview* preview = form->Preview();
    preview->Zoom(100);
    std::string clicked;
    preview->OnObjectClick = [&](int page, const TRMView& view) {
        clicked = std::to_string(page) + ":" + view.Name;
        return true;
    };
    const platform::TRect r = preview->model().pageRect(0);
    QTest::mouseClick(preview->viewport(), Qt::LeftButton, {},
                      QPoint(r.Left + 70 - preview->model().offsetX(), r.Top + 45));
    EXPECT_EQ(clicked, "0:Memo60_40");
}

TEST_F(Window, PlacementIsStoredAndRestored) {
    previewtest::Document doc(2);
    {
        auto form = open(doc);
        form->setGeometry(120, 90, 640, 480);
        form->accept();
    }
    const platform::Settings settings(kPreviewSettingsRoot);
    EXPECT_EQ(settings.readInteger("Form\\TRMPreviewForm", "Width"), 640);
    EXPECT_FALSE(settings.readBool("Form\\TRMPreviewForm", "Maximized", true));
    EXPECT_EQ(settings.readString("ToolBar\\ToolBar1", "DockName"), "Top");

    platform::Settings(kPreviewSettingsRoot).writeString("ToolBar\\ToolBar1", "DockName", "Bottom");
    previewtest::Document again(2);
    TRMPreviewForm form;
    form.Show_Report(again.report);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_FALSE(form.isMaximized());
    EXPECT_EQ(form.geometry().size(), QSize(640, 480));
    EXPECT_EQ(form.geometry().topLeft(), QPoint(120, 90));
    auto* frame = form.findChild<QMainWindow*>("frame");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->toolBarArea(form.ToolBar()), Qt::BottomToolBarArea);
}

TEST_F(Window, ModalPreviewWindowWithCaption) {
    previewtest::Document doc(2);
    doc.report.ReportInfo.Strings[0] = "核算单位档案";
    QString caption;
    bool maximized = false;
    int pages = 0;
    platform::ModalHook hook([&](QWidget* w) {
        caption = w->windowTitle();
        maximized = w->isMaximized();
        auto* form = qobject_cast<TRMPreviewForm*>(w);
        ASSERT_NE(form, nullptr);
        pages = form->Preview()->PageCount();
        form->btnExit->trigger();
    });
    ShowPreviewWindow(doc.report);
    EXPECT_EQ(hook.count(), 1);
    EXPECT_EQ(caption, "预览 - 核算单位档案");
    EXPECT_TRUE(maximized); // nothing stored yet
    EXPECT_EQ(pages, 2);

    previewtest::Document untitled(1);
    ShowPreviewWindow(untitled.report);
    EXPECT_EQ(caption, "预览 - Untitled");
}

} // namespace

namespace {

// The window as a person sees it; PREVIEW_SCREENSHOT=file.png keeps the picture (docs/).
TEST_F(Window, ShowsPagesOnGreyWithTheToolBar) {
    std::vector<std::string> lines;
    for (int i = 0; i < 12; ++i)
        lines.push_back("0" + std::to_string(101 + i) + "    核算单位 " + std::to_string(i + 1) +
                        "    北京分公司 Beijing Branch");
    previewtest::Document doc(3, lines);
    doc.report.PreviewButtons = 383;
    auto form = open(doc);
    form->setWindowTitle("预览 - 核算单位档案");
    form->zoomByTag(75);
    EXPECT_EQ(form->ZoomBox()->currentText(), "75%");
    EXPECT_FALSE(form->btn100->isChecked());
    form->Preview()->setFocus();
    QCoreApplication::processEvents();
    const QImage shot = form->grab().toImage();
    const QPoint view = form->Preview()->viewport()->mapTo(form.get(), QPoint(3, 3));
    EXPECT_EQ(shot.pixelColor(view), QColor(128, 128, 128));
    const platform::TRect page = form->Preview()->model().pageRect(0);
    const QPoint inside = form->Preview()->viewport()->mapTo(
        form.get(), QPoint(page.Left + 20 - form->Preview()->model().offsetX(), page.Top + 20));
    EXPECT_EQ(shot.pixelColor(inside), QColor(Qt::white));
    if (const char* file = std::getenv("PREVIEW_SCREENSHOT")) {
        EXPECT_TRUE(shot.save(QString::fromLocal8Bit(file)));
    }
}

} // namespace

TEST_F(Window, HostileFilesOpenedFromThePreviewLeaveItWorking) {
    QTemporaryDir dir;
    previewtest::Document doc(4);
    auto form = open(doc);
    const std::string good = dir.filePath("good.rmp").toStdString();
    ASSERT_TRUE(form->Preview()->SaveToFile(good));
    QFile goodFile(QString::fromStdString(good));
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray bytes = goodFile.readAll();
    goodFile.close();

    // The fuzz corpus, the good file cut short, and the good file grown by 32 MiB of 0xff.
    QStringList files;
    const QDir corpus(testsupport::dataPath("report"));
    for (const QString& name : corpus.entryList({"p_*.rmp"}, QDir::Files))
        files << corpus.filePath(name);
    for (int cut :
         {3, 40, static_cast<int>(bytes.size() / 2), static_cast<int>(bytes.size() - 1)}) {
        QFile f(dir.filePath(QStringLiteral("cut%1.rmp").arg(cut)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.left(cut));
        files << f.fileName();
    }
    {
        QFile f(dir.filePath("huge.rmp"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        const QByteArray block(1 << 20, '\xff');
        for (int i = 0; i < 32; ++i)
            f.write(block);
        files << f.fileName();
    }

    platform::ScriptedMessageBoxes boxes;
    QString chosen;
    platform::ModalHook hook([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(chosen);
        static_cast<QDialog*>(dialog)->accept();
    });
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        chosen = file;
        boxes.clear();
        const int before = form->Preview()->PageCount();
        key(*form, Qt::Key_O, Qt::ControlModifier); // the open button's path
        if (boxes.count() > 0) {
            EXPECT_EQ(boxes.count(), 1u);
            EXPECT_EQ(boxes.last().caption, "错误");
            EXPECT_FALSE(boxes.last().text.empty());
            EXPECT_EQ(form->Preview()->PageCount(), before) << "a refused file changes nothing";
        }
        // Still a working preview: it pages and finds.
        form->Preview()->GoToPage(1);
        EXPECT_EQ(form->Preview()->CurPage(), form->Preview()->PageCount() > 0 ? 1 : 0);
    }
    // The good file still opens.
    chosen = QString::fromStdString(good);
    boxes.clear();
    key(*form, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(boxes.count(), 0u);
    EXPECT_EQ(form->Preview()->PageCount(), 4);
    EXPECT_TRUE(form->Preview()->FindText("第3页", false, false, true));
}
