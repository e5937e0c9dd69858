// The row-editing workflow on its own: a grid control without a widget, the archive store
// over the host's data service, scripted message boxes. Keys and typing arrive the way the
// window delivers them to the editor, each as a message of its own.

#include "archive/RowWorkflow.h"

#include "archive/TAcountUnitArchivesClass.h"
#include "grid/GridControl.h"
#include "platform/Abort.h"
#include "platform/ClientDataSet.h"
#include "platform/MessageBox.h"
#include "tests/archive/ArchiveDatabase.h"
#include "tests/support/TestSupport.h"

#include <QWidget>

#include <algorithm>
#include <gtest/gtest.h>

using namespace archive;
using archivetest::ArchiveDatabase;
using archivetest::Rows;
using platform::TShiftState;
using platform::Word;

namespace {

// The grid control with a stand-in for its edit control: a character that survives the key
// phases is typed into the current cell (replacing the text selected when the cell became
// current) and marks the grid modified, as the in-place editor does.
class TypingGrid : public grid::GridControl, private grid::GridView, private grid::GridEditor {
public:
    TypingGrid() {
        setView(this);
        setEditor(this);
    }

protected:
    void editorTypeCharacter(char32_t ch) override {
        std::string text = selected_ ? std::string() : Cells(Col(), Row());
        selected_ = false;
        if (ch == 8) {
            if (!text.empty())
                text.pop_back();
        } else {
            text += QString::fromUcs4(&ch, 1).toStdString();
        }
        setCells(Col(), Row(), text);
        setModifed(true);
    }
    void currentCellChanged() override { selected_ = true; }

private:
    bool selected_ = true;
};

class RowWorkflowTest : public ::testing::Test, public ArchiveStoreSite, public RowWorkflowSite {
protected:
    // Opens the archive as the window does once start-up succeeded and it is shown.
    void start(const Rows& units = {{"0001", "总部"}, {"0002", "一分部"}, {"0009", "九分部"}},
               bool mayEdit = true) {
        db.addUnits(units);
        RowWorkflow::configureGrid(grid);
        grid.OnKeyDown = [this](QObject*, Word& key, TShiftState shift) {
            rows.keyDown(key, shift);
        };
        grid.OnKeyPress = [this](QObject*, char32_t& key) { rows.keyPress(key); };
        grid.OnSelectCell = [this](QObject*, int col, int row, bool& canSelect) {
            rows.selectCell(col, row, canSelect);
        };
        store = std::make_unique<TAcountUnitArchivesClass>(*this);
        rows.attach(store.get(), mayEdit);
        rows.reloadOnShow();
        db.clearCalls();
    }

    // One message as the window's guard runs it: a silent cancel ends it quietly.
    template <class Fn>
    void message(Fn&& fn) {
        try {
            fn();
        } catch (const platform::EAbort&) {
        }
    }
    // A key pressed while the editor has the focus (Enter also carries its character).
    void key(Word k, TShiftState shift = {}) {
        message([&] {
            Word w = k;
            grid.EditorKeyDown(w, shift);
            if (w == platform::VK_RETURN)
                grid.EditorCharacter(13);
        });
    }
    void type(const QString& text) {
        for (char32_t ch : text.toUcs4())
            message([&] { grid.EditorCharacter(ch); });
    }
    // A command from the tool bar or its shortcut.
    template <class Command>
    void command(Command c) {
        message([&] { (rows.*c)(); });
    }
    void moveTo(int col, int row) {
        message([&] { grid.setRow(row); });
        message([&] { grid.setCol(col); });
    }
    // The cell blanked with the editor's Delete key.
    void blank(int col) {
        grid.setCells(col, grid.Row(), "");
        grid.setModifed(true);
    }

    Rows gridRows() const {
        Rows out;
        for (int r = 1; r < grid.RowCount(); ++r)
            out.push_back({grid.Cells(0, r), grid.Cells(1, r)});
        return out;
    }
    Rows records() const {
        Rows out;
        for (std::size_t i = 0; i < store->Records.Count(); ++i)
            out.push_back({store->Records.Items(i).Hsdwh, store->Records.Items(i).Hsdwmc});
        return out;
    }
    // Records mirror the grid's data rows and the table holds them (a trailing new row that
    // is not stored yet excepted).
    void expectInStep(std::size_t pending = 0) {
        Rows shown = gridRows();
        shown.resize(shown.size() - pending);
        EXPECT_EQ(records(), shown);
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(db.units(), shown);
    }
    std::vector<std::string> takeBoxes() { return testsupport::takeBoxTexts(boxes); }

