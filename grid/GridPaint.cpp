// Painting of TAdvStringGrid: lines, cells, merged runs, the title row and the finishing
// strokes, all through the platform canvas.

#include "grid/TAdvStringGrid.h"
#include "grid/TInplaceEdit.h"
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

} // namespace

void TAdvStringGrid::paintLines(TCanvas& canvas, const TGridDrawInfo& info) {
    if (info.Horz.EffectiveLineWidth == 0 && info.Vert.EffectiveLineWidth == 0)
        return;
    TColor lineColor = LineColor();
    if (ColorToRGB(Color()) == clSilver)
        lineColor = clGray;
    const TGridOptions o = Options();
    paintAreaLines(canvas, info, true, true, clBlack, FixedColor(), o.contains(goFixedVertLine),
                   o.contains(goFixedHorzLine));
    paintAreaLines(canvas, info, false, true, clBlack, FixedColor(), o.contains(goFixedVertLine),
                   o.contains(goFixedHorzLine));
    paintAreaLines(canvas, info, true, false, clBlack, FixedColor(), o.contains(goFixedVertLine),
                   o.contains(goFixedHorzLine));
    paintAreaLines(canvas, info, false, false, lineColor, Color(), o.contains(goVertLine),
                   o.contains(goHorzLine));
}

void TAdvStringGrid::paintAreaLines(TCanvas& canvas, const TGridDrawInfo& info, bool fixedCols,
                                    bool fixedRows, TColor onColor, TColor offColor,
                                    bool vertOption, bool horzOption) {
    const TGridAxisDrawInfo& h = info.Horz;
    const TGridAxisDrawInfo& v = info.Vert;
    const int x0 = fixedCols ? 0 : h.FixedBoundary;
    const int x1 = fixedCols ? h.FixedBoundary : h.GridBoundary;
    const int y0 = fixedRows ? 0 : v.FixedBoundary;
    const int y1 = fixedRows ? v.FixedBoundary : v.GridBoundary;
    if (x1 <= x0 || y1 <= y0)
        return;
    // One axis: lines after each cell, all in one poly-polyline call.
    auto axis = [&](bool vertical) {
        const TGridAxisDrawInfo& a = vertical ? h : v;
        const bool fixed = vertical ? fixedCols : fixedRows;
        const int lw = a.EffectiveLineWidth;
        if (lw == 0)
            return;
        const int first = fixed ? 0 : a.FirstGridCell;
        const int last = fixed ? a.FixedCellCount - 1 : a.LastFullVisibleCell;
        const int start = vertical ? x0 : y0;
        const int end = vertical ? x1 : y1;
        TPen pen;
        pen.Color = (vertical ? vertOption : horzOption) ? onColor : offColor;
        pen.Width = lw;
        pen.Style = psSolid;
        if (lw > 1) {
            pen.Cap = TPenCap::Flat;
            pen.Join = TPenJoin::Miter;
        }
        canvas.Pen = pen;
        std::vector<QPoint> points;
        std::vector<int> counts;
        int index = first;
        int pos = start + a.extent(first) + lw / 2;
        while (index <= last && pos <= end + lw) {
            if (vertical) {
                points.emplace_back(pos, y0);
                points.emplace_back(pos, y1);
            } else {
                points.emplace_back(x0, pos);
                points.emplace_back(x1, pos);
            }
            counts.push_back(2);
            if (++index > last)
                break;
            pos += a.extent(index) + lw;
        }
        if (!counts.empty())
            canvas.polyPolyline(points, counts);
    };
    if (horzOption) {
        axis(true);
        axis(false);
    } else {
        axis(false);
        axis(true);
    }
}

