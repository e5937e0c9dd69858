// Counts, the resize step, and the row and column operations of GridControl.

#include "grid/GridControl.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace grid {
namespace {

constexpr int kMaxExtentCount = 134217725;

// Index `i` after the item at `from` moved to `to` (the ones between shift toward `from`).
int shifted(int i, int from, int to) {
    if (i == from)
        return to;
    if (from < to && i > from && i <= to)
        return i - 1;
    if (from > to && i >= to && i < from)
        return i + 1;
    return i;
}

} // namespace

void GridControl::setRowCount(int value) {
    if (value == rowCount_)
        return;
    value = std::max(value, 1);
    if (value <= fixedRows_)
        setFixedRows(value - 1);
    ChangeGridSize(colCount_, value);
}

void GridControl::setColCount(int value) {
    if (columns_->Count() > 0 && value != columns_->Count())
        return;
    if (value == colCount_)
        return;
    value = std::max(value, 1);
    if (value <= fixedCols_)
        setFixedCols(value - 1);
    ChangeGridSize(value, rowCount_);
    if (options_.contains(goRowSelect))
        anchor_.X = colCount_ - 1;
    invalidateGrid();
}

void GridControl::ChangeGridSize(int newColCount, int newRowCount) {
    if (newColCount < 0 || newRowCount < 0)
        invalidOp(msg::TooManyDeleted);
    if (newColCount > kMaxExtentCount || newRowCount > kMaxExtentCount)
        invalidOp(msg::GridTooLarge);
    const int oldCols = colCount_;
    const int oldRows = rowCount_;
    colCount_ = newColCount;
    rowCount_ = newRowCount;
    rowHints_.erase(rowHints_.lower_bound(newRowCount), rowHints_.end());
    if (fixedCols_ >= colCount_)
        fixedCols_ = std::max(0, colCount_ - 1);
    if (fixedRows_ >= rowCount_)
        fixedRows_ = std::max(0, rowCount_ - 1);
    try {
        applyGridSize(newColCount, newRowCount);
    } catch (...) {
        colCount_ = oldCols;
        rowCount_ = oldRows;
        try {
            applyGridSize(oldCols, oldRows);
        } catch (...) {
            // The undo itself was refused; the counts are back all the same.
        }
        invalidateGrid();
        throw;
    }
}

void GridControl::applyGridSize(int newCols, int newRows) {
    colWidths_.resize(newCols);
    rowHeights_.resize(newRows);
    // The view never starts past the last cell.
    topLeft_.X = std::clamp(topLeft_.X, fixedCols_, std::max(fixedCols_, colCount_ - 1));
    topLeft_.Y = std::clamp(topLeft_.Y, fixedRows_, std::max(fixedRows_, rowCount_ - 1));
    const int col = std::min(current_.X, colCount_ - 1);
    const int row = std::min(current_.Y, rowCount_ - 1);
    if (col != current_.X || row != current_.Y) {
        MoveCurrentCell(col, row, true, true);
        // A handler that refused the move cannot keep a cell that no longer exists.
        if (current_.X >= colCount_ || current_.Y >= rowCount_) {
            current_ = {std::min(current_.X, colCount_ - 1), std::min(current_.Y, rowCount_ - 1)};
            anchor_ = current_;
            if (options_.contains(goRowSelect)) {
                current_.X = fixedCols_;
                anchor_.X = colCount_ - 1;
            }
        }
    }
    anchor_.X = std::min(anchor_.X, colCount_ - 1);
    anchor_.Y = std::min(anchor_.Y, rowCount_ - 1);
    TGridCoord expected = current_;
    if (options_.contains(goRowSelect))
        expected.X = colCount_ - 1;
    if (!(anchor_ == expected))
        MoveAnchor(current_.X, current_.Y);
    invalidateGrid();
    UpdateScrollRange();
}

// ---- row operations

void GridControl::shiftRowColors(int from, int to, int delta) {
    std::vector<std::pair<int, TColor>> moved;
    for (auto it = rowColors_.lower_bound(from); it != rowColors_.end() && it->first <= to;) {
        moved.emplace_back(it->first + delta, it->second);
        it = rowColors_.erase(it);
    }
    for (const auto& [row, color] : moved)
        rowColors_[row] = color;
}

void GridControl::rowHintsInserted(int index) {
    std::map<int, std::string> moved;
    for (auto it = rowHints_.lower_bound(index); it != rowHints_.end();) {
        moved.emplace(it->first + 1, std::move(it->second));
        it = rowHints_.erase(it);
    }
    rowHints_.merge(moved);
}

void GridControl::rowHintsRemoved(int row) {
    rowHints_.erase(row);
    std::map<int, std::string> moved;
    for (auto it = rowHints_.upper_bound(row); it != rowHints_.end();) {
        moved.emplace(it->first - 1, std::move(it->second));
        it = rowHints_.erase(it);
    }
    rowHints_.merge(moved);
}

