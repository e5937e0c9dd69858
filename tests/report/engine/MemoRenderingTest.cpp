// Memo layout and preparation: wrapping, heights, alignment, expansion and formats,
// suppression and merging of repeated values, splitting, and resolution independence.
#include "DrawingSupport.h"
#include "report/engine/layout/RMMemoLayout.h"
#include "report/engine/model/RMInputQuery.h"
#include "report/engine/model/RMMemoView.h"

#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <limits>
#include <random>

using namespace report;
using testdraw::OnePage;

namespace {

std::unique_ptr<TRMMemoView> wrappingMemo(int width, TRMStrings lines) {
    auto memo = testdraw::framedMemo(0, 0, width, 200, std::move(lines));
    memo->setFlag(flag::Wordwrap, true);
    return memo;
}

} // namespace

TEST(MemoLayout, HeightsOfWrappedLinesFollowLineSpacingGapsAndFrames) {
    // 12-pixel characters: 5 per line of 60 + 2 × GapX.
    auto memo = wrappingMemo(64, {"一二三四五六七八九十甲乙丙"});
    const TRMMemoLayout layout = memo->LayoutText(memo->Memo);
    ASSERT_EQ(layout.Lines, (TRMStrings{"一二三四五", "六七八九十", "甲乙丙"}));
    EXPECT_EQ(layout.LineHeight, 14);
    EXPECT_EQ(layout.TextHeight, 3 * 14 - 2);

    TRMReport report;
    memo->setFrameWidth(2);
    EXPECT_EQ(memo->CalcHeight(report), 40 + 2 * 2 + 1 + 1);
    memo->setFrameStyle(0x10);
    EXPECT_EQ(memo->CalcHeight(report), 40 + 4 + 2 * (1 + 4));
    memo->setFrameTyp(0);
    EXPECT_EQ(memo->CalcHeight(report), 44);
    memo->Memo = {""};
    EXPECT_EQ(memo->CalcHeight(report), 0);
    EXPECT_EQ(memo->MinHeight(), 14 + 2);
}

TEST(MemoLayout, BreaksBetweenChineseCharactersButKeepsLineStartPunctuationOff) {
    // "，" would start line 2 at this width: with WordBreak the character before it moves
    // down with it.
    auto memo = wrappingMemo(64, {"一二三四五，六七"});
    EXPECT_EQ(memo->LayoutText(memo->Memo).Lines, (TRMStrings{"一二三四五", "，六七"}));
    memo->setWordBreak(true);
    EXPECT_EQ(memo->LayoutText(memo->Memo).Lines, (TRMStrings{"一二三四", "五，六七"}));
    EXPECT_TRUE(isLineStartPunctuation(U'。'));
    EXPECT_TRUE(isLineStartPunctuation(U'｝'));
    EXPECT_FALSE(isLineStartPunctuation(U'中'));

    // Latin words break after blanks and hyphens; a word wider than the line is cut.
    auto latin = wrappingMemo(64, {"ab cd-efgh"});
    latin->Font.Name = "Courier New"; // 9 pt: 7.2 pixels per character
    EXPECT_EQ(latin->LayoutText(latin->Memo).Lines, (TRMStrings{"ab cd-", "efgh"}));
    latin->Memo = {"abcdefghijklmnop"};
    EXPECT_EQ(latin->LayoutText(latin->Memo).Lines, (TRMStrings{"abcdefgh", "ijklmnop"}));
    // CR inside a line and pre-wrapped text.
    latin->Memo = {"ab\rcd"};
    EXPECT_EQ(latin->LayoutText(latin->Memo).Lines, (TRMStrings{"ab", "cd"}));
    latin->Memo = {"abcdefghijklmnopqrstuvwxyz\x01", "x\x01"};
    EXPECT_EQ(latin->LayoutText(latin->Memo).Lines.size(), 2u);
}

TEST(MemoLayout, FontScalingByWidthAndByHeight) {
    auto memo = testdraw::framedMemo(0, 0, 64, 20, {"一二三四五六七八"});
    memo->setFlag2(flag2::ScaleFontSize, true);
    memo->ScaleFontType = ByWidth;
    const TRMMemoLayout w = memo->LayoutText(memo->Memo);
    EXPECT_LT(w.FontSize, 9);
    EXPECT_LE(w.Widths[0], 60.0);
    EXPECT_EQ(memo->LayoutText(memo->Memo, true).FontSize, 9); // not in the designer

    auto tall = wrappingMemo(64, {"一二三四五六七八九十甲乙丙丁戊"});
    tall->Height = 34;
    tall->setFlag2(flag2::ScaleFontSize, true);
    tall->ScaleFontType = ByHeight;
    const TRMMemoLayout h = tall->LayoutText(tall->Memo);
    EXPECT_LT(h.FontSize, 9);
    EXPECT_LE(h.TextHeight, 30);
}

