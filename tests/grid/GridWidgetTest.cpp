// The grid widget driven by real key, mouse and input-method events on the offscreen platform.

#include "GridTestSupport.h"
#include "platform/Abort.h"
#include "platform/Gbk.h"
#include "platform/Guard.h"
#include "platform/Keys.h"
#include "platform/MessageBox.h"
#include "platform/Metafile.h"
#include "tests/support/TestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace grid {
namespace {

using gridtest::Form;
using platform::Word;

// The archive window's situation: a few rows and the last row current in column 1.
struct ArchiveFixture : ::testing::Test {
    Form form;
    std::vector<std::string> log;

    void SetUp() override {
        form.grid->setRowCount(4);
        form.grid->setCells(0, 1, "0001");
        form.grid->setCells(1, 1, "总部");
        form.grid->setCells(0, 2, "0002");
        form.grid->setCells(1, 2, "分部");
        form.show();
        form.grid->setRow(3);
        form.grid->setCol(1);
        testsupport::processEvents();
    }
    TAdvStringGrid& g() { return *form.grid; }
    void logEvents() {
        g().OnSelectCell = [this](QObject*, int c, int r, bool&) {
            log.push_back("select " + std::to_string(c) + "," + std::to_string(r));
        };
        g().OnKeyDown = [this](QObject*, Word& k, platform::TShiftState) {
            log.push_back("down " + std::to_string(k));
        };
        g().OnKeyPress = [this](QObject*, char32_t& k) {
            log.push_back("press " + std::to_string(static_cast<unsigned>(k)));
        };
        g().OnSetEditText = [this](QObject*, int c, int r, const std::string& v) {
            log.push_back("set " + std::to_string(c) + "," + std::to_string(r) + "=" + v);
        };
    }
};

TEST_F(ArchiveFixture, EditorFollowsTheCurrentCellAndTypingStoresAtOnce) {
    ASSERT_NE(form.editor(), nullptr);
    EXPECT_TRUE(form.editor()->isVisible());
    EXPECT_TRUE(form.editor()->hasFocus());
    EXPECT_EQ(form.editor()->geometry(), g().CellBounds(1, 3).toQRect());
    EXPECT_FALSE(g().Modifed());
    logEvents();
    form.key(Qt::Key_Left);
    EXPECT_EQ(g().Col(), 0);
    // Leaving the cell commits the editor text once more.
    EXPECT_EQ(log, (std::vector<std::string>{"down 37", "select 0,3", "set 1,3="}));
    log.clear();
    form.key(Qt::Key_1);
    EXPECT_EQ(g().Cells(0, 3), "1");
    EXPECT_TRUE(g().Modifed());
    EXPECT_EQ(log, (std::vector<std::string>{"down 49", "press 49", "set 0,3=1"}));
}

TEST_F(ArchiveFixture, CodeColumnTakesFourBytesAndNameColumnAcceptsChinese) {
    g().setCol(0);
    form.type("123456");
    EXPECT_EQ(g().Cells(0, 3), "1234");
    g().setCol(1);
    form.type("北京分");
    EXPECT_EQ(g().Cells(1, 3), "北京分");
    // An input method commit goes through the same character path.
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("公司"));
    QCoreApplication::sendEvent(form.editor(), &commit);
    EXPECT_EQ(g().Cells(1, 3), "北京分公司");
}

TEST_F(ArchiveFixture, EnterMovesRightThenTogglesTheSelectionInTheLastColumn) {
    g().setCol(0);
    form.key(Qt::Key_Return);
    EXPECT_EQ(g().Col(), 1);
    EXPECT_FALSE(form.editor()->hasSelectedText()) << "caret at the end, nothing selected";
    g().setRow(1);
    EXPECT_EQ(form.editor()->selectedText(), QStringLiteral("总部"));
    form.key(Qt::Key_Return);
    EXPECT_EQ(g().Col(), 1) << "the last column moves nothing";
    EXPECT_FALSE(form.editor()->hasSelectedText());
    EXPECT_EQ(form.editor()->cursorPosition(), 2);
    form.key(Qt::Key_Return);
    EXPECT_EQ(form.editor()->selectedText(), QStringLiteral("总部"));
}

