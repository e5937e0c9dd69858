// Database faults met while an operator edits the archive, end to end: the real plug-in in
// the reference host over a real SQLite file that fills up, is locked by another
// connection, turns read-only, or a data service that fails every call. Each time the
// operator sees why in a box, the typed row stays in the grid unsaved, and leaving it again
// tries again (and succeeds once the fault is gone).

#include "host/CoorDispService.h"
#include "host/DemoDatabase.h"
#include "host/HostWindow.h"
#include "host/SqliteDatabase.h"
#include "platform/MessageBox.h"
#include "tests/archive/HostArchive.h"
#include "tests/support/TestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {

using archivetest::Rows;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class DatabaseFaultTest : public ::testing::Test, protected archivetest::HostArchive {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = (dir.path() + "/archive.sqlite").toStdString();
        host::createDemoDatabase(path);
        {
            host::SqliteDatabase setup(path, host::SqliteDatabase::OpenMode::ExistingOnly);
            setup.executeOrThrow("delete from tbHsdwda; insert into tbHsdwda values"
                                 "('0001','集团总部'),('0002','北京分公司'),('0009','武汉分公司')");
        }
    }

    void TearDown() override {
        close();
        if (immutable_)
            QProcess::execute("chattr", {"-i", QString::fromStdString(path)});
    }

    void connect() {
        database = std::make_shared<host::SqliteDatabase>(
            path, host::SqliteDatabase::OpenMode::ExistingOnly);
        database->setBusyTimeout(100);
        ref = host::CoorDispService::create(database, &service);
        service->setFixedDateTime("20261209104500");
    }

    void open() {
        if (!database)
            connect();
        HostArchive::open(ref);
    }

    Rows table() {
        host::SqliteDatabase reader(path, host::SqliteDatabase::OpenMode::ExistingOnly);
        return archivetest::storedUnits(reader);
    }
    bool stored(const std::string& code) {
        for (const auto& r : table())
            if (r[0] == code)
                return true;
        return false;
    }

    // Types a new unit at the end and leaves its row while the fault holds: one box
    // naming `reason`, the row still current with everything typed, nothing stored. Leaving
    // it a second time tries again (the same box).
    void addWhileFaulty(const std::string& reason) {
        key(Qt::Key_A, Qt::ControlModifier);
        type("0100");
        key(Qt::Key_Right);
        type("南京分公司");
        const int row = currentRow();
        for (int attempt = 0; attempt < 2; ++attempt) {
            SCOPED_TRACE(attempt);
            key(Qt::Key_Up);
            ASSERT_EQ(boxes.count(), 1u);
            EXPECT_EQ(boxes.last().caption, "错误");
            EXPECT_TRUE(contains(boxes.last().text, reason)) << boxes.last().text;
            boxes.clear();
            EXPECT_EQ(currentRow(), row) << "the row stays current";
            EXPECT_EQ(cell(0, row), "0100");
            EXPECT_EQ(cell(1, row), "南京分公司");
            EXPECT_FALSE(stored("0100"));
            EXPECT_TRUE(contains(rowNote(row), "未保存")) << "the row is marked unsaved";
            EXPECT_EQ(rowNote(row - 1), "");
        }
        faultyRow_ = row;
    }
    // With the fault gone, leaving the row stores it.
    void leaveAndExpectStored() {
        const std::size_t before = table().size();
        key(Qt::Key_Up);
        EXPECT_EQ(testsupport::takeBoxTexts(boxes), std::vector<std::string>{});
        EXPECT_TRUE(stored("0100"));
        EXPECT_EQ(table().size(), before + 1);
        EXPECT_EQ(rowNote(faultyRow_), "") << "written: the mark is gone";
    }

    QTemporaryDir dir;
    std::string path;
    std::shared_ptr<host::SqliteDatabase> database;
    platform::DispatchRef ref;
    host::CoorDispService* service = nullptr;
    platform::ScriptedMessageBoxes boxes;
    bool immutable_ = false;
    int faultyRow_ = -1;
};

} // namespace

TEST_F(DatabaseFaultTest, FullDiskKeepsTheRowUntilThereIsRoom) {
    connect();
    // No page may be added: fill the table's page with small rows until it takes no more.
    platform::DataPacket pages;
    std::vector<std::string> errors;
    ASSERT_TRUE(database->query("pragma page_count", pages, errors));
    const std::string count = pages.rows.at(0).at(0).value_or("0");
    ASSERT_TRUE(database->execute("pragma max_page_count=" + count, errors));
    int fillers = 0;
    while (fillers < 5000 &&
           database->execute(
               "insert into tbHsdwda values('" + std::to_string(5000 + fillers) + "','')", errors))
        ++fillers;
    ASSERT_LT(fillers, 5000) << "the table never filled up";
    ASSERT_FALSE(errors.empty());
    EXPECT_TRUE(contains(errors.front(), "full")) << errors.front();

    open();
    addWhileFaulty("数据库已满或磁盘空间不足");
    // Closing tries once more and, refused, asks whether to give the row up: No stays.
    boxes.answer(platform::IDOK);
    boxes.answer(platform::IDNO);
    key(Qt::Key_Escape);
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_TRUE(contains(boxes.last().text, "放弃这一行的修改并退出吗")) << boxes.last().text;
    boxes.clear();
    EXPECT_TRUE(isOpen());

    ASSERT_TRUE(database->execute("pragma max_page_count=1073741823", errors));
    leaveAndExpectStored();
}

