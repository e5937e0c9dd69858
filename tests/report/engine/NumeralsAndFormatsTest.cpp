#include "report/engine/expressions/RMChineseNumerals.h"
#include "report/engine/expressions/RMDateTime.h"
#include "report/engine/expressions/RMDisplayFormat.h"

#include <gtest/gtest.h>

using namespace report;
using platform::Variant;

TEST(ChineseNumerals, SmallToBig) {
    EXPECT_EQ(SmallToBig("105"), "壹零伍");
    EXPECT_EQ(SmallToBig(" 0123 "), "零壹贰叁");
    EXPECT_EQ(SmallToBig(""), "");
    EXPECT_THROW(SmallToBig("1a"), platform::EVariantError);
}

TEST(ChineseNumerals, SinglNumToBig) {
    EXPECT_EQ(SinglNumToBig(123.45, 1), "叁");
    EXPECT_EQ(SinglNumToBig(123.45, 3), "壹");
    EXPECT_EQ(SinglNumToBig(123.45, 4), "");
    EXPECT_EQ(SinglNumToBig(123.45, 0), "");
    EXPECT_EQ(SinglNumToBig(123, 2), "贰"); // a whole number has its point after the units
}

TEST(ChineseNumerals, CurrToBigNum) {
    const std::pair<double, const char*> cases[] = {
        {100, "壹佰圆整"},
        {10, "壹拾圆整"},
        {1005, "壹仟零伍圆整"},
        {100000, "壹拾万圆整"},
        {10001, "壹万零壹圆整"},
        {100000001, "壹亿零壹圆整"},
        {1.05, "壹圆零角伍分"},
        {0.5, "伍角整"},
        {1234.56, "壹仟贰佰叁拾肆圆伍角陆分"},
        {-20.1, "负贰拾圆壹角整"},
        {0, "零整"},
    };
    for (const auto& [amount, expected] : cases)
        EXPECT_EQ(CurrToBigNum(amount), expected) << amount;
}

TEST(ChineseNumerals, CNUMBER) {
    const std::pair<double, const char*> cases[] = {
        {12, "十二"},
        {105, "一百零五"},
        {100005, "十万零五"},
        {100, "一百"},
        {10, "十"},
        {0, ""},
        {3.5, "三点五"},
        {3.05, "三点零五"},
        {3.25, "三点二五"},
        {-7, "负七"},
        {12345678, "一千二百三十四万五千六百七十八"},
        {100000005, "一亿零五"}, // no ten-thousands word for an empty group
        {10050000, "一千零五万"},
    };
    for (const auto& [number, expected] : cases)
        EXPECT_EQ(CNUMBER(number), expected) << number;
}

TEST(DisplayFormat, NumberPatterns) {
    const std::tuple<const char*, double, const char*> cases[] = {
        {"#,##0.##", 1234567.891, "1,234,567.89"},
        {"#,##0.##", 0.5, "0.5"},
        {"0.00", 3.14159, "3.14"},
        {"0.00", -0.001, "0.00"},
        {"0.00", 2.675, "2.68"}, // decimal rounding, half away from zero
        {"##0.", 12.5, "13"},
        {"#.##", 0.25, ".25"},
        {"000", 7, "007"},
        {"0.########", 0.1 + 0.2, "0.3"},
        {"0.0;(0.0);'zero'", -1.25, "(1.3)"},
        {"0.0;(0.0);'zero'", 0, "zero"},
        {"'￥'#,##0.00", 1234.5, "￥1,234.50"},
        {"0.00' 元'", 12, "12.00 元"},
    };
    for (const auto& [pattern, value, expected] : cases)
        EXPECT_EQ(formatFloat(pattern, value), expected) << pattern << " " << value;
    EXPECT_EQ(formatFixed(1234.5, 2, true), "1,234.50");
    EXPECT_EQ(formatFixed(-0.004, 2, false), "0.00");
    EXPECT_EQ(shortestDecimal(1e20), "100000000000000000000");
    EXPECT_EQ(shortestDecimal(-0.125), "-0.125");
}

