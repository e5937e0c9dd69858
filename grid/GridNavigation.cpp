// Current cell, selection, keyboard and mouse handling of GridControl.

#include "grid/GridControl.h"
#include "platform/Abort.h"

#include <algorithm>

namespace grid {

using namespace platform;

TGridRect GridControl::Selection() const {
    return {std::min(anchor_.X, current_.X), std::min(anchor_.Y, current_.Y),
            std::max(anchor_.X, current_.X), std::max(anchor_.Y, current_.Y)};
}

void GridControl::setCol(int value) {
    if (value != current_.X)
        FocusCellAt(value, current_.Y, true);
}

void GridControl::setRow(int value) {
    if (value != current_.Y)
        FocusCellAt(current_.X, value, true);
}

void GridControl::FocusCellAt(int col, int row, bool moveAnchor) {
    MoveCurrentCell(col, row, moveAnchor, true);
    SyncEditor();
    if (OnClick)
        OnClick(eventSender());
}

bool GridControl::CanSelectCell(int col, int row) {
    bool canSelect = true;
    if (OnSelectCell)
        OnSelectCell(eventSender(), col, row, canSelect);
    return canSelect;
}

void GridControl::MoveCurrentCell(int col, int row, bool moveAnchor, bool show) {
    if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_)
        invalidOp(msg::IndexOutOfRange);
    if (!CanSelectCell(col, row))
        return;
    // The handler may have changed the counts (deleting a row); the move stays inside.
    col = std::min(col, colCount_ - 1);
    row = std::min(row, rowCount_ - 1);
    const TGridRect oldSel = Selection();
    const TGridCoord oldCur = current_;
    current_ = {col, row};
    if (!options_.contains(goAlwaysShowEditor))
        CloseEditor();
    if (moveAnchor || !options_.contains(goRangeSelect)) {
        anchor_ = current_;
        if (options_.contains(goRowSelect))
            anchor_.X = colCount_ - 1;
    }
    if (options_.contains(goRowSelect))
        current_.X = fixedCols_;
    if (show)
        ScrollIntoView(current_.X, current_.Y);
    invalidateSelectionChange(oldSel);
    invalidateCell(oldCur.X, oldCur.Y);
    invalidateCell(current_.X, current_.Y);
    if (!(oldCur == current_))
        currentCellChanged();
}

void GridControl::ScrollIntoView(int col, int row) {
    const TGridDrawInfo info = CalcDrawInfo();
    if (col >= topLeft_.X && col <= info.Horz.LastFullVisibleCell && row >= topLeft_.Y &&
        row <= info.Vert.LastFullVisibleCell)
        return;
    // Per axis: back to the cell when it lies before the view, forward just enough to show
    // it fully when it lies after.
    auto axis = [](const TGridAxisDrawInfo& a, int first, int index) {
        if (index < a.FixedCellCount)
            return first;
        if (index < first)
            return index;
        if (index > a.LastFullVisibleCell)
            return std::max(first, a.firstShowing(index));
        return first;
    };
    SetFirstVisible(axis(info.Horz, topLeft_.X, col), axis(info.Vert, topLeft_.Y, row));
}

void GridControl::MoveAnchor(int col, int row) {
    if (!options_.contains(goRangeSelect) || options_.contains(goEditing)) {
        MoveCurrentCell(col, row, true, true);
        return;
    }
    const TGridRect oldSel = Selection();
    anchor_ = {col, row};
    if (options_.contains(goRowSelect))
        anchor_.X = colCount_ - 1;
    ScrollIntoView(col, row);
    invalidateSelectionChange(oldSel);
}

// ---- keyboard

void GridControl::sendKeyDown(Word key) {
    if (view_ != nullptr && view_->sendKeyDown(key))
        return;
    // Without a window the message is handled in place, under the same rule: an
    // exception ends this message only.
    try {
        Word k = key;
        KeyDown(k, {});
    } catch (...) {
    }
}

