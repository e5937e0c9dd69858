#include "archive/RowWorkflow.h"

#include "archive/NextCode.h"
#include "archive/TAcountUnitArchivesClass.h"
#include "grid/GridControl.h"
#include "platform/Abort.h"
#include "platform/Gbk.h"
#include "platform/MessageBox.h"

namespace archive {
namespace {

// One blank for an empty text, else the text trimmed of blanks and controls at both ends.
std::string trimOrBlank(const std::string& text) {
    return text.empty() ? std::string(" ") : platform::trimBlanks(text);
}

bool isBlank(const std::string& text) {
    return platform::trimBlanks(text).empty();
}

} // namespace

RowWorkflow::RowWorkflow(grid::GridControl& grid, RowWorkflowSite& site)
    : grid_(grid)
    , site_(site) {}

void RowWorkflow::configureGrid(grid::GridControl& g) {
    using namespace grid;
    g.setBorderStyle(TBorderStyle::bsNone);
    g.setColor(0xDEFEFB);
    g.Columns().Add().setTitleCaption("核算单位编码");
    g.Columns()[0].setWidth(4);
    g.Columns().Add().setTitleCaption("核算单位名称");
    g.Columns()[1].setWidth(150);
    g.setColCount(2);
    g.setRowCount(2);
    g.setFixedCols(0);
    g.setFixedRows(1);
    g.setDefaultRowHeight(18);
    g.setOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
                  goColSizing, goEditing, goAlwaysShowEditor});
    g.setScrollBars(TScrollStyle::ssVertical);
    TFont title;
    title.Name = "MS Sans Serif";
    title.Height = -11;
    title.Charset = 1; // DEFAULT_CHARSET
    title.Color = clWindow;
    g.setTitleFont(title);
    g.setTitleColor(clGreen);
    g.setTitle3D(false);
    g.setLineColor(clGreen);
    g.setModifed(false);
    g.setColWidths(0, 137);
    g.setColWidths(1, 155);
    g.setRowHeights(0, 19);
    g.setRowHeights(1, 18);
}

void RowWorkflow::attach(TAcountUnitArchivesClass* store, bool mayEdit) {
    store_ = store;
    mayEdit_ = mayEdit;
    grid_.setRow(grid_.RowCount() - 1);
    grid_.setCol(1);
    clearFlags();
}

void RowWorkflow::detach() {
    store_ = nullptr;
}

void RowWorkflow::clearFlags() {
    Adding = false;
    Inserting = false;
    Deleted = false;
}

std::string RowWorkflow::codeAt(int row) const {
    return grid_.Cells(0, row);
}

std::string RowWorkflow::nameAt(int row) const {
    return grid_.Cells(1, row);
}

void RowWorkflow::FillGrid() {
    if (!store_)
        return;           // start-up stopped early: nothing to load
    showSaveResult(true); // the rows are read again from the table
    store_->Records.Clear();
    // Rows that are no longer Records never stay on screen, whatever the load does; until
    // the rows are in, nothing edits.
    loadFailed_ = true;
    showBlankRow();
    bool read = false;
    try {
        read = store_->LoadRecords();
    } catch (const platform::EAbort&) {
        throw;
    } catch (const std::exception& e) {
        platform::MessageBox(site_.boxOwner(),
                             std::string("取核算单位档案时发生异常，数据无法读取：") + e.what(),
                             "错误", platform::MB_OK | platform::MB_ICONERROR);
    }
    if (!read) {
        store_->Records.Clear();
        grid_.setRowHint(1, kLoadFailedHint);
        return;
    }
    loadFailed_ = false;
    grid_.setRowHint(1, {});
    const std::size_t n = store_->Records.Count();
    if (n == 0)
        return; // an empty archive: the one blank row
    grid_.setRowCount(static_cast<int>(n) + 1);
    for (std::size_t i = 0; i < n; ++i) {
        const TAcountUnitArchivesRecord& r = store_->Records.Items(i);
        grid_.setCells(0, static_cast<int>(i) + 1, r.Hsdwh);
        grid_.setCells(1, static_cast<int>(i) + 1, platform::trimBlanks(r.Hsdwmc));
    }
}

void RowWorkflow::showBlankRow() {
    grid_.setRowCount(2);
    grid_.setCells(0, 1, "");
    grid_.setCells(1, 1, "");
}

bool RowWorkflow::CheckRow(int row) {
    if (store_ && store_->Records.empty())
        Adding = true;
    if (!isBlank(codeAt(row))) {
        const bool saved = SaveRow();
        showSaveResult(saved);
        return saved;
    }
    if (grid_.RowCount() > 1) {
        platform::MessageBox(site_.boxOwner(), "核算单位编号不能为空!", "错误",
                             platform::MB_OK | platform::MB_ICONERROR);
        showSaveResult(false);
        return false;
    }
    return true;
}

