#pragma once

// The grid as Qt's accessibility framework sees it: a table (QAccessibleTableInterface)
// whose rows are the grid's data rows (below the fixed rows) and whose column headers are
// the column captions of the title row. The current cell is the table's focus child while
// the grid or its editor has the focus; the in-place editor is the child of the cell it
// edits, and that cell's value is the editor's text. Screen readers and outside test tools
// read the grid this way, without knowing our classes.
//
// Children, in order: one header cell per column, then the data cells row by row.

#include <QAccessibleWidget>
#include <QPointer>

#include <map>
#include <utility>

namespace grid {

class TAdvStringGrid;

// Registers the factory that gives every TAdvStringGrid of this module its accessible
// table (once; the grid's constructor calls it). The factory goes again when the module is
// unloaded.
void installGridAccessibility();

// Tells assistive tools that the current cell of `grid` moved (only while accessibility
// is active and the grid holds the focus).
void notifyCurrentCell(TAdvStringGrid& grid);

class TAdvStringGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit TAdvStringGridAccessible(TAdvStringGrid* grid);
    ~TAdvStringGridAccessible() override;

    // QAccessibleInterface
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    QAccessible::Role role() const override { return QAccessible::Table; }
    void* interface_cast(QAccessible::InterfaceType type) override;

    // QAccessibleTableInterface
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

    // The header cell of `column` (row -1 in the cache).
    QAccessibleInterface* headerCell(int column) const;
    // The current cell, whatever holds the focus.
    QAccessibleInterface* currentCell() const;
    TAdvStringGrid* grid() const;

private:
    // Cell interfaces by (table row, column); created on first use, owned by Qt's cache and
    // released with the table.
    QAccessibleInterface* cell(int row, int column) const;
    mutable std::map<std::pair<int, int>, QAccessible::Id> cells_;
};

} // namespace grid