TEST_F(DatabaseFaultTest, AnotherConnectionsWriteLockKeepsTheRowUntilReleased) {
    open();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
    addWhileFaulty("数据库正被其他操作员使用，请稍后再试");
    EXPECT_EQ(sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    leaveAndExpectStored();
}

TEST_F(DatabaseFaultTest, ReadOnlyFileSaysSoKeepsTheRowAndSavesOnceWritable) {
    // A rollback journal: a read-only file in WAL mode cannot even be read without its
    // shared-memory file.
    sqlite3* setup = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &setup), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(setup, "pragma journal_mode=delete", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(setup);
    // Root writes through file modes; an immutable file is read-only for root too.
    if (geteuid() == 0) {
        ASSERT_EQ(QProcess::execute("chattr", {"+i", QString::fromStdString(path)}), 0)
            << "chattr +i failed: a read-only file cannot be made for root here";
        immutable_ = true;
    } else {
        ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(path),
                                          QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    }
    open();
    EXPECT_EQ(cell(0, 3), "0009") << "the archive still reads";
    addWhileFaulty("数据库文件是只读的");
    EXPECT_EQ(table().size(), 3u);
    // Writable again while the archive stays open: the next save works.
    if (immutable_) {
        ASSERT_EQ(QProcess::execute("chattr", {"-i", QString::fromStdString(path)}), 0);
        immutable_ = false;
    }
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(path),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    leaveAndExpectStored();
}

TEST_F(DatabaseFaultTest, AFileThatIsNotADatabaseIsRefusedWithAReason) {
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray(8192, 'x'));
    f.close();
    std::string message;
    try {
        host::SqliteDatabase db(path, host::SqliteDatabase::OpenMode::ExistingOnly);
    } catch (const std::exception& e) {
        message = e.what();
    }
    EXPECT_TRUE(contains(message, "无法读取数据库文件")) << message;
    EXPECT_TRUE(contains(message, "not a database")) << message;

    // The same file damaged after the host opened it: the operator is told, nothing crashes.
    f.remove();
    host::createDemoDatabase(path);
    connect();
    open();
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.write(QByteArray(4096, 'x'));
    f.close();
    // Whether SQLite notices now or at a later read, any box is the archive's own error box
    // (never the guard's report of an escaped error) and the window keeps working.
    key(Qt::Key_R, Qt::ControlModifier);
    key(Qt::Key_A, Qt::ControlModifier);
    type("0101");
    key(Qt::Key_Up);
    for (const auto& b : boxes.records())
        EXPECT_EQ(b.caption, "错误") << b.text;
    boxes.clear();
    EXPECT_NE(plugin(), nullptr);
    EXPECT_GE(rowCount(), 2);
}

TEST_F(DatabaseFaultTest, AFailingDataServiceKeepsTheRowUntilItAnswersAgain) {
    open();
    const host::CoorDispService::Fault fault{false, {"数据服务不可用"}};
    service->setFault(PLATFORM_DISPID_OPEN_QUERY, fault);
    service->setFault(PLATFORM_DISPID_EXEC_SQL, fault);
    addWhileFaulty("数据服务不可用");
    // Raising calls (the service's error) are reported the same way.
    service->setFault(PLATFORM_DISPID_OPEN_QUERY, {true, {"服务异常"}});
    key(Qt::Key_Up);
    ASSERT_GE(boxes.count(), 1u);
    EXPECT_TRUE(contains(boxes.last().text, "服务异常")) << boxes.last().text;
    boxes.clear();
    EXPECT_EQ(cell(1, currentRow()), "南京分公司");
    service->clearFaults();
    leaveAndExpectStored();

    // A re-code the data service cannot write keeps the code typed (unsaved), not the
    // stored one; the next try writes it.
    const int row = currentRow(); // the stored row above the added one
    const std::string before = cell(0, row);
    service->setFault(PLATFORM_DISPID_EXEC_SQL, fault);
    key(Qt::Key_Left);
    type("0777");
    key(Qt::Key_Down);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_TRUE(contains(boxes.last().text, "修改核算单位档案时错误!")) << boxes.last().text;
    boxes.clear();
    EXPECT_EQ(currentRow(), row);
    EXPECT_EQ(cell(0, row), "0777");
    EXPECT_TRUE(contains(rowNote(row), "未保存"));
    EXPECT_TRUE(stored(before));
    service->clearFaults();
    key(Qt::Key_Down);
    EXPECT_EQ(testsupport::takeBoxTexts(boxes), std::vector<std::string>{});
    EXPECT_TRUE(stored("0777"));
    EXPECT_FALSE(stored(before));

    // A change that cannot be written is given up on Esc when the operator says Yes: the
    // window closes and the table keeps what it had.
    const Rows kept = table();
    service->setFault(PLATFORM_DISPID_EXEC_SQL, fault);
    key(Qt::Key_Right);
    type("改不了");
    boxes.answer(platform::IDOK);
    boxes.answer(platform::IDYES);
    key(Qt::Key_Escape);
    EXPECT_TRUE(contains(boxes.last().text, "放弃这一行的修改并退出吗")) << boxes.last().text;
    EXPECT_TRUE(testsupport::waitUntil([&] { return !isOpen(); }));
    EXPECT_EQ(table(), kept);
}

