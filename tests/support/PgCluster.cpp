#include "tests/support/PgCluster.h"

#include "host/ArchiveSetup.h"
#include "host/PostgresDatabase.h"

#include <QProcess>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <map>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {
namespace fs = std::filesystem;
namespace {

constexpr const char* kServerUser = "postgres";
constexpr const char* kPort = "5432"; // private: the socket lives in the cluster's folder

struct Account {
    bool switchUser = false;
    uid_t uid = 0;
    gid_t gid = 0;
};

// Who runs the server: this user, or under root the package's "postgres" user.
Account serverAccount() {
    Account account;
    if (::geteuid() != 0)
        return account;
    const passwd* pw = ::getpwnam(kServerUser);
    if (!pw)
        throw EPgClusterError(
            "PostgreSQL refuses to run as root and there is no system user 'postgres' to run "
            "it as; install the server with scripts/bootstrap (package postgresql)");
    account.switchUser = true;
    account.uid = pw->pw_uid;
    account.gid = pw->pw_gid;
    return account;
}

std::string binDir() {
    std::error_code ec;
    if (const char* dir = std::getenv("HSDW_PG_BINDIR")) {
        if (!fs::exists(std::string(dir) + "/initdb", ec))
            throw EPgClusterError(std::string("no initdb in HSDW_PG_BINDIR=") + dir);
        return dir;
    }
    std::string best;
    int bestVersion = -1;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        const std::string version = entry.path().filename().string();
        const int number = std::atoi(version.c_str());
        if (number > bestVersion && fs::exists(entry.path() / "bin" / "initdb", ec)) {
            bestVersion = number;
            best = (entry.path() / "bin").string();
        }
    }
    if (best.empty())
        throw EPgClusterError("no PostgreSQL server programs in /usr/lib/postgresql/<version>/bin; "
                              "install them with scripts/bootstrap (package postgresql)");
    return best;
}

struct Outcome {
    int exitCode = -1;
    std::string output;
};

Outcome runAs(const Account& account, const std::string& program, const QStringList& arguments,
              const std::string& workingDir, int timeoutMs) {
    QProcess process;
    process.setProgram(QString::fromStdString(program));
    process.setArguments(arguments);
    process.setWorkingDirectory(QString::fromStdString(workingDir));
    process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& key : env.keys())
        if (key.startsWith(QLatin1String("PG")))
            env.remove(key);
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(env);
    if (account.switchUser) {
        const Account a = account;
        process.setChildProcessModifier([a] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(a.gid) != 0 || ::setuid(a.uid) != 0)
                ::_exit(126);
        });
    }
    process.start();
    Outcome outcome;
    if (!process.waitForStarted(10000)) {
        outcome.output = "cannot start " + program;
        return outcome;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        outcome.output = program + " did not finish in time. ";
    }
    outcome.output += process.readAll().toStdString();
    if (process.exitStatus() == QProcess::NormalExit)
        outcome.exitCode = process.exitCode();
    return outcome;
}

std::string randomPassword() {
    static const char alphabet[] = "abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    std::string text;
    for (int i = 0; i < 24; ++i)
        text += alphabet[QRandomGenerator::system()->bounded(int(sizeof alphabet - 1))];
    return text;
}

