#include "grid/TAdvStringGridStrings.h"

#include "grid/GridControl.h"
#include "platform/Gbk.h"

namespace grid {

TAdvStringGridStrings::TAdvStringGridStrings(GridControl& grid, int index, bool column)
    : grid_(grid)
    , index_(index)
    , column_(column) {}

int TAdvStringGridStrings::Count() const {
    return column_ ? grid_.RowCount() : grid_.ColCount();
}

std::string TAdvStringGridStrings::Get(int i) const {
    return grid_.Cells(col(i), row(i));
}

void TAdvStringGridStrings::Put(int i, std::string_view text) {
    grid_.setCells(col(i), row(i), text);
}

void* TAdvStringGridStrings::GetObject(int i) const {
    return grid_.CellObject(col(i), row(i));
}

void TAdvStringGridStrings::PutObject(int i, void* object) {
    grid_.setCellObject(col(i), row(i), object);
}

int TAdvStringGridStrings::Add(std::string_view text) {
    for (int i = 0; i < Count(); ++i) {
        if (!grid_.cellText(col(i), row(i)).empty())
            continue;
        Put(i, text.empty() ? std::string_view(" ") : text);
        return i;
    }
    return -1;
}

void TAdvStringGridStrings::Insert(int, std::string_view) {
    invalidOp(msg::CannotInsertDelete);
}

void TAdvStringGridStrings::Delete(int) {
    invalidOp(msg::CannotInsertDelete);
}

void TAdvStringGridStrings::Clear() {
    BeginUpdate();
    struct End {
        TAdvStringGridStrings* view;
        ~End() { view->EndUpdate(); }
    } end{this};
    for (int i = 0; i < Count(); ++i) {
        Put(i, {});
        PutObject(i, nullptr);
    }
}

void TAdvStringGridStrings::Assign(const std::vector<std::pair<std::string, void*>>& items) {
    BeginUpdate();
    struct End {
        TAdvStringGridStrings* view;
        ~End() { view->EndUpdate(); }
    } end{this};
    const int n = std::min(Count(), static_cast<int>(items.size()));
    for (int i = 0; i < n; ++i) {
        Put(i, items[static_cast<std::size_t>(i)].first);
        PutObject(i, items[static_cast<std::size_t>(i)].second);
    }
}

void TAdvStringGridStrings::Assign(const TAdvStringGridStrings& other) {
    std::vector<std::pair<std::string, void*>> items;
    for (int i = 0; i < other.Count(); ++i)
        items.emplace_back(other.Get(i), other.GetObject(i));
    Assign(items);
}

void TAdvStringGridStrings::BeginUpdate() {
    grid_.beginCellUpdate();
}

void TAdvStringGridStrings::EndUpdate() {
    grid_.endCellUpdate();
}

} // namespace grid