void GridControl::KeyDown(Word& key, TShiftState shift) {
    if (OnKeyDown)
        OnKeyDown(eventSender(), key, shift);
    if (key == 0)
        return;
    const TGridDrawInfo info = CalcDrawInfo();
    const bool rowSelect = options_.contains(goRowSelect);
    const bool ctrl = shift.contains(ShiftFlag::Ctrl);
    bool moveAnchor = !shift.contains(ShiftFlag::Shift);
    TGridCoord tl = topLeft_;
    TGridCoord cur = current_;
    const int pageWidth = std::max(1, info.Horz.LastFullVisibleCell - topLeft_.X);
    const int pageHeight = std::max(1, info.Vert.LastFullVisibleCell - topLeft_.Y);
    if (ctrl) {
        switch (key) {
        case VK_UP:
            --tl.Y;
            break;
        case VK_DOWN:
            ++tl.Y;
            break;
        case VK_LEFT:
            if (!rowSelect) {
                cur.X -= pageWidth;
                tl.X -= pageWidth;
            }
            break;
        case VK_RIGHT:
            if (!rowSelect) {
                cur.X += pageWidth;
                tl.X += pageWidth;
            }
            break;
        case VK_PRIOR:
            cur.Y = topLeft_.Y;
            break;
        case VK_NEXT:
            cur.Y = info.Vert.LastFullVisibleCell;
            break;
        case VK_HOME:
            cur = {fixedCols_, fixedRows_};
            break;
        case VK_END:
            cur = {colCount_ - 1, rowCount_ - 1};
            break;
        default:
            break;
        }
    } else {
        switch (key) {
        case VK_UP:
            --cur.Y;
            break;
        case VK_DOWN:
            ++cur.Y;
            break;
        case VK_LEFT:
            if (rowSelect)
                --tl.X;
            else
                --cur.X;
            break;
        case VK_RIGHT:
            if (rowSelect)
                ++tl.X;
            else
                ++cur.X;
            break;
        case VK_NEXT:
            cur.Y += pageHeight;
            tl.Y += pageHeight;
            break;
        case VK_PRIOR:
            cur.Y -= pageHeight;
            tl.Y -= pageHeight;
            break;
        case VK_HOME:
            if (rowSelect)
                cur.Y = fixedRows_;
            cur.X = fixedCols_;
            break;
        case VK_END:
            if (rowSelect)
                cur.Y = rowCount_ - 1;
            cur.X = colCount_ - 1;
            break;
        case VK_TAB:
            if (shift.contains(ShiftFlag::Alt))
                break;
            moveAnchor = true;
            if (shift.contains(ShiftFlag::Shift)) {
                if (--cur.X < fixedCols_) {
                    cur.X = colCount_ - 1;
                    if (--cur.Y < fixedRows_)
                        cur.Y = rowCount_ - 1;
                }
            } else if (++cur.X >= colCount_) {
                cur.X = fixedCols_;
                if (++cur.Y >= rowCount_)
                    cur.Y = fixedRows_;
            }
            break;
        case VK_F2:
            setEditorActive(true);
            break;
        default:
            break;
        }
    }
    const TGridCoord maxTL = MaxFirstVisible();
    tl.X = std::clamp(tl.X, fixedCols_, std::max(fixedCols_, maxTL.X));
    tl.Y = std::clamp(tl.Y, fixedRows_, std::max(fixedRows_, maxTL.Y));
    if (tl.X != topLeft_.X || tl.Y != topLeft_.Y)
        SetFirstVisible(tl.X, tl.Y);
    cur.X = std::clamp(cur.X, fixedCols_, colCount_ - 1);
    cur.Y = std::clamp(cur.Y, fixedRows_, rowCount_ - 1);
    if (cur.X != current_.X || cur.Y != current_.Y)
        FocusCellAt(cur.X, cur.Y, moveAnchor);
    bounceHiddenColumn(key);
}

void GridControl::bounceHiddenColumn(Word key) {
    const int c = current_.X;
    const int count = columns_->Count();
    Word bounce = 0;
    if (key == VK_LEFT && c >= fixedCols_ && c < count && !(*columns_)[c].Visible())
        bounce = c == fixedCols_ ? VK_RIGHT : VK_LEFT;
    else if (key == VK_RIGHT && c < count && !(*columns_)[c].Visible())
        bounce = c == count - 1 ? VK_LEFT : VK_RIGHT;
    // Every column gets one try; when all reachable columns are hidden the bounce ends.
    if (bounce == 0 || bounceDepth_ >= colCount_)
        return;
    ++bounceDepth_;
    struct Restore {
        int& depth;
        ~Restore() { --depth; }
    } restore{bounceDepth_};
    sendKeyDown(bounce);
}

void GridControl::KeyPress(char32_t& key) {
    if (OnKeyPress)
        OnKeyPress(eventSender(), key);
    if (!options_.contains(goAlwaysShowEditor) && key == 13) {
        if (editorActive_)
            CloseEditor();
        else
            OpenEditor();
        key = 0;
    }
    if (key == 13) {
        sendKeyDown(VK_RIGHT);
        return;
    }
    applyColumnLimits();
}

