#include "grid/CellStore.h"

#include "grid/GridTypes.h"

#include <algorithm>

namespace grid {
namespace {
const std::string kEmpty;
} // namespace

EListError::EListError(int index)
    : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")") {}

const CellItem* CellStore::Row::find(int col) const {
    auto it = std::lower_bound(entries.begin(), entries.end(), col,
                               [](const Entry& e, int c) { return e.col < c; });
    return it != entries.end() && it->col == col ? &it->item : nullptr;
}

CellItem& CellStore::Row::obtain(int col) {
    auto it = std::lower_bound(entries.begin(), entries.end(), col,
                               [](const Entry& e, int c) { return e.col < c; });
    if (it == entries.end() || it->col != col)
        it = entries.insert(it, Entry{col, {}});
    return it->item;
}

void CellStore::Row::erase(int col) {
    auto it = std::lower_bound(entries.begin(), entries.end(), col,
                               [](const Entry& e, int c) { return e.col < c; });
    if (it != entries.end() && it->col == col)
        entries.erase(it);
}

CellStore::CellStore() = default;
CellStore::~CellStore() = default;

const CellStore::Row* CellStore::rowAt(int row) const {
    const auto s = static_cast<std::size_t>(row) >> kSectionBits;
    if (s >= sections_.size() || !sections_[s])
        return nullptr;
    return sections_[s]->slots[row & (kSectionSize - 1)].get();
}

CellStore::Row& CellStore::obtainRow(int row) {
    const auto s = static_cast<std::size_t>(row) >> kSectionBits;
    if (s >= sections_.size())
        sections_.resize(s + 1);
    if (!sections_[s])
        sections_[s] = std::make_unique<Section>();
    auto& slot = sections_[s]->slots[row & (kSectionSize - 1)];
    if (!slot) {
        slot = std::make_unique<Row>();
        ++sections_[s]->used;
        ++storedRows_;
    }
    return *slot;
}

std::unique_ptr<CellStore::Row> CellStore::takeRow(int row) {
    const auto s = static_cast<std::size_t>(row) >> kSectionBits;
    if (s >= sections_.size() || !sections_[s])
        return nullptr;
    auto& slot = sections_[s]->slots[row & (kSectionSize - 1)];
    if (!slot)
        return nullptr;
    std::unique_ptr<Row> r = std::move(slot);
    --storedRows_;
    if (--sections_[s]->used == 0)
        sections_[s].reset();
    return r;
}

void CellStore::putRow(int row, std::unique_ptr<Row> r) {
    takeRow(row);
    if (!r)
        return;
    const auto s = static_cast<std::size_t>(row) >> kSectionBits;
    if (s >= sections_.size())
        sections_.resize(s + 1);
    if (!sections_[s])
        sections_[s] = std::make_unique<Section>();
    sections_[s]->slots[row & (kSectionSize - 1)] = std::move(r);
    ++sections_[s]->used;
    ++storedRows_;
}

void CellStore::dropRowIfBlank(int row) {
    const Row* r = rowAt(row);
    if (r && r->entries.empty())
        takeRow(row);
}

const std::string& CellStore::textRef(int col, int row) const {
    if (row < 0)
        throw EListError(row);
    if (col < 0)
        return kEmpty;
    const Row* r = rowAt(row);
    const CellItem* item = r ? r->find(col) : nullptr;
    return item ? item->text : kEmpty;
}

std::string CellStore::text(int col, int row) const {
    return textRef(col, row);
}

void* CellStore::object(int col, int row) const {
    if (row < 0)
        throw EListError(row);
    if (col < 0)
        return nullptr;
    const Row* r = rowAt(row);
    const CellItem* item = r ? r->find(col) : nullptr;
    return item ? item->object : nullptr;
}

void CellStore::setText(int col, int row, std::string_view text) {
    if (row < 0)
        throw EListError(row);
    if (col < 0)
        throw EListError(col);
    if (text.empty()) {
        Row* r = const_cast<Row*>(rowAt(row));
        if (!r)
            return;
        auto* item = const_cast<CellItem*>(r->find(col));
        if (!item)
            return;
        item->text.clear();
        if (item->isBlank())
            r->erase(col);
        dropRowIfBlank(row);
        return;
    }
    obtainRow(row).obtain(col).text.assign(text);
}

