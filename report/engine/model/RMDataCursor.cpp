#include "report/engine/model/RMDataCursor.h"

#include "report/engine/model/RMTextScan.h"

namespace report {

int TRMDataCursor::moveBy(int distance) {
    int moved = 0;
    for (; distance > 0 && !eof(); --distance) {
        const TRMBookmark before = bookmark();
        next();
        if (compareBookmarks(before, bookmark()) == 0)
            break; // stood on the last record
        ++moved;
    }
    for (; distance < 0; ++distance) {
        const TRMBookmark before = bookmark();
        prior();
        if (compareBookmarks(before, bookmark()) == 0)
            break; // stood on the first record
        --moved;
    }
    return moved;
}

int TRMDataCursor::compareBookmarks(TRMBookmark a, TRMBookmark b) const {
    return a < b ? -1 : a > b ? 1 : 0;
}

int TRMDataCursor::fieldIndex(std::string_view name) const {
    const int count = fieldCount();
    for (int i = 0; i < count; ++i)
        if (sameText(fieldName(i), name))
            return i;
    return -1;
}

std::vector<std::string> TRMDataCursor::fieldNames() const {
    std::vector<std::string> names;
    const int count = fieldCount();
    names.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        names.push_back(fieldName(i));
    return names;
}

bool TRMDataCursor::fieldValue(std::string_view name, platform::Variant& value) const {
    const int index = fieldIndex(name);
    if (index < 0)
        return false;
    value = fieldValue(index);
    return true;
}

} // namespace report