void TAdvStringGrid::paintCells(TCanvas& canvas, const TGridDrawInfo& info, bool fixedCols,
                                bool fixedRows) {
    const TGridAxisDrawInfo& h = info.Horz;
    const TGridAxisDrawInfo& v = info.Vert;
    const int x0 = fixedCols ? 0 : h.FixedBoundary;
    const int x1 = fixedCols ? h.FixedBoundary : h.GridBoundary;
    const int y0 = fixedRows ? 0 : v.FixedBoundary;
    const int y1 = fixedRows ? v.FixedBoundary : v.GridBoundary;
    const bool fixedArea = fixedCols || fixedRows;
    const TColor background = fixedArea ? FixedColor() : Color();
    const TGridOptions o = Options();
    const bool active = isActiveControl();
    const TGridRect sel = Selection();
    int y = y0;
    for (int row = fixedRows ? 0 : v.FirstGridCell; y < y1 && row < RowCount(); ++row) {
        const int rowHeight = v.extent(row);
        int x = x0;
        for (int col = fixedCols ? 0 : h.FirstGridCell; x < x1 && col < ColCount(); ++col) {
            const int width = h.extent(col);
            const TRect rect{x, y, x + width, y + rowHeight};
            x += width + h.EffectiveLineWidth;
            if (width <= 0 || !canvas.rectVisible(rect))
                continue;
            TGridDrawState state;
            state.StateFixed = fixedArea;
            state.StateFocused = active && col == Col() && row == Row();
            state.StateSelected = sel.contains(col, row);
            if (state.StateFocused && o.contains(goEditing) && EditorActive())
                continue; // the editor covers it
            if (DefaultDrawing()) {
                canvas.Font = Font();
                if (state.StateSelected &&
                    (!state.StateFocused || o.contains(goDrawFocusSelected) ||
                     o.contains(goRowSelect))) {
                    canvas.Brush = TBrush::solid(o.contains(goRowSelect) ? clAqua : background);
                    canvas.Font.Color = clHighlightText;
                } else {
                    canvas.Brush = TBrush::solid(background);
                }
                canvas.fillRect(rect);
            }
            PaintCell(canvas, col, row, rect, state);
            if (DefaultDrawing() && state.StateFocused &&
                !(o.contains(goEditing) && o.contains(goAlwaysShowEditor)) &&
                !o.contains(goRowSelect))
                canvas.drawFocusRect(rect);
        }
        y += rowHeight + v.EffectiveLineWidth;
    }
}

void TAdvStringGrid::PaintCell(TCanvas& canvas, int col, int row, const TRect& rect,
                               TGridDrawState state) {
    if (col >= FixedCols() && row >= FixedRows() && hasRowColor(row)) {
        canvas.Brush = TBrush::solid(RowColor(row));
        canvas.fillRect(rect);
        canvas.setBkMode(TBkMode::Transparent);
    }
    if (col < Columns().Count()) {
        const TColumn& column = Columns()[col];
        canvas.Font = column.currentFont();
        const std::string text =
            column.PasswordChar() != 0 ? repeated(column.PasswordChar(), 6) : cellText(col, row);
        const int w = canvas.textWidth(text);
        int x = rect.Left + 2;
        if (column.Alignment() == TAlignment::taRightJustify)
            x = rect.Right - w - 2;
        else if (column.Alignment() == TAlignment::taCenter)
            x = rect.Left + (rect.Right - rect.Left) / 2 - w / 2;
        canvas.textRect(rect, x, rect.Top + 2, text);
    }
    if (OnDrawCell)
        OnDrawCell(this, col, row, rect, state);
}

void TAdvStringGrid::paintMerged(TCanvas& canvas) {
    if (Options().contains(goEditing))
        return;
    const TGridDrawInfo info = CalcDrawInfo();
    const int firstVisible = TopRow();
    const int lastVisible = std::min(RowCount() - 1, info.Vert.LastFullVisibleCell + 1);
    const int lw = GridLineWidth();
    for (int i = 0; i < ColCount() && i < Columns().Count(); ++i) {
        const TColumn& column = Columns()[i];
        if (!column.Merge())
            continue;
        auto drawRun = [&](int first, int last) {
            // Only the on-screen part of a run is outlined (runs may start above the view).
            const int top = std::max(first, firstVisible);
            const int bottom = std::min(last, lastVisible);
            if (top > bottom)
                return;
            const TRect b1 = CellBounds(i, top);
            const TRect b2 = CellBounds(i, bottom);
            if (b1.isEmpty() || b2.isEmpty())
                return;
            const TRect run{b1.Left - lw, b1.Top - lw, b1.Right + lw, b2.Bottom + lw};
            canvas.Brush = TBrush::solid(Color());
            canvas.rectangle(run);
            canvas.Font = column.currentFont();
            const int th = canvas.textHeight("A");
            const int y = run.Top + (run.height() - th) / 2;
            canvas.drawText(cellText(i, last), TRect{run.Left + 2, y, run.Right - 2, y + th},
                            kTitleTextFormat);
        };
        // Walk back from the first visible row to the start of its run, then forward
        // until the runs leave the view: painting stays proportional to what shows.
        int first = std::max(1, firstVisible);
        while (first > 1 && cellText(i, first) == cellText(i, first - 1) &&
               !trimBlanks(cellText(i, first)).empty())
            --first;
        for (int r = first + 1; r <= RowCount(); ++r) {
            const bool same = r < RowCount() && cellText(i, r) == cellText(i, r - 1) &&
                              !trimBlanks(cellText(i, r)).empty();
            if (same)
                continue;
            if (r - first >= 2)
                drawRun(first, r - 1);
            first = r;
            if (first > lastVisible)
                break;
        }
    }
}

