// The widget-free control: defaults, errors, geometry, columns, row operations and the
// abort paths of its events.

#include "grid/GridControl.h"
#include "grid/TitleTree.h"
#include "platform/Abort.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace grid {
namespace {

using platform::ShiftFlag;
using platform::TShiftState;
using platform::Word;

template <class Fn>
std::string errorOf(Fn&& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

void expectConsistent(const GridControl& g) {
    std::string why;
    EXPECT_TRUE(g.checkConsistency(&why)) << why;
}

// A grid of `rows` rows, two columns, one title row, rows holding "r<index>".
struct Rows : ::testing::Test {
    GridControl g;
    std::vector<std::pair<int, int>> selects;
    int clicks = 0;

    void make(int rows) {
        g.setColCount(2);
        g.setFixedCols(0);
        g.setRowCount(rows);
        for (int r = 1; r < rows; ++r) {
            g.setCells(0, r, "r" + std::to_string(r));
            g.setCells(1, r, "n" + std::to_string(r));
        }
        g.OnSelectCell = [this](QObject*, int c, int r, bool&) { selects.emplace_back(c, r); };
        g.OnClick = [this](QObject*) { ++clicks; };
    }
    void key(Word k, TShiftState s = {}) {
        Word key = k;
        g.KeyDown(key, s);
    }
};

TEST(GridDefaults, PublishedPropertiesStartAsDocumented) {
    GridControl g;
    EXPECT_EQ(g.ColCount(), 5);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.FixedCols(), 1);
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_EQ(g.DefaultColWidth(), 64);
    EXPECT_EQ(g.DefaultRowHeight(), 24);
    EXPECT_EQ(g.GridLineWidth(), 1);
    EXPECT_EQ(g.Options(), (TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                                         goRangeSelect}));
    EXPECT_EQ(g.Options().bits(), 0x1F);
    EXPECT_EQ(g.ScrollBars(), TScrollStyle::ssBoth);
    EXPECT_EQ(g.BorderStyle(), TBorderStyle::bsSingle);
    EXPECT_EQ(g.Color(), 0x80000005u);
    EXPECT_EQ(g.FixedColor(), 0x8000000Fu);
    EXPECT_EQ(g.TitleColor(), 0x8000000Fu);
    EXPECT_TRUE(g.DefaultDrawing());
    EXPECT_TRUE(g.Title3D());
    EXPECT_EQ(g.LineColor(), 0x00C0C0C0u);
    EXPECT_EQ(g.Columns().Count(), 0);
    EXPECT_FALSE(g.Modifed());
    EXPECT_EQ(g.EditColor(), 0x00FFFFFFu);
    EXPECT_TRUE(g.TabStop());
    EXPECT_EQ(g.Col(), 1);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.EditorCol(), -1);
    expectConsistent(g);
}

TEST(GridErrors, MessagesAreExactAndFailedAssignmentsChangeNothing) {
    GridControl g;
    int selects = 0;
    g.OnSelectCell = [&](QObject*, int, int, bool&) { ++selects; };
    EXPECT_EQ(errorOf([&] { g.setRow(5); }), "Grid index out of range");
    EXPECT_EQ(errorOf([&] { g.setCol(-1); }), "Grid index out of range");
    EXPECT_EQ(selects, 0) << "the range check comes before OnSelectCell";
    EXPECT_EQ(errorOf([&] { g.setFixedCols(-1); }), "Grid index out of range");
    EXPECT_EQ(errorOf([&] { g.setFixedCols(5); }),
              "Fixed column count must be less than column count");
    EXPECT_EQ(errorOf([&] { g.setFixedRows(5); }), "Fixed row count must be less than row count");
    EXPECT_EQ(g.FixedCols(), 1);
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_EQ(errorOf([&] { g.setColWidths(5, 10); }), "Grid index out of range");
    EXPECT_EQ(errorOf([&] { g.setRowHeights(-1, 10); }), "Grid index out of range");
    EXPECT_EQ(errorOf([&] { (void)g.Cells(0, -1); }), "List index out of bounds (-1)");
    EXPECT_EQ(g.Cells(-1, 0), "");
    EXPECT_EQ(errorOf([&] { g.InsertRow(6); }), "Grid index out of range");
    EXPECT_EQ(errorOf([&] { g.ChangeGridSize(-1, 3); }), "Too many rows or columns deleted");
    EXPECT_EQ(errorOf([&] { g.ChangeGridSize(2, 134217726); }), "Grid too large for operation");
    EXPECT_EQ(g.RowCount(), 5);
    expectConsistent(g);
}

