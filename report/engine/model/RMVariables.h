#pragma once

// Ordered list of named values; names compared without regard to letter case.

#include "platform/Variant.h"
#include "report/engine/model/RMTextScan.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace report {

class TRMVariables {
public:
    // Adds the entry or replaces its value; there are never two entries of one name.
    void SetVariable(std::string_view name, platform::Variant value);
    // Empty when absent.
    platform::Variant GetVariable(std::string_view name) const;
    const platform::Variant* find(std::string_view name) const;
    int IndexOf(std::string_view name) const;
    bool contains(std::string_view name) const { return IndexOf(name) >= 0; }

    // Out-of-range indexes are ignored (reads give empty).
    void SetValue(int index, platform::Variant value);
    platform::Variant Value(int index) const;
    std::string Name(int index) const;
    void Rename(int index, std::string_view name);
    void Delete(int index);
    void Clear() { entries_.clear(); }
    int Count() const { return static_cast<int>(entries_.size()); }

    // Sorted mode keeps entries ordered by name (case-insensitive) from now on.
    bool Sorted() const { return sorted_; }
    void setSorted(bool on);

private:
    void sort();

    std::vector<std::pair<std::string, platform::Variant>> entries_;
    bool sorted_ = false;
};

// Process-wide values hosts fill before they preview or print.
TRMVariables& GlobalVariables();

// Named constants consulted last by name resolution (built on first use).
const TRMVariables& EngineConstants();

} // namespace report
