// Printing one band: the band events and scripts, its height, placing it at the current
// line or its fixed place, band columns.
#include "report/engine/preparation/RMBandPrinter.h"

#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/preparation/RMBuildState.h"
#include "report/engine/preparation/RMPageBreaks.h"
#include "report/engine/preparation/RMTotals.h"
#include "report/engine/preparation/RMViewCast.h"

#include <algorithm>
#include <climits>

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
    return v.flag(flag::Stretched) && viewCast<const TRMStretcheable>(&v) != nullptr;
}

} // namespace

bool TRMBandPrinter::multiColumn(const TRMBand& b) const {
    return !state_.Collecting && b.Columns > 1 && b.NewColumnAfter == 1 && !isFixed(b.BandType);
}

int TRMBandPrinter::bandX(const TRMBand& b) const {
    if (!multiColumn(b))
        return state_.Run->CurX;
    return b.ColumnStartX + (b.ColumnWidth + b.ColumnGap) * (b.ColumnIndex - 1);
}

// ---------------------------------------------------------------- showing a band

void TRMBandPrinter::showBand(TRMBand* b, bool repeated) {
    if (b == nullptr || state_.Report->Terminated)
        return;
    TRMReport& r = *state_.Report;
    bool print = true;
    if (r.OnBeforePrintBand)
        r.OnBeforePrintBand(*b, print);
    if (!print)
        return;
    TRMBand* savedBand = state_.CurrentBand;
    state_.CurrentBand = b;
    b->CalcHeight = -1;
    b->Repeated = repeated;
    r.State.LineNo = b->RowNo;
    r.State.LineThough = b->LineThough;
    if (r.OnBeginBand)
        r.OnBeginBand(*b);
    if (!repeated && b->View != nullptr)
        steps_.runScript(b->View->OnBeforePrint, b->View);
    if (r.Terminated) {
        state_.CurrentBand = savedBand;
        b->Repeated = false;
        return;
    }
    for (; state_.ForcedPages > 0; --state_.ForcedPages)
        breaks_.newPage(b);
    for (; state_.ForcedColumns > 0; --state_.ForcedColumns)
        breaks_.newColumn(b);

    if (!b->visible()) {
        if (b->flag(bandflag::PrintChildIfInvisible))
            showBand(b->ChildBand);
        if (b->isDataBand())
            totals_.countRow(*b);
    } else if (b->View != nullptr || b->BandType == rmbtNone) {
        if (b->BandType == rmbtColumnHeader)
            state_.Run->ColumnTop = r.State.CurY;
        // A collected band is placed later: whether it fits is decided there.
        if (!isFixed(b->BandType) && b->BandType != rmbtColumnFooter &&
            !b->flag(bandflag::Breaked) && collect_ == nullptr) {
            if (r.State.CurY + neededHeight(*b) > r.State.PageBottom && !multiColumn(*b))
                breaks_.breakPage(*b);
        }
        placeBand(*b);
        showBand(b->ChildBand);
        if (!b->isDataBand() && b->BandType != rmbtGroupHeader && b->flag(bandflag::FormNewPage) &&
            b->visible())
            breaks_.newPage(b);
    }
    if (b->View != nullptr)
        steps_.runScript(b->View->OnAfterPrint, b->View);
    if (b->BandType != rmbtPageFooter || r.State.PageNo >= state_.Out.Count() - 1)
        totals_.resetFooter(*b);
    if (r.OnEndBand)
        r.OnEndBand(*b);
    b->Repeated = false;
    state_.CurrentBand = savedBand;
}

int TRMBandPrinter::bandHeight(TRMBand& b) {
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
int TRMBandPrinter::neededHeight(TRMBand& b) {
    int height = bandHeight(b);
    if (b.ChildBand != nullptr && b.ChildBand->visible() && b.ChildBand != &b)
        height += bandHeight(*b.ChildBand);
    for (TRMBand* f : b.Followers)
        if (f->visible())
            height += bandHeight(*f);
    return height;
}

// ---------------------------------------------------------------- band columns

void TRMBandPrinter::closeColumns() {
    if (openColumns_ == nullptr)
        return;
    TRMPrepareState& state = state_.Report->State;
    state.CurY = std::max(state.CurY, openColumns_->ColumnLineBottom);
    openColumns_->ColumnIndex = 1;
    openColumns_ = nullptr;
}

void TRMBandPrinter::placeBand(TRMBand& b) {
    TRMPrepareState& state = state_.Report->State;
    if (collect_ != nullptr) {
        const int height = b.flag(bandflag::Stretched) ? bandHeight(b) : b.dy;
        b.CalcHeight = height;
        collectBand(b, bandX(b), height);
        if (b.isDataBand())
            totals_.countRow(b);
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
        b.ColumnStartX = state_.Run->CurX;
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
        if (breaks_.needsBreak(b, height))
            breaks_.breakPage(b);
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
    if (!isPageFurniture(b.BandType) && !b.Repeated && !state_.InPageSetup)
        state_.FreshPage = false;
    const int pageBefore = state.PageNo;
    const int subBottom = printSubReports(b, x, y);
    if (b.isDataBand())
        totals_.countRow(b);
    state_.Run->LastBand = &b;
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
void TRMBandPrinter::nextBandColumn(TRMBand& b) {
    ++b.ColumnIndex;
    if (b.ColumnIndex <= b.HeaderColumns)
        return;
    b.HeaderColumns = b.ColumnIndex;
    TRMBand* header = b.HeaderBand;
    if (header == nullptr || !header->visible() || !header->flag(bandflag::RepeatHeader1))
        return;
    const int headerY = b.ColumnStartY - bandHeight(*header);
    if (headerY >= state_.Run->Top)
        writeBand(*header, bandX(b), headerY, bandHeight(*header), INT_MAX);
}

} // namespace report