// What another program may have left in the table: names far longer than the grid's column
// takes, control characters. Every row shows, the operator moves over them without a box
// or a write, and a rename of such a row is written.
TEST_F(DatabaseFaultTest, HostileTableContentsShowAndStayWritable) {
    {
        host::SqliteDatabase setup(path, host::SqliteDatabase::OpenMode::ExistingOnly);
        setup.executeOrThrow("insert into tbHsdwda values('0020','" + std::string(400, 'N') +
                             "'),('0021','控制' || char(9) || char(13) || char(10) || char(1) || "
                             "'字符'),('00' || char(7),'铃')");
    }
    open();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(testsupport::takeBoxTexts(boxes), std::vector<std::string>{});
    ASSERT_EQ(rowCount(), 7); // title row + 6 units
    EXPECT_EQ(cell(1, 4), std::string(400, 'N'));
    // Over every row and back: nothing typed, nothing written, no box.
    service->clearCalls();
    for (int r = 1; r < 7; ++r)
        key(Qt::Key_Up);
    for (int r = 1; r < 7; ++r)
        key(Qt::Key_Down);
    EXPECT_EQ(testsupport::takeBoxTexts(boxes), std::vector<std::string>{});
    for (const host::CoorDispService::Call& call : service->calls())
        EXPECT_NE(call.dispId, PLATFORM_DISPID_EXEC_SQL) << call.sql;

    // The row with control characters in its name is renamed like any other.
    while (currentRow() > 5)
        key(Qt::Key_Up);
    key(Qt::Key_Left);
    key(Qt::Key_Right);
    type("已改名");
    key(Qt::Key_Up);
    EXPECT_EQ(testsupport::takeBoxTexts(boxes), std::vector<std::string>{});
    const Rows now = table();
    EXPECT_NE(std::find(now.begin(), now.end(), Rows::value_type{"0021", "已改名"}), now.end());
}

// A code whose bytes are no text (neither UTF-8 nor anything else): shown in its place, a
// replacement could never address the row again. The service refuses the read with the row
// and column, the archive says so and edits nothing; the table stays as it was.
TEST_F(DatabaseFaultTest, ATableValueThatIsNoTextIsNamedAndNothingIsEdited) {
    {
        host::SqliteDatabase setup(path, host::SqliteDatabase::OpenMode::ExistingOnly);
        setup.executeOrThrow("insert into tbHsdwda values(cast(x'3031ff80' as text),'坏编码')");
    }
    // Read as hexadecimal: the service refuses the bytes as text.
    auto rawTable = [&] {
        platform::DataPacket packet;
        std::vector<std::string> errors;
        EXPECT_TRUE(database->query(
            "select hex(f_Hsdwh) || ' ' || f_Hsdwmc from tbHsdwda order by 1", packet, errors));
        std::vector<std::string> rows;
        for (const auto& r : packet.rows)
            rows.push_back(r[0].value_or(""));
        return rows;
    };
    connect();
    const std::vector<std::string> before = rawTable();
    ASSERT_EQ(before.size(), 4u);
    open();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_TRUE(contains(boxes.last().text, "取核算单位档案时发生异常")) << boxes.last().text;
    EXPECT_TRUE(contains(boxes.last().text, "第 4 行「f_Hsdwh」列的内容不是有效的 UTF-8 文字"))
        << boxes.last().text;
    boxes.clear();
    EXPECT_EQ(gridRows(), (Rows{{"", ""}}));
    type("0100");
    key(Qt::Key_Right);
    type("南京");
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Escape);
    EXPECT_FALSE(isOpen()) << "nothing to save: the window closes";
    EXPECT_EQ(rawTable(), before);
}
