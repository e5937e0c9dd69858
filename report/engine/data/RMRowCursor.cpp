#include "report/engine/data/RMRowCursor.h"

#include "platform/ClientDataSet.h"

#include <algorithm>

namespace report {

void TRMRowCursor::open() {
    if (open_)
        return;
    openRows();
    open_ = true;
    first();
}

void TRMRowCursor::close() {
    open_ = false;
    row_ = 0;
    eof_ = true;
}

void TRMRowCursor::requireOpen() const {
    if (!open_)
        throw platform::EDatabaseError("数据集未打开，不能执行此操作");
}

void TRMRowCursor::first() {
    requireOpen();
    row_ = 0;
    eof_ = rowCount() == 0;
}

void TRMRowCursor::next() {
    requireOpen();
    if (row_ + 1 < rowCount())
        ++row_;
    else
        eof_ = true;
}

void TRMRowCursor::prior() {
    requireOpen();
    const int rows = rowCount();
    eof_ = rows == 0;
    // Rows may have gone since the last move: never stand beyond the last one.
    row_ = std::clamp(row_ - 1, 0, std::max(rows - 1, 0));
}

bool TRMRowCursor::eof() const {
    requireOpen();
    return eof_ || row_ >= rowCount();
}

int TRMRowCursor::moveBy(int distance) {
    requireOpen();
    const int rows = rowCount();
    if (rows == 0)
        return 0;
    const long long target =
        std::clamp<long long>(static_cast<long long>(row_) + distance, 0, rows - 1);
    const int moved = static_cast<int>(target - row_);
    if (distance > 0 && moved < distance)
        eof_ = true; // tried to pass the last record
    else if (moved != 0)
        eof_ = false;
    row_ = static_cast<int>(target);
    return moved;
}

TRMBookmark TRMRowCursor::bookmark() const {
    requireOpen();
    return rowCount() == 0 ? kNoBookmark : std::min(row_, rowCount() - 1);
}

bool TRMRowCursor::gotoBookmark(TRMBookmark bookmark) {
    requireOpen();
    if (bookmark < 0 || bookmark >= rowCount())
        return false;
    row_ = static_cast<int>(bookmark);
    eof_ = false;
    return true;
}

int TRMRowCursor::currentRow() const {
    if (!open_ || row_ >= rowCount())
        return -1;
    return row_;
}

bool TRMRowCursor::setCurrentRow(int row) {
    requireOpen();
    return gotoBookmark(row);
}

} // namespace report
