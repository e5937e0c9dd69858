#include "host/DemoDatabase.h"

#include "host/Database.h"
#include "host/SqliteDatabase.h"

#include <QDir>
#include <QStandardPaths>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

namespace host {
namespace {

struct Entry {
    const char* code;
    const char* name;
};

constexpr Entry kUnits[] = {
    {"0001", "集团总部"},         {"0002", "北京分公司"},   {"0003", "上海分公司"},
    {"0004", "广州分公司"},       {"0005", "深圳分公司"},   {"0006", "天津分公司"},
    {"0007", "重庆分公司"},       {"0008", "成都分公司"},   {"0009", "武汉分公司"},
    {"0010", "南京分公司"},       {"0011", "杭州分公司"},   {"0012", "西安分公司"},
    {"0013", "沈阳分公司"},       {"0014", "长沙分公司"},   {"0015", "郑州分公司"},
    {"0016", "济南分公司"},       {"0017", "青岛办事处"},   {"0018", "厦门办事处"},
    {"0019", "昆明办事处"},       {"0020", "哈尔滨办事处"}, {"0021", "财务结算中心"},
    {"0022", "物资供应公司"},     {"0023", "工程建设公司"}, {"0024", "技术研发中心"},
    {"0025", "信息技术服务公司"}, {"0026", "物业管理公司"}, {"0027", "国际贸易公司"},
    {"0028", "运输分公司"},       {"0029", "职工培训中心"}, {"0030", "后勤服务中心"},
};

constexpr Entry kOperators[] = {
    {"0001", "张建国"}, {"0002", "李晓红"}, {"0003", "王海涛"},
    {"0004", "赵丽娟"}, {"0005", "陈志强"},
};

constexpr Entry kSysParams[] = {
    {"dwlx", "00"},   // unit type: 00 may edit
    {"zbbm", "0001"}, // head-office code
    {"dchy", "0"},
};

std::string quoted(const char* text) {
    std::string result = "'";
    for (const char* p = text; *p; ++p) {
        if (*p == '\'')
            result += '\'';
        result += *p;
    }
    return result + "'";
}

} // namespace

void createSchema(Database& db) {
    db.executeOrThrow("create table if not exists tbHsdwda ("
                      " f_Hsdwh varchar(20) not null primary key,"
                      " f_Hsdwmc varchar(60));"
                      "create table if not exists tbzyda ("
                      " f_zybm varchar(20) not null primary key,"
                      " f_zymc varchar(40));"
                      "create table if not exists " +
                      std::string(kSysParamTable) +
                      " ("
                      " f_Csmc varchar(20) not null primary key,"
                      " f_csz varchar(60));"
                      "create table if not exists " +
                      kSchemaVersionTable +
                      " (version integer not null primary key);"
                      "insert into " +
                      kSchemaVersionTable + "(version) select " + std::to_string(kSchemaVersion) +
                      " where not exists (select 1 from " + kSchemaVersionTable + ");");
    platform::DataPacket version;
    std::vector<std::string> errors;
    if (!db.query(std::string("select max(version) from ") + kSchemaVersionTable, version, errors))
        throw EDatabaseError("无法读取数据库结构版本：" + (errors.empty() ? "" : errors.front()));
    const std::string found = version.rows.empty() ? "" : version.rows[0][0].value_or("");
    if (!found.empty() && std::stoi(found) > kSchemaVersion)
        throw EDatabaseError("数据库结构版本 " + found + " 比本宿主支持的版本 " +
                             std::to_string(kSchemaVersion) + " 新，请使用新版宿主");
}

void seedDemoData(Database& db) {
    std::string sql = "begin;";
    for (const Entry& e : kUnits)
        sql += "insert into tbHsdwda(f_Hsdwh,f_Hsdwmc) values(" + quoted(e.code) + "," +
               quoted(e.name) + ");";
    for (const Entry& e : kOperators)
        sql += "insert into tbzyda(f_zybm,f_zymc) values(" + quoted(e.code) + "," + quoted(e.name) +
               ");";
    for (const Entry& e : kSysParams)
        sql += "insert into " + std::string(kSysParamTable) + "(f_Csmc,f_csz) values(" +
               quoted(e.code) + "," + quoted(e.name) + ");";
    sql += "commit;";
    db.executeOrThrow(sql);
}

void createDemoDatabase(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path);
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ec);
    const std::string building = path + ".building";
    fs::remove(building, ec);
    {
        SqliteDatabase db(building, SqliteDatabase::OpenMode::CreateIfMissing);
        createSchema(db);
        seedDemoData(db);
    }
    fs::rename(building, target, ec);
    if (ec) {
        fs::remove(building, ec);
        throw EDatabaseError("无法创建演示数据库：" + path);
    }
}

std::string defaultDemoDatabasePath() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return (base + QStringLiteral("/hsdwhost/demo.sqlite")).toStdString();
}

} // namespace host