void GridControl::InsertRow(int index) {
    if (index < fixedRows_ || index > rowCount_)
        invalidOp(msg::IndexOutOfRange);
    setRowCount(rowCount_ + 1);
    const int last = rowCount_ - 1;
    cells_.shiftRowsDown(index, last);
    rowHintsInserted(index);
    // Colour entries travel with their rows; the entry at `last` is overwritten.
    // RowColor(b + 1) := RowColor(b): copies, so row `index` keeps its entry until the
    // new row is recoloured below.
    rowColors_.erase(last);
    std::optional<TColor> atIndex;
    if (auto it = rowColors_.find(index); it != rowColors_.end())
        atIndex = it->second;
    shiftRowColors(index, last - 1, +1);
    if (atIndex)
        rowColors_[index] = *atIndex;
    invalidateGrid();
    if (current_.Y >= index && editUpdate_ == 0)
        ReloadEditor();
    setRow(index);
    setRowColor(index, color_);
    takeFocus();
}

void GridControl::AppendRow() {
    setRowCount(rowCount_ + 1);
    setRow(rowCount_ - 1);
    takeFocus();
}

void GridControl::DeleteRow(int row) {
    if (row < fixedRows_ || row > rowCount_ - 1)
        return;
    rowHintsRemoved(row);
    if (row == rowCount_ - 1) {
        setRowColor(row, color_);
        for (int c = 0; c < colCount_; ++c)
            cells_.setText(c, row, {});
        for (int c = 0; c < colCount_; ++c)
            invalidateCell(c, row);
        if (current_.Y == row && editUpdate_ == 0)
            ReloadEditor();
        if (row >= fixedRows_ + 1) {
            setRowCount(rowCount_ - 1);
            setRow(rowCount_ - 1);
            cellUpdated(current_.X, current_.Y);
        }
        return;
    }
    const int last = rowCount_;
    cells_.shiftRowsUp(row, last);
    // RowColor(r) := RowColor(r + 1) for r in row..last-1; the entry at `last` stays.
    std::optional<TColor> atLast;
    if (auto it = rowColors_.find(last); it != rowColors_.end())
        atLast = it->second;
    rowColors_.erase(row);
    shiftRowColors(row + 1, last, -1);
    if (atLast)
        rowColors_[last] = *atLast;
    invalidateGrid();
    if (current_.Y >= row && current_.Y <= last && editUpdate_ == 0)
        ReloadEditor();
    setRowCount(rowCount_ - 1);
}

// ---- root-class moves

void GridControl::MoveColumnTo(int from, int to) {
    if (from == to)
        return;
    if (from < 0 || to < 0 || from >= colCount_ || to >= colCount_)
        invalidOp(msg::IndexOutOfRange);
    colWidths_.move(from, to);
    current_.X = shifted(current_.X, from, to);
    anchor_.X = shifted(anchor_.X, from, to);
    if (editorCol_ >= 0)
        editorCol_ = shifted(editorCol_, from, to);
    invalidateGrid();
    ColumnMoved(from, to);
    if (!colWidths_.empty())
        ColWidthsChanged();
    SyncEditor();
}

void GridControl::MoveRowTo(int from, int to) {
    if (from < 0 || to < 0 || from >= rowCount_ || to >= rowCount_)
        invalidOp(msg::IndexOutOfRange);
    rowHeights_.move(from, to);
    current_.Y = shifted(current_.Y, from, to);
    anchor_.Y = shifted(anchor_.Y, from, to);
    if (editorRow_ >= 0)
        editorRow_ = shifted(editorRow_, from, to);
    RowMoved(from, to);
    if (!rowHeights_.empty())
        RowHeightsChanged();
    SyncEditor();
}

void GridControl::ColumnMoved(int from, int to) {
    cells_.moveColumn(from, to);
    invalidateGrid();
    if (OnColumnMoved)
        OnColumnMoved(eventSender(), from, to);
}

void GridControl::RowMoved(int from, int to) {
    cells_.moveRow(from, to);
    if (!rowHints_.empty()) {
        std::map<int, std::string> moved;
        for (auto& [row, hint] : rowHints_)
            moved.emplace(shifted(row, from, to), std::move(hint));
        rowHints_ = std::move(moved);
    }
    invalidateGrid();
    if (OnRowMoved)
        OnRowMoved(eventSender(), from, to);
}

void GridControl::RemoveColumnAt(int col) {
    MoveColumnTo(col, colCount_ - 1);
    setColCount(colCount_ - 1);
}

void GridControl::RemoveRowAt(int row) {
    MoveRowTo(row, rowCount_ - 1);
    setRowCount(rowCount_ - 1);
}

} // namespace grid
