// Two operators on one machine share one SQLite file: WAL mode lets one read while the
// other writes, and a writer that finds the file busy for longer than the busy time-out
// answers with a message instead of waiting forever, failing silently or writing twice.

#include "host/CoorDispService.h"
#include "host/DemoDatabase.h"
#include "host/SqliteDatabase.h"
#include "tests/host/LineProcess.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SqliteSharingTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = (dir.path() + "/shared.sqlite").toStdString();
        host::createDemoDatabase(path);
        database = std::make_shared<host::SqliteDatabase>(
            path, host::SqliteDatabase::OpenMode::ExistingOnly);
        database->setBusyTimeout(200);
        ref = host::CoorDispService::create(database);
    }

    bool exec(const std::string& sql, std::vector<std::string>* messages = nullptr) {
        platform::Variant statement(sql);
        const bool ok = ref.invoke(PLATFORM_DISPID_EXEC_SQL, {platform::byRef(statement)}).toBool();
        if (messages && !ok) {
            messages->clear();
            for (const platform::Variant& m : statement.arrayValue())
                messages->push_back(m.toString());
        }
        return ok;
    }
    std::string count(const std::string& where) {
        platform::Variant data;
        EXPECT_TRUE(ref.invoke(PLATFORM_DISPID_OPEN_QUERY,
                               {platform::Variant("select count(*) from tbHsdwda where " + where),
                                platform::byRef(data)})
                        .toBool());
        return platform::decodeDataPacket(data).rows.at(0).at(0).value_or("");
    }

    QTemporaryDir dir;
    std::string path;
    std::shared_ptr<host::SqliteDatabase> database;
    platform::DispatchRef ref;
};

} // namespace

TEST_F(SqliteSharingTest, ABusyFileAnswersWithAMessageAndLosesNothing) {
    EXPECT_EQ(database->journalMode(), "wal");
    const std::string insert = "Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values('0031','新单位')";
    {
        hosttest::LineProcess other(QStringLiteral(HSDW_LOAD_CLIENT_PATH),
                                    {"--db", QString::fromStdString(path), "--hold-lock"});
        ASSERT_EQ(other.readLine(), "locked");

        std::vector<std::string> messages;
        EXPECT_FALSE(exec(insert, &messages));
        EXPECT_EQ(messages, (std::vector<std::string>{"database is locked",
                                                      "数据库正被其他操作员使用，请稍后再试"}));
        EXPECT_EQ(count("1=1"), "30") << "reading goes on while the other one writes";
        platform::Variant params;
        EXPECT_TRUE(ref.invoke(PLATFORM_DISPID_GET_SYS_PARAMS, {platform::byRef(params)}).toBool());

        other.send("release");
        EXPECT_EQ(other.finish(), 0);
    }
    EXPECT_EQ(count("f_Hsdwh='0031'"), "0") << "the refused statement left nothing";
    EXPECT_TRUE(exec(insert));
    EXPECT_EQ(count("f_Hsdwh='0031'"), "1");
}

TEST_F(SqliteSharingTest, AStatementNeverLeavesATransactionOpenForTheOthers) {
    std::vector<std::string> messages;
    EXPECT_FALSE(exec("begin; Insert Into tbHsdwda values('0031','甲')", &messages));
    EXPECT_EQ(messages, (std::vector<std::string>{"语句开始的事务没有提交，已全部撤销"}));
    EXPECT_FALSE(exec("begin; Insert Into tbHsdwda values('0032','乙'); bogus", &messages));
    EXPECT_FALSE(exec("Insert Into tbHsdwda values('0033','丙'); begin", &messages))
        << "a query text cannot leave one open either";

    // Another operator's connection can write at once.
    host::SqliteDatabase other(path, host::SqliteDatabase::OpenMode::ExistingOnly);
    other.setBusyTimeout(200);
    std::vector<std::string> errors;
    EXPECT_TRUE(other.execute("Insert Into tbHsdwda values('0034','丁')", errors))
        << (errors.empty() ? "" : errors.front());
    EXPECT_EQ(count("f_Hsdwh in ('0031','0032')"), "0");
    EXPECT_EQ(count("f_Hsdwh in ('0033','0034')"), "2")
        << "a statement before the open transaction stays, as in any SQL console";
}