TEST(GridCells, TextsOutsideTheCountsStayAndShowAgain) {
    GridControl g;
    g.setCells(1, g.RowCount() + 3, "later");
    EXPECT_EQ(g.Cells(1, 8), "later");
    g.setRowCount(10);
    EXPECT_EQ(g.Cells(1, 8), "later");
    g.setRowCount(3);
    g.setRowCount(10);
    EXPECT_EQ(g.Cells(1, 8), "later");
}

TEST(GridColumns, CountFollowsTheCollection) {
    GridControl g;
    g.Columns().Add();
    g.Columns().Add();
    EXPECT_EQ(g.ColCount(), 5) << "fewer columns than ColCount leave it";
    g.setColCount(2);
    EXPECT_EQ(g.ColCount(), 2);
    g.setColCount(3);
    EXPECT_EQ(g.ColCount(), 2) << "ignored while Columns holds another number";
    g.Columns().Add();
    EXPECT_EQ(g.ColCount(), 3);
    g.Columns().Delete(2);
    EXPECT_EQ(g.ColCount(), 2);
    g.Columns().Delete(1);
    EXPECT_EQ(g.ColCount(), 1);
    g.Columns().Delete(0);
    EXPECT_EQ(g.ColCount(), 1) << "removing the only column leaves ColCount";
}

TEST(GridColumns, HidingRemembersWidthAndReadOnly) {
    GridControl g;
    g.setColCount(2);
    g.Columns().Add();
    TColumn& c = g.Columns().Add();
    g.setColWidths(1, 90);
    c.setVisible(false);
    EXPECT_EQ(g.ColWidths(1), -1);
    EXPECT_TRUE(c.ReadOnly());
    c.setVisible(true);
    EXPECT_EQ(g.ColWidths(1), 90);
    EXPECT_FALSE(c.ReadOnly());
    // A read-only column stays read-only after hiding and showing.
    c.setReadOnly(true);
    c.setVisible(false);
    c.setVisible(true);
    EXPECT_TRUE(c.ReadOnly());
    // Merging forces read-only and gives back the former state.
    c.setReadOnly(false);
    c.setMerge(true);
    EXPECT_TRUE(c.ReadOnly());
    c.setMerge(false);
    EXPECT_FALSE(c.ReadOnly());
}

TEST(GridGeometry, BoundsVisibleCountsAndScrollRanges) {
    GridControl g;
    g.setClientSize(200, 100);
    g.setColCount(4);
    g.setRowCount(3);
    // Columns 0..3 at 0, 65, 130, 195; the last one does not fit.
    EXPECT_EQ(g.CellBounds(1, 1), (TRect{65, 25, 129, 49}));
    EXPECT_EQ(g.CellBounds(3, 0), (TRect{195, 0, 259, 24}));
    EXPECT_EQ(g.VisibleColCount(), 2);
    EXPECT_EQ(g.VisibleRowCount(), 2);
    EXPECT_EQ(g.VertScroll(), (ScrollBarState{0, 0, 0})) << "nothing to scroll vertically";
    EXPECT_EQ(g.HorzScroll(), (ScrollBarState{0, 127, 0}));
    EXPECT_EQ(g.MaxFirstVisible().X, 2);
    g.ScrollCommand(false, ScrollCode::LineDown);
    EXPECT_EQ(g.LeftCol(), 2);
    EXPECT_EQ(g.HorzScroll().Position, 127);
    EXPECT_EQ(g.CellBounds(1, 1), (TRect{})) << "scrolled out of view";
    g.ScrollCommand(false, ScrollCode::LineDown);
    EXPECT_EQ(g.LeftCol(), 2) << "never past the maximum";
    // Growing the client pulls the first visible column back.
    g.setClientSize(400, 100);
    EXPECT_EQ(g.LeftCol(), 1);
    EXPECT_EQ(g.HorzScroll(), (ScrollBarState{0, 0, 0}));
    expectConsistent(g);
}

