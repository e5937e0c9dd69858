// Text search through the pages' recorded text: the whole-word rule, case, and the search
// position that lets find next go on behind the last match.

#include "PreviewTestSupport.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/preview/RMPreviewSearch.h"

#include <gtest/gtest.h>

namespace {

using report::TRMPreviewSearch;

TEST(PreviewSearch, WholeWordRule) {
    struct Case {
        const char* text;
        const char* needle;
        bool whole;
        bool expected;
    };
    const Case cases[] = {
        {"total amount", "total", false, true}, {"totals", "total", false, true},
        {"totals", "total", true, false},      // a letter follows
        {"subtotal", "total", true, true},     // what precedes plays no part
        {"total", "total", true, true},        // ends the text
        {"total-sum", "total", true, true},    // hyphen
        {"total\rnext", "total", true, true},  // carriage return
        {"total合计", "total", true, true},    // a double-byte character follows
        {"totals total", "total", true, true}, // the second occurrence counts
        {"total.", "total", true, false},      // other punctuation does not end a word
        {"合计金额", "合计", true, true},       {"abc", "", false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TRMPreviewSearch::matches(c.text, c.needle, c.whole), c.expected)
            << '"' << c.needle << "\" in \"" << c.text << "\" whole=" << c.whole;
    EXPECT_EQ(TRMPreviewSearch::upper("Abc 合计 xyz"), "ABC 合计 XYZ");
}

struct Search : ::testing::Test {
    Search()
        : doc(5, {"common line"},
              {{}, {"Alpha beta", "second Alpha"}, {}, {"alphabet", "ALPHA-one"}, {}}) {}
    previewtest::Document doc;
    TRMPreviewSearch search;
    const report::TRMEMFPages& pages() const { return doc.report.EMFPages; }
};

TEST_F(Search, FindsAcrossPagesAndFindNextGoesOnBehindTheMatch) {
    search.Start("alpha", false, false, true, 0);
    EXPECT_EQ(search.Text, "ALPHA"); // stored upper-cased when ignoring case
    auto m = search.Find(pages());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->page, 1);
    EXPECT_EQ(m->text, "Alpha beta");
    EXPECT_GT(m->rect.width(), 0);
    EXPECT_GE(m->rect.Top, 80);

    search.Continue(1); // still on the page of the match: behind it
    m = search.Find(pages());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->page, 1);
    EXPECT_EQ(m->text, "second Alpha");

    search.Continue(1);
    m = search.Find(pages());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->page, 3);
    EXPECT_EQ(m->text, "alphabet");

    search.Continue(3);
    m = search.Find(pages());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text, "ALPHA-one");
    search.Continue(3);
    EXPECT_FALSE(search.Find(pages())); // after the last page the search ends silently
    EXPECT_EQ(search.Occurrences, 4);
}

TEST_F(Search, CaseAndWholeWords) {
    search.Start("Alpha", true, false, true, 0);
    std::vector<std::string> found;
    for (auto m = search.Find(pages()); m; search.Continue(m->page), m = search.Find(pages()))
        found.push_back(m->text);
    EXPECT_EQ(found, (std::vector<std::string>{"Alpha beta", "second Alpha"}));

    search.Start("alpha", false, true, true, 0);
    found.clear();
    for (auto m = search.Find(pages()); m; search.Continue(m->page), m = search.Find(pages()))
        found.push_back(m->text);
    EXPECT_EQ(found, (std::vector<std::string>{"Alpha beta", "second Alpha", "ALPHA-one"}));
}

TEST_F(Search, StartingFromTheCurrentPage) {
    search.Start("第", false, false, false, 2);
    auto m = search.Find(pages());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->page, 2);
    EXPECT_EQ(m->text, "第3页");

    // Another page than the last match's: from that page's start.
    search.Continue(0);
    m = search.Find(pages());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text, "第1页");

    // Starting again from the current page that is still the page of the match goes on
    // behind it.
    search.Start("line", false, false, false, 0);
    m = search.Find(pages());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->page, 0);
    search.Start("line", false, false, false, 0);
    m = search.Find(pages());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->page, 2); // pages 2 and 4 have their own lines
}

TEST_F(Search, PagesOfMemosAreRuledOutUnlessAViewDrawsTextOfItsOwn) {
    // A check box draws its mark, which no stored line holds.
    report::TRMCheckBoxView box;
    box.SetBounds(60, 300, 20, 20);
    box.CheckStyle = report::TRMCheckBoxView::csCheck;
    box.Memo = box.Memo1 = {"1"};
    report::TRMEMFPages::WriteView(doc.report.EMFPages[3]->Stream, box);

    search.Start("\u2714", true, false, true, 0);
    EXPECT_FALSE(search.mayMatch(*pages().pageViews(0)));
    EXPECT_TRUE(search.mayMatch(*pages().pageViews(3)));
    const auto m = search.Find(pages());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->page, 3);

    search.Start("second alpha", false, false, true, 0);
    EXPECT_TRUE(search.mayMatch(*pages().pageViews(1))) << "a stored line holds it";
    EXPECT_FALSE(search.mayMatch(*pages().pageViews(0)));
}

TEST_F(Search, FindsEachLineOfRichTextAtItsPlace) {
    report::TRMRichView rich;
    rich.SetBounds(60, 400, 300, 60);
    rich.RichText = "{\\rtf1\\fs18 first rich line\\par\\qr \\u26680?\\u31639? total}";
    report::TRMEMFPages::WriteView(doc.report.EMFPages[4]->Stream, rich);
    search.Start("核算", false, false, true, 0);
    const auto m = search.Find(pages());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->page, 4);
    EXPECT_EQ(m->text, "核算 total");
    EXPECT_NEAR(m->rect.Right, 360 - 2, 1); // the right-aligned second line
    EXPECT_GT(m->rect.Left, 60 + 150);
    EXPECT_GE(m->rect.Top, 400 + 2 + 12);
}

} // namespace
