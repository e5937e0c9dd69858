#include "grid/TAdvStringGridAccessible.h"

#include "grid/TAdvStringGrid.h"
#include "grid/TInplaceEdit.h"
#include "platform/Gbk.h"

#include <QAccessible>

namespace grid {
namespace {

QString qs(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// One cell: a data cell (row >= 0, counted below the fixed rows) or the header cell of its
// column (row -1). It holds only its position and reads the grid whenever it is asked.
class GridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    GridCellAccessible(TAdvStringGrid* grid, int row, int column)
        : grid_(grid)
        , row_(row)
        , column_(column) {}

    bool isValid() const override {
        return grid_ && column_ < grid_->ColCount() &&
               (row_ < 0 || row_ + grid_->FixedRows() < grid_->RowCount());
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return tableInterface()->window(); }
    QAccessibleInterface* parent() const override { return tableInterface(); }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return editor() ? 1 : 0; }
    QAccessibleInterface* child(int index) const override {
        TInplaceEdit* e = index == 0 ? editor() : nullptr;
        return e ? QAccessible::queryAccessibleInterface(e) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        TInplaceEdit* e = editor();
        return e && child && child->object() == e ? 0 : -1;
    }

    QString text(QAccessible::Text t) const override {
        if (!isValid())
            return {};
        if (row_ < 0)
            return t == QAccessible::Name ? headerText() : QString();
        if (t == QAccessible::Name)
            return qs(grid_->Cells(column_, gridRow()));
        if (t == QAccessible::Value) {
            if (TInplaceEdit* e = editor())
                return e->text();
            return qs(grid_->Cells(column_, gridRow()));
        }
        if (t == QAccessible::Description)
            return qs(grid_->RowHint(gridRow()));
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid())
            return {};
        const TRect r = grid_->CellBounds(column_, row_ < 0 ? 0 : gridRow());
        if (r.isEmpty())
            return {};
        const QRect local = r.toQRect();
        return QRect(grid_->viewport()->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override {
        return row_ < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        if (rect().isEmpty())
            s.invisible = true;
        if (row_ >= 0) {
            s.selectable = true;
            s.focusable = true;
            s.selected = isSelected();
            s.focused = isCurrent() && (grid_->hasFocus() || editorHasFocus());
            s.editable = grid_->Options().contains(goEditing);
            s.readOnly = !s.editable || (column_ < grid_->Columns().Count() &&
                                         grid_->Columns()[column_].ReadOnly());
        }
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    // QAccessibleTableCellInterface
    bool isSelected() const override {
        return row_ >= 0 && isValid() && grid_->Selection().contains(column_, gridRow());
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        if (row_ < 0 || !isValid())
            return {};
        return {tableInterface()->headerCell(column_)};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return tableInterface(); }

private:
    TAdvStringGridAccessible* tableInterface() const {
        return grid_ ? static_cast<TAdvStringGridAccessible*>(
                           QAccessible::queryAccessibleInterface(grid_.data()))
                     : nullptr;
    }
    int gridRow() const { return row_ + grid_->FixedRows(); }
    bool isCurrent() const { return grid_->Col() == column_ && grid_->Row() == gridRow(); }
    bool editorHasFocus() const {
        return grid_->InplaceEditor() && grid_->InplaceEditor()->hasFocus();
    }
    // The in-place editor while it shows on this cell.
    TInplaceEdit* editor() const {
        if (row_ < 0 || !isValid() || !isCurrent())
            return nullptr;
        TInplaceEdit* e = grid_->InplaceEditor();
        return e && e->isVisible() ? e : nullptr;
    }
    QString headerText() const {
        if (column_ >= grid_->Columns().Count())
            return {};
        return qs(platform::trimBlanks(grid_->Columns()[column_].Title().Caption));
    }

    QPointer<TAdvStringGrid> grid_;
    int row_;
    int column_;
};

QAccessibleInterface* gridFactory(const QString& className, QObject* object) {
    if (className != QLatin1String(TAdvStringGrid::staticMetaObject.className()))
        return nullptr;
    // Another copy of the grid module (a plug-in's) has a class of the same name: only
    // objects of this copy's class are ours to describe.
    auto* grid = qobject_cast<TAdvStringGrid*>(object);
    return grid ? new TAdvStringGridAccessible(grid) : nullptr;
}

struct FactoryRegistration {
    FactoryRegistration() { QAccessible::installFactory(&gridFactory); }
    ~FactoryRegistration() { QAccessible::removeFactory(&gridFactory); }
    FactoryRegistration(const FactoryRegistration&) = delete;
    FactoryRegistration& operator=(const FactoryRegistration&) = delete;
};

} // namespace

void installGridAccessibility() {
    // Constructed after Qt's factory list exists, so it is destroyed (module unload or
    // process exit) while that list still does.
    static const FactoryRegistration registration;
}

void notifyCurrentCell(TAdvStringGrid& grid) {
    if (!QAccessible::isActive())
        return;
    const bool editorFocus = grid.InplaceEditor() && grid.InplaceEditor()->hasFocus();
    if (!grid.hasFocus() && !editorFocus)
        return;
    auto* table =
        static_cast<TAdvStringGridAccessible*>(QAccessible::queryAccessibleInterface(&grid));
    if (!table)
        return;
    if (QAccessibleInterface* cell = table->currentCell()) {
        QAccessibleEvent event(cell, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

TAdvStringGridAccessible::TAdvStringGridAccessible(TAdvStringGrid* grid)
    : QAccessibleWidget(grid, QAccessible::Table) {}

TAdvStringGridAccessible::~TAdvStringGridAccessible() {
    for (const auto& [key, id] : cells_)
        QAccessible::deleteAccessibleInterface(id);
}

TAdvStringGrid* TAdvStringGridAccessible::grid() const {
    return static_cast<TAdvStringGrid*>(widget());
}

QAccessibleInterface* TAdvStringGridAccessible::cell(int row, int column) const {
    const auto key = std::pair{row, column};
    if (auto it = cells_.find(key); it != cells_.end())
        if (QAccessibleInterface* known = QAccessible::accessibleInterface(it->second))
            return known;
    auto* created = new GridCellAccessible(grid(), row, column);
    cells_[key] = QAccessible::registerAccessibleInterface(created);
    return created;
}

int TAdvStringGridAccessible::columnCount() const {
    return grid()->ColCount();
}

int TAdvStringGridAccessible::rowCount() const {
    return grid()->RowCount() - grid()->FixedRows();
}

int TAdvStringGridAccessible::childCount() const {
    return columnCount() * (rowCount() + 1);
}

QAccessibleInterface* TAdvStringGridAccessible::child(int index) const {
    const int columns = columnCount();
    if (index < 0 || index >= childCount())
        return nullptr;
    if (index < columns)
        return headerCell(index);
    index -= columns;
    return cell(index / columns, index % columns);
}

int TAdvStringGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const QAccessibleTableCellInterface* c =
        child ? const_cast<QAccessibleInterface*>(child)->tableCellInterface() : nullptr;
    if (!c || c->table() != this)
        return -1;
    return (c->rowIndex() + 1) * columnCount() + c->columnIndex();
}

QAccessibleInterface* TAdvStringGridAccessible::childAt(int x, int y) const {
    const QPoint local = grid()->viewport()->mapFromGlobal(QPoint(x, y));
    const TGridCoord at = grid()->MouseCoord(local.x(), local.y());
    if (at.X < 0 || at.Y < 0)
        return nullptr;
    if (at.Y < grid()->FixedRows())
        return headerCell(at.X);
    return cellAt(at.Y - grid()->FixedRows(), at.X);
}

QAccessibleInterface* TAdvStringGridAccessible::focusChild() const {
    TAdvStringGrid* g = grid();
    const bool editorFocus = g->InplaceEditor() && g->InplaceEditor()->hasFocus();
    return g->hasFocus() || editorFocus ? currentCell() : nullptr;
}

QAccessibleInterface* TAdvStringGridAccessible::currentCell() const {
    const int row = grid()->Row() - grid()->FixedRows();
    return row >= 0 ? cellAt(row, grid()->Col()) : headerCell(grid()->Col());
}

void* TAdvStringGridAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface* TAdvStringGridAccessible::cellAt(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return nullptr;
    return cell(row, column);
}

QAccessibleInterface* TAdvStringGridAccessible::headerCell(int column) const {
    if (column < 0 || column >= columnCount())
        return nullptr;
    return cell(-1, column);
}

int TAdvStringGridAccessible::selectedCellCount() const {
    return static_cast<int>(selectedCells().size());
}

QList<QAccessibleInterface*> TAdvStringGridAccessible::selectedCells() const {
    QList<QAccessibleInterface*> out;
    const TGridRect s = grid()->Selection();
    const int fixed = grid()->FixedRows();
    for (int r = std::max(s.Top, fixed); r <= s.Bottom; ++r)
        for (int c = s.Left; c <= s.Right; ++c)
            if (QAccessibleInterface* i = cellAt(r - fixed, c))
                out.append(i);
    return out;
}

QString TAdvStringGridAccessible::columnDescription(int column) const {
    QAccessibleInterface* header = headerCell(column);
    return header ? header->text(QAccessible::Name) : QString();
}

} // namespace grid
