#pragma once

// A string-list view of one column (ColumnTexts) or one row (RowTexts) of the grid. Reads
// and writes go through Cells; the view cannot insert or delete grid rows.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace grid {

class GridControl;

class TAdvStringGridStrings {
public:
    TAdvStringGridStrings(GridControl& grid, int index, bool column);

    // RowCount for a column view, ColCount for a row view.
    int Count() const;
    std::string Get(int i) const;
    void Put(int i, std::string_view text);
    void* GetObject(int i) const;
    void PutObject(int i, void* object);
    // Writes into the first empty cell (a single blank for an empty text); -1 when none.
    int Add(std::string_view text);
    // Raise "Cannot insert or delete rows from grid".
    void Insert(int i, std::string_view text);
    void Delete(int i);
    // Clears text and object of every cell of the view.
    void Clear();
    // Copies texts and objects for the indexes both have.
    void Assign(const std::vector<std::pair<std::string, void*>>& items);
    void Assign(const TAdvStringGridStrings& other);
    // Cell repaints wait until the outermost EndUpdate, which repaints once if needed.
    void BeginUpdate();
    void EndUpdate();

private:
    int col(int i) const { return column_ ? index_ : i; }
    int row(int i) const { return column_ ? i : index_; }

    GridControl& grid_;
    int index_;
    bool column_;
};

} // namespace grid
