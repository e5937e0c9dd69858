#include "platform/MessageBox.h"
#include "report/engine/expressions/RMDateTime.h"
#include "report/engine/expressions/RMDisplayFormat.h"
#include "report/engine/expressions/RMFunctionLibrary.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"

#include <gtest/gtest.h>

using namespace report;
using platform::Variant;

namespace {

class Expressions : public ::testing::Test {
protected:
    void SetUp() override {
        GlobalVariables().Clear();
        report.State.StartDateTime = encodeDate(2026, 12, 9) + encodeTime(8, 30, 0);
    }
    void TearDown() override { GlobalVariables().Clear(); }

    TRMReport report;
};

} // namespace

TEST_F(Expressions, ExpandVariablesWithGlobalsEscapesAndQuotes) {
    GlobalVariables().SetVariable("Title", "核算单位档案");
    GlobalVariables().SetVariable("Oper", "张三");
    EXPECT_EQ(report.ExpandVariables("[Title]"), "核算单位档案");
    EXPECT_EQ(report.ExpandVariables("制表人:[Oper] 标题:[Title]"),
              "制表人:张三 标题:核算单位档案");
    EXPECT_EQ(report.ExpandVariables("\\[Title]"), "[Title]");
    EXPECT_EQ(report.ExpandVariables("a [ 'x]y' ] b"), "a x]y b");
    EXPECT_EQ(report.ExpandVariables("a [ \"]\" ] b"),
              "a  b");                                   // a quoted name that resolves to nothing
    EXPECT_EQ(report.ExpandVariables("text["), "text["); // "[" as last character ends the scan
    EXPECT_EQ(report.ExpandVariables("[2 + [x]]"), "2"); // nested brackets match
    EXPECT_EQ(report.ExpandVariables("no brackets"), "no brackets");
    // Results are never expanded again.
    GlobalVariables().SetVariable("Loop", "[Loop]");
    EXPECT_EQ(report.ExpandVariables("[Loop]!"), "[Loop]!");
}

TEST_F(Expressions, ExpandingALineAgainEvaluatesAgain) {
    // Lines are taken apart once: later expansions see new values and inline formats stay.
    GlobalVariables().SetVariable("V", 1.25);
    EXPECT_EQ(report.ExpandVariables("a[V]b[V #N0.0]\\[V]"), "a1.25b1.3[V]");
    GlobalVariables().SetVariable("V", 2);
    EXPECT_EQ(report.ExpandVariables("a[V]b[V #N0.0]\\[V]"), "a2b2.0[V]");
    // A value that ends in a backslash escapes the bracket right after it.
    GlobalVariables().SetVariable("Path", "C:\\");
    EXPECT_EQ(report.ExpandVariables("[Path][V]"), "C:[V]");
    EXPECT_EQ(report.ExpandVariables("[Path][V]"), "C:[V]");
}

TEST_F(Expressions, BuiltInNamesWinOverGlobals) {
    GlobalVariables().SetVariable("Date", "20261201");
    GlobalVariables().SetVariable("Time", "101010");
    report.State.PageNo = 2;
    report.State.TotalPages = 7;
    EXPECT_EQ(report.ExpandVariables("[Date]"), "2026-12-09");
    EXPECT_EQ(report.ExpandVariables("[Time]"), "8:30:00");
    EXPECT_EQ(report.ExpandVariables("第[Page#]页/共[TotalPages#]页"), "第3页/共7页");
    EXPECT_EQ(report.ExpandVariables("[Date #Dyyyy'年'mm'月'dd'日']"), "2026年12月09日");
    EXPECT_EQ(report.ExpandVariables("[d #Ddd.mm.yyyy]"), ""); // unknown name: empty
}

