#include "tests/archive/SqliteService.h"

#include "platform/DataPacket.h"

#include <stdexcept>

namespace archivetest {

SqliteService::SqliteService(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK)
        throw std::runtime_error("cannot open " + path);
    exec("PRAGMA synchronous=OFF");
}

SqliteService::~SqliteService() {
    sqlite3_close(db_);
}

void SqliteService::exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string text = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(text + " in " + sql);
    }
}

std::vector<std::vector<std::string>> SqliteService::rows(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db_));
    std::vector<std::vector<std::string>> out;
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            const auto* text = sqlite3_column_text(st, c);
            row.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        }
        out.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    return out;
}

bool SqliteService::query(const std::string& sql, platform::Variant& out) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        out = platform::VariantArray{platform::Variant(std::string(sqlite3_errmsg(db_)))};
        return false;
    }
    std::vector<std::string> fields;
    for (int c = 0; c < sqlite3_column_count(st); ++c)
        fields.emplace_back(sqlite3_column_name(st, c));
    platform::DataPacketWriter writer(fields);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        platform::DataPacketRow row;
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            const auto* text = sqlite3_column_text(st, c);
            if (text)
                row.emplace_back(std::string(reinterpret_cast<const char*>(text)));
            else
                row.emplace_back(std::nullopt);
        }
        writer.addRow(row);
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) {
        out = platform::VariantArray{platform::Variant(std::string(sqlite3_errmsg(db_)))};
        return false;
    }
    out = platform::Variant(writer.finish());
    return true;
}

bool SqliteService::statement(const std::string& sql, platform::Variant& out) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        out = platform::VariantArray{platform::Variant(std::string(error ? error : "?"))};
        sqlite3_free(error);
        return false;
    }
    return true;
}

platform::Variant SqliteService::invoke(std::int32_t dispId, platform::DispatchArgs& args) {
    if (auto r = raise.find(dispId); r != raise.end())
        throw std::runtime_error(r->second);
    if (auto f = failNext.find(dispId); f != failNext.end()) {
        platform::VariantArray messages;
        for (const std::string& m : f->second)
            messages.emplace_back(m);
        failNext.erase(f);
        if (dispId == PLATFORM_DISPID_OPEN_QUERY) {
            log.queries.push_back(args[0].toString());
            args.set(1, messages);
        } else {
            if (dispId == PLATFORM_DISPID_EXEC_SQL)
                log.statements.push_back(args[0].toString());
            args.set(0, messages);
        }
        return false;
    }
    platform::Variant out;
    switch (dispId) {
    case PLATFORM_DISPID_OPEN_QUERY: {
        args.expectCount(2);
        const std::string sql = args[0].toString();
        log.queries.push_back(sql);
        const bool ok = query(sql, out);
        args.set(1, out);
        return ok;
    }
    case PLATFORM_DISPID_EXEC_SQL: {
        args.expectCount(1);
        const std::string sql = args[0].toString();
        log.statements.push_back(sql);
        const bool ok = statement(sql, out);
        if (!ok)
            args.set(0, out);
        return ok;
    }
    case PLATFORM_DISPID_GET_SERVER_DATE_TIME:
        args.set(0, serverDateTime);
        return true;
    case PLATFORM_DISPID_GET_SYS_PARAMS: {
        const bool ok = query("select f_Csmc,f_csz from tbXtcs", out);
        args.set(0, out);
        return ok;
    }
    case PLATFORM_DISPID_GET_DB_TYPE:
        return dbType;
    default:
        throw platform::EDispatchError(PLATFORM_DISP_UNKNOWN_DISPID, "unknown operation");
    }
}

void createSchema(SqliteService& service, std::optional<std::string> unitType,
                  std::optional<std::string> headOffice, std::optional<std::string> dchy) {
    service.exec("create table tbHsdwda(f_Hsdwh varchar(20), f_Hsdwmc varchar(150));"
                 "create table tbzyda(f_zybm varchar(20), f_zymc varchar(40));"
                 "create table tbXtcs(f_Csmc varchar(20), f_csz varchar(40));");
    auto param = [&](const char* name, const std::optional<std::string>& value) {
        if (value)
            service.exec(std::string("insert into tbXtcs values('") + name + "','" + *value + "')");
    };
    param("dwlx", unitType);
    param("zbbm", headOffice);
    param("dchy", dchy);
}

} // namespace archivetest
