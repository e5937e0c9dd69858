#include "host/PostgresDatabase.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <libpq-fe.h>
#include <poll.h>

namespace host {
namespace {

constexpr const char* kLostText = "与数据库服务器的连接已断开，下次操作时将重新连接";
constexpr const char* kOpenTransactionText = "语句开始的事务没有提交，已全部撤销";
constexpr const char* kCopyText = "宿主不支持 COPY 语句";

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// libpq's own texts span lines ("connection to server ... failed: ...\n\tIs the server
// running ..."); each line becomes one message.
void addLines(std::string_view text, std::vector<std::string>& out) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        while (!line.empty() && std::strchr(" \t\r", line.front()))
            line.remove_prefix(1);
        while (!line.empty() && std::strchr(" \t\r", line.back()))
            line.remove_suffix(1);
        if (!line.empty())
            out.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

// The server's primary message and its detail, as the operator should read them.
void addResultErrors(const PGresult* result, std::vector<std::string>& errors) {
    const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    if (primary && *primary)
        errors.emplace_back(primary);
    else
        addLines(PQresultErrorMessage(result), errors);
    const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL);
    if (detail && *detail)
        errors.emplace_back(detail);
}

void ignoreNotice(void*, const char*) {}

std::string quoteLiteral(std::string_view value) {
    // Sessions run with standard_conforming_strings on: only the quote is special.
    std::string out = "'";
    for (char c : value) {
        if (c == '\'')
            out += '\'';
        out += c;
    }
    return out + "'";
}

// user@host:port/database of a connection URI, without its password.
std::string describe(const std::string& uri) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(uri.c_str(), &error);
    PQfreemem(error);
    if (!options)
        return "PostgreSQL";
    std::string user, hostName, port, dbname;
    for (PQconninfoOption* o = options; o->keyword; ++o) {
        if (!o->val)
            continue;
        const std::string_view key = o->keyword;
        if (key == "user")
            user = o->val;
        else if (key == "host")
            hostName = o->val;
        else if (key == "port")
            port = o->val;
        else if (key == "dbname")
            dbname = o->val;
    }
    PQconninfoFree(options);
    std::string text = "postgresql://";
    if (!user.empty())
        text += user + "@";
    // A socket folder reads better as a parameter than squeezed into the host part.
    const bool socket = hostName.starts_with('/');
    if (!socket)
        text += hostName;
    if (!port.empty() && !socket)
        text += ":" + port;
    text += "/" + dbname;
    if (socket)
        text += "?host=" + hostName;
    return text;
}

std::string joined(const std::vector<std::string>& texts) {
    std::string text;
    for (const std::string& t : texts)
        text += (text.empty() ? "" : "；") + t;
    return text;
}

} // namespace

void PostgresDatabase::ResultDeleter::operator()(pg_result* result) const {
    PQclear(result);
}

PostgresDatabase::PostgresDatabase(std::string uri)
    : PostgresDatabase(std::move(uri), Options{}) {}

PostgresDatabase::PostgresDatabase(std::string uri, Options options)
    : uri_(std::move(uri))
    , location_(describe(uri_))
    , options_(options) {
    if (options_.connectTimeoutSeconds <= 0)
        options_.connectTimeoutSeconds = Options{}.connectTimeoutSeconds;
    if (options_.statementTimeoutMs <= 0)
        options_.statementTimeoutMs = Options{}.statementTimeoutMs;
    if (options_.responseGraceMs < 0)
        options_.responseGraceMs = 0;
    std::vector<std::string> errors;
    connect(errors);
    if (!conn_)
        throw EDatabaseError("无法连接数据库服务器 " + location_ + "：" + joined(errors));
}

PostgresDatabase::~PostgresDatabase() {
    dropConnection();
}

bool PostgresDatabase::isUri(std::string_view text) {
    return text.starts_with("postgresql://") || text.starts_with("postgres://");
}

std::string PostgresDatabase::checkCommandLineUri(const std::string& uri) {
    if (!isUri(uri))
        return "不是 PostgreSQL 连接地址（应以 postgresql:// 开头）：" + uri;
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(uri.c_str(), &error);
    if (!options) {
        std::vector<std::string> reason;
        addLines(error ? error : "", reason);
        PQfreemem(error);
        return "PostgreSQL 连接地址无效：" + joined(reason);
    }
    bool hasPassword = false;
    for (PQconninfoOption* o = options; o->keyword; ++o)
        if (std::string_view(o->keyword) == "password" && o->val && *o->val)
            hasPassword = true;
    PQconninfoFree(options);
    if (hasPassword)
        return "连接地址里不能写口令（命令行对本机所有用户可见）：请把口令放在 PGPASSFILE "
               "指向的文件或 ~/.pgpass 中，或放在环境变量 PGPASSWORD 中";
    return {};
}

