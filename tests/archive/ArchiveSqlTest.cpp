#include "archive/ArchiveSql.h"

#include "archive/AcountUnitArchivesRecords.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace archive;

TEST(ArchiveSql, StatementsPlaceValuesBetweenQuotes) {
    EXPECT_EQ(sql::selectAll(), "Select f_Hsdwh,f_Hsdwmc from tbHsdwda");
    EXPECT_EQ(sql::selectCode("0001"), "Select f_Hsdwh From tbHsdwda Where f_Hsdwh='0001'");
    EXPECT_EQ(sql::insertUnit("0002", "总部"),
              "Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values('0002','总部')");
    EXPECT_EQ(sql::updateName("01 ", "分部"),
              "Update tbHsdwda set f_Hsdwmc='分部' where(f_Hsdwh='01 ')");
    EXPECT_EQ(sql::updateUnit("01", "02", "n"),
              "Update tbHsdwda set f_Hsdwh='02',f_Hsdwmc='n' where(f_Hsdwh='01')");
    EXPECT_EQ(sql::deleteUnit("7"), "Delete From tbHsdwda where(f_Hsdwh='7')");
    EXPECT_EQ(sql::selectOperatorName(""), "select f_zymc from tbzyda where f_zybm=''");
}

TEST(ArchiveSql, EmbeddedQuotesAreDoubled) {
    EXPECT_EQ(sql::quoted("O'Brien"), "'O''Brien'");
    EXPECT_EQ(sql::quoted("''"), "''''''");
    EXPECT_EQ(sql::insertUnit("1", "x'); Delete From tbHsdwda; --"),
              "Insert Into tbHsdwda(f_Hsdwh,f_Hsdwmc) Values('1','x''); Delete From tbHsdwda; "
              "--')");
    EXPECT_EQ(sql::selectOperatorName("a' or '1'='1"),
              "select f_zymc from tbzyda where f_zybm='a'' or ''1''=''1'");
}

TEST(ArchiveSql, FailureTextPutsLineFeedBeforeCarriageReturnAfterEachMessage) {
    EXPECT_EQ(sql::failureText("增加核算单位时错误!", {"m1", "m2"}),
              "增加核算单位时错误!\r\nm1\n\rm2\n\r");
    EXPECT_EQ(sql::failureText("h", {}), "h\r\n");
}

TEST(AcountUnitArchivesRecords, AddInsertDeleteKeepOrder) {
    TAcountUnitArchivesRecords records;
    records.Add().Hsdwh = "1";
    records.Add().Hsdwh = "3";
    records.Insert(1).Hsdwh = "2";
    records.Insert(3).Hsdwh = "4";
    ASSERT_EQ(records.Count(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(records.Items(i).Hsdwh, std::to_string(i + 1));
    records.Delete(0);
    EXPECT_EQ(records.Items(0).Hsdwh, "2");
    EXPECT_THROW(records.Items(3), std::out_of_range);
    EXPECT_THROW(records.Insert(5), std::out_of_range);
    EXPECT_THROW(records.Delete(3), std::out_of_range);
    records.Clear();
    EXPECT_TRUE(records.empty());
}
