// What the grid paints, drawn by the widget-free painter into a metafile and read back.

#include "GridTestSupport.h"
#include "platform/Metafile.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace grid {
namespace {

using gridtest::Form;
using platform::TMetafile;
using platform::TMetaRecord;
using platform::TMetaRecordKind;

// The whole client area as a window in `view` shows it.
TMetafile paint(const GridControl& g, const GridViewState& view = {}) {
    TMetafile mf(g.clientWidth(), g.clientHeight());
    platform::TMetafileCanvas canvas(mf);
    g.draw(canvas, view);
    return mf;
}

// An active grid whose editor shows on the current cell (the archive's look).
GridViewState editing(const GridControl& g) {
    return {true, false, g.EditorBounds()};
}

[[maybe_unused]] void dump(const TMetafile& mf) {
    for (const TMetaRecord& r : mf.records()) {
        std::string pts;
        for (const QPoint& p : r.Points)
            pts += "(" + std::to_string(p.x()) + "," + std::to_string(p.y()) + ")";
        printf("%s rect(%d,%d,%d,%d) pen=%08x brush=%08x %s %s\n", platform::kindName(r.Kind),
               r.Rect.Left, r.Rect.Top, r.Rect.Right, r.Rect.Bottom, r.Pen.Color, r.Brush.Color,
               pts.c_str(), r.Text.c_str());
    }
}

// Line records of the grid-line calls in drawing order (a call with one line is recorded
// as a plain polyline).
std::vector<const TMetaRecord*> lineCalls(const TMetafile& mf) {
    std::vector<const TMetaRecord*> out;
    for (const TMetaRecord& r : mf.records())
        if (r.Kind == TMetaRecordKind::PolyPolyline || r.Kind == TMetaRecordKind::Polyline)
            out.push_back(&r);
    return out;
}

std::vector<const TMetaRecord*> textRects(const TMetafile& mf) {
    return mf.recordsOf(TMetaRecordKind::TextRect);
}

const TMetaRecord* textRecord(const TMetafile& mf, TMetaRecordKind kind, const std::string& text) {
    for (const TMetaRecord* r : mf.recordsOf(kind))
        if (r->Text == text)
            return r;
    return nullptr;
}

// Positions of the lines of one poly-polyline record (x for vertical, y for horizontal).
std::vector<int> linePositions(const TMetaRecord& r) {
    std::vector<int> out;
    for (std::size_t i = 0; i + 1 < r.Points.size(); i += 2)
        out.push_back(r.Points[i].x() == r.Points[i + 1].x() ? r.Points[i].x() : r.Points[i].y());
    return out;
}

struct ArchivePaint : ::testing::Test {
    GridControl grid;
    void SetUp() override {
        gridtest::configureArchiveGrid(grid);
        grid.setClientSize(688, 422);
        grid.setRowCount(4);
        grid.setCells(0, 1, "0001");
        grid.setCells(1, 1, "总部");
        grid.setCells(0, 2, "0002");
        grid.setRow(3);
        grid.setCol(1);
    }
    TMetafile paint() const { return grid::paint(grid, editing(grid)); }
};

TEST_F(ArchivePaint, TitleRowIsNineteenPixelsWithOneCellPerCaption) {
    EXPECT_EQ(grid.RowHeights(0), 19) << "13-pixel text height + 6, one level";
    EXPECT_EQ(grid.TitleLevels(), 1);
    grid.setRowHeights(0, 30);
    EXPECT_EQ(grid.RowHeights(0), 19) << "the title height is laid out, not set";
    const TMetafile mf = paint();
    std::vector<const TMetaRecord*> titles;
    for (const TMetaRecord* r : mf.recordsOf(TMetaRecordKind::Rectangle))
        if (r->Brush.Color == clGreen)
            titles.push_back(r);
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0]->Rect, (TRect{-1, -1, 138, 19}));
    EXPECT_EQ(titles[1]->Rect, (TRect{137, -1, 294, 19}));
    EXPECT_EQ(titles[0]->Pen.Color, clGreen) << "the pen the grid lines left";
    const TMetaRecord* code = textRecord(mf, TMetaRecordKind::DrawText, "核算单位编码");
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(code->Rect, (TRect{1, 2, 136, 15}));
    EXPECT_EQ(code->Font.Color, clWindow);
    const TMetaRecord* name = textRecord(mf, TMetaRecordKind::DrawText, "核算单位名称");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->Rect, (TRect{139, 2, 292, 15}));
    EXPECT_TRUE(mf.recordsOf(TMetaRecordKind::Edge).empty()) << "Title3D is off";
}

