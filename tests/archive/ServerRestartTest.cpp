// A PostgreSQL server restarted while an operator edits the archive: the real plug-in in the
// reference host over a cluster of the test's own (the run's shared one serves other tests),
// stopped and started again. The row typed meanwhile keeps its unsaved mark while the server
// is away, and leaving it once the server is back saves it, without reopening anything.

#include "host/CoorDispService.h"
#include "host/HostWindow.h"
#include "host/PostgresDatabase.h"
#include "platform/MessageBox.h"
#include "tests/archive/HostArchive.h"
#include "tests/support/PgCluster.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(ServerRestartTest, AnUnsavedRowWaitsForTheServerAndIsSavedOnceItIsBack) {
    testsupport::PgCluster& cluster = testsupport::PgCluster::startPrivate({});
    testsupport::PgTestDatabase db;
    host::CoorDispService* service = nullptr;
    const platform::DispatchRef ref = host::CoorDispService::create(
        std::make_shared<host::PostgresDatabase>(db.operatorUri(1)), &service);
    platform::ScriptedMessageBoxes boxes;
    archivetest::HostArchive archive;
    archive.open(ref);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    ASSERT_EQ(boxes.count(), 0u) << boxes.last().text;

    archive.key(Qt::Key_Up);
    const int row = archive.currentRow();
    const std::string code = archive.cell(0, row);
    archive.key(Qt::Key_Left);
    archive.key(Qt::Key_Right); // into the name cell: typing replaces it
    archive.type(QStringLiteral("重启后保存"));
    cluster.stopServer();
    for (int attempt = 0; attempt < 2; ++attempt) {
        SCOPED_TRACE(attempt);
        archive.key(Qt::Key_Down); // leaving the row while the server is away
        ASSERT_EQ(boxes.count(), 1u);
        EXPECT_TRUE(contains(boxes.last().text, "修改核算单位档案时错误!")) << boxes.last().text;
        boxes.clear();
        EXPECT_EQ(archive.currentRow(), row);
        EXPECT_EQ(archive.cell(1, row), "重启后保存");
        EXPECT_TRUE(contains(archive.rowNote(row), "未保存")) << "the row keeps its mark";
    }

    cluster.startServer();
    archive.key(Qt::Key_Down);
    EXPECT_EQ(testsupport::takeBoxTexts(boxes), std::vector<std::string>{});
    EXPECT_EQ(archive.rowNote(row), "") << "saved: the mark is gone";
    platform::DataPacket stored;
    std::vector<std::string> errors;
    host::PostgresDatabase check(db.adminUri());
    ASSERT_TRUE(check.query("select f_Hsdwmc from tbHsdwda where f_Hsdwh = '" + code + "'", stored,
                            errors));
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_EQ(stored.rows[0][0], "重启后保存");
    archive.close();
}
