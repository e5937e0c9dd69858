// The plug-in's data-service calls (ICoorDisp) against the reference host's service on a
// real SQLite file, and the client datasets that read its packets.

#include "platform/ClientDataSet.h"
#include "plugin/ICoorDisp.h"
#include "tests/plugin/PluginTestSupport.h"

#include <QDateTime>

#include <gtest/gtest.h>

using namespace plugin;
using platform::Variant;
using platform::VariantArray;

namespace {

std::vector<std::string> texts(const Variant& messages) {
    std::vector<std::string> result;
    for (const Variant& m : messages.arrayValue())
        result.push_back(m.toString());
    return result;
}

class DataServiceTest : public ::testing::Test {
protected:
    plugintest::DemoService demo;
    ICoorDisp service{demo.ref};
};

} // namespace

TEST_F(DataServiceTest, OpenQueryReturnsRowsOrTheDatabaseErrors) {
    Variant data;
    ASSERT_TRUE(service.OpenQuery("Select f_Hsdwh,f_Hsdwmc from tbHsdwda", data));
    platform::TClientDataSet cds("cdsMain");
    cds.setData(data);
    EXPECT_EQ(cds.RecordCount(), 30);
    EXPECT_EQ(cds.FieldByName("f_hsdwh").AsString(), "0001");
    EXPECT_EQ(cds.FieldByName("F_HSDWMC").AsString(), "集团总部");
    ASSERT_TRUE(cds.Locate("f_Hsdwh", "0020", true));
    EXPECT_EQ(cds.FieldByName("f_Hsdwmc").AsString(), "哈尔滨办事处");

    Variant empty;
    ASSERT_TRUE(service.OpenQuery("select f_zymc from tbzyda where f_zybm='nobody'", empty));
    cds.setData(empty);
    EXPECT_TRUE(cds.IsEmpty());

    Variant failure;
    EXPECT_FALSE(service.OpenQuery("Select f_Hsdwh from tbMissing", failure));
    EXPECT_EQ(texts(failure), std::vector<std::string>{"no such table: tbMissing"});
    EXPECT_FALSE(service.OpenQuery("Selec nonsense", failure));
    ASSERT_TRUE(failure.isArray());
    EXPECT_NE(texts(failure).at(0).find("syntax error"), std::string::npos);

    ASSERT_FALSE(demo.service->calls().empty());
    EXPECT_EQ(demo.service->calls().back().sql, "Selec nonsense");
}

TEST_F(DataServiceTest, ExecSqlWritesOrHandsBackMessages) {
    Variant insert("Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values('0031','大连分公司')");
    ASSERT_TRUE(service.ExecSql(insert));
    Variant data;
    ASSERT_TRUE(service.OpenQuery("select f_Hsdwmc from tbHsdwda where f_Hsdwh='0031'", data));
    platform::TClientDataSet cds;
    cds.setData(data);
    EXPECT_EQ(cds.FieldByName("f_Hsdwmc").AsString(), "大连分公司");

    Variant duplicate("Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values('0031','重复')");
    EXPECT_FALSE(service.ExecSql(duplicate));
    EXPECT_EQ(texts(duplicate),
              std::vector<std::string>{"UNIQUE constraint failed: tbHsdwda.f_Hsdwh"});

    Variant update("Update tbHsdwda set f_Hsdwmc='x' where(f_Hsdwh='none')");
    EXPECT_TRUE(service.ExecSql(update)) << "no row affected is no failure";
    EXPECT_TRUE(update.isString()) << "the statement stays as it was";
}

TEST_F(DataServiceTest, ServerDateTimeAndScriptedFailure) {
    Variant value;
    const QString before = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
    ASSERT_TRUE(service.GetServerDateTime(value));
    const QString after = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
    const QString text = QString::fromStdString(value.toString());
    ASSERT_EQ(text.size(), 14);
    EXPECT_GE(text, before);
    EXPECT_LE(text, after);

    demo.service->setFault(PLATFORM_DISPID_GET_SERVER_DATE_TIME, {false, {"时钟不可用", "m2"}});
    EXPECT_FALSE(service.GetServerDateTime(value));
    EXPECT_EQ(texts(value), (std::vector<std::string>{"时钟不可用", "m2"}));
}