TEST(MemoDrawing, AlignmentsJustifyRotationAndUnderlines) {
    OnePage doc;
    auto left = testdraw::framedMemo(0, 0, 100, 40, {"甲乙"});
    auto right = testdraw::framedMemo(0, 100, 100, 40, {"甲乙"});
    right->setAlignment(1);
    right->setLayout(16);
    auto centre = testdraw::framedMemo(0, 200, 100, 40, {"甲乙"});
    centre->setAlignment(2);
    centre->setLayout(8);
    auto justify = testdraw::framedMemo(0, 300, 100, 40, {"一二三四五"});
    justify->setAlignment(3);
    auto rotated = testdraw::framedMemo(200, 0, 40, 100, {"竖排"});
    rotated->RotationType = rt90;
    auto ruled = testdraw::framedMemo(200, 200, 100, 60, {});
    ruled->setFlag(flag::Underlines, true);
    for (TRMMemoView* v :
         {left.get(), right.get(), centre.get(), justify.get(), rotated.get(), ruled.get()})
        doc.add(*v);
    const platform::TMetafile m = doc.paint();
    const auto texts = m.textRecords();
    ASSERT_EQ(texts.size(), 3u + 5u + 1u) << m.dump();
    EXPECT_EQ(texts[0]->Points[0], QPoint(2, 2));
    EXPECT_EQ(texts[1]->Points[0], QPoint(100 - 24 - 2, 140 - 2 - 12));
    EXPECT_EQ(texts[2]->Points[0], QPoint(38, 214));
    // Justify: 60 pixels of text in 96, the spare 36 over 4 gaps.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(texts[3 + i]->Text, (TRMStrings{"一", "二", "三", "四", "五"}[i]));
        EXPECT_EQ(texts[3 + i]->Points[0], QPoint(2 + i * (12 + 9), 302));
    }
    EXPECT_EQ(texts[8]->Font.Escapement, 900);
    EXPECT_EQ(texts[8]->Points[0], QPoint(202, 98));
    // Underlines every line height (14) below Top + GapY: at 216, 230, 244, 258.
    std::vector<int> ys;
    for (const auto* r : m.recordsOf(platform::TMetaRecordKind::Line))
        if (r->Points[0].x() == 200 && r->Points[0].y() == r->Points[1].y() &&
            r->Points[0].y() > 200 && r->Points[0].y() < 260)
            ys.push_back(r->Points[0].y());
    EXPECT_EQ(ys, (std::vector<int>{216, 230, 244, 258}));
}

TEST(MemoDrawing, Rt360TurnsEachCharacterAndAdvancesByItsHeight) {
    OnePage doc;
    auto left = testdraw::framedMemo(0, 0, 100, 40, {"竖排", "三"});
    left->RotationType = rt360;
    auto right = testdraw::framedMemo(0, 100, 100, 40, {"竖排"});
    right->RotationType = rt360;
    right->setAlignment(1);
    doc.add(*left);
    doc.add(*right);
    const platform::TMetafile m = doc.paint();
    const auto texts = m.textRecords();
    ASSERT_EQ(texts.size(), 5u) << m.dump();
    for (const auto* t : texts)
        EXPECT_EQ(t->Font.Escapement, 900);
    // 12-pixel characters, lines 14 apart; a character's foot is 12 below its line's top.
    EXPECT_EQ(texts[0]->Text, "竖");
    EXPECT_EQ(texts[0]->Points[0], QPoint(2, 2 + 12));
    EXPECT_EQ(texts[1]->Points[0], QPoint(2 + 12, 2 + 12));
    EXPECT_EQ(texts[2]->Text, "三");
    EXPECT_EQ(texts[2]->Points[0], QPoint(2, 2 + 14 + 12));
    EXPECT_EQ(texts[3]->Points[0], QPoint(100 - 2 - 24, 100 + 2 + 12));
    EXPECT_EQ(texts[4]->Points[0], QPoint(100 - 2 - 12, 100 + 2 + 12));
}

TEST(MemoDrawing, TooWideLinesAreClippedAndSqueezedOnlyOnScreen) {
    OnePage doc;
    auto memo = testdraw::framedMemo(0, 0, 30, 20, {"一二三四五"});
    doc.add(*memo);
    const platform::TMetafile screen = doc.paint();
    ASSERT_EQ(screen.textRecords().size(), 1u);
    const auto* s = screen.textRecords()[0];
    EXPECT_EQ(s->Kind, platform::TMetaRecordKind::TextRect);
    EXPECT_EQ(s->Rect, platform::Rect(1, 0, 28, 19));
    EXPECT_EQ(s->Font.Height, -11);
    const platform::TMetafile printed = doc.paint(1.0, TRMDrawContext::printer(96, 96));
    EXPECT_EQ(printed.textRecords()[0]->Font.Height, -12);
}