    // ArchiveStoreSite
    plugin::ICoorDisp dataService() const override { return plugin::ICoorDisp(db.ref()); }
    platform::TClientDataSet& storeDataSet() override { return cds; }
    platform::WindowHandle windowHandle() const override { return platform::handleOf(&window); }
    platform::WindowHandle applicationWindow() const override {
        return platform::handleOf(&application);
    }
    void clearRefusedRow() override { rows.clearRefusedRow(); }
    // RowWorkflowSite
    bool windowShown() const override { return shown; }
    platform::WindowHandle boxOwner() const override { return windowHandle(); }
    void focusGrid() override { ++focusRequests; }

    ArchiveDatabase db;
    TypingGrid grid;
    RowWorkflow rows{grid, *this};
    std::unique_ptr<TAcountUnitArchivesClass> store;
    platform::TClientDataSet cds{"cdsMain"};
    platform::ScriptedMessageBoxes boxes;
    mutable QWidget window;
    mutable QWidget application;
    bool shown = true;
    int focusRequests = 0;
};

using W = RowWorkflow;

} // namespace

TEST_F(RowWorkflowTest, AddInsertRenameRecodeAndDeleteWriteOneStatementEach) {
    start();
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.Col(), 1);
    // Add: Enter proposes the next code and moves on to the name; Enter after the name
    // saves the row and starts the next one.
    command(&W::addRow);
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.Col(), 0);
    EXPECT_TRUE(rows.Adding);
    key(platform::VK_RETURN);
    EXPECT_EQ(grid.Cells(0, 4), "0010");
    EXPECT_EQ(grid.Col(), 1);
    type("十分部");
    key(platform::VK_RETURN);
    EXPECT_EQ(db.queries(),
              std::vector<std::string>{"Select f_Hsdwh From tbHsdwda Where f_Hsdwh='0010'"});
    // The insert; then, as the new row becomes current, the row just added is checked once
    // more and, still marked modified, written again under its code.
    EXPECT_EQ(db.statements(), (std::vector<std::string>{
                                   "Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values('0010','十分部')",
                                   "Update tbHsdwda set f_Hsdwmc='十分部' where(f_Hsdwh='0010')"}));
    EXPECT_EQ(grid.RowCount(), 6);
    EXPECT_EQ(grid.Row(), 5);
    EXPECT_EQ(grid.Col(), 0);
    expectInStep(1);

    // Leaving the blank new row removes it silently.
    key(platform::VK_UP);
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.Row(), 4);
    expectInStep();

    // Insert above 0002.
    moveTo(0, 2);
    command(&W::insertRow);
    EXPECT_TRUE(rows.Inserting);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.Col(), 0);
    type("0005");
    key(platform::VK_RIGHT);
    type("五分部");
    key(platform::VK_DOWN);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_FALSE(rows.Inserting);
    EXPECT_EQ(gridRows().at(1), (std::vector<std::string>{"0005", "五分部"}));
    expectInStep();

    // Rename 0002 (row 3).
    moveTo(1, 3);
    type("第一分部");
    db.clearCalls();
    key(platform::VK_UP);
    EXPECT_EQ(
        db.statements(),
        std::vector<std::string>{"Update tbHsdwda set f_Hsdwmc='第一分部' where(f_Hsdwh='0002')"});
    expectInStep();

    // Re-code 0009 (row 4) to 0019: duplicate check, then one update.
    moveTo(0, 4);
    type("0019");
    db.clearCalls();
    key(platform::VK_DOWN);
    EXPECT_EQ(db.statements(),
              std::vector<std::string>{"Update tbHsdwda set f_Hsdwh='0019',f_Hsdwmc='九分部' "
                                       "where(f_Hsdwh='0009')"});
    EXPECT_EQ(db.queries().size(), 1u);
    expectInStep();

    // Re-code to an existing code: refused, the code cell comes back, the operator stays.
    moveTo(0, 4);
    type("0001");
    db.clearCalls();
    key(platform::VK_UP);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"0001核算单位存在,无法修改!"});
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(grid.Cells(0, 4), "0019");
    EXPECT_TRUE(db.statements().empty());
    expectInStep();

    // Delete the stored row: one statement, no question.
    db.clearCalls();
    command(&W::deleteRow);
    EXPECT_EQ(db.statements(),
              std::vector<std::string>{"Delete From tbHsdwda where(f_Hsdwh='0019')"});
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_TRUE(rows.Deleted);
    expectInStep();
    EXPECT_EQ(
        db.units(),
        (Rows{{"0001", "总部"}, {"0002", "第一分部"}, {"0005", "五分部"}, {"0010", "十分部"}}));
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}