void PostgresDatabase::connect(std::vector<std::string>& errors) {
    dropConnection();
    // Keywords before dbname are defaults the URI may override; those after it are not.
    const std::string timeout = std::to_string(options_.connectTimeoutSeconds);
    const char* keys[] = {"connect_timeout", "application_name",    "keepalives",
                          "keepalives_idle", "keepalives_interval", "keepalives_count",
                          "dbname",          "client_encoding",     nullptr};
    const char* values[] = {timeout.c_str(), "hsdwhost", "1",    "30", "10", "3",
                            uri_.c_str(),    "UTF8",     nullptr};
    conn_ = PQconnectdbParams(keys, values, 1);
    if (!conn_) {
        errors.emplace_back("内存不足，无法连接数据库服务器");
        return;
    }
    if (PQstatus(conn_) != CONNECTION_OK) {
        addLines(PQerrorMessage(conn_), errors);
        dropConnection();
        return;
    }
    PQsetNoticeProcessor(conn_, ignoreNotice, nullptr);
    if (!setUpSession(errors))
        dropConnection();
}

bool PostgresDatabase::setUpSession(std::vector<std::string>& errors) {
    // Quoted values must mean what they say whatever the server's defaults are, and dates
    // read back as "yyyy-mm-dd hh:nn:ss".
    std::vector<Result> results;
    return exchange("set standard_conforming_strings = on; set datestyle = 'ISO, YMD'; "
                    "set intervalstyle = 'postgres'; set statement_timeout = " +
                        std::to_string(options_.statementTimeoutMs),
                    false, results, errors);
}

bool PostgresDatabase::ensureConnected(std::vector<std::string>& errors) {
    if (conn_ && PQstatus(conn_) == CONNECTION_OK) {
        // A session the server closed since the last call (restart, terminated session)
        // has left its farewell on the socket: notice it now instead of failing this call.
        // Its last message comes first and the end of the stream after it, so read until
        // nothing more is waiting (a few rounds at most).
        for (int round = 0; conn_ && round < 8; ++round) {
            pollfd pending{PQsocket(conn_), POLLIN, 0};
            if (::poll(&pending, 1, 0) <= 0)
                break;
            if (!PQconsumeInput(conn_) || PQstatus(conn_) != CONNECTION_OK)
                dropConnection();
        }
        while (PGnotify* notice = conn_ ? PQnotifies(conn_) : nullptr)
            PQfreemem(notice);
    }
    if (conn_ && PQstatus(conn_) == CONNECTION_OK) {
        const char* quoting = PQparameterStatus(conn_, "standard_conforming_strings");
        if (quoting && std::strcmp(quoting, "on") == 0)
            return true;
        return setUpSession(errors);
    }
    std::vector<std::string> reasons;
    connect(reasons);
    if (conn_)
        return true;
    errors.insert(errors.end(), reasons.begin(), reasons.end());
    errors.emplace_back("无法连接数据库服务器 " + location_);
    return false;
}

bool PostgresDatabase::waitReadable(long long deadlineMs) {
    for (;;) {
        const long long left = deadlineMs - nowMs();
        if (left <= 0)
            return false;
        pollfd p{PQsocket(conn_), POLLIN, 0};
        const int n = ::poll(&p, 1, int(std::min<long long>(left, 60000)));
        if (n > 0)
            return true;
        if (n < 0 && errno != EINTR)
            return true; // let libpq read and report the failure
    }
}

void PostgresDatabase::drainCopy() {
    char* buffer = nullptr;
    while (PQgetCopyData(conn_, &buffer, 0) > 0)
        PQfreemem(buffer);
}

