#pragma once

// The archive on a PostgreSQL server, through libpq. Several hosts share one database;
// the server's constraints decide between operators who write the same code at once.
//
// Every call has a deadline: the server cancels a statement after the statement time-out,
// and a server that does not answer at all within the time-out and a grace period loses the
// connection. A lost connection (server restart, terminated session, time-out) fails the
// call it happens in with the message array; the next call connects again, once.

#include "host/Database.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;

namespace host {

class PostgresDatabase : public Database {
public:
    struct Options {
        int connectTimeoutSeconds = 10; // unless the URI sets connect_timeout
        int statementTimeoutMs = 30000; // the server cancels longer statements
        int responseGraceMs = 5000;     // then the host stops waiting and drops the link
    };

    // Connects to the libpq connection URI; EDatabaseError (Chinese, with libpq's reason)
    // when the server cannot be reached or refuses the login.
    explicit PostgresDatabase(std::string uri);
    PostgresDatabase(std::string uri, Options options);
    ~PostgresDatabase() override;

    // Whether `text` is a PostgreSQL connection URI (postgresql:// or postgres://).
    static bool isUri(std::string_view text);
    // Empty when `uri` may be given on a command line; else why not (malformed, or it
    // carries a password, which belongs in PGPASSFILE, ~/.pgpass or the environment).
    static std::string checkCommandLineUri(const std::string& uri);

    DatabaseKind kind() const override { return DatabaseKind::Postgres; }
    std::string location() const override { return location_; }

    // Runs `sql` (one or more statements) as one transaction of its own: all of it or,
    // on an error, none of it.
    bool execute(const std::string& sql, std::vector<std::string>& errors) override;
    // Runs exactly one statement; its rows in the server's text form.
    bool query(const std::string& sql, platform::DataPacket& result,
               std::vector<std::string>& errors) override;
    // The server's clock in the session's time zone.
    bool serverDateTime(std::string& value, std::vector<std::string>& errors) override;
    bool tableExists(const std::string& name) override;

    // A value as an SQL string literal (the server's own quoting rules).
    std::string literal(std::string_view value);
    // The server process of this session, 0 when not connected (tests and diagnostics).
    int backendPid() const;

private:
    struct ResultDeleter {
        void operator()(pg_result* result) const;
    };
    using Result = std::unique_ptr<pg_result, ResultDeleter>;

    void connect(std::vector<std::string>& errors);
    bool ensureConnected(std::vector<std::string>& errors);
    bool setUpSession(std::vector<std::string>& errors);
    // Sends `sql` and collects every result before the deadline. `single` uses the
    // extended protocol, which refuses more than one statement.
    bool exchange(const std::string& sql, bool single, std::vector<Result>& results,
                  std::vector<std::string>& errors);
    bool waitReadable(long long deadlineMs);
    void drainCopy(); // a COPY TO STDOUT's rows, which the service has no use for
    void dropConnection();
    void endOpenTransaction(bool& ok, std::vector<std::string>& errors);
    bool run(const std::string& sql, bool single, std::vector<Result>& results,
             std::vector<std::string>& errors);

    std::string uri_;
    std::string location_;
    Options options_;
    pg_conn* conn_ = nullptr;
};

} // namespace host