TEST(GridGeometry, ThumbPositionsMapThroughTheFixedRange) {
    GridControl g;
    g.setClientSize(300, 24 * 11);
    g.setRowCount(101);
    // Nine 25-pixel rows fit under the title row: maximum first row 92.
    EXPECT_EQ(g.MaxFirstVisible().Y, 92);
    g.ScrollCommand(true, ScrollCode::ThumbPosition, 64);
    EXPECT_EQ(g.TopRow(), 1 + 46) << "1 + MulDiv(64, 91, 127)";
    EXPECT_EQ(g.VertScroll().Position, 64);
    g.ScrollCommand(true, ScrollCode::ThumbTrack, 127);
    EXPECT_EQ(g.TopRow(), 47) << "no thumb tracking without goThumbTracking";
    g.ScrollCommand(true, ScrollCode::Bottom);
    EXPECT_EQ(g.TopRow(), 92);
    EXPECT_EQ(g.VertScroll().Position, 127);
    g.ScrollCommand(true, ScrollCode::PageUp);
    EXPECT_EQ(g.TopRow(), 84) << "row 92 shown as the last full row has eight before it";
    g.ScrollCommand(true, ScrollCode::Top);
    EXPECT_EQ(g.TopRow(), 1);
}

TEST_F(Rows, SettingTheCurrentValueRaisesNothing) {
    make(5);
    g.setRow(g.Row());
    g.setCol(g.Col());
    EXPECT_TRUE(selects.empty());
    EXPECT_EQ(clicks, 0);
    g.setRow(3);
    EXPECT_EQ(selects, (std::vector<std::pair<int, int>>{{0, 3}}));
    EXPECT_EQ(clicks, 1);
}

TEST_F(Rows, SelectCellVetoAndAbortLeaveTheCell) {
    make(5);
    g.OnSelectCell = [](QObject*, int, int, bool& can) { can = false; };
    g.setRow(3);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(clicks, 1) << "FocusCellAt still clicks after a veto";
    g.OnSelectCell = [](QObject*, int, int, bool&) { platform::Abort(); };
    EXPECT_THROW(g.setRow(3), platform::EAbort);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(clicks, 1) << "an abort skips the click";
}

TEST_F(Rows, KeysStopAtTheEdgesWithoutSelecting) {
    make(5);
    key(platform::VK_UP);
    key(platform::VK_LEFT);
    EXPECT_TRUE(selects.empty());
    g.setRow(4);
    g.setCol(1);
    selects.clear();
    key(platform::VK_DOWN);
    key(platform::VK_RIGHT);
    EXPECT_TRUE(selects.empty());
    key(platform::VK_HOME, ShiftFlag::Ctrl);
    EXPECT_EQ((std::pair{g.Col(), g.Row()}), (std::pair{0, 1}));
    key(platform::VK_END);
    EXPECT_EQ(g.Col(), 1);
    key(platform::VK_TAB);
    EXPECT_EQ((std::pair{g.Col(), g.Row()}), (std::pair{0, 2})) << "Tab wraps to the next row";
    key(platform::VK_TAB, ShiftFlag::Shift);
    key(platform::VK_TAB, ShiftFlag::Shift);
    EXPECT_EQ((std::pair{g.Col(), g.Row()}), (std::pair{0, 1}));
    key(platform::VK_TAB, ShiftFlag::Shift);
    EXPECT_EQ((std::pair{g.Col(), g.Row()}), (std::pair{1, 4})) << "and from the first to the last";
}

TEST_F(Rows, ShiftExtendsTheSelectionAndArrowCollapsesIt) {
    make(6);
    g.setOptions(g.Options()); // goRangeSelect is on by default
    key(platform::VK_DOWN, ShiftFlag::Shift);
    key(platform::VK_DOWN, ShiftFlag::Shift);
    EXPECT_EQ(g.Selection(), (TGridRect{0, 1, 0, 3}));
    key(platform::VK_RIGHT);
    EXPECT_EQ(g.Selection(), (TGridRect{1, 3, 1, 3}));
}