TEST_F(ArchiveFixture, EnterRunsItsPhasesInOrderThroughTheKeyPreview) {
    std::vector<std::string> order;
    platform::KeyPreview preview(
        form.window.get(),
        {[&](Word& k, platform::TShiftState) { order.push_back("preview " + std::to_string(k)); },
         nullptr, nullptr});
    g().setRow(1);
    g().setCol(0);
    g().OnKeyDown = [&](QObject*, Word& k, platform::TShiftState) {
        order.push_back("down " + std::to_string(k));
    };
    g().OnKeyPress = [&](QObject*, char32_t& k) {
        order.push_back("press " + std::to_string(static_cast<unsigned>(k)));
    };
    g().OnSelectCell = [&](QObject*, int c, int r, bool&) {
        order.push_back("select " + std::to_string(c) + "," + std::to_string(r));
    };
    form.key(Qt::Key_Return);
    EXPECT_EQ(order, (std::vector<std::string>{"preview 13", "down 13", "press 13", "preview 39",
                                               "down 39", "select 1,1"}));
    EXPECT_EQ(g().Col(), 1);
}

TEST_F(ArchiveFixture, RightLeavesAFreshCellButFirstWalksACaretPlacedInside) {
    g().setRow(1);
    g().setCol(0);
    form.key(Qt::Key_Right);
    EXPECT_EQ(g().Col(), 1) << "a freshly loaded editor is at both sides";
    g().setCol(0);
    // A click inside the editor places the caret in the text.
    QTest::mouseClick(form.editor(), Qt::LeftButton, Qt::NoModifier, QPoint(3, 5));
    form.editor()->setCursorPosition(2);
    form.key(Qt::Key_Right);
    EXPECT_EQ(g().Col(), 0);
    EXPECT_EQ(form.editor()->cursorPosition(), 3);
    form.key(Qt::Key_Right);
    EXPECT_EQ(form.editor()->cursorPosition(), 4);
    form.key(Qt::Key_Right);
    EXPECT_EQ(g().Col(), 1);
}

TEST_F(ArchiveFixture, AbortedKeyDownKeepsTheKeyFromTheEditor) {
    g().setCol(0);
    g().OnKeyDown = [](QObject*, Word& k, platform::TShiftState) {
        if (k == '5' || k == platform::VK_BACK || k == platform::VK_UP)
            platform::Abort();
    };
    form.key(Qt::Key_5);
    form.key(Qt::Key_7);
    EXPECT_EQ(g().Cells(0, 3), "7");
    form.key(Qt::Key_Backspace);
    EXPECT_EQ(g().Cells(0, 3), "7");
    form.key(Qt::Key_Up);
    EXPECT_EQ(g().Row(), 3);
}

TEST_F(ArchiveFixture, AbortedKeyPressDropsTheCharacterAndEnterDoesNothing) {
    g().setRow(1);
    g().setCol(0);
    g().OnKeyPress = [](QObject*, char32_t& k) {
        if (k == 13 || (k >= 'a' && k <= 'z'))
            platform::Abort();
    };
    form.key(Qt::Key_A);
    EXPECT_EQ(g().Cells(0, 1), "0001");
    form.key(Qt::Key_Return);
    EXPECT_EQ(g().Col(), 0);
    EXPECT_EQ(form.editor()->selectedText(), QStringLiteral("0001")) << "selection unchanged";
}

TEST_F(ArchiveFixture, AbortOfTheRightThatEnterSendsStillRunsTheEditorsEnterRule) {
    g().setRow(1);
    g().setCol(0);
    g().OnKeyDown = [](QObject*, Word& k, platform::TShiftState) {
        if (k == platform::VK_RIGHT)
            platform::Abort();
    };
    form.key(Qt::Key_Return);
    EXPECT_EQ(g().Col(), 0);
    EXPECT_FALSE(form.editor()->hasSelectedText()) << "all-selected became caret-at-end";
    EXPECT_EQ(form.editor()->cursorPosition(), 4);
}

