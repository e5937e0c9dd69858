// The host's data service on a real PostgreSQL server (the test run's throw-away cluster):
// set-up and roles, packets, transactions and server messages, the server's clock, lost
// connections and time-outs.

#include "host/PostgresDatabase.h"

#include "host/ArchiveSetup.h"
#include "host/CoorDispService.h"
#include "tests/support/PgCluster.h"

#include <QDateTime>

#include <arpa/inet.h>
#include <csignal>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using host::PostgresDatabase;
using testsupport::PgTestDatabase;

namespace {

constexpr const char* kLost = "与数据库服务器的连接已断开，下次操作时将重新连接";

// An operator's host data service, called through the dispatch interface.
struct Served {
    explicit Served(const std::string& uri, PostgresDatabase::Options options = {})
        : database(std::make_shared<PostgresDatabase>(uri, options))
        , ref(host::CoorDispService::create(database, &service)) {}

    bool exec(const std::string& sql, std::vector<std::string>* messages = nullptr) {
        platform::Variant statement(sql);
        const bool ok = ref.invoke(PLATFORM_DISPID_EXEC_SQL, {platform::byRef(statement)}).toBool();
        if (messages)
            *messages = texts(ok ? platform::Variant() : statement);
        return ok;
    }
    // The rows of `sql`, or nullopt with the messages.
    std::optional<platform::DataPacket> query(const std::string& sql,
                                              std::vector<std::string>* messages = nullptr) {
        platform::Variant data;
        const bool ok =
            ref.invoke(PLATFORM_DISPID_OPEN_QUERY, {platform::Variant(sql), platform::byRef(data)})
                .toBool();
        if (messages)
            *messages = texts(ok ? platform::Variant() : data);
        if (!ok)
            return std::nullopt;
        return platform::decodeDataPacket(data);
    }
    static std::vector<std::string> texts(const platform::Variant& array) {
        std::vector<std::string> out;
        if (array.isArray())
            for (const platform::Variant& m : array.arrayValue())
                out.push_back(m.toString());
        return out;
    }

    std::shared_ptr<PostgresDatabase> database;
    host::CoorDispService* service = nullptr;
    platform::DispatchRef ref;
};

std::string value(host::Database& db, const std::string& sql) {
    platform::DataPacket packet;
    std::vector<std::string> errors;
    EXPECT_TRUE(db.query(sql, packet, errors)) << sql << ": " << (errors.empty() ? "" : errors[0]);
    return packet.rows.empty() ? std::string("<none>") : packet.rows[0][0].value_or("<null>");
}

bool contains(const std::vector<std::string>& texts, const std::string& part) {
    for (const std::string& t : texts)
        if (t.find(part) != std::string::npos)
            return true;
    return false;
}

std::string joined(const std::vector<std::string>& texts) {
    std::string out;
    for (const std::string& t : texts)
        out += t + " | ";
    return out;
}

// Ends the session `pid` and waits (on the server) until it is gone.
void terminate(host::Database& admin, int pid) {
    ASSERT_EQ(value(admin, "select pg_terminate_backend(" + std::to_string(pid) + ", 20000)"), "t");
}

// Until the session `pid` runs a statement (bounded).
bool becomesActive(host::Database& admin, int pid) {
    for (int i = 0; i < 20000; ++i)
        if (value(admin, "select count(*) from pg_stat_activity where pid = " +
                             std::to_string(pid) + " and state = 'active'") == "1")
            return true;
    return false;
}

} // namespace

