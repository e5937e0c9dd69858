#pragma once

// The string grid's widget-free control: counts and extents, the cell store, columns, row
// colours, the title layout, the current cell and selection, navigation, input rules and
// event firing, the editor protocol, the row operations, the scroll state and the painting
// (draw). The widget (TAdvStringGrid) is a thin shell: the control talks to it through two
// small interfaces, the view (GridView) and the in-place editor (GridEditor); without them
// those calls do nothing, which is how the model is exercised on its own and how a report
// draws a grid.
//
// Invariants (checkConsistency verifies them):
//  - 1 <= ColCount, 1 <= RowCount; 0 <= FixedCols < ColCount; 0 <= FixedRows < RowCount.
//  - 0 <= Col < ColCount and 0 <= Row < RowCount after every completed move.
//  - FixedCols <= FirstVisibleCol <= max(FixedCols, ColCount-1), same for rows.
//  - colWidths_ / rowHeights_ are empty (all default) or hold exactly ColCount / RowCount.
//  - Once Columns has items, RowHeights(0) is the laid-out title height (layoutTitle).
//  - With goRowSelect: Col == FixedCols and the anchor column is ColCount-1.
//  - EditorCol and EditorRow are both -1 or both name a cell.

#include "grid/CellStore.h"
#include "grid/GridColumns.h"
#include "grid/GridEditor.h"
#include "grid/GridExtents.h"
#include "grid/GridTypes.h"
#include "grid/GridView.h"
#include "grid/TAdvStringGridStrings.h"
#include "grid/TitleTree.h"
#include "platform/Keys.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QObject;
class QPaintDevice;

namespace platform {
class TCanvas;
}