TEST_F(Rows, PageDownAbortedBySelectCellKeepsTheScrolledView) {
    make(40);
    g.setClientSize(300, 25 * 6); // title row and five data rows
    const int before = g.Row();
    g.OnSelectCell = [](QObject*, int, int, bool&) { platform::Abort(); };
    EXPECT_THROW(key(platform::VK_NEXT), platform::EAbort);
    EXPECT_EQ(g.Row(), before);
    EXPECT_EQ(g.TopRow(), 5) << "the first-visible change happened before the move";
    expectConsistent(g);
}

TEST_F(Rows, HiddenColumnIsBouncedAndAllHiddenStops) {
    make(4);
    g.setColCount(3);
    for (int i = 0; i < 3; ++i)
        g.Columns().Add();
    g.setCol(1);
    g.Columns()[0].setVisible(false);
    key(platform::VK_LEFT);
    EXPECT_EQ(g.Col(), 1) << "landed on hidden column 0, sent back right";
    g.Columns()[2].setVisible(false);
    key(platform::VK_RIGHT);
    EXPECT_EQ(g.Col(), 1) << "the last column bounces left";
    g.Columns()[1].setVisible(false);
    key(platform::VK_RIGHT); // every column hidden: the bounce gives up
    expectConsistent(g);
}

TEST_F(Rows, DeleteRowBlanksTheOnlyDataRow) {
    make(2);
    g.setRowColor(1, 0x123456);
    g.DeleteRow(1);
    EXPECT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.Cells(0, 1), "");
    EXPECT_EQ(g.RowColor(1), g.Color());
    g.DeleteRow(0);
    g.DeleteRow(2);
    EXPECT_EQ(g.RowCount(), 2);
}

TEST_F(Rows, DeleteLastRowMovesUpWithOneSelect) {
    make(5);
    g.setRow(4);
    selects.clear();
    g.DeleteRow(4);
    EXPECT_EQ(g.RowCount(), 4);
    EXPECT_EQ(g.Row(), 3);
    EXPECT_EQ(selects, (std::vector<std::pair<int, int>>{{0, 3}}));
    EXPECT_EQ(g.Cells(0, 4), "") << "the deleted row's texts are gone";
}

TEST_F(Rows, DeleteMiddleRowShiftsWholeRowsWithColours) {
    make(5);
    g.setRow(2);
    g.setRowColor(3, 0x00FF00);
    g.setCells(0, 5, "beyond"); // stored one past the last row
    selects.clear();
    g.DeleteRow(2);
    EXPECT_EQ(g.RowCount(), 4);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.Cells(0, 2), "r3");
    EXPECT_EQ(g.Cells(1, 3), "n4");
    EXPECT_EQ(g.Cells(0, 4), "beyond") << "row RowCount is copied into the last row";
    EXPECT_EQ(g.Cells(0, 5), "");
    EXPECT_EQ(g.RowColor(2), 0x00FF00u);
    EXPECT_EQ(g.RowColor(3), g.Color());
    EXPECT_TRUE(selects.empty());
    expectConsistent(g);
}

TEST_F(Rows, RowHintsTravelWithTheirRows) {
    make(6);
    g.setRowHint(2, "two");
    g.setRowHint(4, "four");
    g.setRowHint(9, "beyond"); // not a row: ignored
    EXPECT_EQ(g.RowHint(9), "");
    g.InsertRow(3);
    EXPECT_EQ(g.RowHint(2), "two");
    EXPECT_EQ(g.RowHint(3), "");
    EXPECT_EQ(g.RowHint(5), "four");
    g.DeleteRow(2);
    EXPECT_EQ(g.RowHint(2), "") << "the deleted row's hint went with it";
    EXPECT_EQ(g.RowHint(4), "four");
    g.MoveRowTo(4, 1);
    EXPECT_EQ(g.RowHint(1), "four");
    EXPECT_EQ(g.RowHint(4), "");
    g.setRowHint(5, "last");
    g.setRowCount(5); // row 5 cut off
    g.setRowCount(6);
    EXPECT_EQ(g.RowHint(5), "");
    g.setRowHint(1, "");
    EXPECT_EQ(g.RowHint(1), "");
}