void CellStore::setObject(int col, int row, void* object) {
    if (row < 0)
        throw EListError(row);
    if (col < 0)
        throw EListError(col);
    if (!object) {
        Row* r = const_cast<Row*>(rowAt(row));
        auto* item = r ? const_cast<CellItem*>(r->find(col)) : nullptr;
        if (!item)
            return;
        item->object = nullptr;
        if (item->isBlank())
            r->erase(col);
        dropRowIfBlank(row);
        return;
    }
    obtainRow(row).obtain(col).object = object;
}

void CellStore::shiftRowsUp(int row, int last) {
    if (row < 0)
        throw EListError(row);
    if (last < row)
        return;
    takeRow(row);
    for (int i = row; i < last; ++i)
        putRow(i, takeRow(i + 1));
}

void CellStore::shiftRowsDown(int index, int last) {
    if (index < 0)
        throw EListError(index);
    if (last < index)
        return;
    takeRow(last);
    for (int i = last; i > index; --i)
        putRow(i, takeRow(i - 1));
}

void CellStore::moveRow(int from, int to) {
    if (from < 0 || to < 0)
        throw EListError(std::min(from, to));
    if (from == to)
        return;
    std::unique_ptr<Row> moving = takeRow(from);
    if (from < to)
        for (int i = from; i < to; ++i)
            putRow(i, takeRow(i + 1));
    else
        for (int i = from; i > to; --i)
            putRow(i, takeRow(i - 1));
    putRow(to, std::move(moving));
}

void CellStore::moveColumn(int from, int to) {
    if (from < 0 || to < 0)
        throw EListError(std::min(from, to));
    if (from == to)
        return;
    const int lo = std::min(from, to);
    const int hi = std::max(from, to);
    for (auto& section : sections_) {
        if (!section)
            continue;
        for (auto& r : section->slots) {
            if (!r)
                continue;
            for (auto& e : r->entries) {
                if (e.col == from)
                    e.col = to;
                else if (e.col >= lo && e.col <= hi)
                    e.col += from < to ? -1 : 1;
            }
            std::sort(r->entries.begin(), r->entries.end(),
                      [](const Row::Entry& a, const Row::Entry& b) { return a.col < b.col; });
        }
    }
}

void CellStore::clearRow(int row) {
    if (row < 0)
        throw EListError(row);
    takeRow(row);
}

void CellStore::clear() {
    sections_.clear();
    storedRows_ = 0;
}

std::size_t CellStore::storedCells() const {
    std::size_t n = 0;
    for (const auto& section : sections_)
        if (section)
            for (const auto& r : section->slots)
                if (r)
                    n += r->entries.size();
    return n;
}

bool CellStore::checkConsistency(std::string* why) const {
    auto fail = [&](std::string text) {
        if (why)
            *why = std::move(text);
        return false;
    };
    std::size_t rows = 0;
    for (std::size_t s = 0; s < sections_.size(); ++s) {
        const auto& section = sections_[s];
        if (!section)
            continue;
        int used = 0;
        for (std::size_t i = 0; i < section->slots.size(); ++i) {
            const auto& r = section->slots[i];
            if (!r)
                continue;
            ++used;
            const auto rowIndex = s * kSectionSize + i;
            if (r->entries.empty())
                return fail("row " + std::to_string(rowIndex) + " is stored but empty");
            for (std::size_t k = 0; k < r->entries.size(); ++k) {
                if (r->entries[k].col < 0)
                    return fail("negative column in row " + std::to_string(rowIndex));
                if (k > 0 && r->entries[k - 1].col >= r->entries[k].col)
                    return fail("columns out of order in row " + std::to_string(rowIndex));
                if (r->entries[k].item.isBlank())
                    return fail("blank cell kept in row " + std::to_string(rowIndex));
            }
        }
        if (used == 0)
            return fail("empty section " + std::to_string(s) + " kept");
        if (used != section->used)
            return fail("section " + std::to_string(s) + " miscounts its rows");
        rows += static_cast<std::size_t>(used);
    }
    if (rows != storedRows_)
        return fail("stored row count is off");
    return true;
}

} // namespace grid
