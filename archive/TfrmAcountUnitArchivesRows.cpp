// Row-editing workflow of the archive window: the row check and save, the add, insert,
// delete and refresh commands, and the grid's key and select-cell handlers.
//
// The handlers re-enter one another (a command sets Row, which runs the select-cell handler,
// which may check and save the row); they share the row flags, Records and the grid.
// Refusals cancel silently with platform::Abort(): the key, character or move is dropped and
// whatever caused it stops there.

#include "archive/NextCode.h"
#include "archive/TfrmAcountUnitArchives.h"
#include "grid/TAdvStringGrid.h"
#include "platform/Abort.h"
#include "platform/Gbk.h"
#include "platform/MessageBox.h"

namespace archive {
namespace {

// One blank for an empty text, else the text trimmed of blanks and controls at both ends.
std::string trimOrBlank(const std::string& text) {
    return text.empty() ? std::string(" ") : platform::trimBlanks(text);
}

} // namespace

std::string TfrmAcountUnitArchives::codeAt(int row) const {
    return sgdAcountUnitArchives->Cells(0, row);
}

std::string TfrmAcountUnitArchives::nameAt(int row) const {
    return sgdAcountUnitArchives->Cells(1, row);
}

bool TfrmAcountUnitArchives::isBlank(const std::string& text) const {
    return platform::trimBlanks(text).empty();
}

bool TfrmAcountUnitArchives::CheckRow(int row) {
    if (store_ && store_->Records.empty())
        Adding = true;
    if (!isBlank(codeAt(row)))
        return SaveRow();
    if (sgdAcountUnitArchives->RowCount() > 1) {
        platform::MessageBox(platform::handleOf(this), "核算单位编号不能为空!", "错误",
                             platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    return true;
}

bool TfrmAcountUnitArchives::SaveRow() {
    if (UnitType != "00" || !store_)
        return true;
    auto* g = sgdAcountUnitArchives;
    const int row = g->Row();
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
    if (!g->Modifed())
        return true;
    TAcountUnitArchivesRecord& current = records.Items(index);
    if (!store_->ModifyRecord(values, current)) {
        g->setCells(0, row, current.Hsdwh);
        return false;
    }
    current = values;
    g->setModifed(false);
    return true;
}

void TfrmAcountUnitArchives::btnAddClick() {
    if (UnitType != "00" || !CheckRow(sgdAcountUnitArchives->Row()))
        return;
    sgdAcountUnitArchives->AppendRow();
    sgdAcountUnitArchives->setCol(0);
    Adding = true;
    Deleted = false;
}

void TfrmAcountUnitArchives::btnInsertClick() {
    if (UnitType != "00" || !CheckRow(sgdAcountUnitArchives->Row()))
        return;
    sgdAcountUnitArchives->InsertRow(sgdAcountUnitArchives->Row());
    sgdAcountUnitArchives->setCol(0);
    Inserting = true;
    Deleted = false;
}

void TfrmAcountUnitArchives::btnDeleteClick() {
    if (UnitType != "00" || !store_)
        return;
    auto* g = sgdAcountUnitArchives;
    const int row = g->Row();
    if (Inserting || Adding) {
        Inserting = false;
        Adding = false;
        Deleted = true;
        g->DeleteRow(row);
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
    g->DeleteRow(row);
}

void TfrmAcountUnitArchives::btnRefreshClick() {
    auto* g = sgdAcountUnitArchives;
    if (UnitType != "00") {
        FillGrid();
    } else {
        const int row = g->Row();
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
            Adding = false;
            Inserting = false;
            Deleted = false;
        }
    }
    g->setRow(g->RowCount() - 1);
    g->setCol(1);
}

void TfrmAcountUnitArchives::sgdAcountUnitArchivesKeyDown(platform::Word& Key,
                                                          platform::TShiftState) {
    auto* g = sgdAcountUnitArchives;
    if (UnitType != "00") {
        if (Key == platform::VK_BACK || Key == platform::VK_DELETE)
            platform::Abort();
        return;
    }
    const int row = g->Row();
    if (Key == platform::VK_RETURN) {
        if (g->Col() == 0 && row >= 2 && isBlank(codeAt(row)) && (Adding || Inserting)) {
            if (std::optional<std::string> next = nextCode(codeAt(row - 1)))
                g->setCells(0, row, *next);
        }
    } else if (Key == platform::VK_DOWN) {
        if ((!isBlank(codeAt(row)) || !isBlank(nameAt(row))) && row == g->RowCount() - 1)
            btnAddClick();
    }
}

void TfrmAcountUnitArchives::sgdAcountUnitArchivesKeyPress(char32_t& Key) {
    auto* g = sgdAcountUnitArchives;
    if (UnitType != "00") {
        if (Key != 13)
            platform::Abort();
        return;
    }
    if (g->Col() == 0 && !(Key >= U'0' && Key <= U'9') && Key != 8 && Key != 13)
        platform::Abort();
    const int row = g->Row();
    if (Key == 13 && !isBlank(codeAt(row)) && g->Col() == g->ColCount() - 1) {
        if (row == g->RowCount() - 1) {
            btnAddClick();
            g->setCol(g->FixedCols());
            platform::Abort();
        }
        if (CheckRow(row)) {
            g->setRow(row + 1);
            g->setCol(g->FixedCols());
            platform::Abort();
        }
    }
}

void TfrmAcountUnitArchives::sgdAcountUnitArchivesSelectCell(int, int ARow, bool&) {
    auto* g = sgdAcountUnitArchives;
    if (UnitType != "00" || !isVisible() || !store_)
        return;
    const int row = g->Row();
    // A move within the row, or the current row no longer exists (the grid shrank under it).
    if (ARow == row || row >= g->RowCount())
        return;
    const bool lastRow = row == g->RowCount() - 1;
    const bool storedRow = !Adding && !Inserting && row >= 1 &&
                           static_cast<std::size_t>(row) <= store_->Records.Count();
    if (lastRow && !storedRow && isBlank(codeAt(row)) && isBlank(nameAt(row))) {
        // A blank new row goes away silently when the operator leaves it.
        Adding = false;
        Inserting = false;
        Deleted = true;
        g->DeleteRow(row);
        return;
    }
    if (Deleted || CheckRow(row)) {
        Deleted = false;
        return;
    }
    platform::Abort();
}

} // namespace archive
