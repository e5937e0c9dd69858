#pragma once

// A SQLite database file as the host's data service sees it: statements run as given,
// query results come back as text columns, failures as the database's own error texts.

#include "platform/DataPacket.h"

#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace host {

// Raised when a database file cannot be opened or used at all (the messages are Chinese
// and meant for the operator).
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SqliteDatabase {
public:
    enum class OpenMode {
        ExistingOnly, // the file must exist and be a readable SQLite database
        CreateIfMissing,
    };

    // Opens `path`; EDatabaseError with a clear message when the file is missing (for
    // ExistingOnly), unreadable or not a database.
    SqliteDatabase(const std::string& path, OpenMode mode);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    const std::string& path() const { return path_; }

    // Runs every statement of `sql` in order; false with the database's error texts when one
    // fails (statements before it stay executed, as in any SQL console).
    bool execute(const std::string& sql, std::vector<std::string>& errors);

    // Runs one query and collects its rows (every value as text, SQL NULL as no value);
    // false with the database's error texts.
    bool query(const std::string& sql, platform::DataPacket& result,
               std::vector<std::string>& errors);

    // Runs `sql` and raises EDatabaseError on failure (schema and seeding).
    void executeOrThrow(const std::string& sql);

    bool tableExists(const std::string& name);

private:
    std::string errorText() const;

    std::string path_;
    sqlite3* db_ = nullptr; // open for the object's whole life
};

} // namespace host
