#pragma once

// The archive's row-editing workflow, without a window: the row flags, the row check and
// save, the add / insert / delete / refresh commands, the grid's key and select-cell rules,
// and what showing and closing the window check. It works on the grid control, the
// archive store and the message-box service; the window's handlers forward to it.
//
// The operations re-enter one another (a command sets Row, which runs the select-cell
// rule, which may check and save the row); they share the row flags, Records and the grid.
// Refusals cancel silently with platform::Abort(): the key, character or move is dropped
// and whatever caused it stops there.

#include "platform/Colors.h"
#include "platform/Keys.h"
#include "platform/WindowHandle.h"

#include <string>

namespace grid {
class GridControl;
}

namespace archive {

class TAcountUnitArchivesClass;

// What the workflow needs of its window.
class RowWorkflowSite {
public:
    virtual ~RowWorkflowSite() = default;
    // Whether the window shows: a change of row while it is hidden checks nothing.
    virtual bool windowShown() const = 0;
    // Owner of the blank-code refusal box.
    virtual platform::WindowHandle boxOwner() const = 0;
    // Gives the grid the keyboard focus.
    virtual void focusGrid() = 0;
};

class RowWorkflow {
public:
    RowWorkflow(grid::GridControl& grid, RowWorkflowSite& site);
    RowWorkflow(const RowWorkflow&) = delete;
    RowWorkflow& operator=(const RowWorkflow&) = delete;

    // The grid the workflow is written for: two columns (code, at most 4 bytes; name, at
    // most 150), one title row, always editing, the archive's colours and title font.
    static void configureGrid(grid::GridControl& grid);

    // After a successful start-up: the store (owned by the window) and whether the
    // operator may edit (unit type "00"). Makes the last row's name cell current and clears
    // the flags. Until then, and after detach(), the grid is read-only and nothing loads.
    void attach(TAcountUnitArchivesClass* store, bool mayEdit);
    void detach();
    bool mayEdit() const { return mayEdit_; }
    // False after a load that could not read the table (a failed query, a packet that does
    // not decode): the grid then shows one blank row, noted kLoadFailedHint, and nothing is
    // edited until a reload succeeds, so no edit can address a unit the grid no longer
    // shows.
    bool loaded() const { return !loadFailed_; }
    static constexpr const char* kLoadFailedHint =
        "核算单位档案没有读出：刷新（Ctrl+R）成功之前不能修改";
    TAcountUnitArchivesClass* store() const { return store_; }

    // Row flags: Adding / Inserting while the current row is a new row at the end / inside
    // the grid that is not yet stored; Deleted right after a row was removed, so the next
    // change of row skips the row check once.
    bool Adding = false;
    bool Inserting = false;
    bool Deleted = false;

    // Reloads the store and copies it into the grid (one blank row for an empty archive).
    void FillGrid();
    // Row check of the current row (`row` is always the current row): writes it when it
    // holds a code, refuses a blank code. False after a refusal (its message was shown).
    bool CheckRow(int row);
    // Writes the current row: adds a new one, or modifies a stored one that is Modifed.
    bool SaveRow();

    // The commands (tool bar and shortcuts).
    void addRow();
    void insertRow();
    void deleteRow();
    void refresh();

    // The grid's handlers.
    void keyDown(platform::Word& key, platform::TShiftState shift);
    void keyPress(char32_t& key);
    void selectCell(int col, int row, bool& canSelect);

    // Showing the window: reloads and makes the last row current, unless the current row
    // holds input that is not stored yet.
    void reloadOnShow();
    // Closing the window: unsaved input is written first. When it cannot be written the
    // operator is asked (kDiscardQuestion, Yes / No) whether to discard that change and
    // close; false when the operator stays.
    bool mayClose();
    static constexpr const char* kDiscardQuestion =
        "当前行的修改无法保存。\r\n放弃这一行的修改并退出吗？（选“否”留在这一行）";
    // True when the current row holds input that is not stored yet.
    bool hasUnsavedInput() const;
    // A new code was refused as a duplicate: the row is blanked and its code cell current.
    void clearRefusedRow();
    // The row whose check or write failed and that still holds input not stored, or -1. It
    // is tinted and carries the note kUnsavedHint until it is written, emptied or deleted.
    int unsavedRow() const { return unsavedRow_; }
    static constexpr const char* kUnsavedHint = "未保存：离开这一行时将再次保存";
    static constexpr platform::TColor kUnsavedColor = platform::RGB(255, 200, 200);

private:
    // The operator may edit now: an editing operator, and the rows were read.
    bool editable() const { return mayEdit_ && store_ && !loadFailed_; }
    // The grid shows one blank row (an empty or unreadable archive).
    void showBlankRow();
    // The current row's change is given up: a stored row shows its stored values again, a
    // row never stored leaves the grid.
    void discardCurrentRow();
    std::string codeAt(int row) const;
    std::string nameAt(int row) const;
    void clearFlags();
    // Marks the current row unsaved after a failed check (when it still holds input), or
    // clears the mark after a successful one.
    void showSaveResult(bool saved);
    // Row `row` left the grid (deleted, or a blank new row dropped): its mark went with it.
    void rowRemoved(int row);

    grid::GridControl& grid_;
    RowWorkflowSite& site_;
    TAcountUnitArchivesClass* store_ = nullptr;
    bool mayEdit_ = false;
    bool loadFailed_ = false;
    int unsavedRow_ = -1;
};

} // namespace archive