TEST_F(ArchivePaint, PaintingChangesNothingAndRepeatsItself) {
    const TMetafile first = paint();
    EXPECT_EQ(grid.RowHeights(0), 19);
    EXPECT_EQ(grid.Columns().Count(), 2);
    EXPECT_EQ(paint().dump(), first.dump());
    // A new title font lays the title out at once, without a paint.
    TFont big = grid.TitleFont();
    big.Height = -20;
    grid.setTitleFont(big);
    EXPECT_GT(grid.RowHeights(0), 19);
    grid.Columns()[1].setTitleCaption("核算单位|名称");
    EXPECT_EQ(grid.TitleLevels(), 2);
}

TEST_F(ArchivePaint, LinesOfEachAreaComeInOnePolyPolylineWithTheirColours) {
    const TMetafile mf = paint();
    const auto polys = lineCalls(mf);
    // Title row (black), then data rows (LineColor); vertical before horizontal each.
    ASSERT_EQ(polys.size(), 4u);
    EXPECT_EQ(polys[0]->Pen.Color, clBlack);
    EXPECT_EQ(linePositions(*polys[0]), (std::vector<int>{137, 293}));
    EXPECT_EQ(polys[0]->Points[1].y(), 20);
    EXPECT_EQ(linePositions(*polys[1]), (std::vector<int>{19}));
    EXPECT_EQ(polys[2]->Pen.Color, clGreen);
    EXPECT_EQ(linePositions(*polys[2]), (std::vector<int>{137, 293}));
    EXPECT_EQ(polys[2]->Points[0].y(), 20);
    EXPECT_EQ(polys[2]->Points[1].y(), 20 + 3 * 19);
    EXPECT_EQ(linePositions(*polys[3]), (std::vector<int>{38, 57, 76}));
    // The finishing stroke down the left edge.
    const auto lines = mf.recordsOf(TMetaRecordKind::Line);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back()->Points[0], QPoint(0, 0));
    EXPECT_EQ(lines.back()->Points[1], QPoint(0, grid.clientHeight()));
    // The empty area below the rows is filled with Color.
    bool filledBelow = false;
    for (const TMetaRecord* r : mf.recordsOf(TMetaRecordKind::FillRect))
        filledBelow |= r->Rect.Top == 20 + 3 * 19 && r->Brush.Color == gridtest::kArchiveColor;
    EXPECT_TRUE(filledBelow);
}

TEST_F(ArchivePaint, CellTextsAtTheirOffsetsAndTheEditedCellLeftToTheEditor) {
    grid.Columns()[1].setAlignment(TAlignment::taRightJustify);
    grid.setCells(1, 3, "编辑中");
    const TMetafile mf = paint();
    const TMetaRecord* code = textRecord(mf, TMetaRecordKind::TextRect, "0001");
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(code->Points[0], QPoint(2, 22));
    EXPECT_EQ(code->Rect, (TRect{0, 20, 137, 38}));
    const TMetaRecord* name = textRecord(mf, TMetaRecordKind::TextRect, "总部");
    ASSERT_NE(name, nullptr);
    const int w = QFontMetrics(platform::toQFont(name->Font)).horizontalAdvance("总部");
    EXPECT_NEAR(name->Points[0].x(), 293 - w - 2, 1) << "right aligned";
    EXPECT_EQ(textRecord(mf, TMetaRecordKind::TextRect, "编辑中"), nullptr);
    EXPECT_TRUE(mf.recordsOf(TMetaRecordKind::FocusRect).empty())
        << "no focus rectangle with an always-shown editor";
}