TEST_F(RowWorkflowTest, DuplicateNewCodeIsRefusedAndBlanksTheRow) {
    start();
    command(&W::addRow);
    type("0002");
    key(platform::VK_RIGHT);
    type("重复");
    db.clearCalls();
    key(platform::VK_UP);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "0002核算单位存在,无法新增!");
    EXPECT_EQ(boxes.last().owner, platform::handleOf(&application));
    boxes.clear();
    EXPECT_TRUE(db.statements().empty());
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(grid.Col(), 0);
    EXPECT_EQ(focusRequests, 1);
    EXPECT_EQ(gridRows().back(), (std::vector<std::string>{"", ""}));
    // Now blank, the new row goes away when left.
    key(platform::VK_UP);
    EXPECT_EQ(grid.RowCount(), 4);
    expectInStep();
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}

TEST_F(RowWorkflowTest, EnterProposesTheNextCodeOnlyBelowANumber) {
    start({{"12A", "甲"}, {"99", "乙"}});
    command(&W::addRow);
    key(platform::VK_RETURN);
    EXPECT_EQ(grid.Cells(0, 3), "100");
    EXPECT_EQ(grid.Col(), 1);
    type("丙");
    key(platform::VK_RETURN);
    EXPECT_EQ(db.units().front(), (std::vector<std::string>{"100", "丙"}));

    // Below a code that is no number, or whose successor would not fit 32 bits: nothing.
    db.exec("delete from tbHsdwda");
    db.addUnits({{"99", "乙"}, {"12A", "甲"}});
    command(&W::refresh);
    command(&W::addRow);
    key(platform::VK_RETURN);
    EXPECT_EQ(grid.Cells(0, 3), "");
    grid.setCells(0, 2, "2147483647");
    key(platform::VK_LEFT);
    key(platform::VK_RETURN);
    EXPECT_EQ(grid.Cells(0, 3), "");
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}

TEST_F(RowWorkflowTest, BlankCodesAreRefusedEverywhereAndLettersNeverReachTheCodeColumn) {
    start();
    command(&W::addRow);
    key(platform::VK_RIGHT);
    type("无编号");
    key(platform::VK_UP);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"核算单位编号不能为空!"});
    EXPECT_EQ(grid.Row(), 4);
    // Down on that last row starts the add command, whose row check refuses it again.
    key(platform::VK_DOWN);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"核算单位编号不能为空!"});
    EXPECT_EQ(grid.RowCount(), 5);
    // Refresh refuses it too and does not reload.
    command(&W::refresh);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"核算单位编号不能为空!"});
    EXPECT_EQ(grid.RowCount(), 5);
    // A letter typed into the code column does nothing; digits go in.
    key(platform::VK_LEFT, platform::ShiftFlag::Ctrl);
    type("x7");
    EXPECT_EQ(grid.Cells(0, 4), "7");
    key(platform::VK_UP);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
    expectInStep();
    EXPECT_EQ(db.units().back(), (std::vector<std::string>{"7", "无编号"}));
}

TEST_F(RowWorkflowTest, BlankedStoredLastRowIsRefusedAndStaysInStep) {
    start();
    moveTo(0, 3);
    blank(0);
    blank(1);
    key(platform::VK_UP);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"核算单位编号不能为空!"});
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(records().size(), 3u);
    EXPECT_EQ(db.units().size(), 3u);
    // Typing the code back lets the operator go on; the row is written once.
    type("0009");
    key(platform::VK_RIGHT);
    type("九部");
    db.clearCalls();
    key(platform::VK_UP);
    EXPECT_EQ(db.statements().size(), 1u);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
    expectInStep();
}

