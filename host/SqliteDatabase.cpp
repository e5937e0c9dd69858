#include "host/SqliteDatabase.h"

#include <QDateTime>

#include <cstdio>
#include <filesystem>
#include <sqlite3.h>
#include <system_error>
#include <unistd.h>

namespace host {
namespace {

constexpr const char* kOpenTransactionText = "语句开始的事务没有提交，已全部撤销";

// Prepared statement owned for one scope.
class Statement {
public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt** out() { return &stmt_; }
    sqlite3_stmt* get() const { return stmt_; }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

bool isBlank(const char* text) {
    for (; *text; ++text)
        if (!(*text == ' ' || *text == '\t' || *text == '\r' || *text == '\n' || *text == ';'))
            return false;
    return true;
}

} // namespace

SqliteDatabase::SqliteDatabase(const std::string& path, OpenMode mode)
    : path_(path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const bool exists = fs::exists(path, ec);
    if (mode == OpenMode::ExistingOnly && !exists)
        throw EDatabaseError("数据库文件不存在：" + path);
    if (exists && fs::is_directory(path, ec))
        throw EDatabaseError("数据库路径是一个目录，不是数据库文件：" + path);
    if (exists) {
        std::FILE* probe = std::fopen(path.c_str(), "rb");
        if (!probe)
            throw EDatabaseError("无法读取数据库文件（没有读权限）：" + path);
        std::fclose(probe);
    }

    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX;
    if (mode == OpenMode::CreateIfMissing)
        flags |= SQLITE_OPEN_CREATE;
    std::string reason;
    if (!openConnection(flags, reason))
        throw EDatabaseError("无法打开数据库文件：" + path + "（" + reason + "）");

    // Opening is lazy: reading the schema is what proves the file is a database.
    std::vector<std::string> errors;
    platform::DataPacket probe;
    if (!query("select count(*) from sqlite_master", probe, errors)) {
        const std::string why = errors.empty() ? std::string() : errors.front();
        sqlite3_close(db_);
        db_ = nullptr;
        throw EDatabaseError("无法读取数据库文件：" + path + "（" + why + "）");
    }
    // Readers then never block the writer. A file in a folder the host may not write to
    // keeps its journal mode; it is read-only for this host anyway.
    errors.clear();
    execute("pragma journal_mode=wal", errors);
}

SqliteDatabase::~SqliteDatabase() {
    sqlite3_close(db_);
}

bool SqliteDatabase::openConnection(int flags, std::string& reason) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path_.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        reason = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return false;
    }
    sqlite3_close(db_);
    db_ = db;
    sqlite3_busy_timeout(db_, busyTimeoutMs_);
    sqlite3_extended_result_codes(db_, 1);
    return true;
}

bool SqliteDatabase::reopenIfWritable() {
    // SQLite opens a file it may not write read-only and keeps it so for the connection's
    // life; the file's rights may have been mended since.
    if (sqlite3_db_readonly(db_, "main") != 1 || ::access(path_.c_str(), W_OK) != 0)
        return false;
    sqlite3* old = db_;
    db_ = nullptr;
    std::string reason;
    if (!openConnection(SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, reason) ||
        sqlite3_db_readonly(db_, "main") != 0) {
        if (db_)
            sqlite3_close(db_);
        db_ = old;
        return false;
    }
    sqlite3_close(old);
    std::vector<std::string> ignored;
    runStatements("pragma journal_mode=wal", ignored);
    return true;
}

void SqliteDatabase::addError(std::vector<std::string>& errors) const {
    errors.emplace_back(sqlite3_errmsg(db_));
    // The operator reads the second line: what happened, in words that say what to do.
    switch (sqlite3_errcode(db_) & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        errors.emplace_back("数据库正被其他操作员使用，请稍后再试");
        break;
    case SQLITE_FULL:
        errors.emplace_back("数据库已满或磁盘空间不足，没有保存；请清理磁盘后再试");
        break;
    case SQLITE_READONLY:
        errors.emplace_back("数据库文件是只读的，不能保存修改；请检查文件权限后再试");
        break;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        errors.emplace_back("数据库文件已损坏或不是数据库文件");
        break;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        errors.emplace_back("读写数据库文件时出错，请检查磁盘和文件");
        break;
    default:
        break;
    }
}

void SqliteDatabase::rollbackOpenTransaction() {
    if (!sqlite3_get_autocommit(db_))
        sqlite3_exec(db_, "rollback", nullptr, nullptr, nullptr);
}