TEST_F(ArchiveFixture, ProgrammaticTextReplacesTheEditorWithoutModifying) {
    g().setCells(1, 3, "新名称");
    EXPECT_EQ(form.editor()->text(), QStringLiteral("新名称"));
    EXPECT_EQ(form.editor()->selectedText(), QStringLiteral("新名称"));
    EXPECT_FALSE(g().Modifed());
    form.type("x");
    EXPECT_TRUE(g().Modifed());
    g().setRow(1);
    g().setModifed(false); // the owner clears it after saving the row
    g().setRow(2);
    EXPECT_FALSE(g().Modifed()) << "moving without typing leaves it false";
    form.key(Qt::Key_Escape);
    EXPECT_EQ(g().Cells(1, 2), "分部") << "Escape neither closes nor restores";
    form.type("!");
    form.key(Qt::Key_Escape);
    EXPECT_EQ(g().Cells(1, 2), "!");
}

TEST_F(ArchiveFixture, ReadOnlyColumnShowsButRefusesTheFirstCharacter) {
    g().Columns()[1].setReadOnly(true);
    g().setRow(1);
    EXPECT_EQ(form.editor()->text(), QStringLiteral("总部"));
    form.type("x");
    form.key(Qt::Key_Backspace);
    form.key(Qt::Key_Delete);
    EXPECT_EQ(g().Cells(1, 1), "总部");
    EXPECT_FALSE(g().Modifed());
}

TEST_F(ArchiveFixture, EditColorIsTakenOnlyWhenTheEditorIsCreated) {
    const QColor before = form.editor()->palette().color(QPalette::Base);
    g().setEditColor(0x000000FF);
    EXPECT_EQ(form.editor()->palette().color(QPalette::Base), before);
}

TEST_F(ArchiveFixture, PasteAndBackspaceObeyTheColumnLimit) {
    g().setCol(0);
    QGuiApplication::clipboard()->setText(QStringLiteral("98765"));
    form.key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(g().Cells(0, 3), "9876");
    form.key(Qt::Key_Backspace);
    EXPECT_EQ(g().Cells(0, 3), "987");
    g().setCol(1);
    form.editor()->setCursorPosition(0);
    // A name of 150 GBK bytes: 75 Chinese characters, the 76th does not fit.
    form.type(QString(76, QChar(0x4E2D)));
    EXPECT_EQ(platform::gbkLength(g().Cells(1, 3)), 150u);
}

TEST_F(ArchiveFixture, ImeCommitOnTheGridOpensTheEditorWithoutLosingText) {
    g().setRow(1);
    g().setCol(1);
    g().SetFocus(); // the grid itself, not its editor
    ASSERT_TRUE(g().hasFocus());
    g().setModifed(false);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("分"));
    QCoreApplication::sendEvent(&g(), &commit);
    EXPECT_TRUE(form.editor()->hasFocus());
    EXPECT_EQ(g().Cells(1, 1), "分") << "the editor was all selected, so the text is replaced";
    EXPECT_TRUE(g().Modifed());
    g().SetFocus();
    QTest::keyClick(&g(), Qt::Key_3);
    EXPECT_EQ(g().Cells(1, 1), "分3");
    // A composition that starts on the grid moves into the editor and commits there.
    g().SetFocus();
    QInputMethodEvent compose(QStringLiteral("gong"), {});
    QCoreApplication::sendEvent(&g(), &compose);
    EXPECT_TRUE(form.editor()->hasFocus());
    EXPECT_EQ(g().Cells(1, 1), "分3") << "a composition is not text yet";
    QInputMethodEvent done;
    done.setCommitString(QStringLiteral("公"));
    QCoreApplication::sendEvent(form.editor(), &done);
    EXPECT_EQ(g().Cells(1, 1), "分3公");
}

