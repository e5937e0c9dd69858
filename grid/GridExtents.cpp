#include "grid/GridExtents.h"

#include "grid/GridTypes.h"

namespace grid {

void GridExtents::setDefault(int value) {
    values_.clear();
    default_ = value;
}

int GridExtents::at(int index, int count) const {
    if (values_.empty() || index < 0 || index >= count)
        return default_;
    return values_[static_cast<std::size_t>(index)];
}

bool GridExtents::set(int index, int value, int count) {
    if (values_.empty())
        values_.assign(static_cast<std::size_t>(count), default_);
    if (index < 0 || index >= count)
        invalidOp(msg::IndexOutOfRange);
    int& slot = values_[static_cast<std::size_t>(index)];
    if (slot == value)
        return false;
    slot = value;
    return true;
}

void GridExtents::resize(int count) {
    if (!values_.empty())
        values_.resize(static_cast<std::size_t>(count), default_);
}

void GridExtents::move(int from, int to) {
    if (values_.empty())
        return;
    const int extent = values_[static_cast<std::size_t>(from)];
    values_.erase(values_.begin() + from);
    values_.insert(values_.begin() + to, extent);
}

} // namespace grid