TEST_F(Expressions, ExpressionEdgeCases) {
    EXPECT_EQ(report.ExpandVariables("[IF(1 > 0, 'a', 'b')]"), "a");
    EXPECT_EQ(report.ExpandVariables("[2 + 3 * 4]"), "14");
    EXPECT_EQ(report.ExpandVariables("[1 > 0 AND 2 > 1]"), "0");
    EXPECT_EQ(report.ExpandVariables("[10 / 0]"), "0");
    EXPECT_EQ(report.ExpandVariables("[1 / 3 #N0.00]"), "0.33");
    EXPECT_EQ(report.ExpandVariables("[1234.5 #N#,##0.00]"), "1,234.50");
    EXPECT_EQ(report.ExpandVariables("[0.5 #0.00]"), "0.50"); // a digit starts the pattern
    EXPECT_EQ(report.ExpandVariables("[1 > 0 #Bno;yes]"), "yes");
    EXPECT_EQ(report.ExpandVariables("[STRTOTIME('14:05') #Thh:nn]"), "14:05");
    EXPECT_EQ(report.ExpandVariables("[CurrToBigNum(100)]"), "壹佰圆整");
    EXPECT_EQ(report.ExpandVariables("[SmallToBig('105')]"), "壹零伍");
    EXPECT_EQ(report.ExpandVariables("[CNUMBER(105)]"), "一百零五");
    EXPECT_EQ(report.ExpandVariables("[SinglNumToBig(123.45, 2)]"), "贰");
    EXPECT_EQ(report.ExpandVariables("[RMRound(2.345, 2)]"), "2.35");
    EXPECT_EQ(report.ExpandVariables("[FORMATFLOAT('0.0', 3.14159)]"), "3.1");
    EXPECT_EQ(report.ExpandVariables("[UPPERCASE('abc') + LOWERCASE('DEF')]"), "ABCdef");
    EXPECT_EQ(report.ExpandVariables("[LENGTH('核算')] [POS('算', '核算')]"), "4 3");
    EXPECT_EQ(report.ExpandVariables("[YEAR(STRTODATE('2026-12-09'))]"), "2026");
    EXPECT_EQ(report.ExpandVariables("[DIV(7, 2)] [MAXNUM(3, 9)] [MINNUM(3, 9)]"), "3 9 3");
    EXPECT_EQ(report.ExpandVariables("[StringOfChar('*', 3)][ABS(-4)][STRTOINT('12')]"), "***412");
    EXPECT_EQ(report.ExpandVariables("[MonthToEnglishLong(3)]"), "March");
    EXPECT_EQ(report.ExpandVariables("[EXTRACTFILEPATH('/tmp/a/b.rmf')]"), "/tmp/a/");
    EXPECT_EQ(report.ExpandVariables("[FORMATTEXT('000-0000', '1234567')]"), "123-4567");
}

