#include "grid/GridControl.h"

#include "platform/Canvas.h"
#include "platform/Metafile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace grid {
namespace {

constexpr int kScrollRange = 127;

// Windows MulDiv: a * b / c rounded half away from zero; -1 when c is 0.
int mulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const long long num = static_cast<long long>(a) * b;
    const long long q =
        (std::llabs(num) * 2 + std::llabs(c)) / (2 * std::llabs(static_cast<long long>(c)));
    return static_cast<int>(((num < 0) != (c < 0)) ? -q : q);
}

void calcAxis(TGridAxisDrawInfo& a) {
    const int lw = a.EffectiveLineWidth;
    a.FixedBoundary = 0;
    for (int i = 0; i < a.FixedCellCount; ++i)
        a.FixedBoundary += a.extent(i) + lw;
    a.GridBoundary = a.FixedBoundary;
    a.FullVisBoundary = a.FixedBoundary;
    a.LastFullVisibleCell = a.FirstGridCell;
    for (int i = a.FirstGridCell; i < a.GridCellCount; ++i) {
        a.GridBoundary += a.extent(i) + lw;
        if (a.GridBoundary > a.GridExtent + lw) {
            a.GridBoundary = a.GridExtent;
            break;
        }
        a.LastFullVisibleCell = i;
        a.FullVisBoundary = a.GridBoundary;
    }
    a.GridBoundary = std::min(a.GridBoundary, a.GridExtent);
}

// Start pixel of cell `index` on the axis, or -1 when it is not on screen.
int linePos(const TGridAxisDrawInfo& a, int index) {
    const int lw = a.EffectiveLineWidth;
    int pos = 0;
    if (index < a.FixedCellCount) {
        for (int i = 0; i < index; ++i)
            pos += a.extent(i) + lw;
        return pos;
    }
    if (index < a.FirstGridCell)
        return -1;
    pos = a.FixedBoundary;
    for (int i = a.FirstGridCell; i < index; ++i) {
        pos += a.extent(i) + lw;
        if (pos >= a.GridExtent)
            return -1;
    }
    return pos < a.GridExtent ? pos : -1;
}

} // namespace

[[noreturn]] void invalidOp(const char* message) {
    throw EInvalidGridOperation(message);
}

int TGridAxisDrawInfo::extent(int index) const {
    if (Extents && index >= 0 && index < static_cast<int>(Extents->size()))
        return (*Extents)[static_cast<std::size_t>(index)];
    return DefaultExtent;
}

int TGridAxisDrawInfo::firstShowing(int last) const {
    // Walks back from `last` while the accumulated extents stay within the scrollable extent.
    const int room = GridExtent - FixedBoundary + EffectiveLineWidth;
    int result = last;
    int total = 0;
    for (int i = last; i >= FixedCellCount; --i) {
        total += extent(i) + EffectiveLineWidth;
        if (total > room)
            break;
        result = i;
    }
    return std::max(result, FixedCellCount);
}

GridControl::GridControl()
    : columns_(std::make_unique<TGridColumns>(this)) {
    titleFont_ = font_;
    clientWidth_ = colCount_ * (DefaultColWidth() + gridLineWidth_);
    clientHeight_ = rowCount_ * (DefaultRowHeight() + gridLineWidth_);
    resetPositions();
}

GridControl::~GridControl() = default;

// ---- properties

void GridControl::setFixedCols(int value) {
    if (value < 0)
        invalidOp(msg::IndexOutOfRange);
    if (value >= colCount_)
        invalidOp(msg::FixedColTooBig);
    if (value == fixedCols_)
        return;
    fixedCols_ = value;
    resetPositions();
    invalidateGrid();
}

void GridControl::setFixedRows(int value) {
    if (value < 0)
        invalidOp(msg::IndexOutOfRange);
    if (value >= rowCount_)
        invalidOp(msg::FixedRowTooBig);
    if (value == fixedRows_)
        return;
    fixedRows_ = value;
    resetPositions();
    invalidateGrid();
}