void TAdvStringGrid::paintTitle(TCanvas& canvas) {
    const int lw = GridLineWidth();
    canvas.Brush = TBrush::solid(TitleColor());
    canvas.Font = TitleFont();
    std::vector<TitleTree::ColumnInput> inputs;
    for (int i = 0; i < Columns().Count(); ++i) {
        const TColumn& c = Columns()[i];
        inputs.push_back({c.Title().Caption, CellBounds(i, 0), ColWidths(i), c.Visible()});
    }
    TitleTree tree;
    tree.build(inputs, lw);
    setTitleLevels(tree.levels());
    const int th = canvas.textHeight("A");
    const int wanted = (th + 6) * TitleLevels();
    if (RowHeights(0) != wanted)
        setRowHeights(0, wanted);
    for (const TitleTree::Box& box : tree.layout(RowHeights(0), lw)) {
        if (!box.drawn)
            continue;
        canvas.Brush = TBrush::solid(TitleColor());
        canvas.rectangle(box.cell);
        if (Title3D())
            canvas.drawEdge(box.edge, BDR_RAISEDINNER, BF_RECT);
        const int y = box.cell.Top + (box.cell.height() - th) / 2;
        canvas.drawText(box.text, TRect{box.cell.Left + 2, y, box.cell.Right - 2, y + th},
                        kTitleTextFormat);
    }
}

void TAdvStringGrid::paintFinish(TCanvas& canvas, const TGridDrawInfo&) {
    if (editor_ && editor_->x() == 0 && Col() == 0)
        editor_->setGeometry(editor_->x() + 1, editor_->y(), editor_->width() - 1,
                             editor_->height());
    if (LeftCol() == FixedCols()) {
        canvas.moveTo(0, 0);
        canvas.lineTo(0, clientHeight());
    }
}

void TAdvStringGrid::paintDragLine(TCanvas& canvas, const TGridDrawInfo& info) {
    const TGridMouseMode mode = MouseMode();
    if (mode == TGridMouseMode::Idle || mode == TGridMouseMode::Selecting)
        return;
    TPen pen;
    pen.Color = clWhite;
    pen.Mode = pmXor;
    pen.Style = psDot;
    pen.Width = 1;
    if (mode == TGridMouseMode::SizingColumn) {
        canvas.Pen = pen;
        canvas.moveTo(SizingPos(), 0);
        canvas.lineTo(SizingPos(), info.Vert.GridBoundary);
        return;
    }
    if (mode == TGridMouseMode::SizingRow) {
        canvas.Pen = pen;
        canvas.moveTo(0, SizingPos());
        canvas.lineTo(info.Horz.GridBoundary, SizingPos());
        return;
    }
    // Moving: a 5-pixel dotted bar at the start of the drop cell.
    pen.Width = 5;
    pen.Cap = TPenCap::Flat;
    canvas.Pen = pen;
    if (mode == TGridMouseMode::MovingColumn) {
        const TRect r = CellBounds(MovePos(), 0);
        if (r.isEmpty())
            return;
        const int x = MovePos() > MoveIndex() ? r.Right : r.Left;
        canvas.moveTo(x, 0);
        canvas.lineTo(x, info.Vert.GridBoundary);
    } else {
        const TRect r = CellBounds(0, MovePos());
        if (r.isEmpty())
            return;
        const int y = MovePos() > MoveIndex() ? r.Bottom : r.Top;
        canvas.moveTo(0, y);
        canvas.lineTo(info.Horz.GridBoundary, y);
    }
}

} // namespace grid
