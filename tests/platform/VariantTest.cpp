#include "platform/Variant.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using platform::Currency;
using platform::DateTime;
using platform::EVariantError;
using platform::Variant;
using platform::VariantArray;
using platform::VarType;

namespace {

std::string conversionMessage(const std::function<void()>& convert) {
    try {
        convert();
    } catch (const EVariantError& error) {
        return error.what();
    }
    return "no error";
}

TEST(VariantTest, KindsAndTypeNames) {
    EXPECT_EQ(Variant().type(), VarType::Empty);
    EXPECT_EQ(Variant(platform::null).type(), VarType::Null);
    EXPECT_EQ(Variant(true).type(), VarType::Boolean);
    EXPECT_EQ(Variant(7).type(), VarType::Integer);
    EXPECT_EQ(Variant(std::int64_t{1} << 40).toInt64(), std::int64_t{1} << 40);
    EXPECT_EQ(Variant(1.5).type(), VarType::Double);
    EXPECT_EQ(Variant(Currency{15000}).type(), VarType::Currency);
    EXPECT_EQ(Variant(DateTime{1.0}).type(), VarType::Date);
    EXPECT_EQ(Variant("abc").type(), VarType::String);
    EXPECT_EQ(Variant(VariantArray{1, "x"}).type(), VarType::Array);
    EXPECT_EQ(Variant(platform::ByteArray{1, 2}).type(), VarType::Bytes);
    EXPECT_EQ(Variant("x").typeName(), "String");
    EXPECT_EQ(Variant(1).typeName(), "Int64");
    EXPECT_TRUE(Variant(platform::null).isEmptyOrNull());
    EXPECT_TRUE(Variant(Currency{}).isNumeric());
    EXPECT_FALSE(Variant("1").isNumeric());
}

TEST(VariantTest, ToStringFollowsTheSystemsFormats) {
    EXPECT_EQ(Variant().toString(), "");
    EXPECT_EQ(Variant(platform::null).toString(), "");
    EXPECT_EQ(Variant(true).toString(), "True");
    EXPECT_EQ(Variant(false).toString(), "False");
    EXPECT_EQ(Variant(-42).toString(), "-42");
    EXPECT_EQ(Variant(1.5).toString(), "1.5");
    EXPECT_EQ(Variant(0.1 + 0.2).toString(), "0.3");
    EXPECT_EQ(Variant(100.0).toString(), "100");
    EXPECT_EQ(Variant(-0.0).toString(), "0");
    EXPECT_EQ(Variant(1e20).toString(), "1E20");
    EXPECT_EQ(Variant(1.25e-7).toString(), "1.25E-7");
    EXPECT_EQ(Variant(123456789012345.0).toString(), "123456789012345");
    EXPECT_EQ(Variant(Currency{12345000}).toString(), "1234.5");
    EXPECT_EQ(Variant(Currency{-1}).toString(), "-0.0001");
    EXPECT_EQ(Variant(Currency{INT64_MIN}).toString(), "-922337203685477.5808");
    EXPECT_EQ(Variant(DateTime::fromParts(2026, 12, 9)).toString(), "2026-12-09");
    EXPECT_EQ(Variant(DateTime::fromParts(2026, 12, 9, 9, 5, 7)).toString(), "2026-12-09 09:05:07");
    EXPECT_EQ(Variant(DateTime{0.0}).toString(), "1899-12-30");
    EXPECT_EQ(Variant(DateTime{2.75}).toString(), "1900-01-01 18:00:00");
    EXPECT_EQ(Variant("文本 ").toString(), "文本 ");
    EXPECT_THROW(Variant(VariantArray{}).toString(), EVariantError);
}

TEST(VariantTest, NumbersFromTextAndTheConversionError) {
    EXPECT_DOUBLE_EQ(Variant(" 12.5 ").toDouble(), 12.5);
    EXPECT_DOUBLE_EQ(Variant("-1e3").toDouble(), -1000.0);
    EXPECT_DOUBLE_EQ(Variant("+7").toDouble(), 7.0);
    EXPECT_EQ(Variant("$1F").toInt64(), 31);
    EXPECT_EQ(Variant("123456789012").toInt64(), 123456789012);
    EXPECT_EQ(Variant("2.5").toInt64(), 2); // half to even
    EXPECT_EQ(Variant(3.5).toInt64(), 4);
    EXPECT_EQ(Variant(Currency{25000}).toInt64(), 2);
    EXPECT_EQ(Variant(Currency{-35000}).toInt64(), -4);
    EXPECT_EQ(Variant(true).toInt64(), -1);
    EXPECT_EQ(Variant().toInt64(), 0);
    EXPECT_DOUBLE_EQ(Variant(Currency{15}).toDouble(), 0.0015);

    EXPECT_EQ(conversionMessage([] { Variant("abc").toDouble(); }),
              "Could not convert variant of type (String) into type (Double)");
    EXPECT_EQ(conversionMessage([] { Variant("").toInt64(); }),
              "Could not convert variant of type (String) into type (Int64)");
    EXPECT_EQ(conversionMessage([] { Variant(platform::null).toDouble(); }),
              "Could not convert variant of type (Null) into type (Double)");
    EXPECT_THROW(Variant("inf").toDouble(), EVariantError);
    EXPECT_THROW(Variant("nan").toDouble(), EVariantError);
    EXPECT_THROW(Variant("1,5").toDouble(), EVariantError);
    EXPECT_THROW(Variant(1e300).toInt64(), EVariantError);
    EXPECT_THROW(Variant(std::nan("")).toInt64(), EVariantError);
    EXPECT_THROW(Variant(std::int64_t{1} << 40).toInt(), EVariantError);
    EXPECT_THROW(Variant(platform::ByteArray{}).toDouble(), EVariantError);
}

TEST(VariantTest, BooleansCurrencyAndDates) {
    EXPECT_TRUE(Variant("TRUE").toBool());
    EXPECT_FALSE(Variant(" false ").toBool());
    EXPECT_TRUE(Variant("2").toBool());
    EXPECT_FALSE(Variant("0").toBool());
    EXPECT_FALSE(Variant().toBool());
    EXPECT_THROW(Variant("ja").toBool(), EVariantError);
    EXPECT_THROW(Variant(platform::null).toBool(), EVariantError);

    EXPECT_EQ(Variant("12.3456").toCurrency(), Currency{123456});
    EXPECT_EQ(Variant(2).toCurrency(), Currency{20000});
    EXPECT_EQ(Currency::fromDouble(-0.00005), Currency{-1});
    EXPECT_THROW(Variant(1e30).toCurrency(), EVariantError);
    EXPECT_THROW(Variant(INT64_MAX).toCurrency(), EVariantError);

    EXPECT_DOUBLE_EQ(DateTime::fromParts(1899, 12, 30).days, 0.0);
    EXPECT_DOUBLE_EQ(DateTime::fromParts(2000, 1, 1).days, 36526.0);
    EXPECT_DOUBLE_EQ(DateTime::fromParts(1900, 1, 1, 12).days, 2.5);
    EXPECT_DOUBLE_EQ(Variant("2000-01-01 06:00").toDateTime().days, 36526.25);
    EXPECT_DOUBLE_EQ(Variant("2000/01/02").toDateTime().days, 36527.0);
    EXPECT_DOUBLE_EQ(Variant("12:00:00").toDateTime().days, 0.5);
    EXPECT_THROW(Variant("2001-02-29").toDateTime(), EVariantError);
    EXPECT_DOUBLE_EQ(Variant("45000.5").toDateTime().days, 45000.5);
    EXPECT_THROW(Variant("20261209095900").toDateTime(), EVariantError); // not a day number
    EXPECT_THROW(Variant("abc").toDateTime(), EVariantError);
    EXPECT_EQ(Variant(DateTime{1e9}).toString(), "1000000000"); // beyond the calendar
    EXPECT_THROW(DateTime::fromParts(2026, 13, 1), EVariantError);
    // Every calendar day survives text and back.
    for (double day = -1000; day < 80000; day += 997) {
        Variant text(Variant(DateTime{day}).toString());
        EXPECT_DOUBLE_EQ(text.toDateTime().days, day) << text.toString();
    }
}

TEST(VariantTest, Comparison) {
    auto less = [](const Variant& a, const Variant& b) { return a.compare(b) < 0; };
    auto same = [](const Variant& a, const Variant& b) { return a.compare(b) == 0; };
    EXPECT_TRUE(less(Variant(), Variant(platform::null)));
    EXPECT_TRUE(less(Variant(platform::null), Variant(-1e300)));
    EXPECT_TRUE(less(Variant(platform::null), Variant("")));
    EXPECT_TRUE(same(Variant(platform::null), Variant(platform::null)));
    EXPECT_TRUE(same(Variant(1), Variant(1.0)));
    EXPECT_TRUE(same(Variant(Currency{15000}), Variant(1.5)));
    EXPECT_TRUE(less(Variant(2), Variant(10)));
    EXPECT_TRUE(less(Variant("10"), Variant("2"))); // texts
    EXPECT_TRUE(less(Variant(2), Variant("10")));   // number against numeric text
    EXPECT_TRUE(less(Variant(10), Variant("abc"))); // "10" < "abc" as text
    EXPECT_TRUE(less(Variant(false), Variant(true)));
    EXPECT_TRUE(less(Variant(INT64_MAX - 1), Variant(INT64_MAX)));
    EXPECT_TRUE(less(Variant(1.0), Variant(std::nan(""))));
    EXPECT_TRUE(same(Variant(std::nan("")), Variant(std::nan(""))));
    EXPECT_TRUE(less(Variant("B"), Variant("a")));
    EXPECT_TRUE(Variant("B").compareText(Variant("a"), true) > 0);
    EXPECT_TRUE(Variant("Äb").compareText(Variant("äB"), true) == 0);
    EXPECT_TRUE(less(Variant("甲"), Variant("乙")) || less(Variant("乙"), Variant("甲")));
    EXPECT_TRUE(less(Variant(VariantArray{1, 2}), Variant(VariantArray{1, 3})));
    EXPECT_TRUE(less(Variant(VariantArray{1}), Variant(VariantArray{1, 0})));
    EXPECT_TRUE(less(Variant(platform::ByteArray{1}), Variant(platform::ByteArray{2})));
    EXPECT_TRUE(less(Variant("z"), Variant(VariantArray{})));

    EXPECT_EQ(Variant(1), Variant(1));
    EXPECT_NE(Variant(1), Variant(1.0));
    EXPECT_EQ(Variant(VariantArray{"a", platform::null}),
              Variant(VariantArray{"a", platform::null}));
}

TEST(VariantTest, DirectAccessChecksTheKind) {
    Variant array(VariantArray{"a"});
    array.arrayValue().push_back(2);
    EXPECT_EQ(array.arrayValue().size(), 2u);
    EXPECT_THROW(array.stringValue(), EVariantError);
    EXPECT_THROW(Variant(1).bytesValue(), EVariantError);
    EXPECT_EQ(Variant("x").stringValue(), "x");
}

} // namespace
