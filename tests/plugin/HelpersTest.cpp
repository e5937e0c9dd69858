// ZeroPad, IsHeadOffice, ShowMessageList and TDreamClass against the real host service.

#include "platform/MessageBox.h"
#include "plugin/HostContext.h"
#include "plugin/SharedHelpers.h"
#include "plugin/TDreamClass.h"
#include "tests/plugin/PluginTestSupport.h"

#include <gtest/gtest.h>

using namespace plugin;
using platform::Variant;
using platform::VariantArray;

TEST(ZeroPad, PadsToWidthWithinTwentyCharacters) {
    EXPECT_EQ(ZeroPad(4, 10), "0010");
    EXPECT_EQ(ZeroPad(2, 100), "100");
    EXPECT_EQ(ZeroPad(3, 100), "100");
    EXPECT_EQ(ZeroPad(25, 7), std::string(19, '0') + "7");
    EXPECT_EQ(ZeroPad(20, 7), std::string(19, '0') + "7");
    EXPECT_EQ(ZeroPad(4, -5), "00-5");
    EXPECT_EQ(ZeroPad(0, 0), "0");
    EXPECT_EQ(ZeroPad(-3, 42), "42");
    EXPECT_EQ(ZeroPad(6, 1.5), "0001.5");
    EXPECT_EQ(ZeroPad(4, 1e20), "1E20");
    EXPECT_EQ(ZeroPad(30, 123456789012345678901234.0), "01.23456789012346E23");
    EXPECT_EQ(ZeroPad(22, 1e-5), std::string(16, '0') + "1E-5");
}

TEST(IsHeadOffice, ExactCodeOrBlank) {
    EXPECT_TRUE(IsHeadOffice("0001"));
    EXPECT_TRUE(IsHeadOffice(""));
    EXPECT_TRUE(IsHeadOffice("   "));
    EXPECT_TRUE(IsHeadOffice("\t\r\n "));
    EXPECT_FALSE(IsHeadOffice(" 0001"));
    EXPECT_FALSE(IsHeadOffice("0001 "));
    EXPECT_FALSE(IsHeadOffice("0002"));
    EXPECT_FALSE(IsHeadOffice("1"));
    EXPECT_TRUE(TDreamClass::IsHeadOffice("0001"));
}

TEST(ShowMessageList, JoinsMessagesWithLineBreaks) {
    platform::ScriptedMessageBoxes boxes;
    std::string joined = "stale";
    const Variant ab(VariantArray{Variant("a"), Variant("b")});

    ShowMessageList(0, ab, "", joined);
    EXPECT_EQ(joined, "a\r\nb");
    EXPECT_EQ(boxes.count(), 0u) << "no owner, no box";

    ShowMessageList(0x4711, ab, "p", joined);
    EXPECT_EQ(joined, "p\r\na\r\nb");
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().owner, 0x4711u);
    EXPECT_EQ(boxes.last().text, "p\r\na\r\nb");
    EXPECT_EQ(boxes.last().caption, "错误");
    EXPECT_EQ(boxes.last().flags, platform::MB_OK | platform::MB_ICONERROR);

    ShowMessageList(0, Variant(VariantArray{Variant(12), Variant(), Variant("x")}), "", joined);
    EXPECT_EQ(joined, "12\r\n\r\nx") << "numbers and empty values become text";
}

TEST(ShowMessageList, EmptyAndUnusableArrays) {
    platform::ScriptedMessageBoxes boxes;
    std::string joined;

    ShowMessageList(0x10, Variant(VariantArray{}), "", joined);
    EXPECT_EQ(joined, "");
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "") << "the box shows the empty text";

    ShowMessageList(0, Variant("no array"), "", joined);
    EXPECT_EQ(joined, "未知错误！");
    ShowMessageList(0, Variant(), "", joined);
    EXPECT_EQ(joined, "未知错误！");
    ShowMessageList(0, Variant("no array"), "p", joined);
    EXPECT_EQ(joined, "p\r\n未知错误！");
    // An element that cannot become text ends the list where it stands.
    ShowMessageList(0, Variant(VariantArray{Variant("a"), Variant(VariantArray{}), Variant("c")}),
                    "", joined);
    EXPECT_EQ(joined, "a\r\n未知错误！");
}

