// The row-editing workflow of the archive window, typed as an operator would, with the table
// checked after each step.

#include "archive/ReportVariables.h"
#include "grid/TAdvStringGrid.h"
#include "platform/Modal.h"
#include "plugin/HostContext.h"
#include "popup/TRopInst.h"
#include "report/preview/RMPdfPrinter.h"
#include "tests/archive/ArchiveWindowFixture.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QInputMethodEvent>
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
    std::size_t statements() const { return service->log.statements.size(); }
};

TEST_F(ArchiveEditingTest, AddInsertRenameRecodeAndDeleteWithKeysOnly) {
    open();
    // Add: Ctrl+A; Enter proposes the next code and moves on to the name; Enter after the
    // name saves the row and starts the next one.
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid().RowCount(), 5);
    EXPECT_EQ(grid().Col(), 0);
    EXPECT_TRUE(window->rows().Adding);
    key(Qt::Key_Return);
    EXPECT_EQ(grid().Cells(0, 4), "0010");
    EXPECT_EQ(grid().Col(), 1);
    type("十分部");
    service->log.clear();
    key(Qt::Key_Return);
    EXPECT_EQ(service->log.queries,
              std::vector<std::string>{"Select f_Hsdwh From tbHsdwda Where f_Hsdwh='0010'"});
    // The insert; then, as the new row becomes current, the row just added is checked once
    // more and, still marked modified, written again under its code.
    EXPECT_EQ(
        service->log.statements,
        (std::vector<std::string>{"Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values('0010','十分部')",
                                  "Update tbHsdwda set f_Hsdwmc='十分部' where(f_Hsdwh='0010')"}));
    EXPECT_EQ(grid().RowCount(), 6);
    EXPECT_EQ(grid().Row(), 5);
    EXPECT_EQ(grid().Col(), 0);
    expectInStep(1);

    // Leaving the blank new row removes it silently.
    key(Qt::Key_Up);
    EXPECT_EQ(grid().RowCount(), 5);
    EXPECT_EQ(grid().Row(), 4);
    expectInStep();

    // Insert above 0002.
    moveTo(0, 2);
    key(Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(window->rows().Inserting);
    EXPECT_EQ(grid().Row(), 2);
    EXPECT_EQ(grid().Col(), 0);
    type("0005");
    key(Qt::Key_Right);
    EXPECT_EQ(grid().Col(), 1);
    type("五分部");
    key(Qt::Key_Down);
    EXPECT_EQ(grid().Row(), 3);
    EXPECT_FALSE(window->rows().Inserting);
    EXPECT_EQ(gridRows().at(1), (std::vector<std::string>{"0005", "五分部"}));
    expectInStep();

    // Rename 0002 (row 3).
    moveTo(1, 3);
    type("第一分部");
    service->log.clear();
    key(Qt::Key_Up);
    EXPECT_EQ(
        service->log.statements,
        std::vector<std::string>{"Update tbHsdwda set f_Hsdwmc='第一分部' where(f_Hsdwh='0002')"});
    expectInStep();

    // Re-code 0009 (row 4) to 0019: duplicate check, then one update.
    moveTo(0, 4);
    type("0019");
    service->log.clear();
    key(Qt::Key_Down);
    EXPECT_EQ(service->log.statements,
              std::vector<std::string>{"Update tbHsdwda set f_Hsdwh='0019',f_Hsdwmc='九分部' "
                                       "where(f_Hsdwh='0009')"});
    EXPECT_EQ(service->log.queries.size(), 1u);
    expectInStep();

    // Re-code to an existing code: refused, the code cell comes back, the operator stays.
    moveTo(0, 4);
    type("0001");
    service->log.clear();
    key(Qt::Key_Up);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"0001核算单位存在,无法修改!"});
    EXPECT_EQ(grid().Row(), 4);
    EXPECT_EQ(grid().Cells(0, 4), "0019");
    EXPECT_TRUE(service->log.statements.empty());
    expectInStep();

    // Delete the stored row: one statement, no question.
    service->log.clear();
    key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(service->log.statements,
              std::vector<std::string>{"Delete From tbHsdwda where(f_Hsdwh='0019')"});
    EXPECT_EQ(grid().Row(), 4);
    expectInStep();
    EXPECT_EQ(
        table(),
        (Rows{{"0001", "总部"}, {"0002", "第一分部"}, {"0005", "五分部"}, {"0010", "十分部"}}));
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}