void GridControl::applyColumnLimits() {
    if (columns_->Count() == 0 || current_.X >= columns_->Count() || !editorExists())
        return;
    const TColumn& column = (*columns_)[current_.X];
    setEditorLimits(column.Width(), column.ReadOnly());
}

void GridControl::KeyUp(Word& key, TShiftState shift) {
    if (OnKeyUp)
        OnKeyUp(eventSender(), key, shift);
}

void GridControl::EditorKeyDown(Word& key, TShiftState shift) {
    const bool forward = options_.contains(goAlwaysShowEditor);
    const bool ctrl = shift.contains(ShiftFlag::Ctrl);
    auto toGrid = [&] {
        KeyDown(key, shift);
        key = 0;
    };
    int start = 0, end = 0, length = 0;
    editorSelection(start, end, length);
    const bool leftSide = start == 0 && (end == 0 || end == length);
    const bool rightSide = (start == 0 || start == end) && end == length;
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
        toGrid();
        return;
    case VK_TAB:
        if (!shift.contains(ShiftFlag::Alt)) {
            toGrid();
            return;
        }
        break;
    case VK_LEFT:
    case VK_HOME:
        if (forward && (ctrl || leftSide)) {
            toGrid();
            return;
        }
        break;
    case VK_RIGHT:
    case VK_END:
        if (forward && (ctrl || rightSide)) {
            toGrid();
            return;
        }
        break;
    case VK_INSERT:
        if (shift.empty()) {
            toGrid();
            return;
        }
        break;
    case VK_F2:
        if (OnKeyDown)
            OnKeyDown(eventSender(), key, shift);
        if (key == VK_F2) {
            editorDeselect();
            key = 0;
        }
        return;
    default:
        break;
    }
    if (OnKeyDown)
        OnKeyDown(eventSender(), key, shift);
}

void GridControl::EditorKeyPress(char32_t& key) {
    KeyPress(key);
    if (key == 13) {
        int start = 0, end = 0, length = 0;
        editorSelection(start, end, length);
        if (start > 0)
            editorSelectAll();
        else if (end == length)
            editorDeselect();
        else
            editorSelectAll();
        key = 0;
        return;
    }
    if (key == 9 || key == 27)
        key = 0;
}

void GridControl::EditorCharacter(char32_t key) {
    EditorKeyPress(key);
    if (key != 0)
        editorTypeCharacter(key);
}

void GridControl::sendEditorCharacter(char32_t key) {
    if (view_ != nullptr && view_->sendEditorCharacter(key))
        return;
    // Without a window: handled in place, an exception ends this message only.
    try {
        EditorCharacter(key);
    } catch (...) {
    }
}

void GridControl::GridCharacter(char32_t key) {
    if (!options_.contains(goEditing) || (key != 8 && key < 32)) {
        KeyPress(key);
        return;
    }
    OpenEditor();
    if (editorVisible())
        sendEditorCharacter(key);
}

bool GridControl::ClaimsKey(Word key) const {
    return key != VK_RETURN || options_.contains(goEditing);
}

// ---- mouse

GridControl::SizingHit GridControl::HitSizingZone(int x, int y, const TGridDrawInfo& info) const {
    SizingHit hit;
    const bool cols = options_.contains(goColSizing);
    const bool rows = options_.contains(goRowSizing);
    if (!cols && !rows)
        return hit;
    auto scan = [](const TGridAxisDrawInfo& a, int p, int& index, int& pos, int& offset) {
        const int w = a.EffectiveLineWidth;
        int boundary = a.FixedBoundary;
        for (int i = a.FirstGridCell; i < a.GridCellCount && boundary < a.GridBoundary; ++i) {
            boundary += a.extent(i);
            const int zoneStart = w < 7 ? boundary - (7 - w) / 2 : boundary;
            const int zoneWidth = w < 7 ? 7 : w;
            if (boundary <= a.GridExtent && p >= zoneStart && p < zoneStart + zoneWidth) {
                index = i;
                pos = boundary;
                offset = boundary - p;
                return true;
            }
            boundary += w;
        }
        return false;
    };
    if (cols && x > info.Horz.FixedBoundary && y < info.Vert.FixedBoundary &&
        scan(info.Horz, x, hit.index, hit.pos, hit.offset)) {
        hit.mode = TGridMouseMode::SizingColumn;
        return hit;
    }
    if (rows && y > info.Vert.FixedBoundary && x < info.Horz.FixedBoundary &&
        scan(info.Vert, y, hit.index, hit.pos, hit.offset)) {
        hit.mode = TGridMouseMode::SizingRow;
        return hit;
    }
    return hit;
}

void GridControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y,
                            bool doubleClick) {
    CommitAndHideEditor();
    if (!takeFocus())
        return;
    if (button == TMouseButton::mbLeft && doubleClick) {
        if (OnDblClick)
            OnDblClick(eventSender());
    } else if (button == TMouseButton::mbLeft) {
        const TGridDrawInfo info = CalcDrawInfo();
        const SizingHit hit = HitSizingZone(x, y, info);
        if (hit.mode != TGridMouseMode::Idle) {
            mouseMode_ = hit.mode;
            sizingIndex_ = hit.index;
            sizingPos_ = hit.pos;
            sizingOffset_ = hit.offset;
            sizingLineChanged();
        } else {
            const TGridCoord cell = MouseCoord(x, y);
            if (cell.X >= fixedCols_ && cell.Y >= fixedRows_) {
                if (options_.contains(goEditing)) {
                    if (cell == current_) {
                        OpenEditor();
                    } else {
                        MoveCurrentCell(cell.X, cell.Y, true, true);
                        SyncEditor();
                    }
                    if (OnClick)
                        OnClick(eventSender());
                } else {
                    mouseMode_ = TGridMouseMode::Selecting;
                    selectCell_ = cell;
                    startSelectTimer();
                    if (shift.contains(ShiftFlag::Shift))
                        MoveAnchor(cell.X, cell.Y);
                    else
                        MoveCurrentCell(cell.X, cell.Y, true, true);
                }
            } else if (options_.contains(goRowMoving) && cell.X >= 0 && cell.X < fixedCols_ &&
                       cell.Y >= fixedRows_) {
                mouseMode_ = TGridMouseMode::MovingRow;
                moveIndex_ = movePos_ = cell.Y;
                startSelectTimer();
                sizingLineChanged();
            } else if (options_.contains(goColMoving) && cell.Y >= 0 && cell.Y < fixedRows_ &&
                       cell.X >= fixedCols_) {
                mouseMode_ = TGridMouseMode::MovingColumn;
                moveIndex_ = movePos_ = cell.X;
                startSelectTimer();
                sizingLineChanged();
            }
        }
    }
    if (OnMouseDown)
        OnMouseDown(eventSender(), button, shift, x, y);
}

void GridControl::MouseMove(TShiftState shift, int x, int y) {
    switch (mouseMode_) {
    case TGridMouseMode::Selecting: {
        const TGridCoord cell = MouseCoord(x, y);
        if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && !(cell == selectCell_)) {
            selectCell_ = cell;
            MoveAnchor(cell.X, cell.Y);
        }
        break;
    }
    case TGridMouseMode::SizingColumn:
        sizingPos_ = x + sizingOffset_;
        sizingLineChanged();
        break;
    case TGridMouseMode::SizingRow:
        sizingPos_ = y + sizingOffset_;
        sizingLineChanged();
        break;
    case TGridMouseMode::MovingColumn:
    case TGridMouseMode::MovingRow: {
        const TGridCoord cell = MouseCoord(x, y);
        const bool rows = mouseMode_ == TGridMouseMode::MovingRow;
        const int index = rows ? cell.Y : cell.X;
        const int fixed = rows ? fixedRows_ : fixedCols_;
        if (index >= fixed && index != movePos_) {
            movePos_ = index;
            sizingLineChanged();
        }
        break;
    }
    default:
        break;
    }
    lastMouse_ = {x, y};
    if (OnMouseMove)
        OnMouseMove(eventSender(), shift, x, y);
}

