#pragma once

// The reference host's data service (ICoorDisp) over a database (SQLite or PostgreSQL), as
// a dispatch object the plug-in calls across the C boundary:
//   0x60020000 OpenQuery(sql, byref data)  -> Boolean, data packet or message array
//   2          ExecSql(byref statement)    -> Boolean, message array on failure
//   6          GetServerDateTime(byref v)  -> Boolean, "yyyymmddhhnnss" of the database's
//                                             clock, or a message array
//   100        GetSysParams(byref data)    -> Boolean, packet of f_Csmc, f_csz
//   20         GetDbType()                 -> the configured database kind, or a raised error
//
// For the harness it also keeps a log of the calls it served and can be told to fail an
// operation (answer false with given messages) or to raise an error for it.

#include "platform/Dispatch.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace host {

class Database;

class CoorDispService : public platform::DispatchObject {
public:
    struct Call {
        std::int32_t dispId = 0;
        std::string sql; // OpenQuery and ExecSql: the text received
        bool result = false;
    };

    // A scripted fault for one operation.
    struct Fault {
        bool raise = false;                // raise an error (failing dispatch status)
        std::vector<std::string> messages; // the messages (raise: the first is the error text)
        // OpenQuery only: answer true with the query's packet cut in half (a packet damaged
        // on the way), instead of failing.
        bool damagedPacket = false;
    };

    explicit CoorDispService(std::shared_ptr<Database> database);
    ~CoorDispService() override;

    // Creates a service and returns the one reference it starts with and the object.
    static platform::DispatchRef create(std::shared_ptr<Database> database,
                                        CoorDispService** object = nullptr);

    // GetDbType's answer (by default "SQLSERVER" on SQLite, "POSTGRESQL" on PostgreSQL),
    // or a raised error when `raises`.
    void setDbType(std::string dbType) { dbType_ = std::move(dbType); }
    void setDbTypeRaises(bool raises) { dbTypeRaises_ = raises; }
    const std::string& dbType() const { return dbType_; }

    // The host clock's answer for GetServerDateTime; unset = the current local time.
    void setFixedDateTime(std::optional<std::string> value) { fixedDateTime_ = std::move(value); }

    void setFault(std::int32_t dispId, Fault fault) { faults_[dispId] = std::move(fault); }
    void clearFaults() { faults_.clear(); }

    const std::vector<Call>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }

    Database& database() { return *database_; }

    // Name of the system-parameter table GetSysParams reads.
    static const char* sysParamTable();

protected:
    platform::Variant invoke(std::int32_t dispId, platform::DispatchArgs& args) override;

private:
    bool openQuery(platform::DispatchArgs& args, Call& call);
    bool execSql(platform::DispatchArgs& args, Call& call);
    bool getServerDateTime(platform::DispatchArgs& args);
    bool getSysParams(platform::DispatchArgs& args);
    // Answers with a packet of `sql`'s rows in by-reference argument `index`.
    bool answerQuery(platform::DispatchArgs& args, std::size_t index, const std::string& sql);

    std::shared_ptr<Database> database_;
    std::string dbType_;
    bool dbTypeRaises_ = false;
    std::optional<std::string> fixedDateTime_;
    std::map<std::int32_t, Fault> faults_;
    std::vector<Call> calls_;
};

// A message array as the service hands it back.
platform::Variant messageArray(const std::vector<std::string>& messages);

} // namespace host