TEST_F(Rows, InsertRowMovesRowsAndColoursDown) {
    make(4);
    g.setRowColor(2, 0x0000FF);
    g.setRowColor(3, 0x00FF00);
    g.InsertRow(2);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.Cells(0, 2), "");
    EXPECT_EQ(g.Cells(0, 3), "r2");
    EXPECT_EQ(g.Cells(0, 4), "r3");
    EXPECT_EQ(g.RowColor(2), g.Color());
    EXPECT_EQ(g.RowColor(3), 0x0000FFu);
    EXPECT_EQ(g.RowColor(4), 0x00FF00u);
    EXPECT_EQ(g.Row(), 2);
    // Inserting at the current row keeps the cell and raises no select.
    selects.clear();
    g.InsertRow(2);
    EXPECT_TRUE(selects.empty());
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.Cells(0, 4), "r2");
}

TEST_F(Rows, AppendShowsTextsLeftBehindByShrinking) {
    make(10);
    g.setRowCount(4);
    g.AppendRow();
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.Row(), 4);
    EXPECT_EQ(g.Cells(0, 4), "r4");
}

TEST_F(Rows, RowCountOneLowersFixedRowsFirst) {
    make(3);
    g.setRowCount(1);
    EXPECT_EQ(g.FixedRows(), 0);
    EXPECT_EQ(g.RowCount(), 1);
    g.setRowCount(0);
    EXPECT_EQ(g.RowCount(), 1);
    expectConsistent(g);
}

TEST_F(Rows, RowColourWithoutEntryFollowsColor) {
    make(3);
    g.setRowColor(2, g.Color());
    g.setColor(0x00ABCDEF);
    EXPECT_EQ(g.RowColor(1), 0x00ABCDEFu);
    EXPECT_EQ(g.RowColor(2), 0x80000005u) << "an explicit entry keeps its value";
}

TEST_F(Rows, AbortWhileShrinkingUndoesTheCountChange) {
    make(5);
    g.setRow(4);
    g.setRowColor(4, 0x0000FF);
    g.OnSelectCell = [](QObject*, int, int, bool&) { platform::Abort(); };
    EXPECT_THROW(g.DeleteRow(4), platform::EAbort);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.Row(), 4);
    EXPECT_EQ(g.Cells(0, 4), "") << "the blanked row stays blank";
    EXPECT_EQ(g.RowColor(4), g.Color());
    expectConsistent(g);
}

TEST_F(Rows, AbortWhileDeletingAnEarlierRowKeepsTheCount) {
    make(5);
    g.setRow(4);
    g.OnSelectCell = [](QObject*, int, int, bool&) { platform::Abort(); };
    EXPECT_THROW(g.DeleteRow(2), platform::EAbort);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.Cells(0, 2), "r3");
    EXPECT_EQ(g.Cells(0, 4), "") << "the last row is a blank copy of what lay past the end";
}

TEST_F(Rows, AbortInInsertAndAppendLeavesTheRowAndTheCell) {
    make(4);
    g.setRowColor(2, 0x0000FF);
    g.OnSelectCell = [](QObject*, int, int, bool&) { platform::Abort(); };
    EXPECT_THROW(g.InsertRow(2), platform::EAbort);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.Cells(0, 2), "");
    EXPECT_EQ(g.RowColor(2), 0x0000FFu) << "the new row's colour entry is not reset";
    EXPECT_THROW(g.AppendRow(), platform::EAbort);
    EXPECT_EQ(g.RowCount(), 6);
    EXPECT_EQ(g.Row(), 1);
}

TEST_F(Rows, DeleteFromInsideSelectCellCompletesTheOuterMove) {
    make(5);
    g.setRow(4);
    g.setCells(0, 4, "");
    g.setCells(1, 4, "");
    std::vector<std::pair<int, int>> seen;
    g.OnSelectCell = [&](QObject*, int c, int r, bool&) {
        seen.emplace_back(c, r);
        // The archive window removes a blank last row when the user leaves it.
        if (g.Row() == g.RowCount() - 1 && g.Cells(0, g.Row()).empty())
            g.DeleteRow(g.Row());
    };
    g.setRow(1);
    EXPECT_EQ(g.RowCount(), 4);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{0, 1}, {0, 3}}));
    expectConsistent(g);
}

