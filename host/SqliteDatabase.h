#pragma once

// A SQLite database file as the host's data service sees it. Files are kept in WAL mode so
// that two operators on one machine can read while the other writes; a writer that finds
// the file busy waits for the busy time-out and then answers with a message. A file that
// could only be opened for reading is opened again for writing by the first statement that
// finds it writable again, so permissions mended while the host runs need no restart.

#include "host/Database.h"

#include <string>
#include <vector>

struct sqlite3;

namespace host {

class SqliteDatabase : public Database {
public:
    enum class OpenMode {
        ExistingOnly, // the file must exist and be a readable SQLite database
        CreateIfMissing,
    };

    static constexpr int kDefaultBusyTimeoutMs = 3000;

    // Opens `path`; EDatabaseError with a clear message when the file is missing (for
    // ExistingOnly), unreadable or not a database.
    SqliteDatabase(const std::string& path, OpenMode mode);
    ~SqliteDatabase() override;

    const std::string& path() const { return path_; }
    DatabaseKind kind() const override { return DatabaseKind::Sqlite; }
    std::string location() const override { return path_; }

    // How long a statement waits for another connection's write lock.
    void setBusyTimeout(int milliseconds);
    // The journal mode in force ("wal" unless the file cannot hold a write-ahead log).
    std::string journalMode();

    // Runs every statement of `sql` in order; false with the database's error texts when one
    // fails (statements before it stay executed, as in any SQL console). A transaction the
    // text opens and leaves open is rolled back: it would lock every other operator out.
    bool execute(const std::string& sql, std::vector<std::string>& errors) override;
    bool query(const std::string& sql, platform::DataPacket& result,
               std::vector<std::string>& errors) override;
    // The host's clock: an embedded database has no other.
    bool serverDateTime(std::string& value, std::vector<std::string>& errors) override;
    bool tableExists(const std::string& name) override;

private:
    // Opens path_ with `flags` into db_ (closing what was open); false with the reason.
    bool openConnection(int flags, std::string& reason);
    // A read-only connection to a file that has become writable is replaced by a writable
    // one; true when that happened.
    bool reopenIfWritable();
    int runStatements(const std::string& sql, std::vector<std::string>& errors);
    void addError(std::vector<std::string>& errors) const;
    void rollbackOpenTransaction();

    std::string path_;
    sqlite3* db_ = nullptr; // open for the object's whole life (replaced when reopened)
    int busyTimeoutMs_ = kDefaultBusyTimeoutMs;
};

} // namespace host