TEST_F(ArchiveFixture, MouseClickMovesAndAnAbortedSelectShowsTheEditorOnRelease) {
    int clicks = 0;
    g().OnClick = [&](QObject*) { ++clicks; };
    form.click(0, 1);
    EXPECT_EQ((std::pair{g().Col(), g().Row()}), (std::pair{0, 1}));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(form.editor()->isVisible());
    form.type("9");
    g().OnSelectCell = [](QObject*, int, int, bool&) { platform::Abort(); };
    QTest::mousePress(g().viewport(), Qt::LeftButton, Qt::NoModifier, form.cellCenter(1, 2));
    EXPECT_FALSE(form.editor()->isVisible()) << "committed and hidden before the move";
    EXPECT_EQ(g().Cells(0, 1), "9");
    QTest::mouseRelease(g().viewport(), Qt::LeftButton, Qt::NoModifier, form.cellCenter(1, 2));
    EXPECT_TRUE(form.editor()->isVisible());
    EXPECT_EQ((std::pair{g().Col(), g().Row()}), (std::pair{0, 1}));
    EXPECT_EQ(clicks, 1);
}

TEST_F(ArchiveFixture, TitleBoundaryDragResizesButNotBelowTwoPixels) {
    QWidget* vp = g().viewport();
    const int y = 8;
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, QPoint(137, y));
    EXPECT_EQ(g().MouseMode(), TGridMouseMode::SizingColumn);
    QTest::mouseMove(vp, QPoint(157, y));
    // The sizing line follows the pointer, drawn in XOR.
    platform::TMetafile paint(g().clientWidth(), g().clientHeight());
    {
        platform::TMetafileCanvas canvas(paint);
        g().draw(canvas, g().viewState());
    }
    const auto lines = paint.recordsOf(platform::TMetaRecordKind::Line);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back()->Pen.Mode, platform::pmXor);
    EXPECT_EQ(lines.back()->Points[0].x(), 157);
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, QPoint(157, y));
    EXPECT_EQ(g().ColWidths(0), 157);
    EXPECT_EQ(g().MouseMode(), TGridMouseMode::Idle);
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, QPoint(157, y));
    QTest::mouseMove(vp, QPoint(1, y));
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, QPoint(1, y));
    EXPECT_EQ(g().ColWidths(0), 157) << "a width of 1 pixel or less is refused";
}