TEST_F(RowWorkflowTest, DeleteSendsTheStoredCodeAndNothingForANewRow) {
    start();
    command(&W::addRow);
    type("0003");
    command(&W::deleteRow);
    EXPECT_TRUE(db.statements().empty()) << "a new row was never stored";
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_TRUE(rows.Deleted);
    expectInStep();

    moveTo(0, 2);
    type("0009"); // typed over 0002, not saved
    command(&W::deleteRow);
    EXPECT_EQ(db.statements(),
              std::vector<std::string>{"Delete From tbHsdwda where(f_Hsdwh='0002')"});
    expectInStep();
    EXPECT_EQ(db.units(), (Rows{{"0001", "总部"}, {"0009", "九分部"}}));
}

TEST_F(RowWorkflowTest, InputTypedRightAfterADeleteIsWrittenOnTheNextMove) {
    start();
    moveTo(0, 2);
    command(&W::deleteRow); // 0002 goes; 0009 is current now
    moveTo(1, 2);
    type("九分部新址");
    moveTo(1, 1);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
    EXPECT_EQ(db.units(), (Rows{{"0001", "总部"}, {"0009", "九分部新址"}}));
    expectInStep();

    // Leaving a blank new row drops it; the row moved to is checked once typed in.
    command(&W::addRow);
    moveTo(1, 1);
    type("总部大楼");
    moveTo(1, 2);
    EXPECT_EQ(db.units(), (Rows{{"0001", "总部大楼"}, {"0009", "九分部新址"}}));
    expectInStep();
}

TEST_F(RowWorkflowTest, EmptyArchiveTakesItsFirstUnit) {
    start({});
    EXPECT_EQ(gridRows(), (Rows{{"", ""}}));
    moveTo(0, 1);
    type("0001");
    key(platform::VK_RIGHT);
    type("O'Brien");
    key(platform::VK_DOWN); // last row with a code: the add command
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
    EXPECT_EQ(db.units(), (Rows{{"0001", "O'Brien"}}));
    EXPECT_EQ(grid.RowCount(), 3);
    expectInStep(1);
}

TEST_F(RowWorkflowTest, RefreshReloadsWhatOthersChanged) {
    start();
    db.exec("insert into tbHsdwda values('0003','三分部'); delete from tbHsdwda where "
            "f_Hsdwh='0001'");
    command(&W::refresh);
    EXPECT_EQ(gridRows(), (Rows{{"0002", "一分部"}, {"0009", "九分部"}, {"0003", "三分部"}}));
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(records(), gridRows());
    // A shorter list leaves no unit behind in the grid's rows: a row added now is blank.
    db.exec("delete from tbHsdwda where f_Hsdwh='0003'");
    command(&W::refresh);
    command(&W::addRow);
    EXPECT_EQ(gridRows().back(), (std::vector<std::string>{"", ""}));
    EXPECT_FALSE(rows.hasUnsavedInput());
    command(&W::deleteRow);
    expectInStep();
    // Everything deleted elsewhere: one blank row, nothing out of step.
    db.exec("delete from tbHsdwda");
    command(&W::refresh);
    EXPECT_EQ(gridRows(), (Rows{{"", ""}}));
    EXPECT_TRUE(records().empty());
    // A failing load shows its box and leaves the blank row too.
    db.fail(PLATFORM_DISPID_OPEN_QUERY, {"断开"});
    command(&W::refresh);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{
                               "取核算单位档案时发生异常，可能是没有核算单位表!\r\n断开\n\r"});
    EXPECT_EQ(gridRows(), (Rows{{"", ""}}));
}

TEST_F(RowWorkflowTest, ReadOnlyOperatorMovesAndRefreshesButChangesNothing) {
    start({{"0001", "总部"}, {"0002", "一分部"}}, false);
    moveTo(0, 2);
    key(platform::VK_BACK);
    key(platform::VK_DELETE);
    type("55");
    key(platform::VK_RIGHT);
    type("改名");
    EXPECT_EQ(gridRows(), (Rows{{"0001", "总部"}, {"0002", "一分部"}}));
    command(&W::addRow);
    command(&W::insertRow);
    command(&W::deleteRow);
    EXPECT_EQ(grid.RowCount(), 3);
    moveTo(0, 1);
    key(platform::VK_RETURN); // Enter still moves
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_FALSE(rows.hasUnsavedInput());
    EXPECT_TRUE(rows.mayClose());
    db.exec("insert into tbHsdwda values('0003','三分部')");
    command(&W::refresh);
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_TRUE(db.statements().empty());
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}

