#include "tools/rmtool/RMSqliteCursor.h"

#include "platform/ClientDataSet.h"

#include <memory>
#include <sqlite3.h>

namespace report {

namespace {

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

} // namespace

TRMSqliteCursor::TRMSqliteCursor(std::string file, std::string query)
    : file_(std::move(file))
    , query_(std::move(query)) {}

void TRMSqliteCursor::load() {
    names_.clear();
    rows_.clear();
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(file_.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, CloseDatabase> db(raw);
    if (opened != SQLITE_OK)
        throw platform::EDatabaseError(
            "无法打开 SQLite 文件 " + file_ + ": " +
            (raw != nullptr ? sqlite3_errmsg(raw) : sqlite3_errstr(opened)));
    sqlite3_busy_timeout(db.get(), 5000);
    sqlite3_stmt* rawStatement = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db.get(), query_.c_str(), static_cast<int>(query_.size()), &rawStatement,
                           &tail) != SQLITE_OK)
        throw platform::EDatabaseError("查询有误 (" + file_ + "): " + sqlite3_errmsg(db.get()));
    std::unique_ptr<sqlite3_stmt, FinalizeStatement> statement(rawStatement);
    if (!statement)
        throw platform::EDatabaseError("查询是空的 (" + file_ + ")");
    if (sqlite3_stmt_readonly(statement.get()) == 0)
        throw platform::EDatabaseError("只能用查询语句读取数据 (" + file_ + ")");
    const int columns = sqlite3_column_count(statement.get());
    for (int c = 0; c < columns; ++c)
        names_.emplace_back(sqlite3_column_name(statement.get(), c));
    while (true) {
        const int step = sqlite3_step(statement.get());
        if (step == SQLITE_DONE)
            break;
        if (step != SQLITE_ROW)
            throw platform::EDatabaseError("读取查询结果失败 (" + file_ +
                                           "): " + sqlite3_errmsg(db.get()));
        std::vector<platform::Variant> row;
        row.reserve(static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(statement.get(), c)) {
            case SQLITE_INTEGER:
                row.emplace_back(static_cast<long long>(sqlite3_column_int64(statement.get(), c)));
                break;
            case SQLITE_FLOAT:
                row.emplace_back(sqlite3_column_double(statement.get(), c));
                break;
            case SQLITE_NULL:
                row.emplace_back(platform::null);
                break;
            default: {
                const auto* text =
                    reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), c));
                row.emplace_back(std::string(
                    text != nullptr ? text : "",
                    static_cast<std::size_t>(sqlite3_column_bytes(statement.get(), c))));
                break;
            }
            }
        }
        rows_.push_back(std::move(row));
    }
}

std::string TRMSqliteCursor::fieldName(int index) const {
    return index >= 0 && index < fieldCount() ? names_[static_cast<std::size_t>(index)]
                                              : std::string();
}

platform::Variant TRMSqliteCursor::fieldValue(int index) const {
    requireOpen();
    const int row = currentRow();
    if (row < 0 || index < 0 || index >= fieldCount())
        return {};
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(index)];
}

} // namespace report