// Operands at the edges of the number types: every operator and conversion gives a value
// or the evaluation error, never a trap (INT64_MIN % -1, a double beyond 64 bits made an
// integer, a sign read as a digit).
TEST_F(Expressions, EdgeNumbersNeverTrap) {
    // The language has no exponents: big numbers are written out or multiplied up.
    const std::string big = "99999999999999999999"; // 1e20, beyond 64 bits
    const std::string int64Min = "(-2147483648 * 4294967296)";
    const std::string e80 = "(" + big + " * " + big + " * " + big + " * " + big + ")";
    const std::string inf = "(" + e80 + " * " + e80 + " * " + e80 + " * " + e80 + ")";
    const std::string nan = "(" + inf + " - " + inf + ")";
    const std::pair<std::string, const char*> exact[] = {
        {"[" + big + " MOD -1]", "0"},
        {"[" + int64Min + " MOD -1]", "0"},
        {"[" + int64Min + " MOD 10]", "-8"},
        {"[DIV(" + int64Min + ", -1)] [-" + int64Min + "] [ABS(" + int64Min + ")]",
         "9223372036854780000 9223372036854780000 9223372036854780000"},
        {"[DIV(" + big + ", -1)]", "-100000000000000000000"},
        {"[DIV(-7, 2)] [-7 MOD 2] [7.9 MOD 2.5]", "-3 -1 1"}, // whole parts, truncated
        {"[INT " + inf + "] [CNUMBER(" + inf + ")] [CNUMBER(-" + inf + ")]", "INF INF 负INF"},
        {"[" + nan + " MOD 3] [INT " + nan + "]", "NAN NAN"},
        {"[-] [+] [CNUMBER(-)] [CNUMBER(-0.001)]", "0   "}, // a lone sign is zero
        {"[CNUMBER(999999999.996)]", "999999999.996"},      // rounds out of nine places
        {"[COPY('abc', -" + big + ", " + big + ")][COPY('abc', " + big + ", 2)]", ""},
        {"[LENGTH(StringOfChar('*', " + big + "))] [StringOfChar('*', -" + big + ")]", "100000 "},
        {"[MonthToEnglishLong(" + big + ")][SinglNumToBig(5, -" + big + ")][RMRound(2.5, " + big +
             ")]",
         "2.5"},
    };
    for (const auto& [expression, expected] : exact)
        EXPECT_EQ(report.ExpandVariables(expression), expected) << expression;
    for (const std::string& zero :
         {std::string("[1 MOD 0.5]"), "[DIV(" + big + ", 0.9)]", "[DIV(" + nan + ", 0)]"})
        EXPECT_THROW(report.ExpandVariables(zero), platform::EVariantError) << zero;
    for (const std::string& any :
         {"[" + inf + " * 0]", "[DIV(" + inf + ", 7)] [DIV(" + nan + ", 7)]", "[ROUND " + inf + "]",
          "[FRAC " + nan + "]", "[FORMATFLOAT('0.00', " + inf + ")]", "[CurrToBigNum(" + e80 + ")]",
          "[SinglNumToBig(" + inf + ", 2)]", "[" + nan + " = " + nan + "]",
          "[FORMATDATETIME('yyyy', " + nan + ")] [DAY(" + inf + ")]"}) {
        try {
            report.ExpandVariables(any);
        } catch (const platform::EVariantError&) {
        }
    }
}

TEST_F(Expressions, HideZerosAndViewFormat) {
    TRMMemoView memo;
    report.CurrentView = &memo;
    EXPECT_EQ(report.ExpandVariables("[0]"), "");
    EXPECT_EQ(report.ExpandVariables("['0']"), "0");
    memo.setFlag(flag::HideZeros, false);
    EXPECT_EQ(report.ExpandVariables("[0]"), "0");
    memo.DisplayFormat = makeFormatCode(fkNumber, 1, 2, '.');
    EXPECT_EQ(report.ExpandVariables("[3]"), "3.00");
}

TEST_F(Expressions, ResolutionOrder) {
    int asked = 0;
    report.OnGetValue = [&](const std::string& name, Variant& value) {
        ++asked;
        if (name == "Event")
            value = "from event";
    };
    report.Dictionary.setVariable("Total", "2 * 21");
    report.Dictionary.setVariable("Self", "Self + 1");
    report.Variables.SetVariable("Own", "mine");
    GlobalVariables().SetVariable("Own", "global");
    EXPECT_EQ(report.ResolveName("Event").toString(), "from event");
    EXPECT_EQ(report.ResolveName("Total").toInt(), 42);
    EXPECT_EQ(report.ResolveName("Own").toString(), "global"); // globals before own variables
    EXPECT_EQ(report.ResolveName("mrYes").toInt(), 6);
    EXPECT_TRUE(report.ResolveName("").isEmpty());
    EXPECT_TRUE(report.ResolveName("Unknown").isEmpty());
    // A dictionary variable that refers to itself stops at once.
    EXPECT_EQ(report.ExpandVariables("[Self]"), "SELF1"); // names reach the hook upper-cased
    EXPECT_GT(asked, 0);
    report.CurrentValue = 5;
    EXPECT_EQ(report.ResolveName("VALUE").toInt(), 5);
    report.State.CurY = 100;
    report.State.PageBottom = 900;
    EXPECT_EQ(report.ResolveName("FREESPACE").toInt(), 800);
}