TEST(DisplayFormat, DatePatterns) {
    const double day = encodeDate(2026, 3, 9) + encodeTime(14, 5, 7);
    const std::pair<const char*, const char*> cases[] = {
        {"yyyy'年'mm'月'dd'日'", "2026年03月09日"},
        {"yy.mm.dd", "26.03.09"},
        {"yyyy MM dd", "2026 03 09"},
        {"dddd yyyy'年'M'月'd'日'", "星期一 2026年3月9日"},
        {"hh:nn:ss", "14:05:07"},
        {"h:mm", "14:05"}, // m after h is minutes
        {"hh:nn am/pm", "02:05 pm"},
        {"mmmm ddd", "三月 周一"},
        {"yyyy/m/d", "2026-3-9"},
    };
    for (const auto& [pattern, expected] : cases)
        EXPECT_EQ(formatDateTime(pattern, day), expected) << pattern;
    EXPECT_EQ(dayOfWeek(0), 7); // 1899-12-30 was a Saturday
    const TRMDateParts parts = decodeDateTime(46365.75);
    EXPECT_EQ(parts.year, 2026);
    EXPECT_EQ(parts.month, 12);
    EXPECT_EQ(parts.day, 9);
    EXPECT_EQ(parts.hour, 18);
    EXPECT_DOUBLE_EQ(parseDate("2026/12/9 18:00"), 46365.75);
    EXPECT_THROW(parseDate("2026-02-30"), platform::EVariantError);
    EXPECT_THROW(parseDate("hello"), platform::EVariantError);
    EXPECT_THROW(parseTime("25:00"), platform::EVariantError);
}

TEST(DisplayFormat, CatalogueByCode) {
    const Variant number(1234.5);
    EXPECT_EQ(formatValue(number, makeFormatCode(fkNumber, 0, 2, '.'), ""), "1234.5");
    EXPECT_EQ(formatValue(number, makeFormatCode(fkNumber, 1, 2, '.'), ""), "1234.50");
    EXPECT_EQ(formatValue(number, makeFormatCode(fkNumber, 2, 2, '.'), ""), "1,234.5");
    EXPECT_EQ(formatValue(number, makeFormatCode(fkNumber, 3, 2, ','), ""), "1,234,50");
    EXPECT_EQ(formatValue(number, rmInlineNumber, "0.000"), "1234.500");
    EXPECT_EQ(formatValue(Variant(0.30000000000000004), makeFormatCode(fkText, 0, 2, '.'), ""),
              "0.3");
    EXPECT_EQ(formatValue(Variant(12), makeFormatCode(fkText, 0, 2, '.'), ""), "12");
    const Variant date(platform::DateTime{encodeDate(2026, 12, 9)});
    EXPECT_EQ(formatValue(date, makeFormatCode(fkDate, 2, 0, 0), ""), "2026年12月09日");
    EXPECT_EQ(formatValue(date, makeFormatCode(fkDate, 4, 0, 0), ""), "2026/12/09"); // "/" kept
    EXPECT_EQ(formatValue(date, rmInlineDate, "dd.mm.yyyy"), "09.12.2026");
    EXPECT_EQ(formatValue(Variant("2026-12-09"), rmInlineDate, "yyyymmdd"), "20261209");
    EXPECT_EQ(formatValue(Variant(platform::DateTime{0.5}), makeFormatCode(fkTime, 2, 0, 0), ""),
              "12:00");
    EXPECT_EQ(formatValue(Variant(1), makeFormatCode(fkBoolean, 1, 0, 0), ""), "是");
    EXPECT_EQ(formatValue(Variant(0), makeFormatCode(fkBoolean, 3, 0, 0), ""), "假");
    EXPECT_EQ(formatValue(Variant(true), rmInlineBoolean, "no;yes"), "yes");
    // Empty, null and blank texts print nothing; unformattable values print plainly.
    EXPECT_EQ(formatValue(Variant(), rmInlineNumber, "0.00"), "");
    EXPECT_EQ(formatValue(Variant(platform::null), rmInlineNumber, "0.00"), "");
    EXPECT_EQ(formatValue(Variant("  "), rmInlineNumber, "0.00"), "");
    EXPECT_EQ(formatValue(Variant("abc"), rmInlineNumber, "0.00"), "abc");
    EXPECT_EQ(formatValue(Variant("abc"), rmInlineDate, "yyyy"), "abc");
}
