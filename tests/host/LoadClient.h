#pragma once

// Many operators on one archive: clients that each drive a host data service (its own
// connection, its own CoorDispService, called through the dispatch interface with the
// plug-in's statement texts) with random adds, renames, re-codes and deletes, and keep a
// model of what their successful statements did.
//
// Each client owns a code range nobody else writes. The shared codes are contended: a
// client takes one by inserting it (or re-coding one of its own codes to it) and the unique
// constraint decides; only the holder renames, re-codes or deletes it. So the table at the
// end is exactly what the clients' successful statements imply, whatever order the
// database ran them in, and every refused statement must have left no trace.

#include <QByteArray>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace host {
class Database;
}

namespace loadtest {

struct LoadConfig {
    int firstClient = 0;  // the clients run here are numbered from firstClient
    int operations = 100; // per client
    int sharedCodes = 6;
    unsigned seed = 1;
};

struct ClientOutcome {
    int client = 0;
    long queries = 0;    // OpenQuery calls
    long statements = 0; // ExecSql calls
    long refused = 0;    // ExecSql calls that lost a shared code to another client
    long seenTaken = 0;  // duplicate checks that found a shared code another client held
    long busy = 0;       // calls answered "busy" (SQLite's busy time-out)
    std::map<std::string, std::string> units; // codes this client's statements left, → name
    std::vector<std::string> unexpected;      // failures no concurrency explains
};

// Runs one client per database (each its own connection), each in its own thread.
std::vector<ClientOutcome> runClients(const std::vector<std::shared_ptr<host::Database>>& databases,
                                      const LoadConfig& config);

QByteArray toJson(const std::vector<ClientOutcome>& outcomes);
std::vector<ClientOutcome> fromJson(const QByteArray& json);

// Compares tbHsdwda with the outcomes: every code of a client's range or of the shared
// range must be there exactly when a client's model holds it, with that name; no shared
// code is held twice; rows outside the ranges equal `before`. Empty when all is well.
std::vector<std::string> verify(host::Database& db, const std::vector<ClientOutcome>& outcomes,
                                const std::map<std::string, std::string>& before);

// The table as code → name.
std::map<std::string, std::string> units(host::Database& db);

// One run of load_client processes, released together.
struct LoadRun {
    std::vector<ClientOutcome> outcomes;
    long calls = 0, refused = 0, seenTaken = 0, busy = 0;
    double seconds = 0;                // from the release to the last report
    std::vector<std::string> problems; // processes that failed, clients that went wrong
};

// Starts the program `loadClient` once per location with `clientsPerProcess` clients each,
// waits until all are connected, releases them and collects their reports.
LoadRun runLoadProcesses(const QString& loadClient, const std::vector<std::string>& locations,
                         int operations, int clientsPerProcess = 4);

} // namespace loadtest
