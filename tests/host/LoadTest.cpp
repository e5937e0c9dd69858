// Eight operators on one archive, in two processes of four clients each, for a fixed number
// of operations: the table must be exactly what the successful statements imply, and every
// refusal must be one that concurrency explains. On PostgreSQL and on a SQLite file in WAL
// mode shared by the two processes.

#include "host/DemoDatabase.h"
#include "host/PostgresDatabase.h"
#include "host/SqliteDatabase.h"
#include "tests/host/LoadClient.h"
#include "tests/support/PgCluster.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

loadtest::LoadRun run(const std::vector<std::string>& locations, int operations) {
    loadtest::LoadRun result =
        loadtest::runLoadProcesses(QStringLiteral(HSDW_LOAD_CLIENT_PATH), locations, operations);
    EXPECT_EQ(result.problems, std::vector<std::string>{});
    return result;
}

} // namespace

TEST(LoadTest, EightOperatorsOnPostgreSql) {
    testsupport::PgTestDatabase db;
    const auto before = loadtest::units(db.admin());
    const loadtest::LoadRun result = run({db.operatorUri(1), db.operatorUri(2)}, 150);
    EXPECT_EQ(loadtest::verify(db.admin(), result.outcomes, before), std::vector<std::string>{});
    EXPECT_GT(result.refused + result.seenTaken, 0) << "the shared codes were contended";
    EXPECT_EQ(result.busy, 0);
    std::printf("postgresql: %ld calls, %ld inserts and %ld checks lost a shared code\n",
                result.calls, result.refused, result.seenTaken);
}

TEST(LoadTest, EightOperatorsOnOneSqliteFileInWalMode) {
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/shared.sqlite").toStdString();
    host::createDemoDatabase(path);
    host::SqliteDatabase db(path, host::SqliteDatabase::OpenMode::ExistingOnly);
    ASSERT_EQ(db.journalMode(), "wal");
    const auto before = loadtest::units(db);
    const loadtest::LoadRun result = run({path, path}, 60);
    EXPECT_EQ(loadtest::verify(db, result.outcomes, before), std::vector<std::string>{});
    EXPECT_GT(result.refused + result.seenTaken, 0) << "the shared codes were contended";
    std::printf("sqlite wal: %ld calls, %ld inserts and %ld checks lost a shared code, %ld busy\n",
                result.calls, result.refused, result.seenTaken, result.busy);
}
