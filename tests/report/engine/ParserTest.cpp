#include "report/engine/expressions/RMParser.h"
#include "report/engine/model/RMVariables.h"

#include <gtest/gtest.h>

using platform::Variant;
using report::TRMParser;

namespace {

std::string text(const Variant& v) {
    return v.isEmpty() ? "<empty>" : v.toString();
}

} // namespace

TEST(TRMParser, ArithmeticPrecedenceAndLiterals) {
    TRMParser p;
    const std::pair<const char*, const char*> cases[] = {
        {"2 + 3 * 4", "14"},
        {"(2 + 3) * 4", "20"},
        {"10 - 4 - 3", "3"}, // left associative
        {"-2 * 3", "-6"},
        {"2 * -3 + 1", "-5"},
        {"1,5 + 1", "2.5"}, // comma is a decimal separator too
        {"7 mod 3", "1"},
        {"10 / 4", "2.5"},
        {"10 / 0", "0"},
        {"'it''s'", "it's"},
        {"'a' + 'b'", "ab"},
        {"NOT 0", "1"},
        {"NOT 5", "0"},
        {"INT 3.7", "3"},
        {"INT(2.9999999999999)", "3"}, // within 1e-10 of a whole number
        {"FRAC 2.5", "0.5"},
        {"ROUND 2.5", "2"}, // halves to even
        {"ROUND 3.5", "4"},
        {"STR 12 + 'x'", "12x"},
        {"TRUE + true", "2"},
        {"1 + 2; ignored", "3"},
        {"3 <> 4", "1"},
        {"3 >= 4", "0"},
        {"3 <= 3", "1"},
    };
    for (const auto& [expression, expected] : cases)
        EXPECT_EQ(text(p.Calc(expression)), expected) << expression;
}

TEST(TRMParser, AndOrBindLikeMultiplication) {
    TRMParser p;
    // 1 > (0 AND 2) > 1  =  (1 > 0) > 1  =  1 > 1  =  0
    EXPECT_EQ(text(p.Calc("1 > 0 AND 2 > 1")), "0");
    EXPECT_EQ(text(p.Calc("(1 > 0) AND (2 > 1)")), "1");
    EXPECT_EQ(text(p.Calc("(1 > 2) OR (2 > 1)")), "1");
    EXPECT_EQ(text(p.Calc("2 + 3 AND 0")), "2"); // 2 + (3 AND 0)
}

TEST(TRMParser, NamesAndCallsGoToTheHooks) {
    TRMParser p;
    std::vector<std::string> asked;
    p.OnGetValue = [&](const std::string& name) {
        asked.push_back(name);
        return name == "X" ? Variant(5) : Variant();
    };
    std::string called;
    std::vector<std::string> calledArgs;
    p.OnFunction = [&](const std::string& name, const std::vector<std::string>& args) {
        called = name;
        calledArgs = args;
        return Variant(42);
    };
    EXPECT_EQ(text(p.Calc("x * 2")), "10");
    EXPECT_EQ(text(p.Calc("[Some Name] + 1")), "1");
    EXPECT_EQ(asked.back(), "Some Name"); // bracket content unchanged
    EXPECT_EQ(text(p.Calc("Form1.\"a + b\"")), "<empty>");
    EXPECT_EQ(asked.back(), "FORM1.\"A + B\""); // quoted part stays inside the name
    EXPECT_EQ(text(p.Calc("myFunc(1, 'a,b', (2, 3))")), "42");
    EXPECT_EQ(called, "MYFUNC");
    ASSERT_EQ(calledArgs.size(), 10u);
    EXPECT_EQ(calledArgs[0], "1");
    EXPECT_EQ(calledArgs[1], "'a,b'");
    EXPECT_EQ(calledArgs[2], "(2, 3)");
    EXPECT_EQ(calledArgs[3], "");
    EXPECT_EQ(text(p.Calc("arr[3]")), "42");
    EXPECT_EQ(called, "GETARRAY");
    EXPECT_EQ(calledArgs[0], "arr");
    EXPECT_EQ(calledArgs[1], "3");
}