void SqliteDatabase::setBusyTimeout(int milliseconds) {
    busyTimeoutMs_ = milliseconds;
    sqlite3_busy_timeout(db_, milliseconds);
}

std::string SqliteDatabase::journalMode() {
    platform::DataPacket result;
    std::vector<std::string> errors;
    if (!query("pragma journal_mode", result, errors) || result.rows.empty())
        return {};
    return result.rows[0][0].value_or("");
}

bool SqliteDatabase::execute(const std::string& sql, std::vector<std::string>& errors) {
    std::vector<std::string> first;
    const int rc = runStatements(sql, first);
    // Nothing was written through a read-only connection: the whole text runs again on a
    // writable one when the file can be written now.
    if ((rc & 0xFF) == SQLITE_READONLY && reopenIfWritable())
        return runStatements(sql, errors) == SQLITE_OK;
    errors.insert(errors.end(), first.begin(), first.end());
    return rc == SQLITE_OK;
}

int SqliteDatabase::runStatements(const std::string& sql, std::vector<std::string>& errors) {
    const char* tail = sql.c_str();
    while (tail && *tail && !isBlank(tail)) {
        Statement statement;
        const char* next = nullptr;
        if (sqlite3_prepare_v2(db_, tail, -1, statement.out(), &next) != SQLITE_OK) {
            const int rc = sqlite3_extended_errcode(db_);
            addError(errors);
            rollbackOpenTransaction();
            return rc == SQLITE_OK ? SQLITE_ERROR : rc;
        }
        tail = next;
        if (!statement.get())
            continue; // comment or empty statement
        int rc;
        while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            rc = sqlite3_extended_errcode(db_);
            addError(errors);
            rollbackOpenTransaction();
            return rc == SQLITE_OK ? SQLITE_ERROR : rc;
        }
    }
    if (!sqlite3_get_autocommit(db_)) {
        rollbackOpenTransaction();
        errors.emplace_back(kOpenTransactionText);
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

bool SqliteDatabase::query(const std::string& sql, platform::DataPacket& result,
                           std::vector<std::string>& errors) {
    result = {};
    Statement statement;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, statement.out(), &tail) != SQLITE_OK) {
        addError(errors);
        return false;
    }
    if (!statement.get()) {
        errors.push_back("没有可执行的查询语句");
        return false;
    }
    if (tail && *tail && !isBlank(tail)) {
        errors.push_back("查询只能包含一条语句");
        return false;
    }
    const int columns = sqlite3_column_count(statement.get());
    for (int c = 0; c < columns; ++c) {
        const char* name = sqlite3_column_name(statement.get(), c);
        result.fields.emplace_back(name ? name : "");
    }
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        platform::DataPacketRow row;
        row.reserve(std::size_t(columns));
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(statement.get(), c) == SQLITE_NULL) {
                row.emplace_back(std::nullopt);
                continue;
            }
            const auto* text =
                reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), c));
            const int bytes = sqlite3_column_bytes(statement.get(), c);
            std::string value(text ? text : "", std::size_t(bytes));
            if (!platform::isValidUtf8(value)) {
                // Bytes another program stored that are no text: a value shown in their
                // place could not address the row again, so nothing is handed out.
                const std::size_t rowNumber = result.rows.size() + 1;
                result = {};
                errors.emplace_back("第 " + std::to_string(rowNumber) + " 行「" +
                                    std::string(sqlite3_column_name(statement.get(), c)) +
                                    "」列的内容不是有效的 UTF-8 文字，无法读出");
                errors.emplace_back("数据库中有其他程序写入的文字，请检查数据库内容");
                return false;
            }
            row.emplace_back(std::move(value));
        }
        result.rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        result = {};
        addError(errors);
        return false;
    }
    if (!sqlite3_get_autocommit(db_)) {
        result = {};
        rollbackOpenTransaction();
        errors.emplace_back(kOpenTransactionText);
        return false;
    }
    return true;
}

bool SqliteDatabase::serverDateTime(std::string& value, std::vector<std::string>&) {
    value = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")).toStdString();
    return true;
}

bool SqliteDatabase::tableExists(const std::string& name) {
    Statement statement;
    if (sqlite3_prepare_v2(
            db_, "select 1 from sqlite_master where type='table' and name=?1 collate nocase", -1,
            statement.out(), nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_text(statement.get(), 1, name.c_str(), int(name.size()), SQLITE_TRANSIENT);
    return sqlite3_step(statement.get()) == SQLITE_ROW;
}

} // namespace host
