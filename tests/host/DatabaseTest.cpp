// The host's SQLite file: opening rules, statements and queries, schema and demo data.

#include "host/ArchiveSetup.h"
#include "host/DemoDatabase.h"
#include "host/SqliteDatabase.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using host::EDatabaseError;
using host::SqliteDatabase;

namespace {

std::string messageOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const EDatabaseError& e) {
        return e.what();
    }
    return {};
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class DatabaseTest : public ::testing::Test {
protected:
    std::string file(const char* name) const { return (dir.path() + "/" + name).toStdString(); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(DatabaseTest, MissingOrUnusableFilesAreRefusedClearly) {
    const std::string missing = file("missing.sqlite");
    const std::string m1 =
        messageOf([&] { SqliteDatabase(missing, SqliteDatabase::OpenMode::ExistingOnly); });
    EXPECT_TRUE(contains(m1, "数据库文件不存在")) << m1;
    EXPECT_TRUE(contains(m1, missing));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(missing))) << "nothing is created";

    const std::string garbage = file("garbage.sqlite");
    QFile f(QString::fromStdString(garbage));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    const std::string m2 =
        messageOf([&] { SqliteDatabase(garbage, SqliteDatabase::OpenMode::ExistingOnly); });
    EXPECT_TRUE(contains(m2, "无法读取数据库文件")) << m2;

    const std::string m3 = messageOf(
        [&] { SqliteDatabase(dir.path().toStdString(), SqliteDatabase::OpenMode::ExistingOnly); });
    EXPECT_TRUE(contains(m3, "目录")) << m3;
}

TEST_F(DatabaseTest, DemoDatabaseHoldsHeadOfficeOperatorsAndUnits) {
    const std::string path = file("nested/demo.sqlite");
    host::createDemoDatabase(path);
    SqliteDatabase db(path, SqliteDatabase::OpenMode::ExistingOnly);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path + ".building")));

    platform::DataPacket units;
    std::vector<std::string> errors;
    ASSERT_TRUE(db.query("select f_Hsdwh,f_Hsdwmc from tbHsdwda order by f_Hsdwh", units, errors));
    EXPECT_EQ(units.fields, (std::vector<std::string>{"f_Hsdwh", "f_Hsdwmc"}));
    ASSERT_EQ(units.rows.size(), 30u);
    EXPECT_EQ(units.rows.front()[0], "0001");
    EXPECT_EQ(units.rows.front()[1], "集团总部");
    EXPECT_EQ(units.rows.back()[0], "0030");

    platform::DataPacket operators;
    ASSERT_TRUE(db.query("select f_zymc from tbzyda where f_zybm='0001'", operators, errors));
    ASSERT_EQ(operators.rows.size(), 1u);
    EXPECT_EQ(operators.rows[0][0], "张建国");

    platform::DataPacket params;
    ASSERT_TRUE(db.query("select f_Csmc,f_csz from tbxtcs order by f_Csmc", params, errors));
    ASSERT_EQ(params.rows.size(), 3u);
    EXPECT_EQ(params.rows[0], (platform::DataPacketRow{"dchy", "0"}));
    EXPECT_EQ(params.rows[1], (platform::DataPacketRow{"dwlx", "00"}));
    EXPECT_EQ(params.rows[2], (platform::DataPacketRow{"zbbm", "0001"}));

    // Codes are unique.
    EXPECT_FALSE(db.execute("insert into tbHsdwda values('0001','again')", errors));
    EXPECT_EQ(errors.back(), "UNIQUE constraint failed: tbHsdwda.f_Hsdwh");
}

TEST_F(DatabaseTest, StatementsRunInOrderAndStopAtTheFirstError) {
    SqliteDatabase db(file("t.sqlite"), SqliteDatabase::OpenMode::CreateIfMissing);
    host::createSchema(db);
    host::createSchema(db); // idempotent
    std::vector<std::string> errors;
    EXPECT_TRUE(db.execute(
        "insert into tbzyda values('a','A'); insert into tbzyda values('b',null);", errors));
    EXPECT_FALSE(db.execute(
        "insert into tbzyda values('c','C'); bogus; insert into tbzyda values('d','D')", errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(contains(errors[0], "syntax error")) << errors[0];

    platform::DataPacket rows;
    ASSERT_TRUE(db.query("select f_zybm, f_zymc from tbzyda order by f_zybm", rows, errors));
    ASSERT_EQ(rows.rows.size(), 3u);
    EXPECT_EQ(rows.rows[1][1], std::nullopt) << "SQL null stays null";
    EXPECT_EQ(rows.rows[2][0], "c");

    errors.clear();
    EXPECT_FALSE(db.query("select 1; select 2", rows, errors));
    EXPECT_FALSE(errors.empty());
    EXPECT_TRUE(db.execute("  ;  ", errors)) << "nothing to run is no failure";
}

TEST_F(DatabaseTest, SetUpRecordsTheSchemaVersionAndSeedsAnEmptyArchiveOnce) {
    SqliteDatabase db(file("init.sqlite"), SqliteDatabase::OpenMode::CreateIfMissing);
    host::InitOptions options;
    options.demo = true;
    EXPECT_TRUE(host::initArchiveDatabase(db, options).seeded);
    EXPECT_FALSE(host::initArchiveDatabase(db, options).seeded) << "never seeded twice";
    platform::DataPacket rows;
    std::vector<std::string> errors;
    ASSERT_TRUE(db.query("select (select count(*) from tbHsdwda), (select group_concat(version) "
                         "from hsdw_schema_version)",
                         rows, errors));
    EXPECT_EQ(rows.rows[0], (platform::DataPacketRow{"30", "1"}));

    db.executeOrThrow("insert into hsdw_schema_version values(2)");
    const std::string refused = messageOf([&] { host::createSchema(db); });
    EXPECT_TRUE(contains(refused, "数据库结构版本 2 比本宿主支持的版本 1 新")) << refused;
}
