#pragma once

// The pixel extents of one grid axis: column widths or row heights. The list stays empty
// while every cell has the default extent; the first individual value allocates it, filled
// with the default, and from then on it holds exactly one entry per cell.

#include <vector>

namespace grid {

class GridExtents {
public:
    explicit GridExtents(int defaultExtent)
        : default_(defaultExtent) {}

    int defaultExtent() const { return default_; }
    // A new default drops every individual extent.
    void setDefault(int value);
    // Extent of cell `index` of `count`; the default outside 0..count-1 or without a list.
    int at(int index, int count) const;
    // Stores the extent of cell `index` of `count` (allocating the list first); false when
    // the value was already there. EInvalidGridOperation for an index outside 0..count-1.
    bool set(int index, int value, int count);
    // The list, if any, follows a new cell count (new cells get the default).
    void resize(int count);
    // Moves the extent of cell `from` to `to` (the ones between shift toward `from`).
    void move(int from, int to);

    bool empty() const { return values_.empty(); }
    int size() const { return static_cast<int>(values_.size()); }
    const std::vector<int>& values() const { return values_; }

private:
    std::vector<int> values_;
    int default_;
};

} // namespace grid
