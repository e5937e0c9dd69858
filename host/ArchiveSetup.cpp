#include "host/ArchiveSetup.h"

#include "host/Database.h"
#include "host/DemoDatabase.h"

namespace host {
namespace {

// Roles are cluster-wide: a second database set up at the same moment may create them
// first, which is no failure.
std::string createRoleSql(const std::string& role) {
    return "do $$ begin create role " + role +
           " nologin; exception when duplicate_object or unique_violation then null; end $$;";
}

bool archiveIsEmpty(Database& db) {
    platform::DataPacket count;
    std::vector<std::string> errors;
    if (!db.query("select count(*) from tbHsdwda", count, errors))
        throw EDatabaseError("无法读取核算单位表：" + (errors.empty() ? "" : errors.front()));
    return !count.rows.empty() && count.rows[0][0] == "0";
}

InitResult initPostgres(Database& db, const InitOptions& options) {
    if (!isValidRolePrefix(options.rolePrefix))
        throw EDatabaseError("角色前缀只能由小写字母、数字和下划线组成，且以字母或下划线开头：" +
                             options.rolePrefix);
    InitResult result;
    result.ownerRole = options.rolePrefix + "_owner";
    result.operatorRole = options.rolePrefix + "_operator";
    const std::string schema = kArchiveSchema;
    const std::string& owner = result.ownerRole;
    const std::string& op = result.operatorRole;

    // One --init-db at a time per database; the lock goes with the session at the latest.
    const std::string lockKey = "hashtext('hsdw --init-db')";
    db.executeOrThrow("select pg_advisory_lock(" + lockKey + ")");
    std::vector<std::string> ignored;
    try {
        db.executeOrThrow(
            "do $$ begin if current_setting('server_encoding') <> 'UTF8' then raise exception "
            "'数据库编码是 %，核算单位档案需要 UTF8 编码的数据库', "
            "current_setting('server_encoding'); end if; end $$;" +
            createRoleSql(owner) + createRoleSql(op) + "grant " + owner +
            " to current_user;"
            "create schema if not exists " +
            schema + " authorization " + owner + ";");
        // The tables belong to the owner role, whoever runs the set-up.
        db.executeOrThrow("set search_path = " + schema + ", public; set role " + owner);
        createSchema(db);
        db.executeOrThrow("revoke all on all tables in schema " + schema + " from public;" +
                          "grant usage on schema " + schema + " to " + op + ";" +
                          "grant select, insert, update, delete on tbHsdwda to " + op + ";" +
                          "grant select on tbzyda, " + kSysParamTable + " to " + op + ";");
        if (options.demo && archiveIsEmpty(db)) {
            seedDemoData(db);
            result.seeded = true;
        }
        db.executeOrThrow("reset role");
        // Every session of the database finds the archive's tables unqualified.
        db.executeOrThrow("do $$ begin execute format('alter database %I set search_path = " +
                          schema + ", public', current_database()); end $$;");
    } catch (...) {
        db.execute("reset role", ignored);
        db.execute("select pg_advisory_unlock(" + lockKey + ")", ignored);
        throw;
    }
    db.execute("select pg_advisory_unlock(" + lockKey + ")", ignored);
    result.version = kSchemaVersion;
    return result;
}

} // namespace

bool isValidRolePrefix(const std::string& prefix) {
    if (prefix.empty() || prefix.size() > 40)
        return false;
    if (!(prefix[0] == '_' || (prefix[0] >= 'a' && prefix[0] <= 'z')))
        return false;
    for (char c : prefix)
        if (!(c == '_' || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

InitResult initArchiveDatabase(Database& db, const InitOptions& options) {
    if (db.kind() == DatabaseKind::Postgres)
        return initPostgres(db, options);
    createSchema(db);
    InitResult result;
    if (options.demo && archiveIsEmpty(db)) {
        seedDemoData(db);
        result.seeded = true;
    }
    result.version = kSchemaVersion;
    return result;
}

} // namespace host