std::map<std::string, std::string> readState(const std::string& stateDir) {
    std::map<std::string, std::string> values;
    std::ifstream in(stateDir + "/cluster.ini");
    std::string line;
    while (std::getline(in, line))
        if (const auto eq = line.find('='); eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    return values;
}

void writeFile(const std::string& path, const std::string& text, fs::perms perms) {
    std::ofstream out(path, std::ios::trunc);
    out << text;
    out.close();
    if (!out)
        throw EPgClusterError("cannot write " + path);
    fs::permissions(path, perms);
}

bool serverRunning(const std::string& folder) {
    std::ifstream pidFile(folder + "/data/postmaster.pid");
    long pid = 0;
    if (!(pidFile >> pid) || pid <= 0)
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
    std::error_code ec;
    return fs::exists(folder + "/.s.PGSQL." + kPort, ec);
}

std::string tail(const std::string& path, std::size_t bytes = 2000) {
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.size() > bytes ? text.substr(text.size() - bytes) : text;
}

void startServerIn(const Account& account, const std::string& folder) {
    const Outcome started =
        runAs(account, binDir() + "/pg_ctl",
              {QStringLiteral("-D"), QString::fromStdString(folder + "/data"), QStringLiteral("-l"),
               QString::fromStdString(folder + "/server.log"), QStringLiteral("-w"),
               QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("start")},
              folder, 90000);
    if (started.exitCode != 0 || !serverRunning(folder))
        throw EPgClusterError("the PostgreSQL server did not start: " + started.output +
                              "\nserver log:\n" + tail(folder + "/server.log"));
}

void stopServerIn(const Account& account, const std::string& folder) {
    runAs(account, binDir() + "/pg_ctl",
          {QStringLiteral("-D"), QString::fromStdString(folder + "/data"), QStringLiteral("-m"),
           QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
           QStringLiteral("stop")},
          folder, 90000);
}

// A cluster this process started because no fixture had; stopped at exit.
struct OwnCluster {
    std::string stateDir;
    ~OwnCluster() {
        if (!stateDir.empty()) {
            PgCluster::stop(stateDir);
            std::error_code ec;
            fs::remove_all(stateDir, ec);
        }
    }
};

std::unique_ptr<PgCluster>& current() {
    static std::unique_ptr<PgCluster> cluster;
    return cluster;
}

PgCluster& useCluster(std::unique_ptr<PgCluster> cluster) {
    current() = std::move(cluster);
    ::setenv("PGPASSFILE", current()->passFile().c_str(), 1);
    return *current();
}

PgCluster startOwn(PgCluster::Options options) {
    static OwnCluster own;
    if (!own.stateDir.empty())
        PgCluster::stop(own.stateDir);
    char pattern[] = "/tmp/hsdw-pg-state-XXXXXX";
    if (!::mkdtemp(pattern))
        throw EPgClusterError("cannot create a state folder under /tmp");
    own.stateDir = pattern;
    return PgCluster::start(own.stateDir, options);
}

} // namespace

PgCluster PgCluster::start(const std::string& stateDir, Options options) {
    stop(stateDir);
    const Account account = serverAccount();
    const std::string bin = binDir();
    std::error_code ec;
    fs::create_directories(stateDir, ec);

    char pattern[] = "/tmp/hsdw-pg-XXXXXX";
    if (!::mkdtemp(pattern))
        throw EPgClusterError("cannot create a folder for the cluster under /tmp");
    const std::string folder = pattern;
    const std::string password = randomPassword();
    writeFile(folder + "/pw", password + "\n", fs::perms::owner_read | fs::perms::owner_write);
    if (account.switchUser && (::chown(folder.c_str(), account.uid, account.gid) != 0 ||
                               ::chown((folder + "/pw").c_str(), account.uid, account.gid) != 0))
        throw EPgClusterError("cannot hand " + folder + " to the user postgres");
    // The state is recorded first, so that a failed start is still cleaned up by stop().
    writeFile(stateDir + "/cluster.ini", "folder=" + folder + "\n",
              fs::perms::owner_read | fs::perms::owner_write);

    const Outcome init =
        runAs(account, bin + "/initdb",
              {QStringLiteral("-D"), QString::fromStdString(folder + "/data"), QStringLiteral("-U"),
               QString::fromLatin1(adminUser()), QStringLiteral("--auth=scram-sha-256"),
               QStringLiteral("--pwfile=") + QString::fromStdString(folder + "/pw"),
               QStringLiteral("--encoding=UTF8"), QStringLiteral("--no-locale"),
               QStringLiteral("--no-sync"), QStringLiteral("--no-instructions")},
              folder, 120000);
    fs::remove(folder + "/pw", ec);
    if (init.exitCode != 0)
        throw EPgClusterError("initdb failed: " + init.output);

    std::string settings = "\nlisten_addresses = ''\nunix_socket_directories = '" + folder +
                           "'\nport = " + kPort + "\nmax_connections = 100\n";
    if (!options.durable)
        settings += "fsync = off\nsynchronous_commit = off\nfull_page_writes = off\n";
    {
        std::ofstream conf(folder + "/data/postgresql.conf", std::ios::app);
        conf << settings;
        if (!conf)
            throw EPgClusterError("cannot configure the cluster in " + folder);
    }
    startServerIn(account, folder);

    PgCluster cluster;
    cluster.folder_ = folder;
    cluster.socketDir_ = folder;
    cluster.password_ = password;
    cluster.passFile_ = stateDir + "/pgpass";
    writeFile(cluster.passFile_, "*:*:*:*:" + password + "\n",
              fs::perms::owner_read | fs::perms::owner_write);
    writeFile(stateDir + "/cluster.ini", "folder=" + folder + "\npassword=" + password + "\n",
              fs::perms::owner_read | fs::perms::owner_write);
    return cluster;
}

