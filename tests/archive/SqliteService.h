#pragma once

// A host data service over a real SQLite file for the archive's tests: the five operations
// with the host's DispIDs and conventions (false + message array on failure). It logs every
// SQL text it receives and can be told to fail the next call of an operation, as a host whose
// database goes away would.

#include "platform/Dispatch.h"

#include <map>
#include <optional>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace archivetest {

struct ServiceLog {
    std::vector<std::string> queries;    // OpenQuery texts
    std::vector<std::string> statements; // ExecSql texts
    void clear() {
        queries.clear();
        statements.clear();
    }
};

class SqliteService : public platform::DispatchObject {
public:
    explicit SqliteService(const std::string& path);
    ~SqliteService() override;

    // Runs SQL directly (test set-up and checks).
    void exec(const std::string& sql);
    // Rows of a query, every value as text ("" for null).
    std::vector<std::vector<std::string>> rows(const std::string& sql);

    ServiceLog log;
    // Operations to fail once, with these messages (by DispID).
    std::map<std::int32_t, std::vector<std::string>> failNext;
    // Operations that raise instead of answering.
    std::map<std::int32_t, std::string> raise;
    std::string serverDateTime = "20261209103015";
    std::string dbType = "SQLSERVER";

protected:
    platform::Variant invoke(std::int32_t dispId, platform::DispatchArgs& args) override;

private:
    bool query(const std::string& sql, platform::Variant& out);
    bool statement(const std::string& sql, platform::Variant& out);

    sqlite3* db_ = nullptr;
};

// Creates the archive's tables (tbHsdwda, tbzyda, tbXtcs with "dwlx" = unitType,
// "zbbm" = headOffice, "dchy" = dchy, each omitted when nullopt) in a fresh file.
void createSchema(SqliteService& service, std::optional<std::string> unitType = "00",
                  std::optional<std::string> headOffice = "0001",
                  std::optional<std::string> dchy = "0");

} // namespace archivetest
