// The row-editing workflow of the archive window, typed as an operator would, with the table
// checked after each step.

#include "archive/ReportVariables.h"
#include "grid/TAdvStringGrid.h"
#include "platform/Modal.h"
#include "plugin/HostContext.h"
#include "popup/TRopInst.h"
#include "report/print/RMOverlappedPrint.h"
#include "report/print/RMPdfPrinter.h"
#include "tests/archive/ArchiveWindowFixture.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QInputMethodEvent>
#include <QProcess>
#include <QTest>
#include <QToolButton>

#include <algorithm>

using namespace archivetest;

namespace {

Rows sorted(Rows rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

class ArchiveEditingTest : public ArchiveWindowTest {
protected:
    // The table holds exactly what the grid shows and Records mirrors the grid's data rows
    // (a trailing new row that is not stored yet excepted).
    void expectInStep(int pendingRows = 0) {
        Rows shown = gridRows();
        shown.resize(shown.size() - static_cast<std::size_t>(pendingRows));
        EXPECT_EQ(recordRows(), shown);
        EXPECT_EQ(table(), sorted(shown));
    }
};

// The workflow itself is RowWorkflowTest's; here the window's keys, shortcuts and
// buttons reach it.
TEST_F(ArchiveEditingTest, KeysShortcutsAndButtonsReachTheRowWorkflow) {
    open();
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid().RowCount(), 5);
    EXPECT_TRUE(window->rows().Adding);
    key(Qt::Key_Return); // the grid's key-down: the next code
    EXPECT_EQ(grid().Cells(0, 4), "0010");
    EXPECT_EQ(grid().Col(), 1);
    type("十分部");      // characters, through the editor
    key(Qt::Key_Return); // the character phase: save and start the next row
    EXPECT_EQ(table().back(), (std::vector<std::string>{"0010", "十分部"}));
    EXPECT_EQ(grid().Row(), 5);
    key(Qt::Key_Up); // the select-cell rule drops the blank new row
    EXPECT_EQ(grid().RowCount(), 5);
    expectInStep();

    key(Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(window->rows().Inserting);
    type("x3"); // the code column takes digits only
    EXPECT_EQ(grid().Cells(0, 4), "3");
    key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(grid().RowCount(), 5);
    window->btnAdd->click();
    EXPECT_EQ(grid().RowCount(), 6);
    window->btnDelete->click();
    EXPECT_EQ(grid().RowCount(), 5);
    db->exec("insert into tbHsdwda values('0003','三分部')");
    window->btnRefresh->click();
    EXPECT_EQ(gridRows().back(), (std::vector<std::string>{"0003", "三分部"}));
    expectInStep();
    window->btnInsert->click();
    EXPECT_EQ(grid().RowCount(), 7);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}

TEST_F(ArchiveEditingTest, ReadOnlyOperatorsKeysAreDropped) {
    StartOptions options;
    options.dwlx = "01";
    open(options);
    moveTo(0, 2);
    key(Qt::Key_Backspace);
    key(Qt::Key_Delete);
    type("55");
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(gridRows(), (Rows{{"0001", "总部"}, {"0002", "一分部"}, {"0009", "九分部"}}));
    EXPECT_TRUE(db->statements().empty());
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}

TEST_F(ArchiveEditingTest, EscWritesTypedInputBeforeClosing) {
    open();
    key(Qt::Key_A, Qt::ControlModifier);
    type("0011");
    key(Qt::Key_Right);
    type("十一");
    key(Qt::Key_Escape);
    testsupport::processEvents();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(notify.notices, 1);
    EXPECT_EQ(table().back(), (std::vector<std::string>{"0011", "十一"}));
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}

TEST_F(ArchiveEditingTest, CloseIsRefusedWhileTheRowCannotBeWritten) {
    open();
    key(Qt::Key_A, Qt::ControlModifier);
    type("0001");
    window->btnExit->click();
    testsupport::processEvents();
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(notify.notices, 0);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"0001核算单位存在,无法新增!"});
    // The refused row was blanked: now it is simply dropped.
    window->close();
    testsupport::processEvents();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(notify.notices, 1);
    EXPECT_EQ(table().size(), 3u);
}

