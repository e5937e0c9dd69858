#include "archive/TAcountUnitArchivesClass.h"
#include "platform/ClientDataSet.h"
#include "platform/MessageBox.h"
#include "tests/archive/ArchiveDatabase.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace archive;
using archivetest::ArchiveDatabase;

namespace {

class Site : public ArchiveStoreSite {
public:
    explicit Site(platform::DispatchRef service)
        : service_(std::move(service)) {
        cds_.setTrimTrailingBlanks(false);
    }
    plugin::ICoorDisp dataService() const override { return plugin::ICoorDisp(service_); }
    platform::TClientDataSet& storeDataSet() override { return cds_; }
    platform::WindowHandle windowHandle() const override { return platform::handleOf(&window); }
    platform::WindowHandle applicationWindow() const override {
        return platform::handleOf(&application);
    }
    void clearRefusedRow() override { ++cleared; }

    mutable QWidget window;
    mutable QWidget application;
    int cleared = 0;

private:
    platform::DispatchRef service_;
    platform::TClientDataSet cds_{"cdsMain"};
};

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.exec("insert into tbHsdwda values('0001','总部'),('0002 ','分部  ')");
        site = std::make_unique<Site>(db.ref());
        store = std::make_unique<TAcountUnitArchivesClass>(*site);
        db.clearCalls();
    }

    std::vector<std::vector<std::string>> table() {
        return db.rows("select f_Hsdwh,f_Hsdwmc from tbHsdwda order by rowid");
    }
    static TAcountUnitArchivesRecord unit(std::string code, std::string name) {
        return TAcountUnitArchivesRecord{std::move(code), std::move(name)};
    }

    ArchiveDatabase db;
    std::unique_ptr<Site> site;
    std::unique_ptr<TAcountUnitArchivesClass> store;
    platform::ScriptedMessageBoxes boxes;
};

using Rows = std::vector<std::vector<std::string>>;
constexpr unsigned kError = platform::MB_OK | platform::MB_ICONERROR;

} // namespace

TEST_F(StoreTest, LoadsRowsUntrimmedInTableOrder) {
    store->LoadRecords();
    ASSERT_EQ(store->Records.Count(), 2u);
    EXPECT_EQ(store->Records.Items(0).Hsdwh, "0001");
    EXPECT_EQ(store->Records.Items(1).Hsdwh, "0002 ");
    EXPECT_EQ(store->Records.Items(1).Hsdwmc, "分部  ");
    EXPECT_FALSE(site->storeDataSet().Active());
    EXPECT_EQ(db.queries(), std::vector<std::string>{"Select f_Hsdwh,f_Hsdwmc from tbHsdwda"});

    db.exec("delete from tbHsdwda");
    store->LoadRecords();
    EXPECT_EQ(store->Records.Count(), 0u);
    EXPECT_EQ(boxes.count(), 0u);
}

TEST_F(StoreTest, FailedLoadShowsOneBoxOwnedByTheWindow) {
    store->LoadRecords();
    db.exec("drop table tbHsdwda");
    store->LoadRecords();
    EXPECT_EQ(store->Records.Count(), 0u);
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "取核算单位档案时发生异常，可能是没有核算单位表!\r\n"
                                 "no such table: tbHsdwda\n\r")
        << "the heading, then the service's reason";
    EXPECT_EQ(boxes.last().caption, "错误");
    EXPECT_EQ(boxes.last().flags, kError);
    EXPECT_EQ(boxes.last().owner, site->windowHandle());
}

TEST_F(StoreTest, AddChecksTheCodeThenInsertsOnce) {
    db.clearCalls();
    EXPECT_TRUE(store->AddRecord(unit("0003", "O'Brien 分店")));
    EXPECT_EQ(db.queries(),
              std::vector<std::string>{"Select f_Hsdwh From tbHsdwda Where f_Hsdwh='0003'"});
    EXPECT_EQ(db.statements(),
              std::vector<std::string>{
                  "Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values('0003','O''Brien 分店')"});
    EXPECT_EQ(table().back(), (std::vector<std::string>{"0003", "O'Brien 分店"}));
    EXPECT_FALSE(site->storeDataSet().Active());
    EXPECT_TRUE(store->Records.empty()); // the window keeps Records, not the store
}

TEST_F(StoreTest, AddOfAnExistingCodeIsRefusedAndClearsTheRow) {
    db.clearCalls();
    EXPECT_FALSE(store->AddRecord(unit("0001", "x")));
    EXPECT_TRUE(db.statements().empty());
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "0001核算单位存在,无法新增!");
    EXPECT_EQ(boxes.last().caption, "错误");
    EXPECT_EQ(boxes.last().flags, kError);
    EXPECT_EQ(boxes.last().owner, site->applicationWindow());
    EXPECT_EQ(site->cleared, 1);
    EXPECT_FALSE(site->storeDataSet().Active());
}

