#pragma once

// The data a database adapter (TRMDBDataSet) walks: an ordered set of records with named
// fields and one current record. Adapters exist for the platform's client dataset, Qt item
// models and CSV text; anything else that can be walked implements this interface.
//
// Movement follows the client dataset: `next` past the last record sets `eof` and stays on
// the last record, so its fields stay readable; `first` on an empty cursor sets `eof`.
// Operations on a closed cursor raise platform::EDatabaseError.

#include "platform/Variant.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace report {

// A record position; only the cursor that gave it knows what it means.
using TRMBookmark = std::int64_t;
inline constexpr TRMBookmark kNoBookmark = -1;

class TRMDataCursor {
public:
    virtual ~TRMDataCursor() = default;

    // Opening an open cursor does nothing; a cursor that opens goes to its first record.
    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual void first() = 0;
    virtual void next() = 0;
    virtual void prior() = 0;
    virtual bool eof() const = 0;
    // Moves by `distance` records (backwards when negative), stopping at either end;
    // returns the number of records actually moved (negative backwards).
    virtual int moveBy(int distance);

    // kNoBookmark when the cursor has no records.
    virtual TRMBookmark bookmark() const = 0;
    // Makes the bookmarked record current; false (cursor unchanged) when it no longer exists.
    virtual bool gotoBookmark(TRMBookmark bookmark) = 0;
    // Order of two bookmarks: negative, 0 (the same record) or positive.
    virtual int compareBookmarks(TRMBookmark a, TRMBookmark b) const;

    virtual int fieldCount() const = 0;
    virtual std::string fieldName(int index) const = 0;
    // Index of the field with that name, compared without regard to case; -1 when none.
    virtual int fieldIndex(std::string_view name) const;
    // Value of field `index` in the current record; Null when there is no current record.
    virtual platform::Variant fieldValue(int index) const = 0;

    std::vector<std::string> fieldNames() const;
    // Value of the named field; false when the cursor has no such field.
    bool fieldValue(std::string_view name, platform::Variant& value) const;
};

// The link a data-aware control holds to its data set: adapters may be given either.
class TRMDataSource {
public:
    TRMDataCursor* DataSet = nullptr; // not owned
};

} // namespace report
