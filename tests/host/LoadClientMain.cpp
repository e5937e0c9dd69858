// load_client: one process of the load test and benchmark.
//
//   load_client --db FILE|URI --first K --clients C --ops N --shared S --seed X
//       opens C connections, prints "connected", waits for a "go" line, runs the clients and
//       prints their outcomes as one JSON line
//   load_client --db FILE --hold-lock
//       takes the SQLite file's write lock, prints "locked", and releases it (committing
//       nothing) when a line arrives: the other operator who keeps the file busy

#include "host/PostgresDatabase.h"
#include "host/SqliteDatabase.h"
#include "tests/host/LoadClient.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <sqlite3.h>

namespace {

std::shared_ptr<host::Database> open(const std::string& location) {
    if (host::PostgresDatabase::isUri(location))
        return std::make_shared<host::PostgresDatabase>(location);
    return std::make_shared<host::SqliteDatabase>(location,
                                                  host::SqliteDatabase::OpenMode::ExistingOnly);
}

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption db(QStringLiteral("db"), QString(), QStringLiteral("DB"));
    const QCommandLineOption first(QStringLiteral("first"), QString(), QStringLiteral("K"), "0");
    const QCommandLineOption clients(QStringLiteral("clients"), QString(), QStringLiteral("C"),
                                     "4");
    const QCommandLineOption ops(QStringLiteral("ops"), QString(), QStringLiteral("N"), "100");
    const QCommandLineOption shared(QStringLiteral("shared"), QString(), QStringLiteral("S"), "6");
    const QCommandLineOption seed(QStringLiteral("seed"), QString(), QStringLiteral("X"), "1");
    const QCommandLineOption holdLock(QStringLiteral("hold-lock"));
    parser.addOptions({db, first, clients, ops, shared, seed, holdLock});
    if (!parser.parse(QCoreApplication::arguments()) || !parser.isSet(db)) {
        std::fprintf(stderr, "load_client: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    const std::string location = parser.value(db).toStdString();
    try {
        std::string line;
        if (parser.isSet(holdLock)) {
            // The host's own database class never leaves a transaction open, so the other
            // operator here is a plain SQLite connection.
            sqlite3* file = nullptr;
            if (sqlite3_open_v2(location.c_str(), &file, SQLITE_OPEN_READWRITE, nullptr) !=
                    SQLITE_OK ||
                sqlite3_exec(file, "begin immediate", nullptr, nullptr, nullptr) != SQLITE_OK) {
                std::fprintf(stderr, "load_client: cannot lock %s: %s\n", location.c_str(),
                             sqlite3_errmsg(file));
                sqlite3_close(file);
                return 1;
            }
            say("locked");
            std::getline(std::cin, line);
            sqlite3_exec(file, "rollback", nullptr, nullptr, nullptr);
            sqlite3_close(file);
            return 0;
        }
        loadtest::LoadConfig config;
        config.firstClient = parser.value(first).toInt();
        config.operations = parser.value(ops).toInt();
        config.sharedCodes = parser.value(shared).toInt();
        config.seed = parser.value(seed).toUInt();
        std::vector<std::shared_ptr<host::Database>> databases;
        for (int i = 0; i < parser.value(clients).toInt(); ++i)
            databases.push_back(open(location));
        say("connected");
        if (!std::getline(std::cin, line) || line != "go")
            return 3;
        say(loadtest::toJson(loadtest::runClients(databases, config)).toStdString());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "load_client: %s\n", e.what());
        return 1;
    }
}
