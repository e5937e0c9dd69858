#pragma once

// The result of a query on a SQLite file as a data cursor (rmtool binds it to a dataset of
// a template). The file is opened read-only when the cursor opens and the rows are read
// then; integers, reals, texts and nulls keep their kind.

#include "report/engine/data/RMRowCursor.h"

#include <string>
#include <vector>

namespace report {

class TRMSqliteCursor : public TRMRowCursor {
public:
    TRMSqliteCursor(std::string file, std::string query);

    int fieldCount() const override { return static_cast<int>(names_.size()); }
    std::string fieldName(int index) const override;
    platform::Variant fieldValue(int index) const override;
    using TRMDataCursor::fieldValue;

    // Runs the query now (open() does it too); raises platform::EDatabaseError with the
    // database's message when the file or the query is no good.
    void load();

protected:
    int rowCount() const override { return static_cast<int>(rows_.size()); }
    void openRows() override { load(); }

private:
    std::string file_;
    std::string query_;
    std::vector<std::string> names_;
    std::vector<std::vector<platform::Variant>> rows_;
};

} // namespace report
