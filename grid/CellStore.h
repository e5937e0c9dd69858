#pragma once

// Sparse cell storage of the string grid. Texts are addressed independently of the grid's
// counts: what is written beyond RowCount or ColCount stays stored and shows again when
// the counts grow. Only written cells cost memory.

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace grid {

// One cell: text and an opaque, non-owned object pointer.
struct CellItem {
    std::string text;
    void* object = nullptr;
    bool isBlank() const { return text.empty() && object == nullptr; }
};

class CellStore {
public:
    CellStore();
    ~CellStore();
    CellStore(const CellStore&) = delete;
    CellStore& operator=(const CellStore&) = delete;

    // Reading a cell that was never written yields "" / nullptr. A negative row raises
    // EListError; a negative column reads as empty.
    std::string text(int col, int row) const;
    const std::string& textRef(int col, int row) const;
    void* object(int col, int row) const;
    // A negative row or column raises EListError. Writing a blank item frees it.
    void setText(int col, int row, std::string_view text);
    void setObject(int col, int row, void* object);

    // Whole-row moves, each O(number of slots in the range):
    // removes row `row`, moves rows row+1..last up by one; `last` ends up empty.
    void shiftRowsUp(int row, int last);
    // drops row `last`, moves rows index..last-1 down by one; `index` ends up empty.
    void shiftRowsDown(int index, int last);
    // moves the row stored at `from` to `to`; the rows between shift by one toward `from`.
    void moveRow(int from, int to);
    // the same for one column inside every stored row.
    void moveColumn(int from, int to);
    void clearRow(int row);
    void clear();

    std::size_t storedRows() const { return storedRows_; }
    std::size_t storedCells() const;
    // Verifies the invariants below; on failure describes the first violation in `why`.
    bool checkConsistency(std::string* why = nullptr) const;

private:
    // A row: its written cells sorted by column, no blank item kept.
    struct Row {
        struct Entry {
            int col;
            CellItem item;
        };
        std::vector<Entry> entries;
        const CellItem* find(int col) const;
        CellItem& obtain(int col);
        void erase(int col);
    };
    static constexpr int kSectionBits = 4;
    static constexpr int kSectionSize = 1 << kSectionBits;
    // A section holds 16 row slots; `used` counts the non-null ones. A section with no
    // row is freed, so memory follows the written rows.
    struct Section {
        std::array<std::unique_ptr<Row>, kSectionSize> slots;
        int used = 0;
    };

    const Row* rowAt(int row) const;
    Row& obtainRow(int row);
    std::unique_ptr<Row> takeRow(int row);
    void putRow(int row, std::unique_ptr<Row> r);
    void dropRowIfBlank(int row);

    // Directory of sections indexed by row >> kSectionBits; null where nothing is stored.
    std::vector<std::unique_ptr<Section>> sections_;
    std::size_t storedRows_ = 0; // == number of non-null row slots
};

} // namespace grid