TEST_F(DataServiceTest, SysParamsAsPacketOrTheDatabaseErrors) {
    Variant data;
    ASSERT_TRUE(service.GetSysParams(data));
    platform::TClientDataSet cdset("Cdset");
    cdset.setData(data);
    ASSERT_TRUE(cdset.Locate("f_Csmc", "DWLX", true));
    EXPECT_EQ(cdset.FieldByName("f_csz").AsString(), "00");
    ASSERT_TRUE(cdset.Locate("f_Csmc", "zbbm", true));
    EXPECT_EQ(cdset.FieldByName("f_csz").AsString(), "0001");
    ASSERT_TRUE(cdset.Locate("f_Csmc", "dchy", true));
    EXPECT_EQ(cdset.FieldByName("f_csz").AsString(), "0");

    Variant dropped("drop table tbxtcs");
    ASSERT_TRUE(service.ExecSql(dropped));
    EXPECT_FALSE(service.GetSysParams(data));
    EXPECT_EQ(texts(data), std::vector<std::string>{"no such table: tbxtcs"});
}

TEST_F(DataServiceTest, DbTypeAnswersOrRaises) {
    EXPECT_EQ(service.GetDbType().toString(), "SQLSERVER");
    demo.service->setDbType("ORACLE");
    EXPECT_EQ(service.GetDbType().toString(), "ORACLE");
    demo.service->setDbTypeRaises(true);
    EXPECT_THROW(service.GetDbType(), platform::EDispatchError);

    Variant data;
    EXPECT_THROW(ICoorDisp().OpenQuery("select 1", data), platform::EDispatchError);
    demo.service->setFault(PLATFORM_DISPID_OPEN_QUERY, {true, {"连接已断开"}});
    try {
        service.OpenQuery("select 1", data);
        FAIL() << "a raised host error reaches the caller";
    } catch (const platform::EDispatchError& e) {
        EXPECT_NE(std::string(e.what()).find("连接已断开"), std::string::npos);
    }
}

TEST_F(DataServiceTest, CdsetTrimsTrailingBlanksCdsMainKeepsThem) {
    Variant insert("Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values('0040  ','空格名称  ')");
    ASSERT_TRUE(service.ExecSql(insert));
    Variant data;
    ASSERT_TRUE(service.OpenQuery(
        "select f_Hsdwh,f_Hsdwmc from tbHsdwda where f_Hsdwh like '0040%'", data));

    platform::TClientDataSet cdset("Cdset"); // trims, the dataset's default
    cdset.setData(data);
    EXPECT_EQ(cdset.FieldByName("f_Hsdwh").AsString(), "0040");
    EXPECT_EQ(cdset.FieldByName("f_Hsdwmc").AsString(), "空格名称");

    platform::TClientDataSet cdsMain("cdsMain");
    cdsMain.setTrimTrailingBlanks(false);
    cdsMain.setData(data);
    EXPECT_EQ(cdsMain.FieldByName("f_Hsdwh").AsString(), "0040  ");
    EXPECT_EQ(cdsMain.FieldByName("f_Hsdwmc").AsString(), "空格名称  ");
}

TEST_F(DataServiceTest, NullValuesArriveAsNull) {
    Variant insert("Insert Into tbHsdwda(f_Hsdwh) Values('0041')");
    ASSERT_TRUE(service.ExecSql(insert));
    Variant data;
    ASSERT_TRUE(service.OpenQuery("select f_Hsdwmc from tbHsdwda where f_Hsdwh='0041'", data));
    platform::TClientDataSet cds;
    cds.setData(data);
    EXPECT_TRUE(cds.FieldByName("f_Hsdwmc").IsNull());
    EXPECT_EQ(cds.FieldByName("f_Hsdwmc").AsString(), "");
}