void GridControl::resetPositions() {
    topLeft_ = {fixedCols_, fixedRows_};
    current_ = topLeft_;
    anchor_ = current_;
    if (options_.contains(goRowSelect))
        anchor_.X = colCount_ - 1;
    UpdateScrollRange();
}

void GridControl::setDefaultColWidth(int value) {
    colWidths_.setDefault(value);
    ColWidthsChanged();
    invalidateGrid();
}

void GridControl::setDefaultRowHeight(int value) {
    rowHeights_.setDefault(value);
    RowHeightsChanged();
    invalidateGrid();
}

void GridControl::setGridLineWidth(int value) {
    if (value == gridLineWidth_)
        return;
    gridLineWidth_ = value;
    UpdateScrollRange();
    invalidateGrid();
}

void GridControl::setOptions(TGridOptions value) {
    if (value.contains(goRowSelect))
        value = value.without(goAlwaysShowEditor);
    if (value == options_)
        return;
    options_ = value;
    if (!editorActive_) {
        if (options_.contains(goAlwaysShowEditor))
            OpenEditor();
        else
            CloseEditor();
    }
    if (options_.contains(goRowSelect))
        MoveCurrentCell(current_.X, current_.Y, true, false);
    UpdateScrollRange();
    invalidateGrid();
}

void GridControl::setScrollBars(TScrollStyle value) {
    if (value == scrollBars_)
        return;
    scrollBars_ = value;
    scrollBarsStyleChanged();
    UpdateScrollRange();
}

void GridControl::setBorderStyle(TBorderStyle value) {
    if (value == borderStyle_)
        return;
    borderStyle_ = value;
    scrollBarsStyleChanged();
}

void GridControl::setColor(TColor value) {
    color_ = value;
    invalidateGrid();
}

void GridControl::setFixedColor(TColor value) {
    fixedColor_ = value;
    invalidateGrid();
}

void GridControl::setDefaultDrawing(bool value) {
    defaultDrawing_ = value;
    invalidateGrid();
}

void GridControl::setGridFont(const TFont& value) {
    font_ = value;
    fontChanged();
    invalidateGrid();
}

void GridControl::setTitleFont(const TFont& value) {
    titleFont_ = value;
    layoutTitle();
    invalidateGrid();
}

void GridControl::setTitleColor(TColor value) {
    titleColor_ = value;
    invalidateGrid();
}

void GridControl::setTitle3D(bool value) {
    title3D_ = value;
    invalidateGrid();
}

void GridControl::setLineColor(TColor value) {
    lineColor_ = value;
    invalidateGrid();
}

void GridControl::setColumns(const TGridColumns& value) {
    columns_->Assign(value);
}

void GridControl::setEditColor(TColor value) {
    editColor_ = value;
    invalidateGrid();
}

int GridControl::VisibleColCount() const {
    const TGridDrawInfo info = CalcDrawInfo();
    return info.Horz.LastFullVisibleCell - info.Horz.FirstGridCell + 1;
}

int GridControl::VisibleRowCount() const {
    const TGridDrawInfo info = CalcDrawInfo();
    return info.Vert.LastFullVisibleCell - info.Vert.FirstGridCell + 1;
}

// ---- cells and extents

void GridControl::setCells(int col, int row, std::string_view text) {
    cells_.setText(col, row, text);
    cellUpdated(col, row);
}

void GridControl::setCellObject(int col, int row, void* object) {
    cells_.setObject(col, row, object);
    cellUpdated(col, row);
}

void GridControl::cellUpdated(int col, int row) {
    if (cellUpdateDepth_ > 0)
        needsRepaint_ = true;
    else
        invalidateCell(col, row);
    if (col == current_.X && row == current_.Y && editUpdate_ == 0)
        ReloadEditor();
}

TAdvStringGridStrings& GridControl::ColumnTexts(int col) {
    auto& view = columnViews_[col];
    if (!view)
        view = std::make_unique<TAdvStringGridStrings>(*this, col, true);
    return *view;
}