TEST(MemoExpansion, HideZerosInlineFormatsBlankRowsAndTheInputHook) {
    TRMReport report;
    report.Variables.SetVariable("zero", platform::Variant(0));
    report.Variables.SetVariable("amount", platform::Variant(1234.5));
    TRMMemoView memo;
    memo.Memo = {"[zero]|['0']", "[amount #N0.00]", "[1 > 0 #Bno;yes]", "[amount]"};
    memo.ExpandMemo(report);
    EXPECT_EQ(memo.Memo1, (TRMStrings{"|0", "1234.50", "yes", "1234.5"}));
    memo.setFlag(flag::HideZeros, false);
    memo.Memo = {"[zero]"};
    memo.ExpandMemo(report);
    EXPECT_EQ(memo.Memo1, (TRMStrings{"0"}));
    memo.setFlag(flag::TextOnly, true);
    memo.ExpandMemo(report);
    EXPECT_EQ(memo.Memo1, (TRMStrings{"[zero]"}));

    TRMBand band;
    band.BandType = rmbtMasterData;
    memo.ParentBand = &band;
    report.State.BlankRowMode = true;
    memo.ExpandMemo(report);
    EXPECT_TRUE(memo.Memo1.empty());
    memo.setFlag2(flag2::PrintAtAppendBlank, true);
    memo.ExpandMemo(report);
    EXPECT_EQ(memo.Memo1, (TRMStrings{"[zero]"}));

    EXPECT_EQ(inputQuery("问", "默认"), "默认");
    const TRMInputHook previous = installInputHook([](const std::string& p, const std::string&) {
        return std::optional<std::string>(p + "!");
    });
    EXPECT_EQ(report.ExpandVariables("[INPUT('名称', 'x')]"), "名称!");
    installInputHook([](const std::string&, const std::string&) { return std::nullopt; });
    EXPECT_EQ(report.ExpandVariables("[INPUT('名称', 'x')]"), "x");
    installInputHook(previous);
}

TEST(MemoPrinting, HighlightSuppressAndMergeRepeated) {
    TRMReport report;
    RMStream stream;
    stream.writeByte(rmCurrentVersion);
    TRMMemoView memo;
    memo.Name = "Dept";
    memo.SetBounds(10, 0, 80, 20);
    memo.setFrameTyp(15);
    memo.setFlag(flag::Suppress, true);
    memo.Memo = {"[v]"};
    memo.Highlight = "[v] = '财务'";
    memo.HighlightAttr.FillColor = 0x00FF00;

    const auto rowAt = [&](int top, const std::string& value) {
        report.Variables.SetVariable("v", platform::Variant(value));
        memo.Top = top;
        return memo.PrintToStream(report, stream);
    };
    // Suppress alone: the repeated row is written with its frame but no text.
    EXPECT_TRUE(rowAt(0, "财务"));
    EXPECT_TRUE(rowAt(20, "财务"));
    EXPECT_TRUE(rowAt(40, "人事"));
    TRMEMFPages pages;
    TRMPage tpl;
    pages.AddPage(tpl)->Stream = stream;
    auto views = pages.pageViews(0);
    ASSERT_EQ(views->Objects().size(), 3u);
    const auto text = [&](int i) { return views->Objects()[i]->Memo; };
    EXPECT_EQ(text(0), (TRMStrings{"财务"}));
    EXPECT_TRUE(text(1).empty());
    EXPECT_EQ(views->Objects()[1]->FrameTyp(), 15);
    EXPECT_EQ(text(2), (TRMStrings{"人事"}));
    EXPECT_EQ(views->Objects()[0]->FillColor, 0x00FF00u); // highlighted output only
    EXPECT_EQ(views->Objects()[2]->FillColor, clNone);
    EXPECT_EQ(memo.FillColor, clNone);

    // With MergeRepeated equal rows become one cell spanning them.
    RMStream merged;
    merged.writeByte(rmCurrentVersion);
    memo.setFlag(flag::MergeRepeated, true);
    memo.LastValue.clear();
    stream = RMStream();
    const auto mergedRow = [&](int top, const std::string& value) {
        report.Variables.SetVariable("v", platform::Variant(value));
        memo.Top = top;
        return memo.PrintToStream(report, merged);
    };
    EXPECT_TRUE(mergedRow(0, "财务"));
    EXPECT_FALSE(mergedRow(20, "财务"));
    EXPECT_FALSE(mergedRow(40, "财务"));
    EXPECT_TRUE(mergedRow(60, "人事"));
    pages[0]->Stream = merged;
    views = pages.pageViews(0);
    ASSERT_EQ(views->Objects().size(), 2u);
    EXPECT_EQ(views->Objects()[0]->Top, 0);
    EXPECT_EQ(views->Objects()[0]->Height, 60);
    EXPECT_EQ(views->Objects()[1]->Top, 60);
    EXPECT_EQ(views->Objects()[1]->Height, 20);
}