TEST_F(Rows, MoveRowAndColumnCarryTextsAndTheCurrentCell) {
    make(5);
    std::vector<std::pair<int, int>> moved;
    g.OnRowMoved = [&](QObject*, int f, int t) { moved.emplace_back(f, t); };
    g.setRow(1);
    g.MoveRowTo(1, 3);
    EXPECT_EQ(g.Cells(0, 3), "r1");
    EXPECT_EQ(g.Cells(0, 1), "r2");
    EXPECT_EQ(g.Row(), 3);
    EXPECT_EQ(moved, (std::vector<std::pair<int, int>>{{1, 3}}));
    g.MoveColumnTo(0, 1);
    EXPECT_EQ(g.Cells(1, 3), "r1");
    EXPECT_EQ(g.Col(), 1);
    g.RemoveRowAt(3);
    EXPECT_EQ(g.RowCount(), 4);
    expectConsistent(g);
}

// Which events fire and which characters open the editor is the control's decision, so a
// grid without a widget follows the same rules.
TEST(GridInput, EventsAndCharacterRulesLiveInTheControl) {
    GridControl g;
    std::vector<std::string> seen;
    g.OnEnter = [&](QObject*) { seen.push_back("enter"); };
    g.OnDblClick = [&](QObject*) { seen.push_back("dbl"); };
    g.OnKeyPress = [&](QObject*, char32_t& key) { seen.push_back("press " + std::to_string(key)); };
    g.FocusGained(false);
    g.FocusGained(true); // back from the editor: no second entry
    g.EditorFocusGained(true);
    g.EditorFocusGained(false);
    g.EditorDoubleClicked();
    g.GridCharacter(U'7'); // not editing: an ordinary character of the grid
    g.setOptions(g.Options().with(goEditing));
    g.GridCharacter(U'8'); // editing: opens the editor (none shows without a window)
    g.GridCharacter(27);
    EXPECT_EQ(seen, (std::vector<std::string>{"enter", "enter", "dbl", "press 55", "press 27"}));
    EXPECT_TRUE(g.EditorActive());

    EXPECT_TRUE(g.ClaimsKey(platform::VK_RETURN));
    g.setOptions(g.Options().without(goEditing));
    EXPECT_FALSE(g.ClaimsKey(platform::VK_RETURN)) << "Enter then goes to a default button";
    EXPECT_TRUE(g.ClaimsKey(platform::VK_DOWN));

    g.OnSelectCell = [&](QObject*, int, int, bool&) { seen.push_back("select"); };
    g.DetachHandlers();
    seen.clear();
    g.FocusGained(false);
    g.setRow(2);
    g.EditorDoubleClicked();
    EXPECT_TRUE(seen.empty());
}

TEST(GridTitleTree, SharedFirstPartsSpanAdjacentColumnsOnly) {
    TitleTree tree;
    // Columns at 0..64, 65..129, 130..194 with line width 1.
    auto col = [](const char* caption, int i) {
        return TitleTree::ColumnInput{caption, TRect{65 * i, 0, 65 * i + 64, 38}, 64, true};
    };
    tree.build({col("金额|借方", 0), col("金额|贷方", 1), col("余额", 2)}, 1);
    EXPECT_EQ(tree.levels(), 2);
    ASSERT_EQ(tree.root().Children.size(), 2u);
    const THeadTreeNode& money = *tree.root().Children[0];
    EXPECT_EQ(money.TitlePart, "金额");
    EXPECT_EQ(money.Width, 130);
    ASSERT_EQ(money.Children.size(), 2u);
    const auto boxes = tree.layout(38, 1);
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].text, "金额");
    EXPECT_EQ(boxes[0].cell, (TRect{-1, -1, 130, 20})) << "upper half, both columns";
    EXPECT_EQ(boxes[1].text, "借方");
    EXPECT_EQ(boxes[1].cell.Top, 19);
    EXPECT_EQ(boxes[1].cell.Bottom, 38);
    EXPECT_EQ(boxes[2].cell, (TRect{64, 19, 130, 38}));
    EXPECT_EQ(boxes[3].text, "余额");
    EXPECT_EQ(boxes[3].cell, (TRect{129, 0, 195, 38})) << "a one-part caption spans the row";

    tree.build({col("金额|借方", 0), col("余额", 1), col("金额|贷方", 2)}, 1);
    EXPECT_EQ(tree.root().Children.size(), 3u) << "non-adjacent columns get their own parts";
}