TEST_F(RowWorkflowTest, NothingIsCheckedWhileTheWindowIsHiddenOrWithoutAStore) {
    start();
    command(&W::addRow);
    type("0002"); // a duplicate: any check would refuse it
    shown = false;
    key(platform::VK_UP);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_TRUE(db.queries().empty());
    shown = true;

    rows.detach(); // the window closing: no store any more
    moveTo(0, 4);
    EXPECT_FALSE(rows.hasUnsavedInput());
    EXPECT_TRUE(rows.SaveRow());
    EXPECT_TRUE(db.statements().empty());
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{});
}

TEST_F(RowWorkflowTest, ClosingWritesUnsavedInputOrRefuses) {
    start();
    EXPECT_TRUE(rows.mayClose()) << "nothing typed";
    command(&W::addRow);
    EXPECT_TRUE(rows.mayClose()) << "a blank new row holds nothing";
    type("0011");
    key(platform::VK_RIGHT);
    type("十一");
    EXPECT_TRUE(rows.hasUnsavedInput());
    EXPECT_TRUE(rows.mayClose());
    EXPECT_EQ(db.units().back(), (std::vector<std::string>{"0011", "十一"}));

    command(&W::addRow);
    type("0001");
    EXPECT_FALSE(rows.mayClose());
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"0001核算单位存在,无法新增!"});
    EXPECT_TRUE(rows.mayClose()) << "the refused row was blanked";

    moveTo(1, 1);
    type("新总部");
    EXPECT_TRUE(rows.mayClose());
    EXPECT_EQ(db.units().front(), (std::vector<std::string>{"0001", "新总部"}));
}

// A row the database keeps refusing never traps the operator: closing asks whether to give
// up that change; a stored row keeps its stored values, a new row is dropped.
TEST_F(RowWorkflowTest, ClosingWithARowThatCannotBeWrittenAsksToDiscardIt) {
    start();
    db.fail(PLATFORM_DISPID_EXEC_SQL, {"磁盘已满"});
    moveTo(1, 1);
    type("改名");
    boxes.answer(platform::IDOK); // the write's failure
    boxes.answer(platform::IDNO);
    EXPECT_FALSE(rows.mayClose()) << "No: the operator stays";
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_NE(boxes.records()[0].text.find("磁盘已满"), std::string::npos);
    EXPECT_EQ(boxes.last().text, RowWorkflow::kDiscardQuestion);
    EXPECT_EQ(boxes.last().flags & (platform::MB_TYPEMASK | platform::MB_ICONMASK),
              platform::MB_YESNO | platform::MB_ICONQUESTION);
    boxes.clear();
    EXPECT_EQ(grid.Cells(1, 1), "改名");
    EXPECT_EQ(rows.unsavedRow(), 1);

    boxes.answer(platform::IDOK);
    boxes.answer(platform::IDYES);
    EXPECT_TRUE(rows.mayClose()) << "Yes: the change goes and the window closes";
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_EQ(takeBoxes().back(), RowWorkflow::kDiscardQuestion);
    EXPECT_EQ(grid.Cells(1, 1), "总部") << "the stored row shows its stored values";
    EXPECT_EQ(rows.unsavedRow(), -1);
    EXPECT_FALSE(rows.hasUnsavedInput());

    command(&W::addRow);
    type("0012");
    key(platform::VK_RIGHT);
    type("十二");
    boxes.answer(platform::IDOK);
    boxes.answer(platform::IDYES);
    EXPECT_TRUE(rows.mayClose());
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_EQ(takeBoxes().back(), RowWorkflow::kDiscardQuestion);
    EXPECT_EQ(grid.RowCount(), 4) << "the new row never stored is dropped";
    db.clearFaults();
    EXPECT_EQ(db.units(), (Rows{{"0001", "总部"}, {"0002", "一分部"}, {"0009", "九分部"}}));
    expectInStep();
}