TEST(MemoPrinting, SplitStateWritesWhatFitsAndKeepsTheRest) {
    TRMReport report;
    RMStream stream;
    stream.writeByte(rmCurrentVersion);
    auto memo = wrappingMemo(64, {"一二三四五六七八九十甲乙丙丁戊己庚辛"});
    memo->setFrameTyp(0);
    memo->Height = 2 + 14 * 2 + 2; // two lines
    memo->DrawStatus = rmsMeasuring;
    memo->PrintToStream(report, stream); // evaluates; everything written, nothing split
    memo->Memo1 = memo->Memo;
    memo->WrapMemo1();
    ASSERT_EQ(memo->Memo1.size(), 4u);
    memo->DrawStatus = rmsPrinting;
    EXPECT_TRUE(memo->PrintToStream(report, stream));
    EXPECT_EQ(memo->PrintedLines, 2);
    EXPECT_EQ(memo->Memo1, (TRMStrings{"甲乙丙丁戊\x01", "己庚辛\x01"}));
    EXPECT_EQ(memo->RemainHeight(), 14 * 2 - 2 + 4);
    EXPECT_EQ(memo->DrawStatus, rmsNormal);
}

TEST(MemoLayout, LineBreaksDoNotDependOnTheOutputDevice) {
    // Generated mixed Chinese and Latin texts at several widths: the lines drawn into a
    // metafile at 100 %, into a metafile measured against a 600-dpi PDF and at 150 % are
    // the same.
    std::mt19937 random(20261209);
    const std::vector<std::string> pieces = {"核算",        "单位",  "档案",  "，", "。",
                                             "Accounting ", "unit-", "2026",  " ",  "编号",
                                             "名称",        "ABC",   "（甲）"};
    OnePage doc;
    for (int i = 0; i < 300; ++i) {
        std::string text;
        const int n = 3 + static_cast<int>(random() % 12);
        for (int k = 0; k < n; ++k)
            text += pieces[random() % pieces.size()];
        auto memo = wrappingMemo(40 + static_cast<int>(random() % 5) * 30, {text});
        memo->setWordBreak(i % 2 == 0);
        memo->Font.Name = i % 3 == 0 ? "Arial" : "宋体";
        memo->Font.Size = 9 + i % 4;
        memo->Left = (i % 4) * 180;
        memo->Top = (i / 4) * 14;
        memo->Height = 14;
        memo->setFrameTyp(0);
        doc.add(*memo);
    }
    QTemporaryDir dir;
    QPdfWriter pdf(dir.filePath("ref.pdf"));
    pdf.setResolution(600);
    const platform::TMetafile screen = doc.paint(1.0);
    platform::TMetafile printer(1, 1);
    {
        platform::TMetafileCanvas canvas(printer, &pdf);
        const TRMPageInfo info = doc.info();
        doc.report.EMFPages.paintPage(0, canvas,
                                      platform::Bounds(0, 0, info.Width * 6.25, info.Height * 6.25),
                                      TRMDrawContext::printer(600, 600));
    }
    const platform::TMetafile zoomed = doc.paint(1.5);
    EXPECT_GT(screen.texts().size(), 300u);
    EXPECT_EQ(screen.texts(), printer.texts());
    EXPECT_EQ(screen.texts(), zoomed.texts());
}

TEST(MemoLayout, LinesThatFitStaysSoundForExtremeGapsAndSpacings) {
    // Gaps and spacings come from files; sums near the ends of int's range must neither
    // overflow nor change the answer's meaning (a damaged prepared file once did).
    auto memo = wrappingMemo(64, {"一二三四五六七八九十甲乙丙"});
    const TRMMemoLayout layout = memo->LayoutText(memo->Memo);
    ASSERT_EQ(layout.Lines.size(), 3u);
    EXPECT_EQ(memo->LinesThatFit(layout), 3);

    memo->GapY = std::numeric_limits<int>::max() - 4;
    EXPECT_EQ(memo->LinesThatFit(layout), 0);
    memo->GapY = std::numeric_limits<int>::min() + 4;
    EXPECT_EQ(memo->LinesThatFit(layout), 3);
    memo->GapY = 0;
    memo->LineSpacing = std::numeric_limits<int>::min() + 1;
    EXPECT_EQ(memo->LinesThatFit(layout), 0);
    memo->LineSpacing = 0;
    memo->Height = std::numeric_limits<int>::min() + 1;
    EXPECT_EQ(memo->LinesThatFit(layout), 0);
}