TEST_F(ArchiveEditingTest, RenamedStoredRowIsWrittenByShiftEsc) {
    open();
    moveTo(1, 1);
    type("新总部");
    key(Qt::Key_Escape, Qt::ShiftModifier);
    testsupport::processEvents();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(table().front(), (std::vector<std::string>{"0001", "新总部"}));
}

TEST_F(ArchiveEditingTest, HelpShowsTheShortcutNote) {
    open();
    std::vector<std::string> lines;
    platform::ModalHook hook([&](QWidget* w) {
        if (auto* note = qobject_cast<popup::TRopInst*>(w))
            lines = note->lines;
        QTest::keyClick(w->windowHandle(), Qt::Key_Space);
    });
    window->ToolButton1->click();
    EXPECT_EQ(hook.count(), 1);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "快捷键：");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[3], "    插  入: Ctrl+ I (插入一个核算单位项目)");
    EXPECT_EQ(lines[8], "    退  出: ESC");
    EXPECT_TRUE(window->isVisible());
}

TEST_F(ArchiveEditingTest, PrintAsksFirstAndPreviewStoresTheReportVariables) {
    open();
    archive::setReportVariable("Oper", "before");
    boxes->answer(platform::IDCANCEL);
    key(Qt::Key_P, Qt::ControlModifier);
    ASSERT_EQ(boxes->count(), 1u);
    EXPECT_EQ(boxes->last().text, "请准备好打印机，进行打印!");
    EXPECT_EQ(boxes->last().caption, "提示");
    EXPECT_EQ(boxes->last().flags, platform::MB_OKCANCEL | platform::MB_ICONINFORMATION);
    EXPECT_EQ(boxes->last().owner, platform::handleOf(window.data()));
    EXPECT_EQ(archive::reportVariable("Oper"), "before");

    // OK prints to the default printer, here the PDF printer, which names its file.
    report::setPdfOutputFolder(dir.filePath("pdf").toStdString());
    boxes->answer(platform::IDOK);
    key(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(boxes->count(), 3u);
    EXPECT_EQ(boxes->records()[2].text.rfind("报表已打印到 PDF 文件：", 0), 0u);
    EXPECT_EQ(QDir(dir.filePath("pdf")).entryList({"*.pdf"}).size(), 1);
    EXPECT_EQ(archive::reportVariable("oper"), "张三");
    EXPECT_EQ(archive::reportVariable("Date"), "20261209");
    EXPECT_EQ(archive::reportVariable("Time"), "103015");
    EXPECT_EQ(archive::reportVariable("Title"), "核算单位档案");

    archive::setReportVariable("Oper", "x");
    platform::ModalHook closePreview([](QWidget* w) { w->close(); });
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(closePreview.count(), 1);
    EXPECT_EQ(boxes->count(), 3u);
    EXPECT_EQ(archive::reportVariable("Oper"), "张三");
}

// Ctrl+P prints while the listing is prepared: the file holds the texts at the places of a
// print after preparing, page for page.
TEST_F(ArchiveEditingTest, CtrlPPrintingWhilePreparingPlacesWhatPrintingAfterItDoes) {
    StartOptions options;
    options.units.clear();
    for (int i = 1; i <= 300; ++i)
        options.units.push_back(
            {QString::asprintf("%04d", i).toStdString(), "单位" + std::to_string(i)});
    open(options);
    const QString folder = dir.filePath("pdf");
    report::setPdfOutputFolder(folder.toStdString());
    const auto placedTexts = [&folder] {
        const QStringList files = QDir(folder).entryList({"*.pdf"}, QDir::Files);
        EXPECT_EQ(files.size(), 1);
        const QString file = folder + "/" + files.value(0);
        QProcess process;
        process.start("pdftotext", {"-bbox", file, "-"});
        EXPECT_TRUE(process.waitForFinished(120000) && process.exitCode() == 0)
            << "pdftotext: " << process.errorString().toStdString();
        QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n');
        lines.removeIf([](const QString& line) { return line.contains(QStringLiteral("<meta")); });
        QFile::remove(file);
        return lines;
    };
    const int overlapped = report::overlappedPrintsDone();
    key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(report::overlappedPrintsDone(), overlapped + 1);
    const QStringList whilePreparing = placedTexts();
    report::setOverlappedPrint(false);
    key(Qt::Key_P, Qt::ControlModifier);
    report::setOverlappedPrint(true);
    EXPECT_EQ(report::overlappedPrintsDone(), overlapped + 1);
    EXPECT_GT(whilePreparing.filter(QStringLiteral("<page ")).size(), 5);
    EXPECT_EQ(whilePreparing, placedTexts());
}

TEST_F(ArchiveEditingTest, InputMethodTextIsTypedLikeKeys) {
    open();
    moveTo(1, 2);
    QInputMethodEvent commit;
    commit.setCommitString("北京分公司");
    QApplication::sendEvent(keyTarget(), &commit);
    testsupport::processEvents();
    EXPECT_EQ(grid().Cells(1, 2), "北京分公司");
    key(Qt::Key_Up);
    EXPECT_EQ(table()[1], (std::vector<std::string>{"0002", "北京分公司"}));
}

TEST_F(ArchiveEditingTest, ReadOnlyOperatorCannotTypeThroughAnInputMethod) {
    StartOptions options;
    options.dwlx = "01";
    open(options);
    moveTo(1, 2);
    QInputMethodEvent commit;
    commit.setCommitString("改名");
    QApplication::sendEvent(keyTarget(), &commit);
    testsupport::processEvents();
    EXPECT_EQ(grid().Cells(1, 2), "一分部");
}

TEST_F(ArchiveEditingTest, ContainerDestroyedByTheHostChecksNothing) {
    db->addUnits({{"0001", "总部"}});
    auto* container = new QWidget;
    container->resize(700, 500);
    plugin::HostContext& context = plugin::hostContext();
    context.AppHandle = platform::handleOf(&application);
    context.NotifyControl = platform::handleOf(&notify);
    context.DataService = plugin::ICoorDisp(db->ref());
    window = new archive::TfrmAcountUnitArchives(container);
    window->setParent(container, Qt::Widget);
    container->show();
    QApplication::setActiveWindow(container);
    ASSERT_TRUE(QTest::qWaitForWindowActive(container));
    grid().SetFocus();
    key(Qt::Key_A, Qt::ControlModifier);
    type("0002");
    db->clearCalls();
    delete container;
    testsupport::processEvents();
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(db->statements().empty());
    EXPECT_TRUE(db->queries().empty());
    EXPECT_EQ(notify.notices, 0);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}

TEST_F(ArchiveEditingTest, ShortcutsTypedInTheEditorDoNotEditTheCells) {
    open();
    moveTo(1, 1);
    type("总部一"); // the editor has the focus now
    key(Qt::Key_Up);
    moveTo(1, 2);
    key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(gridRows(), (Rows{{"0001", "总部一"}, {"0009", "九分部"}}));
    key(Qt::Key_V, Qt::ControlModifier);
    key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(gridRows(), (Rows{{"0001", "总部一"}, {"0009", "九分部"}}));
    expectInStep();
}

TEST_F(ArchiveEditingTest, ShowingTheWindowAgainReloadsButKeepsTypedInput) {
    open();
    key(Qt::Key_A, Qt::ControlModifier);
    type("0003");
    window->hide();
    window->show();
    testsupport::processEvents();
    EXPECT_EQ(gridRows().back(), (std::vector<std::string>{"0003", ""}));
    EXPECT_TRUE(window->rows().Adding);
    key(Qt::Key_Right);
    type("三");
    key(Qt::Key_Up);
    EXPECT_EQ(table().size(), 4u);

    db->exec("insert into tbHsdwda values('0004','四')");
    key(Qt::Key_A, Qt::ControlModifier); // a blank new row: nothing to keep
    window->hide();
    window->show();
    testsupport::processEvents();
    EXPECT_FALSE(window->rows().Adding);
    expectInStep();
    EXPECT_EQ(gridRows().back(), (std::vector<std::string>{"0004", "四"}));
}
