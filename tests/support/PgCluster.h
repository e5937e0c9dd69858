#pragma once

// A throw-away PostgreSQL cluster for the tests and benchmarks, built from the Debian
// server package's programs (/usr/lib/postgresql/<version>/bin) in a fresh folder under
// /tmp. PostgreSQL refuses to run as root, so under root the cluster runs as the system
// user "postgres" that the package creates. It listens only on a unix socket inside its
// folder; every role logs in with one generated password, handed to libpq through a
// password file (PGPASSFILE), never on a command line.
//
// Under CTest the fixture "pg_cluster" starts one cluster for the whole run (the state
// folder records where it runs) and stops it at the end; a test binary run by hand starts
// its own and stops it when it exits.

#include <memory>
#include <stdexcept>
#include <string>

namespace host {
class PostgresDatabase;
}

namespace testsupport {

class EPgClusterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class PgCluster {
public:
    struct Options {
        bool durable = false; // fsync and synchronous commit as in production (benchmarks)
    };

    // Starts a new cluster and records it in `stateDir` (stopping one recorded there).
    // EPgClusterError saying what is missing or what the server logged.
    static PgCluster start(const std::string& stateDir, Options options);
    static PgCluster start(const std::string& stateDir) { return start(stateDir, Options{}); }
    // Stops the cluster recorded in `stateDir` and removes its folder; false when none ran.
    static bool stop(const std::string& stateDir);
    // The cluster recorded in `stateDir`, when its server is running.
    static std::unique_ptr<PgCluster> attach(const std::string& stateDir);

    // The tests' cluster: the fixture's, or one this process starts and stops at exit.
    // Also points PGPASSFILE at the cluster's password file for this process and its
    // children.
    static PgCluster& shared();
    // A cluster of this process's own, stopped at exit, which shared() answers from now on
    // (benchmarks that need a durable one).
    static PgCluster& startPrivate(Options options);

    // Stops the server (fast: sessions are ended) and starts it again on the same data, as
    // an administrator restarting it does; EPgClusterError when it does not come back.
    void stopServer();
    void startServer();

    // A libpq URI for `user` on `database` (no password in it).
    std::string uri(const std::string& user, const std::string& database) const;
    std::string adminUri(const std::string& database = "postgres") const;
    static const char* adminUser() { return "hsdw_admin"; }
    const std::string& password() const { return password_; }
    const std::string& passFile() const { return passFile_; }
    const std::string& socketDir() const { return socketDir_; }

private:
    std::string folder_; // the cluster's temporary folder (data, socket, log)
    std::string socketDir_;
    std::string password_;
    std::string passFile_;
};

// A fresh database in the shared cluster, set up the way --init-db sets one up (with role
// prefix = the database's name), with two login operators; dropped with its roles when
// destroyed.
class PgTestDatabase {
public:
    enum class Setup {
        Demo,    // the archive with the demo data
        Empty,   // the demo data without accounting units
        Nothing, // a bare database: no schema, no roles (--init-db is the test's job)
    };
    explicit PgTestDatabase(Setup setup = Setup::Demo);
    ~PgTestDatabase();
    PgTestDatabase(const PgTestDatabase&) = delete;
    PgTestDatabase& operator=(const PgTestDatabase&) = delete;

    const std::string& name() const { return name_; }
    const std::string& rolePrefix() const { return name_; }
    std::string adminUri() const;
    // Login operator 1 or 2, members of the operator role (created by addOperators() for
    // a bare database).
    std::string operatorUser(int n = 1) const;
    void addOperators();
    std::string operatorUri(int n = 1) const;
    // An administrator's connection to this database (checks and set-up).
    host::PostgresDatabase& admin();

private:
    std::string name_;
    std::unique_ptr<host::PostgresDatabase> admin_;
};

} // namespace testsupport