TEST(PostgresSetup, InitDbCreatesRolesSchemaAndVersionAndRunsAgainHarmlessly) {
    PgTestDatabase db;
    host::PostgresDatabase& admin = db.admin();
    const std::string owner = db.rolePrefix() + "_owner", op = db.rolePrefix() + "_operator";
    EXPECT_EQ(value(admin, "select string_agg(rolname || ':' || rolcanlogin, ',' order by "
                           "rolname) from pg_roles where rolname in ('" +
                               owner + "','" + op + "')"),
              op + ":false," + owner + ":false")
        << "both are group roles nobody logs in as";
    EXPECT_EQ(value(admin, "select string_agg(tablename || ':' || tableowner, ',' order by "
                           "tablename) from pg_tables where schemaname = 'hsdw'"),
              "hsdw_schema_version:" + owner + ",tbhsdwda:" + owner + ",tbxtcs:" + owner +
                  ",tbzyda:" + owner);
    EXPECT_EQ(value(admin, "select string_agg(version::text, ',') from hsdw_schema_version"), "1");
    EXPECT_EQ(value(admin, "select count(*) from tbHsdwda"), "30");

    host::InitOptions again;
    again.demo = true;
    again.rolePrefix = db.rolePrefix();
    const host::InitResult second = host::initArchiveDatabase(admin, again);
    EXPECT_FALSE(second.seeded) << "an archive with rows is never seeded";
    EXPECT_EQ(second.operatorRole, op);
    EXPECT_EQ(value(admin, "select count(*) from tbHsdwda"), "30");
    EXPECT_EQ(value(admin, "select count(*) from hsdw_schema_version"), "1");

    // A schema newer than this host is left alone.
    admin.executeOrThrow("insert into hsdw_schema_version values (2)");
    try {
        host::initArchiveDatabase(admin, again);
        ADD_FAILURE() << "a newer schema was accepted";
    } catch (const host::EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("比本宿主支持的版本 1 新"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(value(admin, "select current_user"), testsupport::PgCluster::adminUser())
        << "the set-up gives the session back as it found it";
}

TEST(PostgresSetup, TheOperatorMayOnlyEditTheArchive) {
    PgTestDatabase db;
    Served op(db.operatorUri());
    std::vector<std::string> messages;
    EXPECT_TRUE(op.exec("Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values('0031','新单位')"));
    EXPECT_TRUE(op.exec("Update tbHsdwda set f_Hsdwmc='改名' where(f_Hsdwh='0031')"));
    EXPECT_TRUE(op.exec("Delete From tbHsdwda where(f_Hsdwh='0031')"));
    ASSERT_TRUE(op.query("select f_zymc from tbzyda where f_zybm='0001'"));
    ASSERT_TRUE(op.query("select f_csz from tbxtcs"));

    const std::vector<std::pair<std::string, std::string>> refused{
        {"drop table tbHsdwda", "must be owner of table tbhsdwda"},
        {"truncate tbHsdwda", "permission denied for table tbhsdwda"},
        {"alter table tbHsdwda add column x int", "must be owner of table tbhsdwda"},
        {"delete from tbzyda", "permission denied for table tbzyda"},
        {"insert into tbzyda values('9','x')", "permission denied for table tbzyda"},
        {"update tbxtcs set f_csz='01' where f_Csmc='dwlx'", "permission denied for table tbxtcs"},
        {"create table extra(a int)", "permission denied for schema hsdw"},
        {"create table public.extra(a int)", "permission denied for schema public"},
        {"select * from hsdw_schema_version", "permission denied for table hsdw_schema_version"},
        {"set role " + db.rolePrefix() + "_owner", "permission denied to set role"},
        {"create role intruder login", "permission denied to create role"},
    };
    for (const auto& [sql, reason] : refused) {
        EXPECT_FALSE(op.exec(sql, &messages)) << sql;
        EXPECT_TRUE(contains(messages, reason)) << sql << ": " << joined(messages);
    }
    EXPECT_FALSE(op.query("select * from hsdw_schema_version", &messages));
    EXPECT_TRUE(contains(messages, "permission denied")) << joined(messages);

    host::PostgresDatabase& admin = db.admin();
    EXPECT_EQ(value(admin, "select count(*) from tbHsdwda"), "30");
    EXPECT_EQ(value(admin, "select count(*) from tbzyda"), "5");
    EXPECT_EQ(value(admin, "select f_csz from tbxtcs where f_Csmc='dwlx'"), "00");
    EXPECT_EQ(value(admin, "select count(*) from pg_tables where schemaname in ('hsdw','public')"),
              "4");
}

TEST(PostgresService, QueriesAnswerEveryValueAsTheServersText) {
    PgTestDatabase db;
    Served op(db.operatorUri());
    const auto packet =
        op.query("select 1 as n, 1.50::numeric as amount, null::text as nothing, true as flag, "
                 "timestamp '2026-12-09 10:30:00' as moment, date '2026-01-02' as day, "
                 "' 尾随 '::varchar(10) as padded, 'O''Brien \\ 分号;--'::text as tricky");
    ASSERT_TRUE(packet);
    EXPECT_EQ(packet->fields, (std::vector<std::string>{"n", "amount", "nothing", "flag", "moment",
                                                        "day", "padded", "tricky"}));
    ASSERT_EQ(packet->rows.size(), 1u);
    EXPECT_EQ(packet->rows[0],
              (platform::DataPacketRow{"1", "1.50", std::nullopt, "t", "2026-12-09 10:30:00",
                                       "2026-01-02", " 尾随 ", "O'Brien \\ 分号;--"}));

    const auto units = op.query("Select f_Hsdwh,f_Hsdwmc from tbHsdwda order by f_Hsdwh");
    ASSERT_TRUE(units);
    EXPECT_EQ(units->fields, (std::vector<std::string>{"f_hsdwh", "f_hsdwmc"}))
        << "the server folds unquoted names; the plug-in finds fields ignoring case";
    ASSERT_EQ(units->rows.size(), 30u);
    EXPECT_EQ(units->rows[0], (platform::DataPacketRow{"0001", "集团总部"}));

    std::vector<std::string> messages;
    EXPECT_FALSE(op.query("select 1; select 2", &messages));
    EXPECT_TRUE(contains(messages, "cannot insert multiple commands")) << joined(messages);
    EXPECT_FALSE(op.query("select * from nowhere", &messages));
    EXPECT_EQ(messages, (std::vector<std::string>{"relation \"nowhere\" does not exist"}));

    platform::Variant params;
    ASSERT_TRUE(op.ref.invoke(PLATFORM_DISPID_GET_SYS_PARAMS, {platform::byRef(params)}).toBool());
    const platform::DataPacket sys = platform::decodeDataPacket(params);
    EXPECT_EQ(sys.fields, (std::vector<std::string>{"f_Csmc", "f_csz"}));
    EXPECT_EQ(sys.rows, (std::vector<platform::DataPacketRow>{
                            {"dchy", "0"}, {"dwlx", "00"}, {"zbbm", "0001"}}));
    EXPECT_EQ(op.ref.invoke(PLATFORM_DISPID_GET_DB_TYPE, {}).toString(), "POSTGRESQL");
    op.service->setDbType("SQLSERVER");
    EXPECT_EQ(op.ref.invoke(PLATFORM_DISPID_GET_DB_TYPE, {}).toString(), "SQLSERVER");
}

TEST(PostgresService, EachStatementIsOneTransactionAndFailsWithTheServersMessages) {
    PgTestDatabase db;
    Served op(db.operatorUri());
    std::vector<std::string> messages;
    EXPECT_FALSE(op.exec("Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values('0031','甲');"
                         "Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values('0001','重复')",
                         &messages));
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "duplicate key value violates unique constraint \"tbhsdwda_pkey\"",
                            "Key (f_hsdwh)=(0001) already exists."}))
        << "primary message and detail";
    EXPECT_EQ(value(db.admin(), "select count(*) from tbHsdwda where f_Hsdwh='0031'"), "0")
        << "all of a statement or nothing";

    // A transaction the text opens and leaves open is undone, and the session goes on.
    EXPECT_FALSE(
        op.exec("begin; Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values('0032','乙')", &messages));
    EXPECT_EQ(messages, (std::vector<std::string>{"语句开始的事务没有提交，已全部撤销"}));
    EXPECT_FALSE(op.exec("begin; Insert Into tbHsdwda values('0033','丙'); bogus", &messages));
    EXPECT_TRUE(contains(messages, "syntax error at or near \"bogus\"")) << joined(messages);
    EXPECT_TRUE(op.exec("Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values('0034','丁')"));
    EXPECT_TRUE(op.exec("  ")) << "nothing to run is no failure";
    EXPECT_EQ(value(db.admin(), "select string_agg(f_Hsdwh, ',') from tbHsdwda where f_Hsdwh > "
                                "'0030'"),
              "0034");

    // The session's quoting cannot be switched to the old backslash rules.
    EXPECT_TRUE(op.exec("set standard_conforming_strings = off"));
    EXPECT_TRUE(op.exec("Update tbHsdwda set f_Hsdwmc='反\\斜' where(f_Hsdwh='0034')"));
    EXPECT_EQ(value(db.admin(), "select f_Hsdwmc from tbHsdwda where f_Hsdwh='0034'"), "反\\斜");
}