TAdvStringGridStrings& GridControl::RowTexts(int row) {
    auto& view = rowViews_[row];
    if (!view)
        view = std::make_unique<TAdvStringGridStrings>(*this, row, false);
    return *view;
}

void GridControl::endCellUpdate() {
    if (cellUpdateDepth_ == 0 || --cellUpdateDepth_ > 0)
        return;
    if (needsRepaint_) {
        needsRepaint_ = false;
        invalidateGrid();
    }
}

int GridControl::ColWidths(int index) const {
    return colWidths_.at(index, colCount_);
}

void GridControl::setColWidths(int index, int value) {
    if (!colWidths_.set(index, value, colCount_))
        return;
    invalidateGrid();
    ColWidthsChanged();
}

int GridControl::RowHeights(int index) const {
    return rowHeights_.at(index, rowCount_);
}

void GridControl::setRowHeights(int index, int value) {
    if (!rowHeights_.set(index, value, rowCount_))
        return;
    invalidateGrid();
    RowHeightsChanged();
}

TColor GridControl::RowColor(int row) const {
    auto it = rowColors_.find(row);
    return it != rowColors_.end() ? it->second : color_;
}

std::string GridControl::RowHint(int row) const {
    auto it = rowHints_.find(row);
    return it != rowHints_.end() ? it->second : std::string();
}

void GridControl::setRowHint(int row, std::string text) {
    if (text.empty())
        rowHints_.erase(row);
    else if (row >= 0 && row < rowCount_)
        rowHints_[row] = std::move(text);
}

void GridControl::setRowColor(int row, TColor color) {
    rowColors_[row] = color;
    for (int c = fixedCols_; c < colCount_; ++c)
        invalidateCell(c, row);
    if (row == current_.Y && current_.X >= fixedCols_ && editUpdate_ == 0)
        ReloadEditor();
}

// ---- geometry

TGridDrawInfo GridControl::CalcDrawInfo() const {
    TGridDrawInfo info;
    auto& h = info.Horz;
    h.EffectiveLineWidth =
        options_.contains(goFixedVertLine) || options_.contains(goVertLine) ? gridLineWidth_ : 0;
    h.FixedCellCount = fixedCols_;
    h.FirstGridCell = topLeft_.X;
    h.GridCellCount = colCount_;
    h.GridExtent = clientWidth_;
    h.Extents = &colWidths_.values();
    h.DefaultExtent = colWidths_.defaultExtent();
    calcAxis(h);
    auto& v = info.Vert;
    v.EffectiveLineWidth =
        options_.contains(goFixedHorzLine) || options_.contains(goHorzLine) ? gridLineWidth_ : 0;
    v.FixedCellCount = fixedRows_;
    v.FirstGridCell = topLeft_.Y;
    v.GridCellCount = rowCount_;
    v.GridExtent = clientHeight_;
    v.Extents = &rowHeights_.values();
    v.DefaultExtent = rowHeights_.defaultExtent();
    calcAxis(v);
    return info;
}

TGridCoord GridControl::MaxFirstVisible() const {
    const TGridDrawInfo info = CalcDrawInfo();
    return {info.Horz.firstShowing(colCount_ - 1), info.Vert.firstShowing(rowCount_ - 1)};
}

TRect GridControl::boxRect(int col, int row) const {
    const TGridDrawInfo info = CalcDrawInfo();
    const int x = linePos(info.Horz, col);
    const int y = linePos(info.Vert, row);
    if (x < 0 || y < 0)
        return {};
    int left = x;
    if (colCount_ == 1 && col == 0)
        left -= colOffset_;
    return {left, y, left + info.Horz.extent(col), y + info.Vert.extent(row)};
}

TRect GridControl::CellBounds(int col, int row) const {
    if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_)
        return {};
    return boxRect(col, row);
}