class DreamClassTest : public ::testing::Test {
protected:
    void SetUp() override {
        clearDialectFragments();
        hostContext().ApplicationHandle = 0x777;
    }
    void TearDown() override {
        clearDialectFragments();
        hostContext().ApplicationHandle = 0;
    }

    plugintest::DemoService demo;
    platform::ScriptedMessageBoxes boxes;
};

TEST_F(DreamClassTest, EachKindSetsAllSevenFragments) {
    demo.service->setDbType("DB2");
    {
        TDreamClass dream(ICoorDisp(demo.ref), 0x55);
        EXPECT_EQ(dream.DbType, "DB2");
        EXPECT_EQ(dream.OwnerWindow(), 0x55u);
    }
    const DialectFragments db2{" BEGIN ATOMIC ", " THEN ", " ; ", " END IF ", " END ", "", ""};
    EXPECT_EQ(dialectFragments(), db2) << "fragments outlive the object";

    demo.service->setDbType("SQLSERVER");
    TDreamClass sqlServer(ICoorDisp(demo.ref), 0);
    EXPECT_EQ(sqlServer.OwnerWindow(), 0x777u) << "0 means the plug-in's application window";
    EXPECT_EQ(dialectFragments(), (DialectFragments{"", "", "", "", "", " Begin ", " End "}));

    demo.service->setDbType("ORACLE");
    TDreamClass oracle(ICoorDisp(demo.ref), 0);
    EXPECT_EQ(dialectFragments(), DialectFragments{});
    EXPECT_EQ(boxes.count(), 0u);
}

TEST_F(DreamClassTest, OtherKindsKeepTheFragments) {
    demo.service->setDbType("DB2");
    TDreamClass db2(ICoorDisp(demo.ref), 0);
    const DialectFragments before = dialectFragments();

    demo.service->setDbType("MYSQL");
    TDreamClass other(ICoorDisp(demo.ref), 0);
    EXPECT_EQ(other.DbType, "MYSQL");
    EXPECT_EQ(dialectFragments(), before);
    EXPECT_EQ(boxes.count(), 0u);

    demo.service->setDbType("db2");
    TDreamClass lower(ICoorDisp(demo.ref), 0);
    EXPECT_EQ(lower.DbType, "db2") << "kinds compare exactly";
    EXPECT_EQ(dialectFragments(), before);
}

TEST_F(DreamClassTest, FailedRequestWarnsAndAssumesSqlServer) {
    demo.service->setDbType("DB2");
    TDreamClass db2(ICoorDisp(demo.ref), 0);
    const DialectFragments before = dialectFragments();

    demo.service->setDbTypeRaises(true);
    TDreamClass failed(ICoorDisp(demo.ref), 0x99);
    EXPECT_EQ(failed.DbType, "SQLSERVER");
    EXPECT_EQ(dialectFragments(), before) << "fragments stay as they were";
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().owner, 0x99u);
    EXPECT_EQ(boxes.last().text, "获取数据库类型失败!");
    EXPECT_EQ(boxes.last().caption, "警告");
    EXPECT_EQ(boxes.last().flags, platform::MB_OK | platform::MB_ICONWARNING);

    // A scripted host error fails the same way; so does a missing service.
    demo.service->setDbTypeRaises(false);
    demo.service->setFault(PLATFORM_DISPID_GET_DB_TYPE, {true, {"connection lost"}});
    TDreamClass raised(ICoorDisp(demo.ref), 0);
    EXPECT_EQ(raised.DbType, "SQLSERVER");
    EXPECT_EQ(boxes.last().owner, 0x777u);
    TDreamClass none(ICoorDisp(), 0);
    EXPECT_EQ(none.DbType, "SQLSERVER");
    EXPECT_EQ(boxes.count(), 3u);
}
