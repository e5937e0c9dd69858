// The grid read the way a screen reader or an outside test tool reads it: through Qt's
// accessibility interfaces, without our classes.

#include "GridTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

namespace grid {
namespace {

using gridtest::Form;

struct AccessibleGrid : ::testing::Test {
    Form form;
    QAccessibleInterface* table = nullptr;
    QAccessibleTableInterface* cells = nullptr;

    void SetUp() override {
        form.grid->setRowCount(4);
        form.grid->setCells(0, 1, "0001");
        form.grid->setCells(1, 1, "总部");
        form.grid->setCells(0, 2, "0002");
        form.grid->setCells(1, 2, "分部");
        form.show();
        table = QAccessible::queryAccessibleInterface(form.grid);
        ASSERT_NE(table, nullptr);
        cells = table->tableInterface();
        ASSERT_NE(cells, nullptr);
    }
    QString text(int row, int col) const {
        return cells->cellAt(row, col)->text(QAccessible::Name);
    }
};

TEST_F(AccessibleGrid, TableOfDataRowsWithTheCaptionsAsColumnHeaders) {
    EXPECT_EQ(table->role(), QAccessible::Table);
    EXPECT_EQ(cells->rowCount(), 3) << "the title row is the header, not a row";
    EXPECT_EQ(cells->columnCount(), 2);
    EXPECT_EQ(cells->columnDescription(0), "核算单位编码");
    EXPECT_EQ(text(0, 0), "0001");
    EXPECT_EQ(text(1, 1), "分部");
    EXPECT_EQ(text(2, 0), "");
    EXPECT_EQ(cells->cellAt(3, 0), nullptr);

    // Children: the header cells, then the cells row by row; each knows its place.
    EXPECT_EQ(table->childCount(), 8);
    QAccessibleInterface* header = table->child(1);
    EXPECT_EQ(header->role(), QAccessible::ColumnHeader);
    EXPECT_EQ(header->text(QAccessible::Name), "核算单位名称");
    QAccessibleInterface* cell = table->child(5);
    EXPECT_EQ(cell->role(), QAccessible::Cell);
    EXPECT_EQ(cell, cells->cellAt(1, 1)) << "one interface per cell";
    EXPECT_EQ(table->indexOfChild(cell), 5);
    QAccessibleTableCellInterface* place = cell->tableCellInterface();
    ASSERT_NE(place, nullptr);
    EXPECT_EQ(place->rowIndex(), 1);
    EXPECT_EQ(place->columnIndex(), 1);
    EXPECT_EQ(place->columnHeaderCells(), QList<QAccessibleInterface*>{header});
    EXPECT_EQ(cell->parent(), table);

    // Where a cell shows on screen, and what lies under a point.
    const TRect bounds = form.grid->CellBounds(1, 2);
    const QPoint topLeft = form.grid->viewport()->mapToGlobal(QPoint(bounds.Left, bounds.Top));
    EXPECT_EQ(cell->rect(), QRect(topLeft, QSize(bounds.width(), bounds.height())));
    EXPECT_EQ(table->childAt(topLeft.x() + 3, topLeft.y() + 3), cell);
}

TEST_F(AccessibleGrid, RowHintIsTheDescriptionOfTheRowsCells) {
    form.grid->setRowHint(2, "未保存");
    EXPECT_EQ(cells->cellAt(1, 0)->text(QAccessible::Description), "未保存");
    EXPECT_EQ(cells->cellAt(1, 1)->text(QAccessible::Description), "未保存");
    EXPECT_EQ(cells->cellAt(0, 0)->text(QAccessible::Description), "");
    form.grid->setRowHint(2, "");
    EXPECT_EQ(cells->cellAt(1, 0)->text(QAccessible::Description), "");
}

TEST_F(AccessibleGrid, CurrentCellIsTheFocusChildAndCarriesTheEditorsText) {
    form.grid->setRow(2);
    form.grid->setCol(1);
    QAccessibleInterface* current = table->focusChild();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current, cells->cellAt(1, 1));
    EXPECT_TRUE(current->state().focused);
    EXPECT_TRUE(current->state().selected);
    EXPECT_FALSE(cells->cellAt(0, 1)->state().focused);
    EXPECT_EQ(cells->selectedCells(), QList<QAccessibleInterface*>{current});

    // The editor shows on the current cell: it is the cell's child, its text the value.
    form.type("东");
    ASSERT_EQ(current->childCount(), 1);
    QAccessibleInterface* editor = current->child(0);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->role(), QAccessible::EditableText);
    EXPECT_EQ(editor->text(QAccessible::Value), "东");
    EXPECT_EQ(current->text(QAccessible::Value), "东");
    EXPECT_EQ(current->text(QAccessible::Name), "东") << "every keystroke is in the cell";
    EXPECT_EQ(cells->cellAt(0, 1)->childCount(), 0);

    // Without the focus there is no focus child.
    QWidget other(form.window.get());
    other.setFocusPolicy(Qt::StrongFocus);
    other.show();
    other.setFocus();
    testsupport::processEvents();
    EXPECT_EQ(table->focusChild(), nullptr);
}

TEST_F(AccessibleGrid, CellsOfRemovedRowsBecomeInvalidAndHeadersFollowCaptions) {
    QAccessibleInterface* last = cells->cellAt(2, 0);
    ASSERT_TRUE(last->isValid());
    form.grid->setRowCount(3);
    EXPECT_FALSE(last->isValid());
    EXPECT_TRUE(last->state().invalid);
    EXPECT_EQ(last->text(QAccessible::Name), "");
    EXPECT_EQ(cells->rowCount(), 2);
    form.grid->Columns()[1].setTitleCaption("  单位名称 ");
    EXPECT_EQ(cells->columnDescription(1), "单位名称");
    form.grid->Columns()[1].setReadOnly(true);
    EXPECT_TRUE(cells->cellAt(0, 1)->state().readOnly);
    EXPECT_FALSE(cells->cellAt(0, 0)->state().readOnly);
}

} // namespace
} // namespace grid