TEST_F(Expressions, ObjectPropertiesAndControlValues) {
    TRMPage* page = report.Pages.Add();
    auto memo = std::make_unique<TRMMemoView>();
    memo->Name = "Memo1";
    memo->Left = 33;
    memo->Memo = {"hello"};
    page->addView(std::move(memo));
    EXPECT_EQ(report.ExpandVariables("[Memo1.Left]"), "33");
    EXPECT_EQ(report.ExpandVariables("[GETCONTROLPROPVALUE('Memo1', 'Memo')]"), "hello");
    EXPECT_EQ(report.ExpandVariables("[Page1.Width]"), "2100");
    report.CurrentView = page->Objects()[0].get();
    EXPECT_EQ(report.ExpandVariables("[CALCWIDTH]"), ""); // the memo hides zeros
    report.OnCalcWidth = [](TRMView&) { return 77; };
    EXPECT_EQ(report.ExpandVariables("[CALCWIDTH]"), "77");
}

TEST_F(Expressions, UserFunctionsLibrariesAndErrors) {
    report.OnUserFunction = [](const std::string& name, const std::vector<std::string>& p,
                               Variant& value) {
        if (name == "TWICE")
            value = p[0] + p[0];
    };
    EXPECT_EQ(report.ExpandVariables("[Twice(ab)]"), "abab");
    EXPECT_THROW(report.ExpandVariables("[5 mod 0]"), platform::EVariantError);
    EXPECT_THROW(report.ExpandVariables("[DIV(1, 0)]"), platform::EVariantError);
    EXPECT_THROW(report.ExpandVariables("[SmallToBig('1x')]"), platform::EVariantError);

    struct Extra : TRMFunctionLibrary {
        Extra() { List = {"ANSWER"}; }
        std::string ClassName() const override { return "Extra"; }
        void DoFunction(int, TRMReport&, const std::vector<std::string>&,
                        Variant& result) override {
            result = 42;
        }
    };
    RMRegisterFunctionLibrary([] { return std::make_unique<Extra>(); });
    RMRegisterFunctionLibrary([] { return std::make_unique<Extra>(); });
    EXPECT_EQ(FunctionLibraries().size(), 2u);
    EXPECT_EQ(report.ExpandVariables("[answer()]"), "42");
    RMUnregisterFunctionLibrary("Extra");
    EXPECT_EQ(report.ExpandVariables("[answer()]"), "");

    report.OnAggregate = [](const std::string& name, const std::vector<std::string>& args) {
        return Variant(name + ":" + args[0]);
    };
    EXPECT_EQ(report.ExpandVariables("[SUM([x])]"), "SUM:[x]");
}

TEST_F(Expressions, MessageBoxFunction) {
    platform::ScriptedMessageBoxes boxes;
    boxes.answer(platform::IDNO);
    EXPECT_EQ(report.ExpandVariables("[MESSAGEBOX('确定吗', '提示', mb_YesNo)]"), "7");
    ASSERT_EQ(boxes.count(), 1u);
    EXPECT_EQ(boxes.last().text, "确定吗");
    EXPECT_EQ(boxes.last().flags, 4u);
    report.OnInput = [](const std::string& prompt, const std::string& preset) {
        return prompt + preset;
    };
    EXPECT_EQ(report.ExpandVariables("[INPUT('a', 'b')]"), "ab");
}

TEST(FunctionSplitter, FindsAggregateCalls) {
    TRMVariables vars;
    vars.SetVariable("Net", "SUM([Amount]) - SUM([Tax])");
    TRMFunctionSplitter splitter({"SUM", "COUNT"}, &vars);
    splitter.Split("[Net] + COUNT(x) + IF(1, MAX(SUM(y)), 0) + 'SUM(z)'");
    EXPECT_EQ(splitter.Result,
              (std::vector<std::string>{"SUM([Amount])", "SUM([Tax])", "COUNT(x)", "SUM(y)"}));
    TRMFunctionSplitter literal({"SUM"}, nullptr);
    literal.Split("'SUM(a)'");
    EXPECT_TRUE(literal.Result.empty());
}