TEST(PostgresService, TheClockIsTheServers) {
    PgTestDatabase db;
    // A time zone no test machine uses: the host's clock would give another hour.
    db.admin().executeOrThrow("alter database " + db.name() +
                              " set timezone = 'Pacific/Kiritimati'");
    Served op(db.operatorUri());
    platform::Variant now;
    ASSERT_TRUE(
        op.ref.invoke(PLATFORM_DISPID_GET_SERVER_DATE_TIME, {platform::byRef(now)}).toBool());
    QDateTime server = QDateTime::fromString(QString::fromStdString(now.toString()),
                                             QStringLiteral("yyyyMMddHHmmss"));
    ASSERT_TRUE(server.isValid()) << now.toString();
    server.setTimeSpec(Qt::UTC);
    const QDateTime expected = QDateTime::currentDateTimeUtc().addSecs(14 * 3600);
    EXPECT_LT(std::abs(server.secsTo(expected)), 120) << now.toString();
}

TEST(PostgresService, ALostConnectionFailsOneCallAndIsReconnectedForTheNext) {
    PgTestDatabase db;
    host::PostgresDatabase& admin = db.admin();
    Served op(db.operatorUri());
    std::vector<std::string> messages;

    // Terminated while idle: the next call notices and connects again before it runs.
    const int first = op.database->backendPid();
    terminate(admin, first);
    ASSERT_TRUE(op.query("select 1", &messages)) << joined(messages);
    const int second = op.database->backendPid();
    EXPECT_NE(second, first);

    // Terminated while a statement runs: that call answers with the messages.
    auto running = std::async(std::launch::async, [&] {
        std::vector<std::string> texts;
        const bool ok = op.exec("select pg_sleep(60)", &texts);
        return std::make_pair(ok, texts);
    });
    ASSERT_TRUE(becomesActive(admin, second));
    terminate(admin, second);
    const auto [ok, texts] = running.get();
    EXPECT_FALSE(ok);
    EXPECT_TRUE(contains(texts, "terminating connection due to administrator command"))
        << joined(texts);
    EXPECT_EQ(texts.back(), kLost);

    ASSERT_TRUE(op.query("select 1", &messages)) << joined(messages);

    // A server that refuses the new login: every call tries once and says why.
    admin.executeOrThrow("alter role " + db.operatorUser() + " nologin");
    ASSERT_TRUE(op.query("select 1")) << "the session that is open stays usable";
    terminate(admin, op.database->backendPid());
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_FALSE(op.exec("Delete From tbHsdwda where(f_Hsdwh='0030')", &messages));
        EXPECT_TRUE(contains(messages, "is not permitted to log in")) << joined(messages);
        EXPECT_TRUE(contains(messages, "无法连接数据库服务器")) << joined(messages);
    }
    admin.executeOrThrow("alter role " + db.operatorUser() + " login");
    EXPECT_TRUE(op.exec("Delete From tbHsdwda where(f_Hsdwh='0030')", &messages))
        << joined(messages);
    EXPECT_EQ(value(admin, "select count(*) from tbHsdwda"), "29") << "the delete ran once";
}

