// Printing one band: the band events and scripts, its height, placing it at the current
// line, page and column breaks with repeated headers, band columns, blank rows.
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/preparation/RMPreparation.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace report {

namespace {

// Bands that stay where the page puts them and never move the current line.
bool isFixed(int type) {
    return type == rmbtOverlay || type == rmbtPageFooter || type == rmbtNone;
}

// Bands a new page starts with: printing them leaves the page as empty as it was.
bool isPageFurniture(int type) {
    return isFixed(type) || type == rmbtPageHeader || type == rmbtColumnHeader ||
           type == rmbtColumnFooter;
}

bool isStretchedView(const TRMView& v) {
    return dynamic_cast<const TRMStretcheable*>(&v) != nullptr && v.flag(flag::Stretched);
}

} // namespace

bool TRMPreparation::multiColumn(const TRMBand& b) const {
    return collect_ == nullptr && b.Columns > 1 && b.NewColumnAfter == 1 && !isFixed(b.BandType);
}

int TRMPreparation::bandX(const TRMBand& b) const {
    if (!multiColumn(b))
        return run_->CurX;
    return b.ColumnStartX + (b.ColumnWidth + b.ColumnGap) * (b.ColumnIndex - 1);
}

int TRMPreparation::columnFooterRoom() const {
    const TRMBand* footer = band(rmbtColumnFooter);
    if (summaryPrinting_ || footer == nullptr || !footer->visible())
        return 0;
    return footer->dy;
}

// ---------------------------------------------------------------- showing a band

void TRMPreparation::showBand(TRMBand* b, bool repeated) {
    if (b == nullptr || report_->Terminated)
        return;
    TRMReport& r = *report_;
    bool print = true;
    if (r.OnBeforePrintBand)
        r.OnBeforePrintBand(*b, print);
    if (!print)
        return;
    TRMBand* savedBand = currentBand_;
    currentBand_ = b;
    b->CalcHeight = -1;
    b->Repeated = repeated;
    r.State.LineNo = b->RowNo;
    r.State.LineThough = b->LineThough;
    if (r.OnBeginBand)
        r.OnBeginBand(*b);
    if (!repeated && b->View != nullptr)
        runScript(b->View->OnBeforePrint, b->View);
    if (r.Terminated) {
        currentBand_ = savedBand;
        b->Repeated = false;
        return;
    }
    for (; forcedPages_ > 0; --forcedPages_)
        newPage(b);
    for (; forcedColumns_ > 0; --forcedColumns_)
        newColumn(b);

    if (!b->visible()) {
        if (b->flag(bandflag::PrintChildIfInvisible))
            showBand(b->ChildBand);
        if (b->isDataBand())
            countRow(*b);
    } else if (b->View != nullptr || b->BandType == rmbtNone) {
        if (b->BandType == rmbtColumnHeader)
            run_->ColumnTop = r.State.CurY;
        // A collected band is placed later: whether it fits is decided there.
        if (!isFixed(b->BandType) && b->BandType != rmbtColumnFooter &&
            !b->flag(bandflag::Breaked) && collect_ == nullptr) {
            if (r.State.CurY + neededHeight(*b) > r.State.PageBottom && !multiColumn(*b))
                breakPage(*b);
        }
        placeBand(*b);
        showBand(b->ChildBand);
        if (!b->isDataBand() && b->BandType != rmbtGroupHeader && b->flag(bandflag::FormNewPage) &&
            b->visible())
            newPage(b);
    }
    if (b->View != nullptr)
        runScript(b->View->OnAfterPrint, b->View);
    if (b->BandType != rmbtPageFooter || r.State.PageNo >= out_.Count() - 1)
        member_->Aggregates.resetFooter(*b);
    if (r.OnEndBand)
        r.OnEndBand(*b);
    b->Repeated = false;
    currentBand_ = savedBand;
}

int TRMPreparation::bandHeight(TRMBand& b) {
    if (!b.flag(bandflag::Stretched))
        return b.dy;
    if (b.CalcHeight >= 0)
        return b.CalcHeight;
    int height = b.dy;
    for (TRMView* v : b.Objects)
        if (isStretchedView(*v))
            height = std::max(height, v->Top + measureView(*v, b));
    b.CalcHeight = height;
    return height;
}

// The band with the bands that must stay with it (its child, the data bands it prints with).
int TRMPreparation::neededHeight(TRMBand& b) {
    int height = bandHeight(b);
    if (b.ChildBand != nullptr && b.ChildBand->visible() && b.ChildBand != &b)
        height += bandHeight(*b.ChildBand);
    for (TRMBand* f : b.Followers)
        if (f->visible())
            height += bandHeight(*f);
    return height;
}

void TRMPreparation::countRow(TRMBand& b) {
    if (!report_->State.BlankRowMode)
        member_->Aggregates.countRow(*report_, b);
    if (twoPass_ && !firstPass_)
        return; // the final pass replays what the first pass counted
    for (TRMCalcMemoView* calc : dataBands().CalcMemos) {
        const TRMObject* saved = currentObject_;
        currentObject_ = calc;
        calc->CountRow(*report_, b);
        currentObject_ = saved;
    }
}

// ---------------------------------------------------------------- band columns

void TRMPreparation::closeColumns() {
    if (openColumns_ == nullptr)
        return;
    TRMPrepareState& state = report_->State;
    state.CurY = std::max(state.CurY, openColumns_->ColumnLineBottom);
    openColumns_->ColumnIndex = 1;
    openColumns_ = nullptr;
}

void TRMPreparation::placeBand(TRMBand& b) {
    TRMPrepareState& state = report_->State;
    if (collect_ != nullptr) {
        const int height = b.flag(bandflag::Stretched) ? bandHeight(b) : b.dy;
        b.CalcHeight = height;
        collectBand(b, bandX(b), height);
        if (b.isDataBand())
            countRow(b);
        return;
    }
    const bool fixed = isFixed(b.BandType);
    const bool multi = multiColumn(b);
    if (!fixed && openColumns_ != nullptr && openColumns_ != &b)
        closeColumns();
    if (multi && b.ColumnPage != state.PageNo) {
        b.ColumnPage = state.PageNo;
        b.ColumnIndex = 1;
        b.HeaderColumns = 1;
        b.ColumnStartX = run_->CurX;
        b.ColumnStartY = state.CurY;
        b.ColumnLineBottom = state.CurY;
    }
    const int height = b.flag(bandflag::Stretched) ? bandHeight(b) : b.dy;
    b.CalcHeight = height;
    auto lineY = [&] {
        if (b.BandType == rmbtPageFooter)
            return state.PageBottom;
        if (b.BandType == rmbtOverlay || b.BandType == rmbtNone)
            return b.y;
        if (b.PrintAtDesignPos && b.View != nullptr) {
            b.PrintAtDesignPos = false;
            return b.View->Top;
        }
        return state.CurY;
    };
    if (!fixed && !b.flag(bandflag::Breaked) &&
        (!multi || b.ColumnIndex == 1 || !b.flag(bandflag::PrintColFirst))) {
        if (needsBreak(b, height))
            breakPage(b);
    }
    int y = lineY();
    // Only a band that cannot fit on a page with nothing else on it gets here too low:
    // it is printed on this page, cut at the bottom limit.
    const int clip = !fixed && !b.flag(bandflag::Breaked) && y + height > state.PageBottom
                         ? state.PageBottom
                         : INT_MAX;
    const int x = bandX(b);
    b.PlacedY = y;
    if (b.flag(bandflag::Breaked))
        y = printSplit(b, x, y, height);
    else
        writeBand(b, x, y, height, clip);
    if (!b.CrossViews.empty())
        printCross(b, y, height);
    if (!isPageFurniture(b.BandType) && !b.Repeated && !inPageSetup_)
        freshPage_ = false;
    const int pageBefore = state.PageNo;
    const int subBottom = printSubReports(b, x, y);
    if (b.isDataBand())
        countRow(b);
    run_->LastBand = &b;
    if (fixed)
        return;
    if (!multi) {
        if (state.PageNo != pageBefore)
            state.CurY = subBottom;
        else if (!b.flag(bandflag::Breaked))
            state.CurY = std::max(y + height, subBottom);
        return;
    }
    // Band columns: across the line first, or down each column first.
    openColumns_ = &b;
    b.ColumnLineBottom = std::max(b.ColumnLineBottom, y + height);
    if (b.flag(bandflag::PrintColFirst)) {
        if (b.ColumnIndex == 1)
            b.ColumnLineBottom = y + height;
        if (b.ColumnIndex < b.Columns) {
            nextBandColumn(b);
            state.CurY = y;
        } else {
            b.ColumnIndex = 1;
            state.CurY = b.ColumnLineBottom;
        }
    } else {
        state.CurY = y + height;
    }
}

// The next band column on the same page, with the headers that repeat in every column.
void TRMPreparation::nextBandColumn(TRMBand& b) {
    ++b.ColumnIndex;
    if (b.ColumnIndex <= b.HeaderColumns)
        return;
    b.HeaderColumns = b.ColumnIndex;
    TRMBand* header = b.HeaderBand;
    if (header == nullptr || !header->visible() || !header->flag(bandflag::RepeatHeader1))
        return;
    const int headerY = b.ColumnStartY - bandHeight(*header);
    if (headerY >= run_->Top)
        writeBand(*header, bandX(b), headerY, bandHeight(*header), INT_MAX);
}

// ---------------------------------------------------------------- page and column breaks

bool TRMPreparation::needsBreak(TRMBand& b, int height) {
    if (b.BandType == rmbtColumnFooter)
        return false;
    if (b.LinesPerPage > 0 && b.NewColumnAfter == 1) {
        // 64-bit: both counts come from the template.
        const std::int64_t limit = b.flag(bandflag::PrintColFirst) && multiColumn(b)
                                       ? std::int64_t{b.LinesPerPage} * b.Columns
                                       : b.LinesPerPage;
        if (b.RowCount > limit)
            return true;
    }
    const TRMPrepareState& state = report_->State;
    return std::int64_t{state.CurY} + height + columnFooterRoom() > state.PageBottom;
}

void TRMPreparation::breakPage(TRMBand& b) {
    TRMPrepareState& state = report_->State;
    if (multiColumn(b) && !b.flag(bandflag::PrintColFirst) && b.ColumnIndex < b.Columns &&
        b.ColumnPage == state.PageNo) {
        b.ColumnLineBottom = std::max(b.ColumnLineBottom, state.CurY);
        nextBandColumn(b);
        state.CurY = b.ColumnStartY;
        b.RowCount = 1;
        return;
    }
    b.RowCount = 1;
    if (freshPage_)
        return; // nothing but headers on this page: a new one would not have more room
    closeColumns();
    if (run_->Column < run_->Page->columnCount() - 1)
        nextPageColumn();
    else
        newPageCore(&b);
    repeatHeaders(b);
    if (b.isDataBand() && b.flag(bandflag::PrintAtDesignPos))
        b.PrintAtDesignPos = true;
}

void TRMPreparation::newPage(TRMBand* cause) {
    if (freshPage_ || collect_ != nullptr)
        return; // a forced break on an empty page would only add empty pages; a collected
                // page has no pages of its own
    closeColumns();
    newPageCore(cause);
    if (cause != nullptr)
        repeatHeaders(*cause);
}

void TRMPreparation::newPageCore(TRMBand* cause) {
    TRMPrepareState& state = report_->State;
    progress();
    if (cause == nullptr || cause->BandType != rmbtColumnFooter)
        printColumnFooter();
    printPageFooters(false);
    addPage();
    run_->LastBand = nullptr;
    state.PageBottom = bottomLimit();
    run_->Column = 0;
    run_->CurX = run_->Left;
    inPageSetup_ = true;
    showBand(band(rmbtOverlay));
    showBand(band(rmbtNone));
    state.CurY = run_->Top;
    run_->ColumnTop = state.CurY;
    TRMBand* header = band(rmbtPageHeader);
    showBand(header);
    showBand(band(rmbtColumnHeader));
    inPageSetup_ = false;
    for (TRMBand* g = band(rmbtGroupHeader); g != nullptr; g = g->Next)
        g->RowCount = 1;
    for (const auto& owned : run_->Bands->all())
        if (owned->isDataBand())
            for (TRMView* v : owned->Objects)
                if (auto* memo = dynamic_cast<TRMMemoView*>(v);
                    memo && memo->flag(flag::MergeRepeated))
                    memo->LastValue.clear();
    freshPage_ = true;
}

void TRMPreparation::newColumn(TRMBand* cause) {
    if (collect_ != nullptr)
        return;
    const int columns = run_->Page->columnCount();
    if (run_->Column >= columns - 1) {
        newPage(cause);
        return;
    }
    closeColumns();
    nextPageColumn();
}

// The column footer; in the first pass the column header's totals record what they stood
// above.
void TRMPreparation::printColumnFooter() {
    if (firstPass_)
        recordCalcMemos(band(rmbtColumnHeader));
    showBand(band(rmbtColumnFooter));
}

// The next page column: this column's footer, then the next one's header at the column top.
void TRMPreparation::nextPageColumn() {
    printColumnFooter();
    ++run_->Column;
    run_->CurX += run_->ColumnWidth + run_->ColumnGap;
    report_->State.CurY = run_->ColumnTop;
    inPageSetup_ = true;
    showBand(band(rmbtColumnHeader));
    inPageSetup_ = false;
    freshPage_ = true;
}

// After a break: the group headers above the band that repeat, then its data header.
void TRMPreparation::repeatHeaders(TRMBand& b) {
    TRMBand* data = nullptr;
    std::size_t limit = 0;
    auto indexOf = [](const TRMBand* data, const TRMBand* g) {
        const auto it = std::find(data->Groups.begin(), data->Groups.end(), g);
        return static_cast<std::size_t>(it - data->Groups.begin());
    };
    if (b.isDataBand()) {
        data = &b;
        limit = b.Groups.size();
    } else if (b.BandType == rmbtGroupHeader && b.MasterBand != nullptr) {
        data = b.MasterBand;
        limit = indexOf(data, &b);
    } else if (b.BandType == rmbtGroupFooter && b.GroupBand && b.GroupBand->MasterBand) {
        data = b.GroupBand->MasterBand;
        limit = indexOf(data, b.GroupBand);
    }
    if (data == nullptr)
        return;
    const bool saved = inPageSetup_;
    inPageSetup_ = true;
    for (std::size_t i = 0; i < limit && i < data->Groups.size(); ++i)
        if (data->Groups[i]->flag(bandflag::RepeatHeader))
            showBand(data->Groups[i], true);
    if (b.isDataBand() && b.HeaderBand != nullptr &&
        (b.HeaderBand->flag(bandflag::RepeatHeader) || b.flag(bandflag::RepeatHeader)))
        showBand(b.HeaderBand, true);
    inPageSetup_ = saved;
}

// ---------------------------------------------------------------- blank rows

void TRMPreparation::appendBlank(TRMBand& b, bool forced, int room, bool spaceCheck) {
    TRMPrepareState& state = report_->State;
    if (!forced && !dsEof(b))
        return;
    if (!b.visible())
        return;
    const int lines = b.LinesPerPage;
    if (b.dy <= 0 && lines <= 0)
        return; // rows without height would never fill the page
    if (collect_ != nullptr) {
        // A collected page has no bottom: only LinesPerPage tells how many rows to add.
        if (lines <= 0)
            return;
        spaceCheck = false;
    }
    const bool savedMode = state.BlankRowMode;
    state.BlankRowMode = true;
    const TRMBand* columnFooter = band(rmbtColumnFooter);
    const int footerHeight = columnFooter != nullptr ? columnFooter->dy : 0;
    room += footerHeight;
    const bool multi = multiColumn(b);
    const bool colFirst = b.flag(bandflag::PrintColFirst);
    auto mayAdd = [&](int needed) {
        if (report_->Terminated)
            return false;
        if (collect_ != nullptr)
            return b.RowCount < lines;
        const bool notLastColumn = multi && !colFirst && b.ColumnIndex < b.Columns;
        if (lines > 0) {
            if (notLastColumn ? b.RowCount > lines
                              : b.RowCount >= (colFirst && multi ? lines * b.Columns : lines))
                return false;
        }
        if (multi && colFirst && b.flag(bandflag::AdjustColumns) && b.ColumnIndex == 1)
            return false;
        return notLastColumn || state.PageBottom - state.CurY >= needed;
    };
    auto addRows = [&](int needed) {
        for (int guard = 0; guard < 100000 && mayAdd(needed); ++guard) {
            const int before = state.CurY;
            const int pages = out_.Count();
            if (lines > 0)
                ++b.RowCount;
            showBand(&b);
            ++b.RowNo;
            ++b.LineThough;
            if (state.CurY == before && out_.Count() == pages && lines <= 0)
                break; // the row took no room
        }
    };
    const int needed = b.dy + room;
    if (spaceCheck && state.PageBottom - state.CurY < needed) {
        addRows(b.dy + b.dy + footerHeight);
        state.BlankRowMode = false;
        const bool atEnd = dsEof(b);
        if (!atEnd)
            dsPrior(b);
        newPage(&b);
        if (!atEnd)
            dsNext(b);
        state.BlankRowMode = true;
        addRows(needed);
    } else {
        addRows(needed);
    }
    state.BlankRowMode = savedMode;
}

} // namespace report
