// Painting of the grid: lines, cells, merged runs, the title row and the finishing strokes,
// all through the platform canvas. Painting reads the control and the view state only.

#include "grid/GridControl.h"
#include "grid/TitleTree.h"
#include "platform/Canvas.h"
#include "platform/Gbk.h"

#include <QString>

#include <vector>

namespace grid {

using namespace platform;

namespace {

constexpr unsigned kTitleTextFormat = DT_CENTER | DT_SINGLELINE | DT_NOPREFIX;

std::string repeated(char32_t ch, int times) {
    const std::string one = QString::fromUcs4(&ch, 1).toStdString();
    std::string s;
    for (int i = 0; i < times; ++i)
        s += one;
    return s;
}

// The area of one of the four paint passes: fixed or scrollable columns x rows.
struct Area {
    bool fixedCols;
    bool fixedRows;
    int x0, x1, y0, y1;
    Area(const TGridDrawInfo& info, bool cols, bool rows)
        : fixedCols(cols)
        , fixedRows(rows)
        , x0(cols ? 0 : info.Horz.FixedBoundary)
        , x1(cols ? info.Horz.FixedBoundary : info.Horz.GridBoundary)
        , y0(rows ? 0 : info.Vert.FixedBoundary)
        , y1(rows ? info.Vert.FixedBoundary : info.Vert.GridBoundary) {}
    bool empty() const { return x1 <= x0 || y1 <= y0; }
};

class Painter {
public:
    Painter(const GridControl& grid, QObject* sender, TCanvas& canvas, const GridViewState& view)
        : g_(grid)
        , sender_(sender)
        , canvas_(canvas)
        , view_(view)
        , info_(grid.CalcDrawInfo()) {}

    void draw();

private:
    void lines();
    void areaLines(const Area& area, TColor onColor, TColor offColor, bool vertOption,
                   bool horzOption);
    void cells(const Area& area);
    void paintCell(int col, int row, const TRect& rect, TGridDrawState state);
    void merged();
    void title();
    void finish();
    void dragLine();

