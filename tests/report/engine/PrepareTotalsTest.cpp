// Totals while preparing: calculated memo views (sum, count, average, maximum, filters,
// recording in the first pass and replay in the final one) and the SUM/COUNT/AVG/MAX/MIN
// functions of footer bands.
#include "TemplateBuilder.h"

#include <gtest/gtest.h>

using namespace report;
using namespace testreport;
using platform::Variant;

namespace {

// Groups of rows with a value each; a group header and footer around each group and a
// master footer after the data.
struct Grouped {
    Grouped(std::vector<std::pair<std::string, Variant>> rows)
        : data("Values" + std::to_string(++serial), {"g", "v"}, {})
        , t(report) {
        data.attachTo(report);
        for (auto& [g, v] : rows)
            data.Rows.push_back({Variant(g), v});
        group = &t.band(rmbtGroupHeader, 20, "Group");
        group->DisplayFormatText = data.ref("g");
        t.memo(*group, 0, 0, 100, 20, {"组" + data.ref("g")}, "GroupText");
        master = &t.band(rmbtMasterData, 20, "MasterData1");
        master->DisplayFormatText = "RMDialogForm." + data.Name;
        t.memo(*master, 0, 0, 100, 20, {data.ref("v")}, "Cell");
        groupFooter = &t.band(rmbtGroupFooter, 20, "GroupFooter");
        masterFooter = &t.band(rmbtMasterFooter, 20, "MasterFooter");
    }
    // Texts of the views whose name starts with `prefix`, over all pages.
    std::vector<std::string> textsOf(const std::string& prefix) const {
        std::vector<std::string> out;
        for (int p = 0; p < report.EMFPages.Count(); ++p)
            for (const Placed& v : named(report, p, prefix))
                out.push_back(v.text);
        return out;
    }
    TRMCalcMemoView& total(TRMBandView& band, std::string text, int type, const std::string& name) {
        auto& calc = t.calc(band, 100, 0, 200, 20, std::move(text), type, "MasterData1");
        calc.Name = name;
        return calc;
    }

    static inline int serial = 0;
    RowsDataset data;
    TRMReport report;
    TemplateBuilder t;
    TRMBandView *group, *master, *groupFooter, *masterFooter;
};

std::vector<std::pair<std::string, Variant>> values(std::initializer_list<double> list) {
    std::vector<std::pair<std::string, Variant>> rows;
    for (double v : list)
        rows.emplace_back("甲", Variant(v));
    return rows;
}

} // namespace

TEST(PrepareTotals, SumOfTheMasterBandInOneAndTwoPasses) {
    for (const bool twoPasses : {false, true}) {
        Grouped g(values({10, 20, 30}));
        g.report.DoublePass = twoPasses;
        g.total(*g.masterFooter, "合计:[" + g.data.ref("v") + "]", rmdcSum, "Total");
        ASSERT_TRUE(g.report.PrepareReport());
        EXPECT_EQ(g.textsOf("Total"), (std::vector<std::string>{"合计:60"})) << twoPasses;
        EXPECT_EQ(g.textsOf("Cell"), (std::vector<std::string>{"10", "20", "30"}));
    }
}

TEST(PrepareTotals, AverageCountMaximumAndWhatCountsAsANumber) {
    Grouped avg(values({1, 2, 4}));
    avg.total(*avg.masterFooter, avg.data.ref("v"), rmdcAvg, "Avg");
    auto& count = avg.total(*avg.masterFooter, "笔数", rmdcCount, "Count");
    count.Top += 0;
    auto& textSum = avg.total(*avg.masterFooter, "笔数", rmdcSum, "TextSum");
    (void)textSum;
    ASSERT_TRUE(avg.report.PrepareReport());
    EXPECT_EQ(avg.textsOf("Avg"), (std::vector<std::string>{"2.33333333"}));
    // A count without a bracket appends the count; a sum keeps the text alone.
    EXPECT_EQ(avg.textsOf("Count"), (std::vector<std::string>{"笔数3"}));
    EXPECT_EQ(avg.textsOf("TextSum"), (std::vector<std::string>{"笔数"}));

    // Texts: "1e5" is not a plain number and counts 0; "7.5" counts.
    Grouped mixed({{"甲", Variant("1e5")}, {"甲", Variant("7.5")}, {"甲", Variant("-2")}});
    mixed.total(*mixed.masterFooter, mixed.data.ref("v"), rmdcSum, "Sum");
    ASSERT_TRUE(mixed.report.PrepareReport());
    EXPECT_EQ(mixed.textsOf("Sum"), (std::vector<std::string>{"5.5"}));

    // A filter that rejects every row: a maximum or minimum over no rows prints nothing
    // (not its start value), whatever HideZeros says; a sum of 0 is hidden by HideZeros.
    for (const bool twoPasses : {false, true}) {
        Grouped filtered(values({1, 2, 3}));
        filtered.report.DoublePass = twoPasses;
        const std::string v = filtered.data.ref("v");
        auto& max = filtered.total(*filtered.masterFooter, "最大[" + v + "]", rmdcMax, "Max");
        max.Filter = v + " > 100";
        max.setFlag(flag::HideZeros, false);
        auto& min = filtered.total(*filtered.masterFooter, "[" + v + " #N0.00]", rmdcMin, "Min");
        min.Filter = max.Filter;
        min.setFlag(flag::HideZeros, false);
        auto& zero = filtered.total(*filtered.masterFooter, v, rmdcSum, "Zero");
        zero.Filter = max.Filter;
        auto& counted = filtered.total(*filtered.masterFooter, v, rmdcMin, "Counted");
        counted.Filter = v + " > 1";
        ASSERT_TRUE(filtered.report.PrepareReport());
        EXPECT_EQ(filtered.textsOf("Max"), (std::vector<std::string>{"最大"})) << twoPasses;
        EXPECT_EQ(filtered.textsOf("Min"), (std::vector<std::string>{""})) << twoPasses;
        EXPECT_EQ(filtered.textsOf("Zero"), (std::vector<std::string>{""}));
        EXPECT_EQ(filtered.textsOf("Counted"), (std::vector<std::string>{"2"}));
    }
}