void RowWorkflow::showSaveResult(bool saved) {
    if (unsavedRow_ >= grid_.FixedRows() && unsavedRow_ < grid_.RowCount()) {
        grid_.setRowColor(unsavedRow_, grid_.Color());
        grid_.setRowHint(unsavedRow_, {});
    }
    unsavedRow_ = -1;
    if (!saved && hasUnsavedInput()) {
        // Nothing typed is thrown away: the row stays as typed, visibly not stored, and the
        // next time the operator leaves it the write is tried again.
        unsavedRow_ = grid_.Row();
        grid_.setRowColor(unsavedRow_, kUnsavedColor);
        grid_.setRowHint(unsavedRow_, kUnsavedHint);
    }
}

void RowWorkflow::rowRemoved(int row) {
    if (unsavedRow_ == row)
        unsavedRow_ = -1;
    else if (unsavedRow_ > row)
        --unsavedRow_;
}

bool RowWorkflow::SaveRow() {
    if (!editable())
        return true;
    const int row = grid_.Row();
    TAcountUnitArchivesRecords& records = store_->Records;
    const TAcountUnitArchivesRecord values{trimOrBlank(codeAt(row)), trimOrBlank(nameAt(row))};
    const std::size_t index = static_cast<std::size_t>(row - 1);

    if (!Adding && !Inserting && index >= records.Count()) {
        // The row right after the stored ones is a new row; anything further out is not a
        // row of this list (never written).
        if (index > records.Count())
            return true;
        Adding = true;
    }

    if (Adding || Inserting) {
        if (!store_->AddRecord(values))
            return false;
        TAcountUnitArchivesRecord& added =
            Inserting && index <= records.Count() ? records.Insert(index) : records.Add();
        added = values;
        Adding = false;
        Inserting = false;
        return true;
    }
    if (!grid_.Modifed())
        return true;
    TAcountUnitArchivesRecord& current = records.Items(index);
    if (!store_->ModifyRecord(values, current)) {
        // A duplicate gets its stored code back; a write the database could not do keeps
        // everything typed, still unsaved, for the next try.
        if (store_->refusedDuplicate())
            grid_.setCells(0, row, current.Hsdwh);
        return false;
    }
    current = values;
    grid_.setModifed(false);
    return true;
}

void RowWorkflow::addRow() {
    if (!editable() || !CheckRow(grid_.Row()))
        return;
    grid_.AppendRow();
    // The grid keeps the texts of rows a shorter reload cut off; a new row starts blank.
    const int added = grid_.RowCount() - 1;
    grid_.setCells(0, added, "");
    grid_.setCells(1, added, "");
    grid_.setCol(0);
    Adding = true;
    Deleted = false;
}

void RowWorkflow::insertRow() {
    if (!editable() || !CheckRow(grid_.Row()))
        return;
    grid_.InsertRow(grid_.Row());
    grid_.setCol(0);
    Inserting = true;
    Deleted = false;
}

void RowWorkflow::deleteRow() {
    if (!editable())
        return;
    const int row = grid_.Row();
    if (Inserting || Adding) {
        Inserting = false;
        Adding = false;
        Deleted = true;
        grid_.DeleteRow(row);
        rowRemoved(row);
        grid_.setModifed(false);
        return;
    }
    TAcountUnitArchivesRecords& records = store_->Records;
    if (row < 1 || records.Count() < static_cast<std::size_t>(row))
        return;
    // The stored code names the unit: a code typed over but not yet saved must not delete
    // another unit.
    const std::size_t index = static_cast<std::size_t>(row - 1);
    if (!store_->DeleteRecord(records.Items(index).Hsdwh))
        return;
    Deleted = true;
    records.Delete(index);
    grid_.DeleteRow(row);
    rowRemoved(row);
    grid_.setModifed(false); // what was typed went with the row
}

void RowWorkflow::refresh() {
    if (!editable()) {
        FillGrid();
        clearFlags();
    } else {
        const int row = grid_.Row();
        const bool codeBlank = isBlank(codeAt(row));
        const bool nameBlank = isBlank(nameAt(row));
        if (!codeBlank) {
            if (!CheckRow(row))
                return; // refused with its message; moving now would only repeat it
            FillGrid();
        } else if (!nameBlank) {
            CheckRow(row); // refuses the blank code
            return;
        } else {
            FillGrid();
            clearFlags();
        }
    }
    grid_.setRow(grid_.RowCount() - 1);
    grid_.setCol(1);
}

