#pragma once

// Accounting-unit records as read from table tbHsdwda, and the collection that mirrors the
// data rows of the archive grid (record i stands for grid row i + 1).

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace archive {

class TAcountUnitArchivesRecord {
public:
    std::string Hsdwh;  // accounting-unit code (f_Hsdwh), kept as stored: untrimmed
    std::string Hsdwmc; // accounting-unit name (f_Hsdwmc)
};

// Owns its records; references returned by Add/Insert/Items stay valid until that record is
// deleted or the collection cleared.
class TAcountUnitArchivesRecords {
public:
    // Appends a new empty record and returns it.
    TAcountUnitArchivesRecord& Add();
    // Inserts a new empty record at `index` (0..Count()) and returns it.
    TAcountUnitArchivesRecord& Insert(std::size_t index);
    void Delete(std::size_t index);
    void Clear() { items_.clear(); }

    std::size_t Count() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    TAcountUnitArchivesRecord& Items(std::size_t index);
    const TAcountUnitArchivesRecord& Items(std::size_t index) const;

    void reserve(std::size_t n) { items_.reserve(n); }

private:
    std::vector<std::unique_ptr<TAcountUnitArchivesRecord>> items_;
};

} // namespace archive