TEST(PrepareTotals, GroupFootersTotalTheirGroupAndHeadersReplayInTwoPasses) {
    const std::vector<std::pair<std::string, Variant>> rows = {{"甲", Variant(1)},
                                                               {"甲", Variant(2)},
                                                               {"乙", Variant(10)},
                                                               {"丙", Variant(100)},
                                                               {"丙", Variant(200)}};
    for (const bool twoPasses : {false, true}) {
        Grouped g(rows);
        g.report.DoublePass = twoPasses;
        g.total(*g.groupFooter, "小计[" + g.data.ref("v") + "]", rmdcSum, "Sub");
        g.total(*g.group, "[" + g.data.ref("v") + "]", rmdcSum, "Ahead")
            .setFlag(flag::HideZeros, false);
        auto& grand = g.total(*g.masterFooter, "[" + g.data.ref("v") + "]", rmdcSum, "Grand");
        grand.setTotalCalc(true);
        EXPECT_FALSE(grand.ResetAfterPrint);
        ASSERT_TRUE(g.report.PrepareReport());
        EXPECT_EQ(g.textsOf("Sub"), (std::vector<std::string>{"小计3", "小计10", "小计300"}));
        EXPECT_EQ(g.textsOf("Grand"), (std::vector<std::string>{"313"}));
        EXPECT_EQ(g.textsOf("GroupText"), (std::vector<std::string>{"组甲", "组乙", "组丙"}));
        if (twoPasses) // the header shows the total of the rows below it
            EXPECT_EQ(g.textsOf("Ahead"), (std::vector<std::string>{"3", "10", "300"}));
        else // the value reached so far: nothing for the first group, then the last total
            EXPECT_EQ(g.textsOf("Ahead"), (std::vector<std::string>{"0", "3", "10"}));
    }
}

TEST(PrepareTotals, AggregateFunctionsOfFooterBands) {
    const std::vector<std::pair<std::string, Variant>> rows = {
        {"甲", Variant(10)}, {"甲", Variant(20)}, {"乙", Variant(30)}, {"乙", Variant(1)}};
    for (const bool twoPasses : {false, true}) {
        Grouped g(rows);
        g.report.DoublePass = twoPasses;
        const std::string v = g.data.ref("v");
        g.t.memo(*g.groupFooter, 100, 0, 300, 20,
                 {"[SUM(" + v + ")] [COUNT(" + v + ")] [AVG(" + v + ")] [MAX(" + v + ")] [MIN(" +
                  v + ")]"},
                 "GroupTotals");
        g.t.memo(*g.masterFooter, 100, 0, 300, 20, {"总计[SUM(" + v + ")]"}, "AllTotals");
        ASSERT_TRUE(g.report.PrepareReport());
        EXPECT_EQ(g.textsOf("GroupTotals"),
                  (std::vector<std::string>{"30 2 15 20 10", "31 2 15.5 30 1"}));
        EXPECT_EQ(g.textsOf("AllTotals"), (std::vector<std::string>{"总计61"}));
    }
}

TEST(PrepareTotals, PageFooterTotalsCountTheRowsOfTheirPage) {
    std::vector<std::pair<std::string, Variant>> rows;
    for (int i = 1; i <= 60; ++i)
        rows.emplace_back("甲", Variant(1));
    Grouped g(rows);
    auto& pageFooter = g.t.band(rmbtPageFooter, 20, "PageFooter");
    g.total(pageFooter, "[" + g.data.ref("v") + "]", rmdcSum, "PageTotal");
    g.t.memo(pageFooter, 300, 0, 100, 20, {"[COUNT(" + g.data.ref("v") + ")]"}, "PageCount");
    ASSERT_TRUE(g.report.PrepareReport());
    ASSERT_EQ(g.report.EMFPages.Count(), 2);
    const int first = static_cast<int>(named(g.report, 0, "Cell").size());
    EXPECT_EQ(g.textsOf("PageTotal"),
              (std::vector<std::string>{std::to_string(first), std::to_string(60 - first)}));
    EXPECT_EQ(g.textsOf("PageCount"),
              (std::vector<std::string>{std::to_string(first), std::to_string(60 - first)}));
}

TEST(PrepareTotals, CalcValueIsWritableOnlyWhilePreparing) {
    for (const bool twoPasses : {false, true}) {
        Grouped g(values({10, 20, 30}));
        g.report.DoublePass = twoPasses;
        auto& total = g.total(*g.masterFooter, "[" + g.data.ref("v") + "]", rmdcSum, "Total");
        // Outside a preparation the value stays.
        EXPECT_TRUE(total.SetPropValue("CalcValue", Variant(5)));
        Variant value;
        ASSERT_TRUE(total.GetPropValue("calcvalue", value));
        EXPECT_EQ(value.toDouble(), 0);
        // Before the footer prints, a script replaces the total; in a two-pass run only the
        // final pass may, and there the total recorded in the first pass is shown.
        g.masterFooter->OnBeforePrint = {"Total.CalcValue := 42"};
        ASSERT_TRUE(g.report.PrepareReport());
        EXPECT_EQ(g.textsOf("Total"), (std::vector<std::string>{twoPasses ? "60" : "42"}));
    }
}