void RowWorkflow::keyDown(platform::Word& key, platform::TShiftState) {
    if (!editable()) {
        if (key == platform::VK_BACK || key == platform::VK_DELETE)
            platform::Abort();
        return;
    }
    const int row = grid_.Row();
    if (key == platform::VK_RETURN) {
        if (grid_.Col() == 0 && row >= 2 && isBlank(codeAt(row)) && (Adding || Inserting)) {
            if (std::optional<std::string> next = nextCode(codeAt(row - 1)))
                grid_.setCells(0, row, *next);
        }
    } else if (key == platform::VK_DOWN) {
        if ((!isBlank(codeAt(row)) || !isBlank(nameAt(row))) && row == grid_.RowCount() - 1)
            addRow();
    }
}

void RowWorkflow::keyPress(char32_t& key) {
    if (!editable()) {
        if (key != 13)
            platform::Abort();
        return;
    }
    if (grid_.Col() == 0 && !(key >= U'0' && key <= U'9') && key != 8 && key != 13)
        platform::Abort();
    const int row = grid_.Row();
    if (key == 13 && !isBlank(codeAt(row)) && grid_.Col() == grid_.ColCount() - 1) {
        if (row == grid_.RowCount() - 1) {
            addRow();
            grid_.setCol(grid_.FixedCols());
            platform::Abort();
        }
        if (CheckRow(row)) {
            grid_.setRow(row + 1);
            grid_.setCol(grid_.FixedCols());
            platform::Abort();
        }
    }
}

void RowWorkflow::selectCell(int, int targetRow, bool&) {
    if (!editable() || !site_.windowShown())
        return;
    const int row = grid_.Row();
    // A move within the row, or the current row no longer exists (the grid shrank under it).
    if (targetRow == row || row >= grid_.RowCount())
        return;
    const bool lastRow = row == grid_.RowCount() - 1;
    const bool storedRow = !Adding && !Inserting && row >= 1 &&
                           static_cast<std::size_t>(row) <= store_->Records.Count();
    if (lastRow && !storedRow && isBlank(codeAt(row)) && isBlank(nameAt(row))) {
        // A blank new row goes away silently when the operator leaves it.
        Adding = false;
        Inserting = false;
        Deleted = true;
        grid_.DeleteRow(row);
        rowRemoved(row);
        grid_.setModifed(false);
        return;
    }
    // The move right after a delete skips the check, unless the operator has typed in the
    // row since: that input would be left in the grid unsaved.
    if ((Deleted && !grid_.Modifed()) || CheckRow(row)) {
        Deleted = false;
        return;
    }
    platform::Abort();
}

void RowWorkflow::reloadOnShow() {
    // Shown again later (the host showing its window again): typed input that is not stored
    // yet is kept rather than reloaded away.
    if (hasUnsavedInput())
        return;
    FillGrid();
    clearFlags(); // a blank new row went with the reload
    grid_.setRow(grid_.RowCount() - 1);
    grid_.setCol(1);
}

bool RowWorkflow::mayClose() {
    if (!hasUnsavedInput() || CheckRow(grid_.Row()))
        return true;
    if (!hasUnsavedInput())
        return false; // a refused duplicate emptied the row: shown once, the next close goes
    // The row cannot be written (its message was shown): the operator chooses between
    // giving up this one change and staying to mend it, never kept in the window for good.
    if (platform::MessageBox(site_.boxOwner(), kDiscardQuestion, "提示",
                             platform::MB_YESNO | platform::MB_ICONQUESTION |
                                 platform::MB_DEFBUTTON2) != platform::IDYES)
        return false;
    discardCurrentRow();
    return true;
}

void RowWorkflow::discardCurrentRow() {
    const int row = grid_.Row();
    showSaveResult(true); // nothing unsaved is left
    TAcountUnitArchivesRecords& records = store_->Records;
    const std::size_t index = static_cast<std::size_t>(row - 1);
    if (!Adding && !Inserting && row >= 1 && index < records.Count()) {
        const TAcountUnitArchivesRecord& stored = records.Items(index);
        grid_.setCells(0, row, stored.Hsdwh);
        grid_.setCells(1, row, platform::trimBlanks(stored.Hsdwmc));
    } else {
        Adding = false;
        Inserting = false;
        Deleted = true;
        grid_.DeleteRow(row);
        rowRemoved(row);
    }
    grid_.setModifed(false);
}

bool RowWorkflow::hasUnsavedInput() const {
    if (!editable())
        return false;
    const int row = grid_.Row();
    if (Adding || Inserting)
        return !isBlank(codeAt(row)) || !isBlank(nameAt(row));
    return grid_.Modifed();
}

void RowWorkflow::clearRefusedRow() {
    grid_.setCells(1, grid_.Row(), "");
    grid_.setCells(0, grid_.Row(), "");
    site_.focusGrid();
    grid_.setCol(0);
}

} // namespace archive