TEST(TRMParser, BuiltInFunctions) {
    TRMParser p;
    EXPECT_EQ(text(p.Calc("IF(1 > 0, 'a', 'b')")), "a");
    EXPECT_EQ(text(p.Calc("IF(0, 'a', 'b')")), "b");
    EXPECT_EQ(text(p.Calc("COPY('abcdef', 2, 3)")), "bcd");
    EXPECT_EQ(text(p.Calc("COPY('核算单位', 3, 4)")), "算单"); // GBK byte positions
    EXPECT_EQ(text(p.Calc("COPY('abc', 10, 3)")), "");
    EXPECT_EQ(text(p.Calc("CNUMBER(12)")), "十二");
    const Variant date = p.Calc("STRTODATE('2026-12-09')");
    EXPECT_EQ(date.type(), platform::VarType::Date);
    EXPECT_DOUBLE_EQ(date.toDouble(), 46365.0);
    EXPECT_NEAR(p.Calc("STRTOTIME('12:00')").toDouble(), 0.5, 1e-12);
}

TEST(TRMParser, OnlyTheChosenIfBranchIsEvaluated) {
    TRMParser p;
    int calls = 0;
    p.OnFunction = [&](const std::string&, const std::vector<std::string>&) {
        ++calls;
        return Variant(1);
    };
    EXPECT_EQ(text(p.Calc("IF(1, 2, boom())")), "2");
    EXPECT_EQ(calls, 0);
}

TEST(TRMParser, Errors) {
    TRMParser p;
    EXPECT_THROW(p.Calc("5 mod 0"), platform::EVariantError);
    EXPECT_THROW(p.Calc("1.2.3 + 1"), platform::EVariantError);
    try {
        p.Calc("f(1, (2)");
        FAIL() << "unbalanced call accepted";
    } catch (const report::EParserError& e) {
        EXPECT_STREQ(e.what(), "");
    }
    EXPECT_THROW(TRMParser::splitArguments("a), (b"), report::EParserError);
    // Deep nesting is refused instead of exhausting the stack.
    std::string deep;
    for (int i = 0; i < 200; ++i)
        deep += "IF(1, ";
    deep += "1";
    for (int i = 0; i < 200; ++i)
        deep += ", 0)";
    EXPECT_THROW(p.Calc(deep), report::EParserError);
    // Garbage never crashes.
    for (const char* junk : {"", "(((", ")))", "+", "* 3", "'open", "[open", "a[", "\"x", "NOT",
                             ";;", "]", "a]b", "2 ] + 1"})
        EXPECT_NO_THROW(p.Calc(junk)) << junk;
}

TEST(TRMVariables, CaseInsensitiveOrderedUnique) {
    report::TRMVariables v;
    v.SetVariable("Oper", "张三");
    v.SetVariable("Title", "核算单位档案");
    v.SetVariable("OPER", "李四");
    EXPECT_EQ(v.Count(), 2);
    EXPECT_EQ(v.Name(0), "Oper");
    EXPECT_EQ(v.GetVariable("oper").toString(), "李四");
    EXPECT_TRUE(v.GetVariable("missing").isEmpty());
    EXPECT_EQ(v.IndexOf("TITLE"), 1);
    EXPECT_TRUE(v.Value(5).isEmpty());
    EXPECT_EQ(v.Name(-1), "");
    v.SetValue(7, 1);    // ignored
    v.Rename(1, "oper"); // would duplicate: refused
    EXPECT_EQ(v.Name(1), "Title");
    v.SetVariable("Alpha", 1);
    v.setSorted(true);
    EXPECT_EQ(v.Name(0), "Alpha");
    v.Delete(0);
    EXPECT_EQ(v.Count(), 2);
    v.Clear();
    EXPECT_EQ(v.Count(), 0);
}

TEST(TRMVariables, EngineConstants) {
    const auto& c = report::EngineConstants();
    EXPECT_EQ(c.GetVariable("mrYes").toInt(), 6);
    EXPECT_EQ(c.GetVariable("CRLF").toString(), "\r\n");
    EXPECT_TRUE(c.GetVariable("null").isNull());
    EXPECT_EQ(c.GetVariable("psDouble").toInt(), 7);
    EXPECT_EQ(c.GetVariable("mb_IconWarning").toInt(), 48);
}