TGridCoord GridControl::MouseCoord(int x, int y) const {
    const TGridDrawInfo info = CalcDrawInfo();
    auto hit = [](const TGridAxisDrawInfo& a, int p) {
        const int lw = a.EffectiveLineWidth;
        if (p < 0)
            return -1;
        int pos = 0;
        if (p < a.FixedBoundary) {
            for (int i = 0; i < a.FixedCellCount; ++i) {
                pos += a.extent(i) + lw;
                if (p < pos)
                    return i;
            }
            return -1;
        }
        if (p >= a.GridBoundary)
            return -1;
        pos = a.FixedBoundary;
        for (int i = a.FirstGridCell; i < a.GridCellCount; ++i) {
            pos += a.extent(i) + lw;
            if (p < pos)
                return i;
        }
        return -1;
    };
    return {hit(info.Horz, x + (colCount_ == 1 ? colOffset_ : 0)), hit(info.Vert, y)};
}

void GridControl::setClientSize(int width, int height) {
    if (width == clientWidth_ && height == clientHeight_)
        return;
    clientWidth_ = width;
    clientHeight_ = height;
    UpdateScrollRange();
}

// ---- scrolling

void GridControl::UpdateScrollRange() {
    const TGridCoord maxTL = MaxFirstVisible();
    if (topLeft_.X > maxTL.X || topLeft_.Y > maxTL.Y)
        SetFirstVisible(std::min(topLeft_.X, maxTL.X), std::min(topLeft_.Y, maxTL.Y));
    ScrollBarState h;
    if (colCount_ == 1) {
        h.Max = std::max(0, ColWidths(0) - clientWidth_);
        colOffset_ = std::clamp(colOffset_, 0, h.Max);
        h.Position = colOffset_;
    } else if (maxTL.X > fixedCols_) {
        h.Max = kScrollRange;
        h.Position = mulDiv(topLeft_.X - fixedCols_, kScrollRange, maxTL.X - fixedCols_);
    }
    ScrollBarState v;
    if (maxTL.Y > fixedRows_) {
        v.Max = kScrollRange;
        v.Position = mulDiv(topLeft_.Y - fixedRows_, kScrollRange, maxTL.Y - fixedRows_);
    }
    if (h == hScroll_ && v == vScroll_)
        return;
    hScroll_ = h;
    vScroll_ = v;
    scrollBarsChanged();
}

void GridControl::SetFirstVisible(int col, int row) {
    if (col == topLeft_.X && row == topLeft_.Y)
        return;
    const TGridDrawInfo info = CalcDrawInfo();
    const TGridCoord old = topLeft_;
    topLeft_ = {col, row};
    UpdateScrollRange();
    auto distance = [](const TGridAxisDrawInfo& a, int from, int to) {
        int d = 0;
        for (int i = std::min(from, to); i < std::max(from, to); ++i)
            d += a.extent(i) + a.EffectiveLineWidth;
        return from < to ? -d : d;
    };
    const int dx = distance(info.Horz, old.X, col);
    const int dy = distance(info.Vert, old.Y, row);
    const int width = clientWidth_ - info.Horz.FixedBoundary;
    const int height = clientHeight_ - info.Vert.FixedBoundary;
    if (std::abs(dx) < width && std::abs(dy) < height) {
        if (dx != 0)
            scrollContent(dx, 0, {info.Horz.FixedBoundary, 0, clientWidth_, clientHeight_});
        if (dy != 0)
            scrollContent(0, dy, {0, info.Vert.FixedBoundary, clientWidth_, clientHeight_});
    } else {
        invalidateGrid();
    }
    if (options_.contains(goRowSelect))
        invalidateGridRect(Selection());
    TopLeftChanged();
}

void GridControl::TopLeftChanged() {
    if (editorActive_ && editorExists())
        moveEditor(EditorBounds(), false);
    if (OnTopLeftChanged)
        OnTopLeftChanged(eventSender());
    invalidateGrid();
}

void GridControl::ColWidthsChanged() {
    UpdateScrollRange();
    SyncEditor();
}

