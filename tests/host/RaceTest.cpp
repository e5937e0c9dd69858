// Two operators add the same code at the same moment, many times over: two host processes
// with the real plug-in, released together from a barrier either before the Enter that saves
// the row or after both duplicate checks, right before the insert. The unique constraint
// decides: exactly one row per code, the winner sees no message and the loser's refusal is
// shown every time.

#include "host/DemoDatabase.h"
#include "host/PostgresDatabase.h"
#include "host/SqliteDatabase.h"
#include "tests/host/LineProcess.h"
#include "tests/support/PgCluster.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Round {
    std::vector<std::pair<std::string, std::string>> boxes; // caption, text
    bool inserted = false;
};

Round parse(const std::string& line) {
    Round round;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
    EXPECT_FALSE(o.isEmpty()) << line;
    for (const QJsonValue& box : o["boxes"].toArray())
        round.boxes.emplace_back(box["caption"].toString().toStdString(),
                                 box["text"].toString().toStdString());
    for (const QJsonValue& statement : o["statements"].toArray())
        if (statement["sql"].toString().startsWith(QStringLiteral("Insert")) &&
            statement["ok"].toBool())
            round.inserted = true;
    EXPECT_EQ(o["cleanupStatements"].toInt(), 0) << "removing the unsaved row sends nothing";
    return round;
}

struct Tally {
    int insertLost = 0; // the loser's insert met the unique constraint
    int checkLost = 0;  // the loser's duplicate check already saw the winner's row
};

// Runs `rounds` races between operators on `first` and `second`; `table` reads the result.
void race(const std::string& first, const std::string& second, host::Database& table, int rounds,
          const std::string& uniqueText, Tally& tally) {
    hosttest::LineProcess a(QStringLiteral(HSDW_RACE_OPERATOR_PATH),
                            {"--db", QString::fromStdString(first)});
    hosttest::LineProcess b(QStringLiteral(HSDW_RACE_OPERATOR_PATH),
                            {"--db", QString::fromStdString(second)});
    EXPECT_EQ(a.readLine(), "hello");
    EXPECT_EQ(b.readLine(), "hello");
    for (int r = 0; r < rounds && !::testing::Test::HasFatalFailure(); ++r) {
        const std::string code = std::to_string(5000 + r);
        const bool atInsert = r % 2 == 0;
        SCOPED_TRACE("round " + std::to_string(r) + (atInsert ? " (insert)" : " (key)"));
        const std::string mode = atInsert ? " insert" : " key";
        a.send("add " + code + " A" + code + mode);
        b.send("add " + code + " B" + code + mode);
        ASSERT_EQ(a.readLine(), "ready");
        ASSERT_EQ(b.readLine(), "ready");
        a.send("go");
        b.send("go");
        const Round ra = parse(a.readLine());
        const Round rb = parse(b.readLine());
        ASSERT_NE(ra.inserted, rb.inserted) << "exactly one insert succeeds";
        const Round& winner = ra.inserted ? ra : rb;
        const Round& loser = ra.inserted ? rb : ra;
        EXPECT_TRUE(winner.boxes.empty());
        ASSERT_EQ(loser.boxes.size(), 1u) << "the refusal is shown once";
        EXPECT_EQ(loser.boxes[0].first, "错误");
        const std::string& text = loser.boxes[0].second;
        if (text == code + "核算单位存在,无法新增!") {
            EXPECT_FALSE(atInsert) << "both checks ran before either insert";
            ++tally.checkLost;
        } else {
            EXPECT_TRUE(text.starts_with("增加核算单位时错误!\r\n")) << text;
            EXPECT_NE(text.find(uniqueText), std::string::npos) << text;
            ++tally.insertLost;
        }
        platform::DataPacket rows;
        std::vector<std::string> errors;
        ASSERT_TRUE(table.query("select f_Hsdwmc from tbHsdwda where f_Hsdwh='" + code + "'", rows,
                                errors));
        ASSERT_EQ(rows.rows.size(), 1u);
        EXPECT_EQ(rows.rows[0][0], std::string(ra.inserted ? "A" : "B") + code);
    }
    a.send("quit");
    b.send("quit");
    EXPECT_EQ(a.finish(), 0);
    EXPECT_EQ(b.finish(), 0);
    platform::DataPacket count;
    std::vector<std::string> errors;
    EXPECT_TRUE(
        table.query("select count(*) from tbHsdwda where f_Hsdwh >= '5000'", count, errors));
    EXPECT_EQ(count.rows.at(0).at(0), std::to_string(rounds)) << "nothing written twice";
    EXPECT_GE(tally.insertLost, rounds / 2);
}

} // namespace

TEST(RaceTest, TwoOperatorsAddTheSameCodeOnPostgreSql) {
    testsupport::PgTestDatabase db;
    Tally tally;
    race(db.operatorUri(1), db.operatorUri(2), db.admin(), 300,
         "duplicate key value violates unique constraint", tally);
    std::printf("postgresql: %d insert refusals, %d duplicate-check refusals\n", tally.insertLost,
                tally.checkLost);
}

TEST(RaceTest, TwoOperatorsAddTheSameCodeOnOneSqliteFile) {
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/shared.sqlite").toStdString();
    host::createDemoDatabase(path);
    host::SqliteDatabase db(path, host::SqliteDatabase::OpenMode::ExistingOnly);
    Tally tally;
    race(path, path, db, 200, "UNIQUE constraint failed: tbHsdwda.f_Hsdwh", tally);
    std::printf("sqlite: %d insert refusals, %d duplicate-check refusals\n", tally.insertLost,
                tally.checkLost);
}