TEST_F(ArchiveFixture, WheelMovesTheRowWithinTheDataRows) {
    g().setRow(1);
    QWheelEvent down(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(g().viewport(), &down);
    EXPECT_EQ(g().Row(), 2);
    QWheelEvent up(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(g().viewport(), &up);
    QCoreApplication::sendEvent(g().viewport(), &up);
    EXPECT_EQ(g().Row(), 1) << "never onto the title row";
}

TEST_F(ArchiveFixture, LeavingTheGridKeepsTheAlwaysShownEditor) {
    int exits = 0;
    g().OnExit = [&](QObject*) { ++exits; };
    auto* other = new QLineEdit(form.window.get());
    other->move(0, 430);
    other->show();
    form.type("z");
    other->setFocus();
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(form.editor()->isVisible());
    EXPECT_EQ(g().Cells(1, 3), "z");
}

// A grid without goAlwaysShowEditor: Enter and F2 open and close the editor.
TEST(GridEditing, EnterTogglesTheEditorWithoutAlwaysShow) {
    Form form(false);
    TAdvStringGrid& g = *form.grid;
    g.setOptions(g.Options().with(goEditing));
    g.setCells(1, 1, "abc");
    form.show();
    EXPECT_EQ(form.editor(), nullptr);
    form.key(Qt::Key_Return);
    ASSERT_NE(form.editor(), nullptr);
    EXPECT_TRUE(form.editor()->isVisible());
    form.type("d");
    EXPECT_EQ(g.Cells(1, 1), "d");
    form.key(Qt::Key_Return);
    EXPECT_FALSE(form.editor()->isVisible());
    EXPECT_FALSE(g.EditorActive());
    form.key(Qt::Key_F2);
    EXPECT_TRUE(form.editor()->isVisible());
    EXPECT_EQ(form.editor()->cursorPosition(), 1);
    EXPECT_FALSE(form.editor()->hasSelectedText());
    form.key(Qt::Key_Down); // moving closes the editor again
    EXPECT_EQ(g.Row(), 2);
    EXPECT_FALSE(form.editor()->isVisible());
    // A typed character opens the editor and lands in it.
    form.key(Qt::Key_Q);
    EXPECT_EQ(g.Cells(1, 2), "q");
}

TEST(GridEditing, HiddenColumnBounceArrivesAsItsOwnMessage) {
    Form form(false);
    TAdvStringGrid& g = *form.grid;
    g.setColCount(3);
    g.setFixedCols(0);
    for (int i = 0; i < 3; ++i)
        g.Columns().Add();
    form.show();
    g.setCol(1);
    g.Columns()[0].setVisible(false);
    std::vector<Word> keys;
    g.OnKeyDown = [&](QObject*, Word& k, platform::TShiftState) {
        keys.push_back(k);
        if (keys.size() == 2)
            platform::Abort(); // ends the bounce message only
    };
    form.key(Qt::Key_Left);
    EXPECT_EQ(keys, (std::vector<Word>{platform::VK_LEFT, platform::VK_RIGHT}));
    EXPECT_EQ(g.Col(), 0) << "the aborted bounce left the cell on the hidden column";
    keys.clear();
    g.OnKeyDown = [&](QObject*, Word& k, platform::TShiftState) { keys.push_back(k); };
    g.setCol(1);
    form.key(Qt::Key_Left);
    EXPECT_EQ(g.Col(), 1);
}

TEST_F(ArchiveFixture, ScrollBarFollowsTheRowsAndItsCommandsScroll) {
    EXPECT_EQ(g().verticalScrollBar()->maximum(), 0) << "nothing to scroll";
    g().setRowCount(100);
    EXPECT_EQ(g().verticalScrollBar()->maximum(), 127);
    g().verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(g().TopRow(), 2);
    g().verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(g().TopRow(), g().MaxFirstVisible().Y);
    EXPECT_EQ(g().verticalScrollBar()->value(), 127);
    // The editor stays over its cell, which has scrolled out of view.
    g().setRow(1);
    EXPECT_EQ(g().TopRow(), 1);
    EXPECT_EQ(g().verticalScrollBar()->value(), 0);
    EXPECT_EQ(form.editor()->geometry(), g().CellBounds(1, 1).toQRect());
}

TEST_F(ArchiveFixture, DestroyingTheFormWithAFocusedEditorCallsNoHandler) {
    int calls = 0;
    g().OnExit = [&](QObject*) { ++calls; };
    g().OnSetEditText = [&](QObject*, int, int, const std::string&) { ++calls; };
    g().OnSelectCell = [&](QObject*, int, int, bool&) { ++calls; };
    ASSERT_TRUE(form.editor()->hasFocus());
    form.window.reset();
    EXPECT_EQ(calls, 0);
}

TEST(GridMouse, DragSelectsARangeAndTheTimerExtendsItPastTheEdge) {
    Form form(false, 300, 160);
    TAdvStringGrid& g = *form.grid;
    g.setRowCount(20);
    form.show();
    int clicks = 0;
    g.OnClick = [&](QObject*) { ++clicks; };
    QWidget* vp = g.viewport();
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, form.cellCenter(1, 1));
    EXPECT_EQ(g.MouseMode(), TGridMouseMode::Selecting);
    QTest::mouseMove(vp, form.cellCenter(2, 3));
    EXPECT_EQ(g.Selection(), (TGridRect{1, 1, 2, 3}));
    const int lastRow = g.CalcDrawInfo().Vert.LastFullVisibleCell;
    QTest::mouseMove(vp, QPoint(form.cellCenter(2, 3).x(), vp->height() + 10));
    EXPECT_TRUE(testsupport::waitUntil([&] { return g.Selection().Bottom > lastRow; }, 2000))
        << "the 60 ms timer moves the anchor below the view";
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, form.cellCenter(2, 3));
    EXPECT_EQ(g.MouseMode(), TGridMouseMode::Idle);
    EXPECT_EQ(g.Selection(), (TGridRect{1, 1, 2, 3}));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ((std::pair{g.Col(), g.Row()}), (std::pair{1, 1})) << "the anchor moved, not the cell";
}

