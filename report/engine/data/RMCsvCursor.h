#pragma once

// Comma-separated text (UTF-8) as a cursor: the first line names the fields, every further
// line is a record. A field may be quoted; inside quotes commas, line breaks and doubled
// quotes ("" for ") are text. Lines end with LF, CR LF or CR; a byte-order mark is dropped;
// empty lines are no records. A record with fewer fields than the header reads the missing
// ones as empty text, extra fields are ignored. Values are texts.

#include "report/engine/data/RMRowCursor.h"

#include <string>
#include <string_view>
#include <vector>

namespace report {

class TRMCsvCursor : public TRMRowCursor {
public:
    // Raises platform::EDatabaseError for a quote left open, naming the line it opened on.
    explicit TRMCsvCursor(std::string_view text);
    // Reads a file; raises platform::EDatabaseError when it cannot be read or parsed.
    static TRMCsvCursor fromFile(const std::string& path);

    int fieldCount() const override { return static_cast<int>(names_.size()); }
    std::string fieldName(int index) const override;
    platform::Variant fieldValue(int index) const override;
    using TRMDataCursor::fieldValue;

    int recordCount() const { return static_cast<int>(rows_.size()); }

protected:
    int rowCount() const override { return recordCount(); }

private:
    std::vector<std::string> names_;
    std::vector<std::vector<std::string>> rows_;
};

} // namespace report
