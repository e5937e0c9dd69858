#include "platform/ClientDataSet.h"

#include <gtest/gtest.h>

using platform::DataPacket;
using platform::EDatabaseError;
using platform::TClientDataSet;

namespace {

platform::Variant sysParams() {
    DataPacket packet;
    packet.fields = {"f_Csmc", "f_csz"};
    packet.rows = {{"DWLX", "1  "}, {"zbbm", "0001\t "}, {"dchy", std::nullopt}, {"  ", "blank"}};
    return platform::dataPacketVariant(packet);
}

TEST(ClientDataSetTest, NavigatesRowsInOrder) {
    TClientDataSet cds("Cdset");
    EXPECT_FALSE(cds.Active());
    cds.setData(sysParams());
    EXPECT_TRUE(cds.Active());
    EXPECT_EQ(cds.RecordCount(), 4);
    EXPECT_FALSE(cds.IsEmpty());
    EXPECT_EQ(cds.FieldCount(), 2);

    std::vector<std::string> names;
    for (cds.First(); !cds.Eof(); cds.Next())
        names.push_back(cds.FieldByName("F_CSMC").AsString());
    EXPECT_EQ(names, (std::vector<std::string>{"DWLX", "zbbm", "dchy", ""}));
    // Past the end the cursor stays on the last record.
    EXPECT_EQ(cds.RecNo(), 4);
    cds.Next();
    EXPECT_TRUE(cds.Eof());

    cds.Last();
    EXPECT_TRUE(cds.Eof());
    cds.Prior();
    EXPECT_EQ(cds.RecNo(), 3);
    EXPECT_FALSE(cds.Eof());
    cds.First();
    EXPECT_TRUE(cds.Bof());
    EXPECT_EQ(cds.Fields(1).AsString(), "1");
}

TEST(ClientDataSetTest, TrimsTrailingBlanksUnlessTurnedOff) {
    TClientDataSet trimming("Cdset");
    trimming.setData(sysParams());
    trimming.Next();
    EXPECT_EQ(trimming.FieldByName("f_csz").AsString(), "0001");

    TClientDataSet keeping("cdsMain");
    keeping.setTrimTrailingBlanks(false);
    keeping.setData(sysParams());
    keeping.Next();
    EXPECT_EQ(keeping.FieldByName("f_csz").AsString(), "0001\t ");
    EXPECT_EQ(keeping.FieldByName("f_csz").AsVariant(), platform::Variant("0001\t "));
}

TEST(ClientDataSetTest, NullsAndNumbers) {
    TClientDataSet cds;
    cds.setData(sysParams());
    ASSERT_TRUE(cds.Locate("f_Csmc", "dchy", false));
    EXPECT_TRUE(cds.FieldByName("f_csz").IsNull());
    EXPECT_EQ(cds.FieldByName("f_csz").AsString(), "");
    EXPECT_TRUE(cds.FieldByName("f_csz").AsVariant().isNull());
    EXPECT_EQ(cds.FieldByName("f_csz").AsInteger(), 0);
    cds.First();
    EXPECT_FALSE(cds.FieldByName("f_csz").IsNull());
    EXPECT_EQ(cds.FieldByName("f_csz").AsInteger(), 1);
    EXPECT_TRUE(cds.FieldByName("f_csz").AsBoolean());
    ASSERT_TRUE(cds.Locate("f_csz", "blank", false));
    EXPECT_THROW(cds.FieldByName("f_csz").AsFloat(), platform::EVariantError);
}

TEST(ClientDataSetTest, LocateFindsTheFirstMatchAndKeepsTheCursorOtherwise) {
    TClientDataSet cds;
    cds.setData(sysParams());
    EXPECT_TRUE(cds.Locate("f_Csmc", "dwlx", true));
    EXPECT_EQ(cds.RecNo(), 1);
    EXPECT_FALSE(cds.Locate("f_Csmc", "dwlx", false));
    EXPECT_TRUE(cds.Locate("f_csmc", "ZBBM", true));
    EXPECT_EQ(cds.FieldByName("f_csz").AsString(), "0001");
    EXPECT_FALSE(cds.Locate("f_Csmc", "missing", true));
    EXPECT_EQ(cds.RecNo(), 2); // unchanged
    EXPECT_FALSE(cds.Eof());
    // The trimmed text is compared (the blank name reads as "").
    EXPECT_TRUE(cds.Locate("f_Csmc", "", true));
    EXPECT_EQ(cds.RecNo(), 4);
    // Null matches nothing, not even the empty text.
    EXPECT_FALSE(cds.Locate("f_csz", "", true));
    EXPECT_THROW(cds.Locate("nope", "x", true), EDatabaseError);
}

TEST(ClientDataSetTest, EmptyResultAndClosedDataset) {
    DataPacket packet;
    packet.fields = {"f_zymc"};
    TClientDataSet cds("Cdset");
    cds.setData(platform::dataPacketVariant(packet));
    EXPECT_TRUE(cds.IsEmpty());
    EXPECT_TRUE(cds.Eof());
    EXPECT_TRUE(cds.Bof());
    EXPECT_EQ(cds.RecNo(), 0);
    EXPECT_TRUE(cds.FieldByName("f_zymc").IsNull());
    EXPECT_EQ(cds.FieldByName("f_zymc").AsString(), "");
    cds.Next();
    cds.Prior();
    EXPECT_TRUE(cds.Eof());
    EXPECT_FALSE(cds.Locate("f_zymc", "", true));

    try {
        cds.FieldByName("f_Hsdwh");
        FAIL() << "no error";
    } catch (const EDatabaseError& error) {
        EXPECT_STREQ(error.what(), "Cdset: 字段 'f_Hsdwh' 不存在");
    }
    cds.Close();
    cds.Close();
    EXPECT_FALSE(cds.Active());
    EXPECT_THROW(cds.First(), EDatabaseError);
    EXPECT_THROW(cds.Eof(), EDatabaseError);
    EXPECT_THROW(cds.FieldByName("f_zymc"), EDatabaseError);
    EXPECT_TRUE(cds.Data().isNull());
}

TEST(ClientDataSetTest, BadPacketLeavesTheDatasetClosed) {
    TClientDataSet cds;
    cds.setData(sysParams());
    platform::Variant messages(platform::VariantArray{"查询失败"});
    EXPECT_THROW(cds.setData(messages), platform::EDataPacketError);
    EXPECT_FALSE(cds.Active());
    platform::ByteArray damaged = sysParams().bytesValue();
    damaged.resize(damaged.size() - 3);
    EXPECT_THROW(cds.setData(platform::Variant(damaged)), platform::EDataPacketError);
    EXPECT_FALSE(cds.Active());

    cds.setData(sysParams());
    EXPECT_EQ(platform::decodeDataPacket(cds.Data()).rows.size(), 4u);
}

} // namespace
