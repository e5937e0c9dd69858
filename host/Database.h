#pragma once

// The database behind the host's data service: an embedded SQLite file or a PostgreSQL
// server. Statements run as given, query results come back as text columns, and failures
// come back as the database's own message texts (never as exceptions), so that the data
// service can hand them to the plug-in as its message array.

#include "platform/DataPacket.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace host {

// Raised when a database cannot be opened or used at all (the messages are Chinese and
// meant for the operator).
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class DatabaseKind { Sqlite, Postgres };

class Database {
public:
    virtual ~Database();

    virtual DatabaseKind kind() const = 0;
    // Where the data lives, for the status bar and messages (never a password).
    virtual std::string location() const = 0;

    // Runs `sql` (one or more statements); false with the database's message texts.
    virtual bool execute(const std::string& sql, std::vector<std::string>& errors) = 0;

    // Runs one query and collects its rows (every value as text, SQL NULL as no value);
    // false with the database's message texts.
    virtual bool query(const std::string& sql, platform::DataPacket& result,
                       std::vector<std::string>& errors) = 0;

    // The database's clock as "yyyymmddhhnnss" (a server reads its own clock).
    virtual bool serverDateTime(std::string& value, std::vector<std::string>& errors) = 0;

    // Whether a table of that name exists (names compared without regard to case).
    virtual bool tableExists(const std::string& name) = 0;

    // Runs `sql` and raises EDatabaseError on failure (schema and seeding).
    void executeOrThrow(const std::string& sql);

protected:
    Database() = default;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
};

} // namespace host