TEST_F(ArchiveEditingTest, DuplicateNewCodeIsRefusedAndBlanksTheRow) {
    open();
    key(Qt::Key_A, Qt::ControlModifier);
    type("0002");
    key(Qt::Key_Right);
    type("重复");
    service->log.clear();
    key(Qt::Key_Up);
    ASSERT_EQ(boxes->count(), 1u);
    EXPECT_EQ(boxes->last().text, "0002核算单位存在,无法新增!");
    EXPECT_EQ(boxes->last().owner, platform::handleOf(&application));
    boxes->clear();
    EXPECT_TRUE(service->log.statements.empty());
    EXPECT_EQ(grid().Row(), 4);
    EXPECT_EQ(grid().Col(), 0);
    EXPECT_EQ(gridRows().back(), (std::vector<std::string>{"", ""}));
    // Now blank, the new row goes away when left.
    key(Qt::Key_Up);
    EXPECT_EQ(grid().RowCount(), 4);
    expectInStep();
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}

TEST_F(ArchiveEditingTest, EnterProposesTheNextCodeOnlyForNumbers) {
    StartOptions options;
    options.units = {{"12A", "甲"}, {"99", "乙"}};
    open(options);
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Return);
    EXPECT_EQ(grid().Cells(0, 3), "100");
    EXPECT_EQ(grid().Col(), 1);
}

TEST_F(ArchiveEditingTest, NoProposalBelowACodeThatIsNoNumber) {
    StartOptions options;
    options.units = {{"99", "乙"}, {"12A", "甲"}};
    open(options);
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Return);
    EXPECT_EQ(grid().Cells(0, 3), "");
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}

TEST_F(ArchiveEditingTest, BlankCodesAreRefused) {
    open();
    // A new row with only a name.
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Right);
    type("无编号");
    key(Qt::Key_Up);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"核算单位编号不能为空!"});
    EXPECT_EQ(grid().Row(), 4);
    // Down on that last row starts the add command, whose row check refuses it again.
    key(Qt::Key_Down);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"核算单位编号不能为空!"});
    EXPECT_EQ(grid().RowCount(), 5);
    // Refresh refuses it too and does not reload.
    key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"核算单位编号不能为空!"});
    EXPECT_EQ(grid().RowCount(), 5);
    // Typing a letter into the code column does nothing; digits go in.
    key(Qt::Key_Left, Qt::ControlModifier);
    type("x7");
    EXPECT_EQ(grid().Cells(0, 4), "7");
    key(Qt::Key_Up);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
    expectInStep();
    EXPECT_EQ(table().back(), (std::vector<std::string>{"7", "无编号"}));
}

TEST_F(ArchiveEditingTest, BlankedStoredLastRowIsRefusedAndStaysInStep) {
    open();
    moveTo(0, 3);
    key(Qt::Key_Delete);
    key(Qt::Key_Right);
    key(Qt::Key_Delete);
    EXPECT_EQ(gridRows().back(), (std::vector<std::string>{"", ""}));
    key(Qt::Key_Up);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"核算单位编号不能为空!"});
    EXPECT_EQ(grid().Row(), 3);
    EXPECT_EQ(grid().RowCount(), 4);
    EXPECT_EQ(recordRows().size(), 3u);
    EXPECT_EQ(table().size(), 3u);
    // Typing the code back lets the operator go on; the row is written once.
    key(Qt::Key_Left, Qt::ControlModifier);
    type("0009");
    key(Qt::Key_Right);
    type("九部");
    key(Qt::Key_Up);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
    expectInStep();
}

TEST_F(ArchiveEditingTest, DeletingANewRowSendsNothing) {
    open();
    key(Qt::Key_A, Qt::ControlModifier);
    type("0003");
    service->log.clear();
    key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(service->log.statements.empty());
    EXPECT_EQ(grid().RowCount(), 4);
    EXPECT_TRUE(window->rows().Deleted);
    expectInStep();
}