TEST_F(StoreTest, FailedDuplicateCheckRefusesTheWrite) {
    db.fail(PLATFORM_DISPID_OPEN_QUERY, {"连接中断", "请重试"});
    EXPECT_FALSE(store->AddRecord(unit("0009", "新")));
    db.fail(PLATFORM_DISPID_OPEN_QUERY, {"连接中断"});
    EXPECT_FALSE(store->ModifyRecord(unit("0008", "新"), unit("0001", "总部")));
    EXPECT_TRUE(db.statements().empty());
    EXPECT_EQ(table().size(), 2u);
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_EQ(boxes.records()[0].text, "连接中断\r\n请重试");
    EXPECT_EQ(boxes.records()[0].caption, "错误");
    EXPECT_EQ(boxes.records()[0].flags, kError);
    EXPECT_EQ(boxes.records()[0].owner, site->applicationWindow());
    EXPECT_EQ(site->cleared, 0);
}

TEST_F(StoreTest, FailedStatementsShowHeadingAndMessages) {
    db.fail(PLATFORM_DISPID_EXEC_SQL, {"m1", "m2"});
    EXPECT_FALSE(store->AddRecord(unit("0005", "n")));
    EXPECT_EQ(boxes.last().text, "增加核算单位时错误!\r\nm1\n\rm2\n\r");
    db.fail(PLATFORM_DISPID_EXEC_SQL, {"m"});
    EXPECT_FALSE(store->ModifyRecord(unit("0001", "n"), unit("0001", "总部")));
    EXPECT_EQ(boxes.last().text, "修改核算单位档案时错误!\r\nm\n\r");
    EXPECT_FALSE(store->DeleteRecord("0001"));
    EXPECT_EQ(boxes.last().text, "删除核算单位时错误!\r\nm\n\r");
    EXPECT_EQ(boxes.last().owner, site->applicationWindow());
    EXPECT_EQ(table(), (Rows{{"0001", "总部"}, {"0002 ", "分部  "}}));
}

TEST_F(StoreTest, ModifyWithTheSameCodeUpdatesOnlyTheNameUnderTheStoredCode) {
    db.clearCalls();
    EXPECT_TRUE(store->ModifyRecord(unit(" 0002", "分部二"), unit("0002 ", "分部  ")));
    EXPECT_TRUE(db.queries().empty());
    EXPECT_EQ(db.statements(), std::vector<std::string>{
                                   "Update tbHsdwda set f_Hsdwmc='分部二' where(f_Hsdwh='0002 ')"});
    EXPECT_EQ(table()[1], (std::vector<std::string>{"0002 ", "分部二"}));
}

TEST_F(StoreTest, ModifyOfTheCodeChecksForDuplicates) {
    EXPECT_FALSE(store->ModifyRecord(unit("0001", "分部"), unit("0002 ", "分部  ")));
    EXPECT_EQ(boxes.last().text, "0001核算单位存在,无法修改!");
    EXPECT_EQ(site->cleared, 0); // the window restores the code cell itself
    EXPECT_EQ(table()[1], (std::vector<std::string>{"0002 ", "分部  "}));

    db.clearCalls();
    EXPECT_TRUE(store->ModifyRecord(unit("0007", "七"), unit("0002 ", "分部  ")));
    EXPECT_EQ(db.statements(),
              std::vector<std::string>{"Update tbHsdwda set f_Hsdwh='0007',f_Hsdwmc='七' "
                                       "where(f_Hsdwh='0002 ')"});
    EXPECT_EQ(table()[1], (std::vector<std::string>{"0007", "七"}));
    EXPECT_FALSE(site->storeDataSet().Active());
}

TEST_F(StoreTest, DeleteSendsOneStatement) {
    db.clearCalls();
    EXPECT_TRUE(store->DeleteRecord("0001"));
    EXPECT_EQ(db.statements(),
              std::vector<std::string>{"Delete From tbHsdwda where(f_Hsdwh='0001')"});
    EXPECT_EQ(table(), (Rows{{"0002 ", "分部  "}}));
}

TEST_F(StoreTest, ServiceErrorsReachTheCallerWithTheDatasetClosed) {
    db.raise(PLATFORM_DISPID_EXEC_SQL, "服务已断开");
    EXPECT_THROW(store->AddRecord(unit("0004", "n")), platform::EDispatchError);
    EXPECT_FALSE(site->storeDataSet().Active());
}