namespace grid {

using platform::TShiftState;
using platform::Word;

enum class TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

// Scroll-bar commands, as the scroll bars deliver them.
enum class ScrollCode : std::uint8_t {
    LineUp,
    LineDown,
    PageUp,
    PageDown,
    ThumbPosition,
    ThumbTrack,
    Top,
    Bottom
};

struct ScrollBarState {
    int Min = 0;
    int Max = 0;
    int Position = 0;
    bool operator==(const ScrollBarState&) const = default;
};

// Geometry of one axis for the current client extent.
struct TGridAxisDrawInfo {
    int EffectiveLineWidth = 0;
    int FixedBoundary = 0;
    int GridBoundary = 0;
    int GridExtent = 0;
    int LastFullVisibleCell = 0;
    int FullVisBoundary = 0;
    int FixedCellCount = 0;
    int FirstGridCell = 0;
    int GridCellCount = 0;
    const std::vector<int>* Extents = nullptr; // empty = all default
    int DefaultExtent = 0;
    int extent(int index) const;
    // Smallest first scrollable index that still shows cell `last` fully.
    int firstShowing(int last) const;
};

struct TGridDrawInfo {
    TGridAxisDrawInfo Horz;
    TGridAxisDrawInfo Vert;
};

// Event types; the sender is the grid's QObject (nullptr for a grid without a widget).
using TNotifyEvent = std::function<void(QObject* Sender)>;
using TSelectCellEvent = std::function<void(QObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TDrawCellEvent =
    std::function<void(QObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State)>;
using TGetEditEvent = std::function<void(QObject* Sender, int ACol, int ARow, std::string& Value)>;
using TSetEditEvent =
    std::function<void(QObject* Sender, int ACol, int ARow, const std::string& Value)>;
using TMovedEvent = std::function<void(QObject* Sender, int FromIndex, int ToIndex)>;
using TKeyEvent = std::function<void(QObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(QObject* Sender, char32_t& Key)>;
using TMouseEvent =
    std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelUpDownEvent =
    std::function<void(QObject* Sender, TShiftState Shift, int X, int Y, bool& Handled)>;

// Every handler slot of the grid. GridControl derives from it, so the slots read as the
// grid's own members (grid.OnKeyDown = ...) and DetachHandlers() clears them all at once.
struct TGridEvents {
    TNotifyEvent OnClick, OnDblClick, OnEnter, OnExit, OnTopLeftChanged;
    TKeyEvent OnKeyDown, OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseWheelUpDownEvent OnMouseWheelDown, OnMouseWheelUp;
    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TGetEditEvent OnGetEditText;
    TSetEditEvent OnSetEditText;
    TMovedEvent OnColumnMoved, OnRowMoved;
};

// What a paint needs to know of the window the grid shows in.
struct GridViewState {
    bool active = false;      // the grid or its editor holds the keyboard focus
    bool gridFocused = false; // the grid window itself holds it
    TRect editorRect;         // where the in-place editor shows; empty while it is hidden
};

class GridControl : public TGridEvents {
public:
    GridControl();
    virtual ~GridControl();
    GridControl(const GridControl&) = delete;
    GridControl& operator=(const GridControl&) = delete;

    // ---- published properties (defaults as constructed)
    int ColCount() const { return colCount_; }
    void setColCount(int value);
    int RowCount() const { return rowCount_; }
    void setRowCount(int value);
    int FixedCols() const { return fixedCols_; }
    void setFixedCols(int value);
    int FixedRows() const { return fixedRows_; }
    void setFixedRows(int value);
    int DefaultColWidth() const { return colWidths_.defaultExtent(); }
    void setDefaultColWidth(int value);
    int DefaultRowHeight() const { return rowHeights_.defaultExtent(); }
    void setDefaultRowHeight(int value);
    int GridLineWidth() const { return gridLineWidth_; }
    void setGridLineWidth(int value);
    TGridOptions Options() const { return options_; }
    void setOptions(TGridOptions value);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void setScrollBars(TScrollStyle value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void setBorderStyle(TBorderStyle value);
    TColor Color() const { return color_; }
    void setColor(TColor value);
    TColor FixedColor() const { return fixedColor_; }
    void setFixedColor(TColor value);
    bool DefaultDrawing() const { return defaultDrawing_; }
    void setDefaultDrawing(bool value);
    const TFont& Font() const { return font_; }
    void setGridFont(const TFont& value);
    const TFont& TitleFont() const { return titleFont_; }
    void setTitleFont(const TFont& value);
    TColor TitleColor() const { return titleColor_; }
    void setTitleColor(TColor value);
    bool Title3D() const { return title3D_; }
    void setTitle3D(bool value);
    TColor LineColor() const { return lineColor_; }
    void setLineColor(TColor value);
    TGridColumns& Columns() { return *columns_; }
    const TGridColumns& Columns() const { return *columns_; }
    void setColumns(const TGridColumns& value);
    bool Modifed() const { return modifed_; }
    void setModifed(bool value) { modifed_ = value; }
    TColor EditColor() const { return editColor_; }
    void setEditColor(TColor value);
    int VisibleColCount() const;
    int VisibleRowCount() const;
    // Levels of the title row, from the captions (laid out with the columns).
    int TitleLevels() const { return titleLevels_; }
    bool TabStop() const { return tabStop_; }
    void setTabStop(bool value) { tabStop_ = value; }

    // ---- cells, extents, colours
    std::string Cells(int col, int row) const { return cells_.text(col, row); }
    const std::string& cellText(int col, int row) const { return cells_.textRef(col, row); }
    void setCells(int col, int row, std::string_view text);
    void* CellObject(int col, int row) const { return cells_.object(col, row); }
    void setCellObject(int col, int row, void* object);
    int ColWidths(int index) const;
    void setColWidths(int index, int value);
    int RowHeights(int index) const;
    void setRowHeights(int index, int value);
    TRect CellBounds(int col, int row) const;
    // On-screen rectangle of the visible part of a cell range; empty when none shows.
    TRect gridRectToScreen(const TGridRect& cells) const;
    TColor RowColor(int row) const;
    void setRowColor(int row, TColor color);
    bool hasRowColor(int row) const { return rowColors_.count(row) != 0; }
    // A short note on a row, empty by default: the row's tool tip, and what a screen reader
    // reads as the description of its cells. Notes travel with their rows.
    std::string RowHint(int row) const;
    void setRowHint(int row, std::string text);
    const CellStore& cellStore() const { return cells_; }
    // Views of one column / one row, created on first use and owned by the grid.
    TAdvStringGridStrings& ColumnTexts(int col);
    TAdvStringGridStrings& RowTexts(int row);
    // Update block of the views: cell repaints are collected until the outermost end.
    void beginCellUpdate() { ++cellUpdateDepth_; }
    void endCellUpdate();

    // ---- current cell and view
    int Col() const { return current_.X; }
    void setCol(int value);
    int Row() const { return current_.Y; }
    void setRow(int value);
    TGridCoord Anchor() const { return anchor_; }
    TGridRect Selection() const;
    int LeftCol() const { return topLeft_.X; }
    int TopRow() const { return topLeft_.Y; }
    void SetFirstVisible(int col, int row);
    bool EditorActive() const { return editorActive_; }
    void setEditorActive(bool value);
    int EditorCol() const { return editorCol_; }
    int EditorRow() const { return editorRow_; }
    TGridMouseMode MouseMode() const { return mouseMode_; }
    int SizingPos() const { return sizingPos_; }
    int MovePos() const { return movePos_; }
    int MoveIndex() const { return moveIndex_; }

    void FocusCellAt(int col, int row, bool moveAnchor);
    void MoveCurrentCell(int col, int row, bool moveAnchor, bool show);
    bool CanSelectCell(int col, int row);
    void ScrollIntoView(int col, int row);
    void MoveAnchor(int col, int row);

    // ---- row and column operations
    void InsertRow(int index);
    void AppendRow();
    void DeleteRow(int row);
    void ChangeGridSize(int newColCount, int newRowCount);
    void MoveColumnTo(int from, int to);
    void MoveRowTo(int from, int to);
    void RemoveColumnAt(int col);
    void RemoveRowAt(int row);

    // ---- editor protocol
    bool CanShowEditor() const;
    void SyncEditor();
    void CommitEditorText();
    void CommitAndHideEditor();
    void ReloadEditor();
    void OpenEditor();
    void CloseEditor();
    std::string EditTextFor(int col, int row);
    void StoreEditText(int col, int row, const std::string& text);
    // Where the editor goes for the current cell: its bounds, one pixel narrower on the left
    // at the grid's left edge.
    TRect EditorBounds() const;

    // ---- input (the widget feeds its phases here)
    // Grid key-down handling: OnKeyDown, then the movement table and the hidden-column bounce.
    void KeyDown(Word& key, TShiftState shift);
    // Grid key-press handling: OnKeyPress, the Enter toggle / Right move, column limits.
    void KeyPress(char32_t& key);
    void KeyUp(Word& key, TShiftState shift);
    // The editor's key-down rules; leaves key non-zero when the edit control handles it.
    void EditorKeyDown(Word& key, TShiftState shift);
    // Characters typed in the editor; leaves key non-zero when the edit control types it.
    void EditorKeyPress(char32_t& key);
    // A character for the editor: its key-press rules, then the edit control types what is
    // left of it.
    void EditorCharacter(char32_t key);
    // A character typed while the grid itself has the focus: with goEditing a printable
    // character or Backspace opens the editor and is re-delivered there as a message of its
    // own; any other goes through the grid's KeyPress.
    void GridCharacter(char32_t key);
    // Whether a key-down belongs to the grid: Enter only while it edits (otherwise a dialog's
    // default button takes it).
    bool ClaimsKey(Word key) const;

    void MouseDown(TMouseButton button, TShiftState shift, int x, int y, bool doubleClick);
    void MouseMove(TShiftState shift, int x, int y);
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void TimerTick();
    void CancelMouseMode();
    // Returns true (the wheel always counts as handled).
    bool MouseWheel(bool down, TShiftState shift, int x, int y);
    // The grid window gained the focus (OnEnter unless it came from the editor).
    void FocusGained(bool fromEditor);
    void FocusLost(bool toEditor);
    // The editor gained the focus (OnEnter unless it came from the grid).
    void EditorFocusGained(bool fromGrid);
    // A double click in the editor (OnDblClick).
    void EditorDoubleClicked();
    void Exited();

    // Which mode and index a press at (x, y) would start; Idle when none.
    struct SizingHit {
        TGridMouseMode mode = TGridMouseMode::Idle;
        int index = -1;
        int pos = 0;
        int offset = 0;
    };
    SizingHit HitSizingZone(int x, int y, const TGridDrawInfo& info) const;
    TGridCoord MouseCoord(int x, int y) const;

    // ---- geometry and scrolling
    void setClientSize(int width, int height);
    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    TGridDrawInfo CalcDrawInfo() const;
    TGridCoord MaxFirstVisible() const;
    ScrollBarState HorzScroll() const { return hScroll_; }
    ScrollBarState VertScroll() const { return vScroll_; }
    int ColOffset() const { return colOffset_; }
    void UpdateScrollRange();
    void ScrollCommand(bool vertical, ScrollCode code, int position = 0);

    // ---- painting
    // Paints the whole client area onto `canvas` (clipped by the canvas's clip region) as a
    // window in `view` shows it. Painting reads the grid and changes nothing.
    void draw(platform::TCanvas& canvas, const GridViewState& view) const;
    // A grid whose columns were never defined gets one column per ColCount (when it is first
    // shown), so that its texts and title cells show.
    void ensureColumns();
    // What the title tree is built from: each column's caption, title-row bounds, pixel
    // width and visibility.
    std::vector<TitleTree::ColumnInput> titleColumns() const;

    // ---- events
    // Clears every handler slot (TGridEvents).
    void DetachHandlers() { static_cast<TGridEvents&>(*this) = TGridEvents{}; }

    bool checkConsistency(std::string* why = nullptr) const;

protected:
    // The window that shows the control and its in-place editor (not owned; null: none).
    void setView(GridView* view) { view_ = view; }
    void setEditor(GridEditor* editor) { editor_ = editor; }

    // ---- the view and the editor (no-ops without them)
    QObject* eventSender() const { return view_ ? view_->eventSender() : nullptr; }
    bool windowExists() const { return view_ && view_->windowExists(); }
    bool isActiveControl() const { return view_ && view_->isActiveControl(); }
    bool takeFocus() { return view_ && view_->takeFocus(); }
    void invalidateRect(const TRect& rect) {
        if (view_)
            view_->invalidateRect(rect);
    }
    void invalidateGrid() {
        if (view_)
            view_->invalidateGrid();
    }
    void scrollContent(int dx, int dy, const TRect& area) {
        if (view_)
            view_->scrollContent(dx, dy, area);
    }
    void scrollBarsChanged() {
        if (view_)
            view_->scrollBarsChanged();
    }
    void scrollBarsStyleChanged() {
        if (view_)
            view_->scrollBarsStyleChanged();
    }
    void sizingLineChanged() {
        if (view_)
            view_->sizingLineChanged();
    }
    void startSelectTimer() {
        if (view_)
            view_->startSelectTimer();
    }
    void stopSelectTimer() {
        if (view_)
            view_->stopSelectTimer();
    }
    // A key-down as a message of its own: the view's, else handled in place, an exception
    // ending this message only.
    void sendKeyDown(Word key);
    // A character for the editor (EditorCharacter) as a message of its own, likewise.
    void sendEditorCharacter(char32_t key);
    void fontChanged() {
        if (view_)
            view_->fontChanged();
    }
    void currentCellChanged() {
        if (view_)
            view_->currentCellChanged();
    }
    QPaintDevice* measuringDevice() const { return view_ ? view_->measuringDevice() : nullptr; }

    bool editorExists() const { return editor_ && editor_->editorExists(); }
    void createEditor() {
        if (editor_)
            editor_->createEditor();
    }
    std::string editorText() const { return editor_ ? editor_->editorText() : std::string(); }
    void setEditorText(const std::string& text) {
        if (editor_)
            editor_->setEditorText(text);
    }
    bool editorModified() const { return editor_ && editor_->editorModified(); }
    void setEditorLimits(int maxBytes, bool readOnly) {
        if (editor_)
            editor_->setEditorLimits(maxBytes, readOnly);
    }
    void editorTypeCharacter(char32_t key) {
        if (editor_)
            editor_->editorTypeCharacter(key);
    }
    void editorSelectAll() {
        if (editor_)
            editor_->editorSelectAll();
    }
    void editorDeselect() {
        if (editor_)
            editor_->editorDeselect();
    }
    void editorSelection(int& start, int& end, int& length) const {
        start = end = length = 0;
        if (editor_)
            editor_->editorSelection(start, end, length);
    }
    void moveEditor(const TRect& rect, bool redraw) {
        if (editor_)
            editor_->moveEditor(rect, redraw);
    }
    void hideEditor() {
        if (editor_)
            editor_->hideEditor();
    }
    bool editorVisible() const { return editor_ && editor_->editorVisible(); }

    // Cell-update step: invalidate (or mark for repaint) and reload the editor when the
    // cell is the current one and no commit runs.
    void cellUpdated(int col, int row);
    void invalidateCell(int col, int row);
    void invalidateGridRect(const TGridRect& r);
    void invalidateSelectionChange(const TGridRect& oldSel);

    // Notifications.
    void ColumnMoved(int from, int to);
    void RowMoved(int from, int to);
    void ColWidthsChanged();
    void RowHeightsChanged();
    void TopLeftChanged();

    friend class TColumn;
    friend class TGridColumns;
    void columnCreated();
    void columnDestroyed(int remaining, int before);
    void columnsChanged();

private:
    GridView* view_ = nullptr;
    GridEditor* editor_ = nullptr;
    TRect boxRect(int col, int row) const;
    void resetPositions();
    void applyGridSize(int newColCount, int newRowCount);
    // Moves the colour entries of rows from..to by delta.
    void shiftRowColors(int from, int to, int delta);
    // Keeps the row notes on their rows: a row inserted at `index`, removed at `row`.
    void rowHintsInserted(int index);
    void rowHintsRemoved(int row);
    // The title levels from the captions and, with columns, the title row's height:
    // (TitleFont's text height + 6) x levels.
    void layoutTitle();
    void bounceHiddenColumn(Word key);
    void applyColumnLimits();
    void setMouseModeIdle();
    void scrollAxis(bool vertical, ScrollCode code, int position);

    // State, in the order the stored form lists it.
    TGridCoord anchor_{1, 1};
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
    int colCount_ = 5;
    GridExtents colWidths_{64};
    TGridCoord current_{1, 1};
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    TColor fixedColor_ = clBtnFace;
    int gridLineWidth_ = 1;
    TGridOptions options_ = kDefaultGridOptions;
    int rowCount_ = 5;
    GridExtents rowHeights_{24};
    TScrollStyle scrollBars_ = TScrollStyle::ssBoth;
    TGridCoord topLeft_{1, 1};
    int sizingIndex_ = -1;
    int sizingPos_ = 0;
    int sizingOffset_ = 0;
    int moveIndex_ = -1;
    int movePos_ = -1;
    int editorCol_ = -1;
    int editorRow_ = -1;
    int colOffset_ = 0; // horizontal pixel scroll, used only when ColCount is 1
    bool defaultDrawing_ = true;
    bool editorActive_ = false;
    TFont font_;
    TFont titleFont_;
    TColor titleColor_ = clBtnFace;
    bool title3D_ = true;
    TColor lineColor_ = clSilver;
    std::unique_ptr<TGridColumns> columns_;
    bool modifed_ = false;
    int titleLevels_ = 1;
    TColor editColor_ = clWhite;
    TGridMouseMode mouseMode_ = TGridMouseMode::Idle;
    TColor color_ = clWindow;
    bool tabStop_ = true;

    // String-grid state.
    std::map<int, TColor> rowColors_; // explicit entries; other rows read Color
    std::map<int, std::string> rowHints_;
    CellStore cells_;
    int editUpdate_ = 0; // > 0 while the editor's text is being stored
    bool layingOutTitle_ = false;
    int cellUpdateDepth_ = 0;   // open update blocks of the views
    bool needsRepaint_ = false; // a cell changed inside an update block
    std::map<int, std::unique_ptr<TAdvStringGridStrings>> columnViews_, rowViews_;
    int bounceDepth_ = 0; // nesting of hidden-column bounces
    int clientWidth_ = 325;
    int clientHeight_ = 125;
    ScrollBarState hScroll_;
    ScrollBarState vScroll_;
    TGridCoord selectCell_{-1, -1}; // last cell the drag selection reached
    TGridCoord lastMouse_{0, 0};    // last pointer position seen while a button is down
};

} // namespace grid