TEST(GridViews, ColumnAndRowTextsGoThroughCells) {
    GridControl g;
    TAdvStringGridStrings& column = g.ColumnTexts(2);
    EXPECT_EQ(&column, &g.ColumnTexts(2));
    EXPECT_EQ(column.Count(), 5);
    column.Put(3, "c3");
    EXPECT_EQ(g.Cells(2, 3), "c3");
    g.setCells(2, 0, "top");
    EXPECT_EQ(column.Add("new"), 1);
    EXPECT_EQ(column.Add(""), 2);
    EXPECT_EQ(g.Cells(2, 2), " ") << "an empty text is written as one blank";
    EXPECT_EQ(column.Add("x"), 4);
    EXPECT_EQ(column.Add("y"), -1);
    EXPECT_EQ(errorOf([&] { column.Insert(0, "no"); }), "Cannot insert or delete rows from grid");
    EXPECT_EQ(errorOf([&] { column.Delete(0); }), "Cannot insert or delete rows from grid");
    TAdvStringGridStrings& row = g.RowTexts(3);
    EXPECT_EQ(row.Count(), 5);
    row.Assign(column);
    EXPECT_EQ(g.Cells(0, 3), "top");
    EXPECT_EQ(g.Cells(4, 3), "x");
    int object = 0;
    column.PutObject(1, &object);
    column.BeginUpdate();
    column.Clear();
    column.EndUpdate();
    EXPECT_EQ(g.Cells(2, 0), "");
    EXPECT_EQ(g.CellObject(2, 1), nullptr);
    expectConsistent(g);
}

TEST(GridInvariants, HoldUnderRandomOperationsAndAborts) {
    for (unsigned seed : {11u, 1u, 2u, 3u, 4u, 5u, 6u, 7u}) {
        GridControl g;
        g.setClientSize(300, 200);
        std::mt19937 rng(seed);
        bool veto = false;
        g.OnSelectCell = [&](QObject*, int, int, bool& can) {
            if (veto && rng() % 4 == 0)
                platform::Abort();
            can = rng() % 8 != 0;
        };
        const Word keys[] = {platform::VK_UP,    platform::VK_DOWN,  platform::VK_LEFT,
                             platform::VK_RIGHT, platform::VK_PRIOR, platform::VK_NEXT,
                             platform::VK_HOME,  platform::VK_END,   platform::VK_TAB};
        for (int step = 0; step < 3000; ++step) {
            veto = step % 3 == 0;
            const int op = static_cast<int>(rng() % 10);
            try {
                switch (op) {
                case 0:
                    g.setRowCount(1 + static_cast<int>(rng() % 30));
                    break;
                case 1:
                    g.setColCount(1 + static_cast<int>(rng() % 6));
                    break;
                case 2:
                    g.InsertRow(g.FixedRows() +
                                static_cast<int>(rng() % (g.RowCount() - g.FixedRows() + 1)));
                    break;
                case 3:
                    g.DeleteRow(static_cast<int>(rng() % (g.RowCount() + 1)));
                    break;
                case 4:
                    g.AppendRow();
                    break;
                case 5:
                    g.setCells(static_cast<int>(rng() % 6), static_cast<int>(rng() % 40), "t");
                    break;
                case 6:
                    g.setFixedRows(static_cast<int>(rng() % std::min(2, g.RowCount())));
                    break;
                case 7:
                    g.ScrollCommand(rng() % 2 == 0, static_cast<ScrollCode>(rng() % 8),
                                    static_cast<int>(rng() % 128));
                    break;
                default: {
                    Word k = keys[rng() % std::size(keys)];
                    g.KeyDown(k, TShiftState::fromBits(rng() % 8));
                    break;
                }
                }
            } catch (const platform::EAbort&) {
            } catch (const EInvalidGridOperation&) {
            }
            std::string why;
            ASSERT_TRUE(g.checkConsistency(&why))
                << "seed " << seed << " step " << step << " op " << op << ": " << why;
        }
    }
}

TEST_F(Rows, AVetoCannotKeepTheCurrentCellOnARemovedRow) {
    make(5);
    g.setRow(4);
    g.OnSelectCell = [](QObject*, int, int, bool& can) { can = false; };
    g.setRowCount(3);
    EXPECT_EQ(g.Row(), 2);
    expectConsistent(g);
}

} // namespace
} // namespace grid
