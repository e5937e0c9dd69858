#include "tests/archive/ArchiveDatabase.h"

#include "archive/ArchiveSql.h"
#include "host/DemoDatabase.h"
#include "host/SqliteDatabase.h"

#include <stdexcept>

namespace archivetest {

ArchiveDatabase::ArchiveDatabase(std::optional<std::string> dwlx, std::optional<std::string> zbbm,
                                 std::optional<std::string> dchy) {
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder for the test database");
    database_ =
        std::make_shared<host::SqliteDatabase>(dir_.filePath("archive.sqlite").toStdString(),
                                               host::SqliteDatabase::OpenMode::CreateIfMissing);
    // A test file need not survive a power cut: no waiting for the disk on every statement.
    exec("PRAGMA synchronous=OFF");
    host::createSchema(*database_);
    exec("insert into tbzyda values('01','张三')");
    setParam("dwlx", dwlx);
    setParam("zbbm", zbbm);
    setParam("dchy", dchy);
    ref_ = host::CoorDispService::create(database_, &service_);
    service_->setFixedDateTime("20261209103015");
}

ArchiveDatabase::~ArchiveDatabase() = default;

void ArchiveDatabase::exec(const std::string& sql) {
    database_->executeOrThrow(sql);
}

Rows ArchiveDatabase::rows(const std::string& sql) {
    platform::DataPacket packet;
    std::vector<std::string> errors;
    if (!database_->query(sql, packet, errors))
        throw std::runtime_error((errors.empty() ? std::string("?") : errors.front()) + " in " +
                                 sql);
    Rows out;
    for (const auto& row : packet.rows) {
        std::vector<std::string> texts;
        for (const auto& value : row)
            texts.push_back(value.value_or(""));
        out.push_back(std::move(texts));
    }
    return out;
}

Rows ArchiveDatabase::units() {
    return rows("select f_Hsdwh,f_Hsdwmc from tbHsdwda order by f_Hsdwh");
}

void ArchiveDatabase::addUnits(const Rows& units) {
    for (const auto& u : units)
        exec("insert into tbHsdwda values(" + archive::sql::quoted(u.at(0)) + "," +
             archive::sql::quoted(u.at(1)) + ")");
}

void ArchiveDatabase::setParam(const std::string& name, const std::optional<std::string>& value) {
    const std::string table = host::kSysParamTable;
    exec("delete from " + table + " where f_Csmc=" + archive::sql::quoted(name));
    if (value)
        exec("insert into " + table + " values(" + archive::sql::quoted(name) + "," +
             archive::sql::quoted(*value) + ")");
}

std::vector<std::string> ArchiveDatabase::sqlOf(std::int32_t dispId) const {
    std::vector<std::string> out;
    for (const auto& call : service_->calls())
        if (call.dispId == dispId)
            out.push_back(call.sql);
    return out;
}

std::vector<std::string> ArchiveDatabase::queries() const {
    return sqlOf(PLATFORM_DISPID_OPEN_QUERY);
}

std::vector<std::string> ArchiveDatabase::statements() const {
    return sqlOf(PLATFORM_DISPID_EXEC_SQL);
}

void ArchiveDatabase::clearCalls() {
    service_->clearCalls();
}

void ArchiveDatabase::fail(std::int32_t dispId, std::vector<std::string> messages) {
    service_->setFault(dispId, host::CoorDispService::Fault{false, std::move(messages)});
}

void ArchiveDatabase::raise(std::int32_t dispId, std::string message) {
    service_->setFault(dispId, host::CoorDispService::Fault{true, {std::move(message)}});
}

void ArchiveDatabase::clearFaults() {
    service_->clearFaults();
}

} // namespace archivetest