// A reload whose packet does not decode keeps no rows it could not write back: the grid is
// one blank row, noted, and nothing is edited until a reload succeeds.
TEST_F(RowWorkflowTest, AFailedReloadEditsNothingUntilAReloadSucceeds) {
    start();
    const Rows before = db.units();
    db.service().setFault(PLATFORM_DISPID_OPEN_QUERY, {false, {}, true});
    command(&W::refresh);
    const std::vector<std::string> shown = takeBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("取核算单位档案时发生异常，数据无法读取：", 0), 0u) << shown[0];
    EXPECT_EQ(gridRows(), (Rows{{"", ""}}));
    EXPECT_FALSE(rows.loaded());
    EXPECT_EQ(grid.RowHint(1), RowWorkflow::kLoadFailedHint);
    db.clearFaults();

    // What an operator would do to the rows that were on screen: nothing reaches the table.
    type("0002");
    key(platform::VK_RIGHT);
    type("改名");
    key(platform::VK_DOWN);
    command(&W::addRow);
    command(&W::insertRow);
    command(&W::deleteRow);
    EXPECT_FALSE(rows.hasUnsavedInput());
    EXPECT_TRUE(rows.mayClose());
    EXPECT_TRUE(db.statements().empty());
    EXPECT_EQ(db.units(), before);

    command(&W::refresh); // the reload succeeds: editing again
    EXPECT_TRUE(rows.loaded());
    EXPECT_EQ(grid.RowHint(1), "");
    expectInStep();
    moveTo(1, 2);
    type("一分部改");
    moveTo(1, 1);
    EXPECT_EQ(db.units()[1], (std::vector<std::string>{"0002", "一分部改"}));
}

TEST_F(RowWorkflowTest, ShowingAgainReloadsButKeepsTypedInput) {
    start();
    command(&W::addRow);
    type("0003");
    rows.reloadOnShow();
    EXPECT_EQ(gridRows().back(), (std::vector<std::string>{"0003", ""}));
    EXPECT_TRUE(rows.Adding);
    key(platform::VK_RIGHT);
    type("三");
    key(platform::VK_UP);
    EXPECT_EQ(db.units().size(), 4u);

    db.exec("insert into tbHsdwda values('0004','四')");
    command(&W::addRow); // a blank new row: nothing to keep
    rows.reloadOnShow();
    EXPECT_FALSE(rows.Adding);
    expectInStep();
    EXPECT_EQ(gridRows().back(), (std::vector<std::string>{"0004", "四"}));
    EXPECT_EQ(grid.Row(), grid.RowCount() - 1);
}

TEST_F(RowWorkflowTest, RowThatCouldNotBeWrittenIsMarkedUnsavedUntilWritten) {
    auto marked = [this](int row) {
        return grid.RowColor(row) == W::kUnsavedColor && grid.RowHint(row) == W::kUnsavedHint;
    };
    start();
    // A new unit the data service cannot write: the row keeps its text and is marked.
    command(&W::addRow);
    type("0011");
    key(platform::VK_RIGHT);
    type("十一");
    db.fail(PLATFORM_DISPID_EXEC_SQL, {"磁盘已满"});
    key(platform::VK_UP);
    EXPECT_EQ(grid.Row(), 4) << "the operator stays on the row";
    EXPECT_EQ(rows.unsavedRow(), 4);
    EXPECT_TRUE(marked(4));
    EXPECT_FALSE(marked(3));
    EXPECT_EQ(gridRows().back(), (std::vector<std::string>{"0011", "十一"}));
    takeBoxes();
    // Leaving it again retries; once written the mark goes.
    db.clearFaults();
    key(platform::VK_UP);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(rows.unsavedRow(), -1);
    EXPECT_FALSE(marked(4));
    EXPECT_EQ(grid.RowColor(4), grid.Color());
    expectInStep();

    // A renamed stored unit, then the operator deletes the marked row instead.
    moveTo(1, 2);
    type("改名");
    db.fail(PLATFORM_DISPID_EXEC_SQL, {"锁定"});
    key(platform::VK_DOWN);
    EXPECT_TRUE(marked(2));
    takeBoxes();
    db.clearFaults();
    command(&W::deleteRow);
    EXPECT_EQ(rows.unsavedRow(), -1);
    for (int r = 1; r < grid.RowCount(); ++r)
        EXPECT_FALSE(marked(r)) << "row " << r;
    expectInStep();

    // A blank code is refused and marked as well; a duplicate new code blanks the row, which
    // then holds nothing and is not marked.
    moveTo(0, 1);
    blank(0);
    key(platform::VK_DOWN);
    EXPECT_TRUE(marked(1));
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"核算单位编号不能为空!"});
    type("0001");
    key(platform::VK_DOWN);
    EXPECT_FALSE(marked(1));
    command(&W::addRow);
    type("0009");
    key(platform::VK_UP);
    EXPECT_EQ(rows.unsavedRow(), -1);
    EXPECT_EQ(takeBoxes(), std::vector<std::string>{"0009核算单位存在,无法新增!"});
}