TEST_F(ArchivePaint, PasswordColumnShowsSixCharactersInEveryRow) {
    grid.Columns()[0].setPasswordChar(U'*');
    const TMetafile mf = paint();
    int masked = 0;
    for (const TMetaRecord* r : textRects(mf)) {
        EXPECT_NE(r->Text, "0001");
        masked += r->Text == "******";
    }
    EXPECT_EQ(masked, 4) << "title row, rows 1 and 2 with text, row 3 empty";
}

TEST_F(ArchivePaint, RowColourFillsEvenSelectedCells) {
    grid.setRowColor(2, 0x000000FF);
    const TMetafile mf = paint();
    int red = 0;
    for (const TMetaRecord* r : mf.recordsOf(TMetaRecordKind::FillRect))
        red += r->Brush.Color == 0x000000FFu && r->Rect.Top == 39;
    EXPECT_EQ(red, 2);
}

TEST_F(ArchivePaint, EditorOnColumnZeroLeavesTheLeftEdgeLineVisible) {
    grid.setCol(0);
    EXPECT_EQ(grid.EditorBounds(), (TRect{1, 58, 137, 76}));
    grid.setCol(1);
    EXPECT_EQ(grid.EditorBounds(), grid.CellBounds(1, 3));
    // The widget places its editor there without waiting for a paint.
    Form form;
    form.show();
    form.grid->setCol(0);
    ASSERT_NE(form.editor(), nullptr);
    const int top = form.grid->CellBounds(0, form.grid->Row()).Top;
    EXPECT_EQ(form.editor()->geometry(), QRect(1, top, 136, 18));
}

TEST(GridPaint, GrayLinesOnSilverAndSwitchedOffLinesInTheBackground) {
    GridControl g;
    g.setClientSize(300, 200);
    g.setColor(clSilver);
    const TMetafile mf = paint(g);
    const auto polys = lineCalls(mf);
    ASSERT_EQ(polys.size(), 8u);
    EXPECT_EQ(polys[6]->Pen.Color, clGray);
    EXPECT_EQ(polys[7]->Pen.Color, clGray);
    g.setColor(0x00F0F0F0);
    g.setOptions(g.Options().without(goVertLine));
    const TMetafile off = paint(g);
    const auto offPolys = lineCalls(off);
    ASSERT_EQ(offPolys.size(), 8u);
    // Without goHorzLine... set: horizontal first is only when the horizontal option is
    // off; here it is on, so the vertical lines come first, drawn in Color.
    EXPECT_EQ(offPolys[6]->Pen.Color, 0x00F0F0F0u);
    EXPECT_EQ(offPolys[7]->Pen.Color, clSilver);
}

TEST(GridPaint, AGridWithoutColumnsGetsThemWhenShownNeverWhenPainted) {
    GridControl g;
    g.setClientSize(300, 200);
    g.setCells(1, 1, "visible");
    EXPECT_EQ(textRecord(paint(g), TMetaRecordKind::TextRect, "visible"), nullptr)
        << "texts show only in columns that exist";
    EXPECT_EQ(g.Columns().Count(), 0);
    g.ensureColumns();
    EXPECT_EQ(g.Columns().Count(), 5);
    EXPECT_NE(textRecord(paint(g), TMetaRecordKind::TextRect, "visible"), nullptr);

    Form form(false, 300, 200);
    form.grid->setCells(1, 1, "visible");
    EXPECT_EQ(form.grid->Columns().Count(), 0);
    form.show();
    EXPECT_EQ(form.grid->Columns().Count(), 5) << "the first show defines them";
}

TEST(GridPaint, RowSelectFillsSelectedRowsAquaAndFramesTheSelection) {
    GridControl g;
    g.setClientSize(400, 200);
    g.setOptions(g.Options().with(goRowSelect));
    g.setRow(2);
    const TMetafile mf = paint(g, {true, true, {}});
    int aqua = 0;
    for (const TMetaRecord* r : mf.recordsOf(TMetaRecordKind::FillRect))
        aqua += r->Brush.Color == clAqua;
    EXPECT_EQ(aqua, 4) << "the four scrollable cells of row 2";
    const auto focus = mf.recordsOf(TMetaRecordKind::FocusRect);
    ASSERT_EQ(focus.size(), 1u);
    EXPECT_EQ(focus[0]->Rect.Top, g.CellBounds(1, 2).Top);
    EXPECT_EQ(focus[0]->Rect.Left, g.CellBounds(1, 2).Left);
    EXPECT_TRUE(paint(g, {true, false, {}}).recordsOf(TMetaRecordKind::FocusRect).empty())
        << "only while the grid window itself has the focus";
}

