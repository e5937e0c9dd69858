#pragma once

// A cursor over records numbered 0 … rowCount() − 1 (an item model's rows, CSV lines): the
// movement, end test and bookmarks shared by such cursors. The bookmark is the row number.

#include "report/engine/model/RMDataCursor.h"

namespace report {

class TRMRowCursor : public TRMDataCursor {
public:
    void open() override;
    void close() override;
    bool isOpen() const override { return open_; }

    void first() override;
    void next() override;
    void prior() override;
    bool eof() const override;
    int moveBy(int distance) override;

    TRMBookmark bookmark() const override;
    bool gotoBookmark(TRMBookmark bookmark) override;

    // Current row; -1 when there is none (closed or no rows).
    int currentRow() const;
    // Makes `row` current (the record a view shows as current); false when out of range.
    bool setCurrentRow(int row);

protected:
    virtual int rowCount() const = 0;
    // Run by open() before the cursor goes to its first row; may raise.
    virtual void openRows() {}
    void requireOpen() const;

private:
    bool open_ = false;
    int row_ = 0; // 0 ≤ row_ < rowCount() when there are rows
    bool eof_ = true;
};

} // namespace report