void GridControl::RowHeightsChanged() {
    UpdateScrollRange();
    SyncEditor();
    layoutTitle();
}

void GridControl::ScrollCommand(bool vertical, ScrollCode code, int position) {
    if (!vertical && colCount_ == 1) {
        const int maxOffset = std::max(0, ColWidths(0) - clientWidth_);
        int offset = colOffset_;
        switch (code) {
        case ScrollCode::LineUp:
            offset -= 8;
            break;
        case ScrollCode::LineDown:
            offset += 8;
            break;
        case ScrollCode::PageUp:
            offset -= clientWidth_;
            break;
        case ScrollCode::PageDown:
            offset += clientWidth_;
            break;
        case ScrollCode::ThumbTrack:
            if (!options_.contains(goThumbTracking))
                return;
            offset = position;
            break;
        case ScrollCode::ThumbPosition:
            offset = position;
            break;
        case ScrollCode::Top:
            offset = 0;
            break;
        case ScrollCode::Bottom:
            offset = maxOffset;
            break;
        }
        offset = std::clamp(offset, 0, maxOffset);
        if (offset != colOffset_) {
            colOffset_ = offset;
            hScroll_.Position = offset;
            scrollBarsChanged();
            invalidateGrid();
            TopLeftChanged();
        }
        return;
    }
    scrollAxis(vertical, code, position);
}

void GridControl::scrollAxis(bool vertical, ScrollCode code, int position) {
    const TGridDrawInfo info = CalcDrawInfo();
    const TGridAxisDrawInfo& a = vertical ? info.Vert : info.Horz;
    const int fixed = a.FixedCellCount;
    const int first = a.FirstGridCell;
    const int maxFirst = vertical ? MaxFirstVisible().Y : MaxFirstVisible().X;
    int target = first;
    switch (code) {
    case ScrollCode::LineUp:
        target = first - 1;
        break;
    case ScrollCode::LineDown:
        target = first + 1;
        break;
    case ScrollCode::PageDown:
        target = first + std::max(1, a.LastFullVisibleCell - first);
        break;
    case ScrollCode::PageUp:
        target = first - std::max(1, first - a.firstShowing(first));
        break;
    case ScrollCode::ThumbTrack:
        if (!options_.contains(goThumbTracking))
            return;
        target = fixed + mulDiv(position, maxFirst - fixed, kScrollRange);
        break;
    case ScrollCode::ThumbPosition:
        target = fixed + mulDiv(position, maxFirst - fixed, kScrollRange);
        break;
    case ScrollCode::Top:
        target = fixed;
        break;
    case ScrollCode::Bottom:
        target = maxFirst;
        break;
    }
    // Cells without extent cannot be the first visible one: skip them.
    const int step = target < first ? -1 : 1;
    while (target > fixed && target < maxFirst && a.extent(target) <= 0)
        target += step;
    target = std::clamp(target, fixed, std::max(fixed, maxFirst));
    if (vertical)
        SetFirstVisible(topLeft_.X, target);
    else
        SetFirstVisible(target, topLeft_.Y);
    // The bar shows the model's position even when nothing moved.
    UpdateScrollRange();
    scrollBarsChanged();
}

// ---- invalidation

void GridControl::invalidateCell(int col, int row) {
    const TRect r = CellBounds(col, row);
    if (!r.isEmpty())
        invalidateRect({r.Left, r.Top, r.Right + gridLineWidth_, r.Bottom + gridLineWidth_});
}