bool PgCluster::stop(const std::string& stateDir) {
    const auto state = readState(stateDir);
    const auto folder = state.find("folder");
    if (folder == state.end())
        return false;
    std::error_code ec;
    if (fs::exists(folder->second + "/data/postmaster.pid", ec)) {
        try {
            stopServerIn(serverAccount(), folder->second);
        } catch (const EPgClusterError& e) {
            std::fprintf(stderr, "pg cluster: %s\n", e.what());
        }
    }
    fs::remove_all(folder->second, ec);
    fs::remove(stateDir + "/cluster.ini", ec);
    fs::remove(stateDir + "/pgpass", ec);
    return true;
}

std::unique_ptr<PgCluster> PgCluster::attach(const std::string& stateDir) {
    const auto state = readState(stateDir);
    if (!state.count("folder") || !state.count("password") || !serverRunning(state.at("folder")))
        return nullptr;
    auto cluster = std::make_unique<PgCluster>();
    cluster->folder_ = state.at("folder");
    cluster->socketDir_ = cluster->folder_;
    cluster->password_ = state.at("password");
    cluster->passFile_ = stateDir + "/pgpass";
    return cluster;
}

PgCluster& PgCluster::shared() {
    if (current())
        return *current();
    const char* dir = std::getenv("HSDW_PG_CLUSTER_DIR");
    if (std::unique_ptr<PgCluster> attached =
            attach(dir ? dir : PROJECT_BINARY_DIR "/tests/pg-cluster"))
        return useCluster(std::move(attached));
    std::fprintf(stderr, "pg cluster: no fixture cluster running, starting one for this run\n");
    return useCluster(std::make_unique<PgCluster>(startOwn(Options{})));
}

PgCluster& PgCluster::startPrivate(Options options) {
    return useCluster(std::make_unique<PgCluster>(startOwn(options)));
}

void PgCluster::stopServer() {
    stopServerIn(serverAccount(), folder_);
    if (serverRunning(folder_))
        throw EPgClusterError("the PostgreSQL server did not stop");
}

void PgCluster::startServer() {
    startServerIn(serverAccount(), folder_);
}

std::string PgCluster::uri(const std::string& user, const std::string& database) const {
    return "postgresql://" + user + "@/" + database + "?host=" + socketDir_ + "&port=" + kPort;
}

std::string PgCluster::adminUri(const std::string& database) const {
    return uri(adminUser(), database);
}

PgTestDatabase::PgTestDatabase(Setup setup) {
    static std::atomic<int> counter{0};
    name_ = "t" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    PgCluster& cluster = PgCluster::shared();
    host::PostgresDatabase(cluster.adminUri()).executeOrThrow("create database " + name_);
    admin_ = std::make_unique<host::PostgresDatabase>(cluster.adminUri(name_));
    if (setup == Setup::Nothing)
        return;
    host::InitOptions init;
    init.demo = true;
    init.rolePrefix = name_;
    host::initArchiveDatabase(*admin_, init);
    if (setup == Setup::Empty)
        admin_->executeOrThrow("delete from tbHsdwda");
    addOperators();
}

void PgTestDatabase::addOperators() {
    for (int n = 1; n <= 2; ++n)
        admin_->executeOrThrow("create role " + operatorUser(n) + " login password " +
                               admin_->literal(PgCluster::shared().password()) + " in role " +
                               name_ + "_operator");
}

PgTestDatabase::~PgTestDatabase() {
    admin_.reset();
    try {
        host::PostgresDatabase postgres(PgCluster::shared().adminUri());
        std::vector<std::string> errors;
        if (!postgres.execute("drop database if exists " + name_ + " with (force)", errors) ||
            !postgres.execute("drop role if exists " + operatorUser(1) + ", " + operatorUser(2) +
                                  ", " + name_ + "_operator, " + name_ + "_owner",
                              errors))
            for (const std::string& e : errors)
                std::fprintf(stderr, "pg test database %s: %s\n", name_.c_str(), e.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pg test database %s: %s\n", name_.c_str(), e.what());
    }
}

std::string PgTestDatabase::adminUri() const {
    return PgCluster::shared().adminUri(name_);
}

std::string PgTestDatabase::operatorUser(int n) const {
    return name_ + "_op" + std::to_string(n);
}

std::string PgTestDatabase::operatorUri(int n) const {
    return PgCluster::shared().uri(operatorUser(n), name_);
}

host::PostgresDatabase& PgTestDatabase::admin() {
    return *admin_;
}

} // namespace testsupport