TEST_F(ArchiveEditingTest, DeleteUsesTheStoredCodeNotUnsavedTyping) {
    open();
    moveTo(0, 2);
    type("0009"); // typed over 0002, not saved
    service->log.clear();
    key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(service->log.statements,
              std::vector<std::string>{"Delete From tbHsdwda where(f_Hsdwh='0002')"});
    expectInStep();
    EXPECT_EQ(table(), (Rows{{"0001", "总部"}, {"0009", "九分部"}}));
}

TEST_F(ArchiveEditingTest, EmptyArchiveTakesItsFirstUnit) {
    StartOptions options;
    options.units = {};
    open(options);
    moveTo(0, 1);
    type("0001");
    key(Qt::Key_Right);
    type("O'Brien");
    key(Qt::Key_Down); // last row with a code: add command
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
    EXPECT_EQ(table(), (Rows{{"0001", "O'Brien"}}));
    EXPECT_EQ(grid().RowCount(), 3);
    expectInStep(1);
}

TEST_F(ArchiveEditingTest, RefreshReloadsWhatOthersChanged) {
    open();
    service->exec("insert into tbHsdwda values('0003','三分部'); delete from tbHsdwda where "
                  "f_Hsdwh='0001'");
    key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(gridRows(), (Rows{{"0002", "一分部"}, {"0009", "九分部"}, {"0003", "三分部"}}));
    EXPECT_EQ(grid().Row(), 3);
    EXPECT_EQ(grid().Col(), 1);
    expectInStep();
    // Everything deleted elsewhere: one blank row, nothing out of step.
    service->exec("delete from tbHsdwda");
    key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(gridRows(), (Rows{{"", ""}}));
    EXPECT_TRUE(recordRows().empty());
}

TEST_F(ArchiveEditingTest, ReadOnlyOperatorCanMoveButNotEdit) {
    StartOptions options;
    options.dwlx = "01";
    open(options);
    moveTo(0, 2);
    key(Qt::Key_Backspace);
    key(Qt::Key_Delete);
    type("55");
    key(Qt::Key_Right);
    type("改名");
    EXPECT_EQ(gridRows(), (Rows{{"0001", "总部"}, {"0002", "一分部"}, {"0009", "九分部"}}));
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_I, Qt::ControlModifier);
    key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(grid().RowCount(), 4);
    moveTo(0, 1);
    key(Qt::Key_Return); // Enter still moves
    EXPECT_EQ(grid().Col(), 1);
    EXPECT_TRUE(service->log.statements.empty());
    // Refresh works for everyone.
    service->exec("insert into tbHsdwda values('0003','三分部')");
    window->btnRefresh->click();
    EXPECT_EQ(grid().RowCount(), 5);
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
    createSchema(*service);
    service->exec("insert into tbHsdwda values('0001','总部')");
    auto* container = new QWidget;
    container->resize(700, 500);
    plugin::HostContext& context = plugin::hostContext();
    context.AppHandle = platform::handleOf(&application);
    context.NotifyControl = platform::handleOf(&notify);
    context.DataService = plugin::ICoorDisp(ref);
    window = new archive::TfrmAcountUnitArchives(container);
    window->setParent(container, Qt::Widget);
    container->show();
    QApplication::setActiveWindow(container);
    ASSERT_TRUE(QTest::qWaitForWindowActive(container));
    grid().SetFocus();
    key(Qt::Key_A, Qt::ControlModifier);
    type("0002");
    service->log.clear();
    delete container;
    testsupport::processEvents();
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(service->log.statements.empty());
    EXPECT_TRUE(service->log.queries.empty());
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

    service->exec("insert into tbHsdwda values('0004','四')");
    key(Qt::Key_A, Qt::ControlModifier); // a blank new row: nothing to keep
    window->hide();
    window->show();
    testsupport::processEvents();
    EXPECT_FALSE(window->rows().Adding);
    expectInStep();
    EXPECT_EQ(gridRows().back(), (std::vector<std::string>{"0004", "四"}));
}