bool PostgresDatabase::exchange(const std::string& sql, bool single, std::vector<Result>& results,
                                std::vector<std::string>& errors) {
    const int sent =
        single ? PQsendQueryParams(conn_, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0)
               : PQsendQuery(conn_, sql.c_str());
    bool ok = sent != 0;
    bool lost = !ok;
    if (!ok)
        addLines(PQerrorMessage(conn_), errors);
    const long long waited = options_.statementTimeoutMs + options_.responseGraceMs;
    const long long deadline = nowMs() + waited;
    // After an error the server skips the rest of the text; its results end with a null.
    while (!lost) {
        while (!lost && PQisBusy(conn_)) {
            if (!waitReadable(deadline)) {
                errors.emplace_back("数据库服务器在 " + std::to_string((waited + 999) / 1000) +
                                    " 秒内没有应答，已断开连接");
                dropConnection();
                return false;
            }
            lost = !PQconsumeInput(conn_);
        }
        if (lost)
            break;
        PGresult* raw = PQgetResult(conn_);
        if (!raw)
            break;
        results.emplace_back(raw);
        switch (PQresultStatus(raw)) {
        case PGRES_FATAL_ERROR:
        case PGRES_BAD_RESPONSE:
            ok = false;
            addResultErrors(raw, errors);
            break;
        case PGRES_COPY_IN:
            PQputCopyEnd(conn_, kCopyText);
            break;
        case PGRES_COPY_OUT:
            drainCopy();
            ok = false;
            errors.emplace_back(kCopyText);
            break;
        case PGRES_COPY_BOTH:
            lost = true;
            ok = false;
            errors.emplace_back(kCopyText);
            break;
        default:
            break;
        }
    }
    if (lost || PQstatus(conn_) != CONNECTION_OK) {
        if (ok)
            addLines(PQerrorMessage(conn_), errors);
        errors.emplace_back(kLostText);
        dropConnection();
        return false;
    }
    return ok;
}

void PostgresDatabase::endOpenTransaction(bool& ok, std::vector<std::string>& errors) {
    const PGTransactionStatusType status = PQtransactionStatus(conn_);
    if (status != PQTRANS_INTRANS && status != PQTRANS_INERROR)
        return;
    std::vector<Result> ignored;
    std::vector<std::string> rollbackErrors;
    exchange("rollback", false, ignored, rollbackErrors);
    if (ok) {
        ok = false;
        errors.emplace_back(kOpenTransactionText);
    }
}

bool PostgresDatabase::run(const std::string& sql, bool single, std::vector<Result>& results,
                           std::vector<std::string>& errors) {
    if (!ensureConnected(errors))
        return false;
    bool ok = exchange(sql, single, results, errors);
    if (conn_)
        endOpenTransaction(ok, errors);
    return ok;
}

void PostgresDatabase::dropConnection() {
    if (conn_)
        PQfinish(conn_);
    conn_ = nullptr;
}

bool PostgresDatabase::execute(const std::string& sql, std::vector<std::string>& errors) {
    std::vector<Result> results;
    return run(sql, false, results, errors);
}

bool PostgresDatabase::query(const std::string& sql, platform::DataPacket& result,
                             std::vector<std::string>& errors) {
    result = {};
    std::vector<Result> results;
    if (!run(sql, true, results, errors))
        return false;
    if (results.empty() || PQresultStatus(results.back().get()) == PGRES_EMPTY_QUERY) {
        errors.emplace_back("没有可执行的查询语句");
        return false;
    }
    const PGresult* rows = results.back().get();
    const int columns = PQnfields(rows);
    const int count = PQntuples(rows);
    for (int c = 0; c < columns; ++c)
        result.fields.emplace_back(PQfname(rows, c));
    result.rows.reserve(std::size_t(count));
    for (int r = 0; r < count; ++r) {
        platform::DataPacketRow row;
        row.reserve(std::size_t(columns));
        for (int c = 0; c < columns; ++c) {
            if (PQgetisnull(rows, r, c))
                row.emplace_back(std::nullopt);
            else
                row.emplace_back(
                    std::string(PQgetvalue(rows, r, c), std::size_t(PQgetlength(rows, r, c))));
        }
        result.rows.push_back(std::move(row));
    }
    return true;
}

bool PostgresDatabase::serverDateTime(std::string& value, std::vector<std::string>& errors) {
    platform::DataPacket now;
    if (!query("select to_char(clock_timestamp(), 'YYYYMMDDHH24MISS')", now, errors))
        return false;
    value = now.rows.at(0).at(0).value_or("");
    return true;
}

bool PostgresDatabase::tableExists(const std::string& name) {
    platform::DataPacket found;
    std::vector<std::string> errors;
    return query("select to_regclass(" + quoteLiteral(name) + ") is not null", found, errors) &&
           !found.rows.empty() && found.rows[0][0] == "t";
}

std::string PostgresDatabase::literal(std::string_view value) {
    return quoteLiteral(value);
}

int PostgresDatabase::backendPid() const {
    return conn_ ? PQbackendPID(conn_) : 0;
}

} // namespace host
