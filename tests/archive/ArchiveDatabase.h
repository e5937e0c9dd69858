#pragma once

// The archive's tests run against the reference host's own data service: a fresh SQLite
// file with the host's schema, served by host::CoorDispService, whose call log and scripted
// faults the tests read and set.

#include "host/CoorDispService.h"
#include "platform/Dispatch.h"

#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace host {
class SqliteDatabase;
}

namespace archivetest {

using Rows = std::vector<std::vector<std::string>>;

class ArchiveDatabase {
public:
    // The schema with the system parameters given (each left out when nullopt) and the
    // operator "01" 张三; GetServerDateTime answers "20261209103015".
    ArchiveDatabase(std::optional<std::string> dwlx = "00",
                    std::optional<std::string> zbbm = "0001",
                    std::optional<std::string> dchy = "0");
    ~ArchiveDatabase();

    // Runs SQL directly (set-up and checks); throws on failure.
    void exec(const std::string& sql);
    // Rows of a query, every value as text ("" for null).
    Rows rows(const std::string& sql);
    // The units as stored, ordered by code.
    Rows units();
    void addUnits(const Rows& units);
    void setParam(const std::string& name, const std::optional<std::string>& value);

    // The SQL texts the service received since the last clearCalls().
    std::vector<std::string> queries() const;
    std::vector<std::string> statements() const;
    void clearCalls();
    // Every call of `dispId` fails with `messages` (or raises `messages[0]`) until clearFaults().
    void fail(std::int32_t dispId, std::vector<std::string> messages);
    void raise(std::int32_t dispId, std::string message);
    void clearFaults();

    host::CoorDispService& service() const { return *service_; }
    const platform::DispatchRef& ref() const { return ref_; }

private:
    std::vector<std::string> sqlOf(std::int32_t dispId) const;

    QTemporaryDir dir_;
    std::shared_ptr<host::SqliteDatabase> database_;
    platform::DispatchRef ref_;
    host::CoorDispService* service_ = nullptr;
};

} // namespace archivetest