TEST(PostgresService, TimeOutsEndCallsThatWouldHang) {
    PgTestDatabase db;
    PostgresDatabase::Options patient;
    patient.statementTimeoutMs = 300;
    patient.responseGraceMs = 20000;
    Served op(db.operatorUri(), patient);
    std::vector<std::string> messages;

    // The server cancels a long statement; the session stays.
    const int session = op.database->backendPid();
    EXPECT_FALSE(op.query("select pg_sleep(30)", &messages));
    EXPECT_EQ(messages, (std::vector<std::string>{"canceling statement due to statement timeout"}));
    EXPECT_EQ(op.database->backendPid(), session);

    // A server that does not answer at all: the host stops waiting and drops the session.
    PostgresDatabase::Options impatient;
    impatient.statementTimeoutMs = 300;
    impatient.responseGraceMs = 700;
    Served stuck(db.operatorUri(), impatient);
    const int pid = stuck.database->backendPid();
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    struct Resume {
        int pid;
        ~Resume() { ::kill(pid, SIGCONT); }
    } resume{pid};
    EXPECT_FALSE(stuck.query("select 1", &messages));
    EXPECT_EQ(messages, (std::vector<std::string>{"数据库服务器在 1 秒内没有应答，已断开连接"}));
    ::kill(pid, SIGCONT);
    ASSERT_TRUE(stuck.query("select 1", &messages)) << joined(messages);
    EXPECT_NE(stuck.database->backendPid(), pid);

    // A server that accepts the connection and never answers the login.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string silent =
        "postgresql://nobody@127.0.0.1:" + std::to_string(ntohs(address.sin_port)) +
        "/x?connect_timeout=2";
    try {
        PostgresDatabase never(silent);
        ADD_FAILURE() << "connected to a server that never answered";
    } catch (const host::EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("无法连接数据库服务器 postgresql://nobody@127.0.0.1:"),
                  std::string::npos)
            << e.what();
        EXPECT_NE(std::string(e.what()).find("timeout expired"), std::string::npos) << e.what();
    }
    ::close(listener);
}