void GridControl::TimerTick() {
    if (mouseMode_ != TGridMouseMode::Selecting && mouseMode_ != TGridMouseMode::MovingRow &&
        mouseMode_ != TGridMouseMode::MovingColumn)
        return;
    const TGridDrawInfo info = CalcDrawInfo();
    int dx = 0, dy = 0;
    if (lastMouse_.X < info.Horz.FixedBoundary)
        dx = -1;
    else if (lastMouse_.X >= info.Horz.GridBoundary)
        dx = 1;
    if (lastMouse_.Y < info.Vert.FixedBoundary)
        dy = -1;
    else if (lastMouse_.Y >= info.Vert.GridBoundary)
        dy = 1;
    if (dx == 0 && dy == 0)
        return;
    if (mouseMode_ == TGridMouseMode::Selecting) {
        TGridCoord cell = anchor_;
        cell.X = std::clamp(cell.X + dx, fixedCols_, colCount_ - 1);
        cell.Y = std::clamp(cell.Y + dy, fixedRows_, rowCount_ - 1);
        if (!(cell == anchor_)) {
            selectCell_ = cell;
            MoveAnchor(cell.X, cell.Y);
        }
        return;
    }
    const bool rows = mouseMode_ == TGridMouseMode::MovingRow;
    const int step = rows ? dy : dx;
    if (step == 0)
        return;
    const int fixed = rows ? fixedRows_ : fixedCols_;
    const int count = rows ? rowCount_ : colCount_;
    movePos_ = std::clamp(movePos_ + step, fixed, count - 1);
    ScrollIntoView(rows ? current_.X : movePos_, rows ? movePos_ : current_.Y);
    sizingLineChanged();
}

void GridControl::setMouseModeIdle() {
    const bool hadLine =
        mouseMode_ != TGridMouseMode::Idle && mouseMode_ != TGridMouseMode::Selecting;
    mouseMode_ = TGridMouseMode::Idle;
    stopSelectTimer();
    if (hadLine)
        sizingLineChanged();
}

void GridControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    const TGridMouseMode mode = mouseMode_;
    struct ToIdle {
        GridControl* grid;
        ~ToIdle() { grid->setMouseModeIdle(); }
    } toIdle{this};
    switch (mode) {
    case TGridMouseMode::Selecting: {
        MouseMove(shift, x, y);
        stopSelectTimer();
        SyncEditor();
        if (OnClick)
            OnClick(eventSender());
        break;
    }
    case TGridMouseMode::SizingColumn:
    case TGridMouseMode::SizingRow: {
        const TGridDrawInfo info = CalcDrawInfo();
        const bool cols = mode == TGridMouseMode::SizingColumn;
        const TGridAxisDrawInfo& a = cols ? info.Horz : info.Vert;
        int start = a.FixedBoundary;
        for (int i = a.FirstGridCell; i < sizingIndex_; ++i)
            start += a.extent(i) + a.EffectiveLineWidth;
        const int extent = sizingPos_ - start;
        setMouseModeIdle();
        if (extent > 1) {
            if (cols)
                setColWidths(sizingIndex_, extent);
            else
                setRowHeights(sizingIndex_, extent);
        }
        break;
    }
    case TGridMouseMode::MovingColumn:
    case TGridMouseMode::MovingRow: {
        const int from = moveIndex_, to = movePos_;
        setMouseModeIdle();
        if (from != to) {
            if (mode == TGridMouseMode::MovingColumn)
                MoveColumnTo(from, to);
            else
                MoveRowTo(from, to);
        }
        SyncEditor();
        break;
    }
    default:
        SyncEditor();
        break;
    }
    if (OnMouseUp)
        OnMouseUp(eventSender(), button, shift, x, y);
}

void GridControl::CancelMouseMode() {
    setMouseModeIdle();
}

bool GridControl::MouseWheel(bool down, TShiftState shift, int x, int y) {
    bool handled = false;
    if (down && OnMouseWheelDown)
        OnMouseWheelDown(eventSender(), shift, x, y, handled);
    else if (!down && OnMouseWheelUp)
        OnMouseWheelUp(eventSender(), shift, x, y, handled);
    if (handled)
        return true;
    if (down && current_.Y < rowCount_ - 1)
        setRow(current_.Y + 1);
    else if (!down && current_.Y > fixedRows_)
        setRow(current_.Y - 1);
    return true;
}

// ---- focus

void GridControl::FocusGained(bool fromEditor) {
    if (fromEditor)
        return;
    if (OnEnter)
        OnEnter(eventSender());
    invalidateGridRect(Selection());
    SyncEditor();
}

void GridControl::EditorFocusGained(bool fromGrid) {
    if (!fromGrid && OnEnter)
        OnEnter(eventSender());
}

void GridControl::EditorDoubleClicked() {
    if (OnDblClick)
        OnDblClick(eventSender());
}

void GridControl::FocusLost(bool toEditor) {
    invalidateGridRect(Selection());
    if (!toEditor)
        CommitAndHideEditor();
}

void GridControl::Exited() {
    if (!options_.contains(goAlwaysShowEditor))
        CloseEditor();
    if (OnExit)
        OnExit(eventSender());
}

} // namespace grid