TEST(GridPaint, TwoLevelTitleSharesTheUpperPart) {
    GridControl g;
    g.setClientSize(400, 200);
    g.setColCount(3);
    g.setFixedCols(0);
    const char* captions[] = {"金额|借方", "金额|贷方", "备注"};
    for (const char* c : captions)
        g.Columns().Add().setTitleCaption(c);
    const TMetafile mf = paint(g);
    EXPECT_EQ(g.TitleLevels(), 2);
    const int textHeight = g.RowHeights(0) / 2 - 6;
    EXPECT_GT(textHeight, 8);
    int amount = 0;
    for (const TMetaRecord* r : mf.recordsOf(TMetaRecordKind::DrawText))
        amount += r->Text == "金额";
    EXPECT_EQ(amount, 1);
    const TMetaRecord* debit = textRecord(mf, TMetaRecordKind::DrawText, "借方");
    const TMetaRecord* top = textRecord(mf, TMetaRecordKind::DrawText, "金额");
    ASSERT_TRUE(debit && top);
    EXPECT_GT(debit->Rect.Top, top->Rect.Bottom - 2) << "lower part below the upper one";
    EXPECT_EQ(top->Rect, (TRect{1, top->Rect.Top, 128, top->Rect.Bottom})) << "both columns";
    EXPECT_EQ(mf.recordsOf(TMetaRecordKind::Edge).size(), 4u) << "Title3D draws raised edges";
}

TEST(GridPaint, PaintWalksOnlyTheVisibleRowsOfAHugeGrid) {
    GridControl g;
    g.setClientSize(400, 300);
    g.setColCount(2);
    g.ensureColumns();
    g.setRowCount(1000000);
    for (int r = 0; r < 1000000; r += 1000)
        g.setCells(1, r, "x");
    g.setCells(1, 5, "x");
    const TMetafile mf = paint(g);
    EXPECT_LT(textRects(mf).size(), 40u);
    g.ScrollCommand(true, ScrollCode::Bottom);
    const TMetafile bottom = paint(g);
    EXPECT_NE(textRecord(bottom, TMetaRecordKind::TextRect, "x"), nullptr) << "row 999000";
}

TEST(GridPaint, MergedRunsDrawOneOutlinedCentredTextPerRun) {
    GridControl g;
    g.setClientSize(400, 300);
    g.setColCount(2);
    g.setRowCount(8);
    g.Columns().Add();
    g.Columns().Add().setMerge(true);
    const char* texts[] = {"", "A", "A", "A", "B", " ", " ", "C"};
    for (int r = 1; r < 8; ++r)
        g.setCells(1, r, texts[r]);
    const TMetafile mf = paint(g);
    std::vector<const TMetaRecord*> runs;
    for (const TMetaRecord* r : mf.recordsOf(TMetaRecordKind::Rectangle))
        if (r->Brush.Color == g.Color())
            runs.push_back(r);
    ASSERT_EQ(runs.size(), 1u) << "blank texts never merge, single rows are no run";
    const TRect first = g.CellBounds(1, 1);
    const TRect last = g.CellBounds(1, 3);
    EXPECT_EQ(runs[0]->Rect,
              (TRect{first.Left - 1, first.Top - 1, first.Right + 1, last.Bottom + 1}));
    const TMetaRecord* text = textRecord(mf, TMetaRecordKind::DrawText, "A");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Flags & platform::DT_CENTER, platform::DT_CENTER);
    // With goEditing nothing is merged.
    g.setOptions(g.Options().with(goEditing));
    EXPECT_EQ(textRecord(paint(g), TMetaRecordKind::DrawText, "A"), nullptr);
}

} // namespace
} // namespace grid