TEST(GridMouse, DraggingATitleCellMovesTheColumnWithItsTexts) {
    Form form(false, 400, 160);
    TAdvStringGrid& g = *form.grid;
    g.setOptions(g.Options().with(goColMoving));
    g.setCells(1, 1, "one");
    g.setCells(3, 1, "three");
    form.show();
    std::vector<std::pair<int, int>> moved;
    g.OnColumnMoved = [&](QObject*, int f, int t) { moved.emplace_back(f, t); };
    QWidget* vp = g.viewport();
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, form.cellCenter(1, 0));
    EXPECT_EQ(g.MouseMode(), TGridMouseMode::MovingColumn);
    QTest::mouseMove(vp, form.cellCenter(3, 0));
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, form.cellCenter(3, 0));
    EXPECT_EQ(moved, (std::vector<std::pair<int, int>>{{1, 3}}));
    EXPECT_EQ(g.Cells(3, 1), "one");
    EXPECT_EQ(g.Cells(2, 1), "three");
}

TEST(GridKeys, TabMovesBetweenCellsOnlyWithGoTabs) {
    Form form(false, 400, 160);
    TAdvStringGrid& g = *form.grid;
    auto* next = new QLineEdit(form.window.get());
    next->move(0, 170);
    form.show();
    next->show();
    g.SetFocus();
    QTest::keyClick(&g, Qt::Key_Tab);
    EXPECT_TRUE(next->hasFocus()) << "without goTabs Tab leaves the grid";
    g.setOptions(g.Options().with(goTabs).with(goEditing).with(goAlwaysShowEditor));
    g.SetFocus();
    ASSERT_TRUE(form.editor() && form.editor()->hasFocus());
    QTest::keyClick(form.editor(), Qt::Key_Tab);
    EXPECT_EQ(g.Col(), 2);
    QTest::keyClick(form.editor(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(g.Col(), 1);
    EXPECT_TRUE(form.editor()->hasFocus());
}

TEST(GridEditing, AlwaysShowOptionOpensAndClosesAnInactiveEditor) {
    Form form(false);
    TAdvStringGrid& g = *form.grid;
    g.setOptions(g.Options().with(goEditing));
    form.show();
    g.setOptions(g.Options().with(goAlwaysShowEditor));
    EXPECT_TRUE(g.EditorActive());
    ASSERT_NE(form.editor(), nullptr);
    EXPECT_TRUE(form.editor()->isVisible());
    g.setEditorActive(false);
    EXPECT_FALSE(form.editor()->isVisible());
    g.setOptions(g.Options().with(goRowSelect));
    EXPECT_FALSE(g.Options().contains(goAlwaysShowEditor)) << "row select drops it";
    EXPECT_EQ(g.Anchor().X, g.ColCount() - 1);
    // Changing a row height moves the editor with its cell.
    g.setOptions(g.Options().without(goRowSelect).with(goAlwaysShowEditor));
    g.setRowHeights(0, 40);
    EXPECT_EQ(form.editor()->geometry(), g.CellBounds(g.Col(), g.Row()).toQRect());
}

TEST_F(ArchiveFixture, FailingStoreIsReportedAndTheEditorStillHidesOnLeaving) {
    platform::ScriptedMessageBoxes boxes;
    g().OnSetEditText = [](QObject*, int, int, const std::string&) {
        throw std::runtime_error("写入失败");
    };
    form.type("a");
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "写入失败");
    EXPECT_EQ(g().Cells(1, 3), "a") << "the cell was stored before the event";
    form.key(Qt::Key_Up);
    EXPECT_EQ(boxes.count(), 2u) << "the commit on leaving fails once more";
    EXPECT_EQ(g().Row(), 2) << "the move itself was done";
    EXPECT_EQ(g().EditorCol(), -1);
    EXPECT_FALSE(form.editor()->isVisible());
    g().OnSetEditText = nullptr;
    form.click(0, 2);
    EXPECT_TRUE(form.editor()->isVisible());
    EXPECT_EQ(g().EditorCol(), 0);
    EXPECT_EQ(g().EditorRow(), 2);
}

TEST(GridWidgetInvariants, HoldUnderRandomKeysClicksAndRowOperations) {
    for (unsigned seed : {5u, 6u, 7u, 8u, 9u, 10u}) {
        Form form;
        TAdvStringGrid& g = *form.grid;
        g.setRowCount(6);
        form.show();
        std::mt19937 rng(seed);
        bool aborting = false;
        g.OnSelectCell = [&](QObject*, int, int, bool&) {
            if (aborting)
                platform::Abort();
            // Like the archive window: a blank last row is removed when it is left.
            if (g.Row() == g.RowCount() - 1 && g.Row() > 1 && g.Cells(0, g.Row()).empty() &&
                g.Cells(1, g.Row()).empty() && rng() % 2 == 0)
                g.DeleteRow(g.Row());
        };
        const Qt::Key keys[] = {Qt::Key_Up,     Qt::Key_Down,      Qt::Key_Left,     Qt::Key_Right,
                                Qt::Key_Home,   Qt::Key_End,       Qt::Key_PageDown, Qt::Key_PageUp,
                                Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete,   Qt::Key_F2};
        for (int step = 0; step < 600; ++step) {
            aborting = rng() % 5 == 0;
            switch (rng() % 8) {
            case 0:
                form.type(QString(QChar(u'0' + static_cast<char16_t>(rng() % 10))));
                break;
            case 1:
                form.type(QStringLiteral("名"));
                break;
            case 2:
                form.click(static_cast<int>(rng() % 2),
                           1 + static_cast<int>(rng() % (g.RowCount() - 1)));
                break;
            case 3:
                platform::guarded(&g, [&] {
                    switch (rng() % 3) {
                    case 0:
                        g.AppendRow();
                        break;
                    case 1:
                        g.InsertRow(1 + static_cast<int>(rng() % (g.RowCount() - 1)));
                        break;
                    default:
                        g.DeleteRow(g.Row());
                        break;
                    }
                });
                break;
            default:
                form.key(keys[rng() % std::size(keys)]);
                break;
            }
            std::string why;
            ASSERT_TRUE(g.checkConsistency(&why))
                << "seed " << seed << " step " << step << ": " << why;
            ASSERT_TRUE(g.hasFocus() || (form.editor() && form.editor()->hasFocus()))
                << "seed " << seed << " step " << step << ": the focus left the grid";
            if (form.editor() && form.editor()->isVisible() && g.EditorCol() >= 0) {
                ASSERT_EQ(g.EditorCol(), g.Col()) << "seed " << seed << " step " << step;
                ASSERT_EQ(g.EditorRow(), g.Row()) << "seed " << seed << " step " << step;
                ASSERT_EQ(form.editor()->text().toStdString(), g.Cells(g.Col(), g.Row()))
                    << "seed " << seed << " step " << step
                    << ": the editor shows what the cell holds";
            }
        }
    }
}

TEST_F(ArchiveFixture, DoubleClickWheelHandlerAndTopLeftEvents) {
    int dbl = 0, topLeft = 0;
    g().OnDblClick = [&](QObject*) { ++dbl; };
    g().OnTopLeftChanged = [&](QObject*) { ++topLeft; };
    QTest::mouseDClick(g().viewport(), Qt::LeftButton, Qt::NoModifier, form.cellCenter(0, 1));
    EXPECT_GE(dbl, 1);
    // A wheel handler that handles the wheel keeps the row.
    g().OnMouseWheelDown = [](QObject*, platform::TShiftState, int, int, bool& handled) {
        handled = true;
    };
    const int row = g().Row();
    QWheelEvent down(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(g().viewport(), &down);
    EXPECT_EQ(g().Row(), row);
    g().setRowCount(60);
    g().setRow(50);
    EXPECT_EQ(topLeft, 1) << "scrolling the current row into view";
    EXPECT_EQ(g().CalcDrawInfo().Vert.LastFullVisibleCell, 50);
}

TEST_F(ArchiveFixture, UndoCutAndDeleteAreStoredLikeTyping) {
    g().setRow(1);
    form.key(Qt::Key_F2); // caret to the end, nothing selected
    form.type("x");
    EXPECT_EQ(g().Cells(1, 1), "总部x");
    form.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(g().Cells(1, 1), form.editor()->text().toStdString());
    EXPECT_EQ(g().Cells(1, 1), "总部");
    form.editor()->setCursorPosition(0);
    form.key(Qt::Key_Delete);
    EXPECT_EQ(g().Cells(1, 1), "部");
    form.editor()->selectAll();
    form.key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(g().Cells(1, 1), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("部"));
}

TEST(GridMouse, RowBoundaryAndRowDragInTheFixedColumn) {
    Form form(false, 400, 200);
    TAdvStringGrid& g = *form.grid;
    g.setOptions(g.Options().with(goRowSizing).with(goRowMoving));
    g.setCells(1, 1, "first");
    form.show();
    QWidget* vp = g.viewport();
    const int boundary = g.CellBounds(0, 1).Bottom; // 49
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, QPoint(20, boundary + 1));
    EXPECT_EQ(g.MouseMode(), TGridMouseMode::SizingRow);
    QTest::mouseMove(vp, QPoint(20, boundary + 11));
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, QPoint(20, boundary + 11));
    EXPECT_EQ(g.RowHeights(1), 34);
    std::vector<std::pair<int, int>> moved;
    g.OnRowMoved = [&](QObject*, int f, int t) { moved.emplace_back(f, t); };
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, form.cellCenter(0, 1));
    EXPECT_EQ(g.MouseMode(), TGridMouseMode::MovingRow);
    QTest::mouseMove(vp, form.cellCenter(0, 3));
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, form.cellCenter(0, 3));
    EXPECT_EQ(moved, (std::vector<std::pair<int, int>>{{1, 3}}));
    EXPECT_EQ(g.Cells(1, 3), "first");
    EXPECT_EQ(g.RowHeights(3), 34) << "the height travels with the row";
}

TEST_F(ArchiveFixture, FailingGetEditTextLeavesTheNewCellLoadedEmpty) {
    platform::ScriptedMessageBoxes boxes;
    int clicks = 0;
    g().OnClick = [&](QObject*) { ++clicks; };
    g().OnGetEditText = [](QObject*, int, int row, std::string& value) {
        if (row == 1)
            throw std::runtime_error("读取失败");
        value += "!";
    };
    form.key(Qt::Key_Up);
    EXPECT_EQ(g().Row(), 2);
    EXPECT_EQ(form.editor()->text(), QStringLiteral("分部!"))
        << "the cell text passed through the event";
    form.key(Qt::Key_Up);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "读取失败");
    EXPECT_EQ(g().Row(), 1);
    EXPECT_EQ(g().EditorRow(), 1);
    EXPECT_EQ(form.editor()->text(), QString()) << "what was loaded so far";
    EXPECT_EQ(clicks, 1) << "the failed SyncEditor skipped OnClick of the second move";
}

} // namespace
} // namespace grid