TRect GridControl::gridRectToScreen(const TGridRect& g) const {
    const TGridDrawInfo info = CalcDrawInfo();
    // Pixel span of the on-screen cells of [lo, hi] on one axis; only visible cells are walked.
    auto span = [](const TGridAxisDrawInfo& a, int lo, int hi, int& from, int& to) {
        from = -1;
        to = -1;
        auto take = [&](int i) {
            if (i < lo || i > hi)
                return;
            const int p = linePos(a, i);
            if (p < 0)
                return;
            if (from < 0)
                from = p;
            to = std::max(to, p + a.extent(i) + a.EffectiveLineWidth);
        };
        for (int i = 0; i < a.FixedCellCount; ++i)
            take(i);
        for (int i = std::max(lo, a.FirstGridCell); i <= hi && i < a.GridCellCount; ++i) {
            const int p = linePos(a, i);
            if (p < 0)
                break;
            take(i);
        }
    };
    int x1, x2, y1, y2;
    span(info.Horz, g.Left, g.Right, x1, x2);
    span(info.Vert, g.Top, g.Bottom, y1, y2);
    if (x1 < 0 || y1 < 0)
        return {};
    return {x1, y1, x2, y2};
}

void GridControl::invalidateGridRect(const TGridRect& g) {
    const TRect r = gridRectToScreen(g);
    if (!r.isEmpty())
        invalidateRect(r);
}

void GridControl::invalidateSelectionChange(const TGridRect& oldSel) {
    const TGridRect now = Selection();
    if (now == oldSel)
        return;
    invalidateGridRect(oldSel);
    invalidateGridRect(now);
}

// ---- columns collection hooks

void GridControl::columnCreated() {
    if (columns_->Count() > colCount_)
        setColCount(columns_->Count());
}

void GridControl::columnDestroyed(int remaining, int before) {
    if (before >= 2 && remaining >= 1)
        setColCount(remaining);
}

void GridControl::columnsChanged() {
    invalidateGrid();
    layoutTitle();
}

void GridControl::ensureColumns() {
    if (columns_->Count() == 0)
        for (int i = 0; i < colCount_; ++i)
            columns_->Add();
}

// ---- title layout

void GridControl::layoutTitle() {
    if (layingOutTitle_)
        return;
    layingOutTitle_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{layingOutTitle_};
    TitleTree tree;
    tree.build(titleColumns(), gridLineWidth_);
    titleLevels_ = tree.levels();
    if (columns_->Count() == 0)
        return; // no title cells to size
    platform::TMetafile scratch;
    platform::TMetafileCanvas measure(scratch, measuringDevice());
    measure.Font = titleFont_;
    const int height = (measure.textHeight("A") + 6) * titleLevels_;
    if (RowHeights(0) != height)
        setRowHeights(0, height);
}

// ---- consistency

bool GridControl::checkConsistency(std::string* why) const {
    auto fail = [&](const char* text) {
        if (why)
            *why = text;
        return false;
    };
    if (colCount_ < 1 || rowCount_ < 1)
        return fail("counts below one");
    if (fixedCols_ < 0 || fixedCols_ >= colCount_ || fixedRows_ < 0 || fixedRows_ >= rowCount_)
        return fail("fixed counts out of range");
    if (current_.X < 0 || current_.X >= colCount_ || current_.Y < 0 || current_.Y >= rowCount_)
        return fail("current cell outside the grid");
    if (anchor_.X < 0 || anchor_.X >= colCount_ || anchor_.Y < 0 || anchor_.Y >= rowCount_)
        return fail("anchor outside the grid");
    if (topLeft_.X < fixedCols_ || topLeft_.X > std::max(fixedCols_, colCount_ - 1) ||
        topLeft_.Y < fixedRows_ || topLeft_.Y > std::max(fixedRows_, rowCount_ - 1))
        return fail("first visible cell out of range");
    if (!colWidths_.empty() && static_cast<int>(colWidths_.size()) != colCount_)
        return fail("column widths list does not match ColCount");
    if (!rowHeights_.empty() && static_cast<int>(rowHeights_.size()) != rowCount_)
        return fail("row heights list does not match RowCount");
    if (options_.contains(goRowSelect) && (current_.X != fixedCols_ || anchor_.X != colCount_ - 1))
        return fail("row selection not spanning the row");
    if ((editorCol_ < 0) != (editorRow_ < 0))
        return fail("editor cell half set");
    if (columns_->Count() > colCount_)
        return fail("more columns than ColCount");
    return cells_.checkConsistency(why);
}

} // namespace grid