    const GridControl& g_;
    QObject* sender_;
    TCanvas& canvas_;
    const GridViewState& view_;
    const TGridDrawInfo info_;
};

void Painter::draw() {
    const TBrush savedBrush = canvas_.Brush;
    const TFont savedFont = canvas_.Font;
    lines();
    cells(Area(info_, true, true));
    cells(Area(info_, false, true));
    cells(Area(info_, true, false));
    cells(Area(info_, false, false));
    if (g_.Options().contains(goRowSelect) && g_.DefaultDrawing() && view_.gridFocused) {
        const TRect r = g_.gridRectToScreen(g_.Selection());
        if (!r.isEmpty())
            canvas_.drawFocusRect(r);
    }
    canvas_.Brush = TBrush::solid(g_.Color());
    if (info_.Horz.GridBoundary < g_.clientWidth())
        canvas_.fillRect({info_.Horz.GridBoundary, 0, g_.clientWidth(), info_.Vert.GridBoundary});
    if (info_.Vert.GridBoundary < g_.clientHeight())
        canvas_.fillRect({0, info_.Vert.GridBoundary, g_.clientWidth(), g_.clientHeight()});
    merged();
    title();
    finish();
    canvas_.Brush = savedBrush;
    canvas_.Font = savedFont;
    dragLine();
}

void Painter::lines() {
    if (info_.Horz.EffectiveLineWidth == 0 && info_.Vert.EffectiveLineWidth == 0)
        return;
    TColor lineColor = g_.LineColor();
    if (ColorToRGB(g_.Color()) == clSilver)
        lineColor = clGray;
    const TGridOptions o = g_.Options();
    const bool fixedVert = o.contains(goFixedVertLine);
    const bool fixedHorz = o.contains(goFixedHorzLine);
    areaLines(Area(info_, true, true), clBlack, g_.FixedColor(), fixedVert, fixedHorz);
    areaLines(Area(info_, false, true), clBlack, g_.FixedColor(), fixedVert, fixedHorz);
    areaLines(Area(info_, true, false), clBlack, g_.FixedColor(), fixedVert, fixedHorz);
    areaLines(Area(info_, false, false), lineColor, g_.Color(), o.contains(goVertLine),
              o.contains(goHorzLine));
}

void Painter::areaLines(const Area& area, TColor onColor, TColor offColor, bool vertOption,
                        bool horzOption) {
    if (area.empty())
        return;
    // One axis: lines after each cell, all in one poly-polyline call.
    auto axis = [&](bool vertical) {
        const TGridAxisDrawInfo& a = vertical ? info_.Horz : info_.Vert;
        const bool fixed = vertical ? area.fixedCols : area.fixedRows;
        const int lw = a.EffectiveLineWidth;
        if (lw == 0)
            return;
        const int first = fixed ? 0 : a.FirstGridCell;
        const int last = fixed ? a.FixedCellCount - 1 : a.LastFullVisibleCell;
        const int start = vertical ? area.x0 : area.y0;
        const int end = vertical ? area.x1 : area.y1;
        TPen pen;
        pen.Color = (vertical ? vertOption : horzOption) ? onColor : offColor;
        pen.Width = lw;
        pen.Style = psSolid;
        if (lw > 1) {
            pen.Cap = TPenCap::Flat;
            pen.Join = TPenJoin::Miter;
        }
        canvas_.Pen = pen;
        std::vector<QPoint> points;
        std::vector<int> counts;
        int index = first;
        int pos = start + a.extent(first) + lw / 2;
        while (index <= last && pos <= end + lw) {
            if (vertical) {
                points.emplace_back(pos, area.y0);
                points.emplace_back(pos, area.y1);
            } else {
                points.emplace_back(area.x0, pos);
                points.emplace_back(area.x1, pos);
            }
            counts.push_back(2);
            if (++index > last)
                break;
            pos += a.extent(index) + lw;
        }
        if (!counts.empty())
            canvas_.polyPolyline(points, counts);
    };
    axis(horzOption);
    axis(!horzOption);
}

void Painter::cells(const Area& area) {
    const TGridAxisDrawInfo& h = info_.Horz;
    const TGridAxisDrawInfo& v = info_.Vert;
    const bool fixedArea = area.fixedCols || area.fixedRows;
    const TColor background = fixedArea ? g_.FixedColor() : g_.Color();
    const TGridOptions o = g_.Options();
    const TGridRect sel = g_.Selection();
    const bool editorShows = !view_.editorRect.isEmpty();
    int y = area.y0;
    for (int row = area.fixedRows ? 0 : v.FirstGridCell; y < area.y1 && row < g_.RowCount();
         ++row) {
        const int rowHeight = v.extent(row);
        int x = area.x0;
        for (int col = area.fixedCols ? 0 : h.FirstGridCell; x < area.x1 && col < g_.ColCount();
             ++col) {
            const int width = h.extent(col);
            const TRect rect{x, y, x + width, y + rowHeight};
            x += width + h.EffectiveLineWidth;
            if (width <= 0 || !canvas_.rectVisible(rect))
                continue;
            const bool current = col == g_.Col() && row == g_.Row();
            if (current && editorShows)
                continue; // the editor covers it
            TGridDrawState state;
            state.StateFixed = fixedArea;
            state.StateFocused = view_.active && current;
            state.StateSelected = sel.contains(col, row);
            if (g_.DefaultDrawing()) {
                canvas_.Font = g_.Font();
                if (state.StateSelected &&
                    (!state.StateFocused || o.contains(goDrawFocusSelected) ||
                     o.contains(goRowSelect))) {
                    canvas_.Brush = TBrush::solid(o.contains(goRowSelect) ? clAqua : background);
                    canvas_.Font.Color = clHighlightText;
                } else {
                    canvas_.Brush = TBrush::solid(background);
                }
                canvas_.fillRect(rect);
            }
            paintCell(col, row, rect, state);
            if (g_.DefaultDrawing() && state.StateFocused &&
                !(o.contains(goEditing) && o.contains(goAlwaysShowEditor)) &&
                !o.contains(goRowSelect))
                canvas_.drawFocusRect(rect);
        }
        y += rowHeight + v.EffectiveLineWidth;
    }
}

void Painter::paintCell(int col, int row, const TRect& rect, TGridDrawState state) {
    if (col >= g_.FixedCols() && row >= g_.FixedRows() && g_.hasRowColor(row)) {
        canvas_.Brush = TBrush::solid(g_.RowColor(row));
        canvas_.fillRect(rect);
        canvas_.setBkMode(TBkMode::Transparent);
    }
    if (col < g_.Columns().Count()) {
        const TColumn& column = g_.Columns()[col];
        canvas_.Font = column.currentFont();
        const std::string text =
            column.PasswordChar() != 0 ? repeated(column.PasswordChar(), 6) : g_.cellText(col, row);
        const int w = canvas_.textWidth(text);
        int x = rect.Left + 2;
        if (column.Alignment() == TAlignment::taRightJustify)
            x = rect.Right - w - 2;
        else if (column.Alignment() == TAlignment::taCenter)
            x = rect.Left + (rect.Right - rect.Left) / 2 - w / 2;
        canvas_.textRect(rect, x, rect.Top + 2, text);
    }
    if (g_.OnDrawCell)
        g_.OnDrawCell(sender_, col, row, rect, state);
}

void Painter::merged() {
    if (g_.Options().contains(goEditing))
        return;
    const int firstVisible = g_.TopRow();
    const int lastVisible = std::min(g_.RowCount() - 1, info_.Vert.LastFullVisibleCell + 1);
    const int lw = g_.GridLineWidth();
    for (int i = 0; i < g_.ColCount() && i < g_.Columns().Count(); ++i) {
        const TColumn& column = g_.Columns()[i];
        if (!column.Merge())
            continue;
        auto drawRun = [&](int first, int last) {
            // Only the on-screen part of a run is outlined (runs may start above the view).
            const int top = std::max(first, firstVisible);
            const int bottom = std::min(last, lastVisible);
            if (top > bottom)
                return;
            const TRect b1 = g_.CellBounds(i, top);
            const TRect b2 = g_.CellBounds(i, bottom);
            if (b1.isEmpty() || b2.isEmpty())
                return;
            const TRect run{b1.Left - lw, b1.Top - lw, b1.Right + lw, b2.Bottom + lw};
            canvas_.Brush = TBrush::solid(g_.Color());
            canvas_.rectangle(run);
            canvas_.Font = column.currentFont();
            const int th = canvas_.textHeight("A");
            const int y = run.Top + (run.height() - th) / 2;
            canvas_.drawText(g_.cellText(i, last), TRect{run.Left + 2, y, run.Right - 2, y + th},
                             kTitleTextFormat);
        };
        auto continues = [&](int r) {
            return g_.cellText(i, r) == g_.cellText(i, r - 1) &&
                   !trimBlanks(g_.cellText(i, r)).empty();
        };
        // Walk back from the first visible row to the start of its run, then forward
        // until the runs leave the view: painting stays proportional to what shows.
        int first = std::max(1, firstVisible);
        while (first > 1 && continues(first))
            --first;
        for (int r = first + 1; r <= g_.RowCount(); ++r) {
            if (r < g_.RowCount() && continues(r))
                continue;
            if (r - first >= 2)
                drawRun(first, r - 1);
            first = r;
            if (first > lastVisible)
                break;
        }
    }
}

void Painter::title() {
    const int lw = g_.GridLineWidth();
    canvas_.Brush = TBrush::solid(g_.TitleColor());
    canvas_.Font = g_.TitleFont();
    TitleTree tree;
    tree.build(g_.titleColumns(), lw);
    const int th = canvas_.textHeight("A");
    for (const TitleTree::Box& box : tree.layout(g_.RowHeights(0), lw)) {
        if (!box.drawn)
            continue;
        canvas_.Brush = TBrush::solid(g_.TitleColor());
        canvas_.rectangle(box.cell);
        if (g_.Title3D())
            canvas_.drawEdge(box.edge, BDR_RAISEDINNER, BF_RECT);
        const int y = box.cell.Top + (box.cell.height() - th) / 2;
        canvas_.drawText(box.text, TRect{box.cell.Left + 2, y, box.cell.Right - 2, y + th},
                         kTitleTextFormat);
    }
}

void Painter::finish() {
    if (g_.LeftCol() == g_.FixedCols()) {
        canvas_.moveTo(0, 0);
        canvas_.lineTo(0, g_.clientHeight());
    }
}

void Painter::dragLine() {
    const TGridMouseMode mode = g_.MouseMode();
    if (mode == TGridMouseMode::Idle || mode == TGridMouseMode::Selecting)
        return;
    TPen pen;
    pen.Color = clWhite;
    pen.Mode = pmXor;
    pen.Style = psDot;
    pen.Width = 1;
    auto line = [&](int x0, int y0, int x1, int y1) {
        canvas_.Pen = pen;
        canvas_.moveTo(x0, y0);
        canvas_.lineTo(x1, y1);
    };
    const int bottom = info_.Vert.GridBoundary;
    const int right = info_.Horz.GridBoundary;
    if (mode == TGridMouseMode::SizingColumn)
        return line(g_.SizingPos(), 0, g_.SizingPos(), bottom);
    if (mode == TGridMouseMode::SizingRow)
        return line(0, g_.SizingPos(), right, g_.SizingPos());
    // Moving: a 5-pixel dotted bar at the start of the drop cell.
    pen.Width = 5;
    pen.Cap = TPenCap::Flat;
    const bool columns = mode == TGridMouseMode::MovingColumn;
    const TRect r = columns ? g_.CellBounds(g_.MovePos(), 0) : g_.CellBounds(0, g_.MovePos());
    if (r.isEmpty())
        return;
    const bool after = g_.MovePos() > g_.MoveIndex();
    if (columns) {
        const int x = after ? r.Right : r.Left;
        line(x, 0, x, bottom);
    } else {
        const int y = after ? r.Bottom : r.Top;
        line(0, y, right, y);
    }
}

} // namespace

void GridControl::draw(TCanvas& canvas, const GridViewState& view) const {
    Painter(*this, eventSender(), canvas, view).draw();
}

std::vector<TitleTree::ColumnInput> GridControl::titleColumns() const {
    std::vector<TitleTree::ColumnInput> inputs;
    inputs.reserve(static_cast<std::size_t>(columns_->Count()));
    for (int i = 0; i < columns_->Count(); ++i) {
        const TColumn& c = (*columns_)[i];
        inputs.push_back({c.Title().Caption, CellBounds(i, 0), ColWidths(i), c.Visible()});
    }
    return inputs;
}

} // namespace grid
