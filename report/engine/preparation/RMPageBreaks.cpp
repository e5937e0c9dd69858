// Page and column breaks: new prepared pages and the bands they start with, page columns,
// column and page footers, and the headers that repeat after a break.
#include "report/engine/preparation/RMPageBreaks.h"

#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/preparation/RMBandPrinter.h"
#include "report/engine/preparation/RMBuildState.h"
#include "report/engine/preparation/RMTotals.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace report {

void TRMPageBreaks::restart() {
    packedPages_ = 0;
    footed_.clear();
}

// ---------------------------------------------------------------- pages

int TRMPageBreaks::bottomLimit() const {
    const TRMBand* footer = state_.band(rmbtPageFooter);
    return state_.Run->PaperBottom - (footer != nullptr && footer->visible() ? footer->dy : 0);
}

void TRMPageBreaks::addPage() {
    const int index = state_.Out.Count();
    if (top_.MaxPages > 0 && index >= top_.MaxPages) {
        // Stops every loop at its next check; the throw leaves the band being placed now.
        steps_.terminate();
        throw PageLimitReached("报表超过 " + std::to_string(top_.MaxPages) + " 页的上限");
    }
    state_.Out.AddPage(*state_.Run->Page);
    if (state_.Report != &top_ && state_.Report->OnBeginPage)
        state_.Report->OnBeginPage(index);
    TRMEMFPage* page = state_.Out[index];
    const int templateIndex = state_.Report->Pages.IndexOf(state_.Run->Page);
    page->TemplatePageNo = static_cast<std::uint8_t>(std::clamp(templateIndex + 1, 1, 255));
    state_.Report->State.PageNo = index;
    // Pages before the previous one are finished: keep them packed.
    for (; packedPages_ < index - 1; ++packedPages_)
        state_.Out[packedPages_]->Stream.pack();
    // In the last pass they are final: a print may draw them already.
    if (!(state_.TwoPass && state_.FirstPass))
        state_.Out.pagesFinal(packedPages_);
    state_.FreshPage = true;
}

int TRMPageBreaks::columnFooterRoom() const {
    const TRMBand* footer = state_.band(rmbtColumnFooter);
    if (state_.SummaryPrinting || footer == nullptr || !footer->visible())
        return 0;
    return footer->dy;
}

// ---------------------------------------------------------------- page and column breaks

bool TRMPageBreaks::needsBreak(TRMBand& b, int height) {
    if (b.BandType == rmbtColumnFooter)
        return false;
    if (b.LinesPerPage > 0 && b.NewColumnAfter == 1) {
        // 64-bit: both counts come from the template.
        const std::int64_t limit = b.flag(bandflag::PrintColFirst) && printer_.multiColumn(b)
                                       ? std::int64_t{b.LinesPerPage} * b.Columns
                                       : b.LinesPerPage;
        if (b.RowCount > limit)
            return true;
    }
    const TRMPrepareState& state = state_.Report->State;
    return std::int64_t{state.CurY} + height + columnFooterRoom() > state.PageBottom;
}

void TRMPageBreaks::breakPage(TRMBand& b) {
    TRMPrepareState& state = state_.Report->State;
    if (printer_.multiColumn(b) && !b.flag(bandflag::PrintColFirst) && b.ColumnIndex < b.Columns &&
        b.ColumnPage == state.PageNo) {
        b.ColumnLineBottom = std::max(b.ColumnLineBottom, state.CurY);
        printer_.nextBandColumn(b);
        state.CurY = b.ColumnStartY;
        b.RowCount = 1;
        return;
    }
    b.RowCount = 1;
    if (state_.FreshPage)
        return; // nothing but headers on this page: a new one would not have more room
    printer_.closeColumns();
    if (state_.Run->Column < state_.Run->Page->columnCount() - 1)
        nextPageColumn();
    else
        newPageCore(&b);
    repeatHeaders(b);
    if (b.isDataBand() && b.flag(bandflag::PrintAtDesignPos))
        b.PrintAtDesignPos = true;
}

void TRMPageBreaks::newPage(TRMBand* cause) {
    if (state_.FreshPage || state_.Collecting)
        return; // a forced break on an empty page would only add empty pages; a collected
                // page has no pages of its own
    printer_.closeColumns();
    newPageCore(cause);
    if (cause != nullptr)
        repeatHeaders(*cause);
}

void TRMPageBreaks::newPageCore(TRMBand* cause) {
    TRMPrepareState& state = state_.Report->State;
    steps_.progress();
    if (cause == nullptr || cause->BandType != rmbtColumnFooter)
        printColumnFooter();
    printPageFooters(false);
    addPage();
    state_.Run->LastBand = nullptr;
    state.PageBottom = bottomLimit();
    state_.Run->Column = 0;
    state_.Run->CurX = state_.Run->Left;
    state_.InPageSetup = true;
    printer_.showBand(state_.band(rmbtOverlay));
    printer_.showBand(state_.band(rmbtNone));
    state.CurY = state_.Run->Top;
    state_.Run->ColumnTop = state.CurY;
    TRMBand* header = state_.band(rmbtPageHeader);
    printer_.showBand(header);
    printer_.showBand(state_.band(rmbtColumnHeader));
    state_.InPageSetup = false;
    for (TRMBand* g = state_.band(rmbtGroupHeader); g != nullptr; g = g->Next)
        g->RowCount = 1;
    for (const auto& owned : state_.Run->Bands->all())
        if (owned->isDataBand())
            for (TRMView* v : owned->Objects)
                if (auto* memo = dynamic_cast<TRMMemoView*>(v);
                    memo && memo->flag(flag::MergeRepeated))
                    memo->LastValue.clear();
    state_.FreshPage = true;
}

void TRMPageBreaks::newColumn(TRMBand* cause) {
    if (state_.Collecting)
        return;
    const int columns = state_.Run->Page->columnCount();
    if (state_.Run->Column >= columns - 1) {
        newPage(cause);
        return;
    }
    printer_.closeColumns();
    nextPageColumn();
}

// The column footer; in the first pass the column header's totals record what they stood
// above.
void TRMPageBreaks::printColumnFooter() {
    if (state_.FirstPass)
        totals_.record(state_.band(rmbtColumnHeader));
    printer_.showBand(state_.band(rmbtColumnFooter));
}

// The next page column: this column's footer, then the next one's header at the column top.
void TRMPageBreaks::nextPageColumn() {
    printColumnFooter();
    ++state_.Run->Column;
    state_.Run->CurX += state_.Run->ColumnWidth + state_.Run->ColumnGap;
    state_.Report->State.CurY = state_.Run->ColumnTop;
    state_.InPageSetup = true;
    printer_.showBand(state_.band(rmbtColumnHeader));
    state_.InPageSetup = false;
    state_.FreshPage = true;
}

// After a break: the group headers above the band that repeat, then its data header.
void TRMPageBreaks::repeatHeaders(TRMBand& b) {
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
    const bool saved = state_.InPageSetup;
    state_.InPageSetup = true;
    for (std::size_t i = 0; i < limit && i < data->Groups.size(); ++i)
        if (data->Groups[i]->flag(bandflag::RepeatHeader))
            printer_.showBand(data->Groups[i], true);
    if (b.isDataBand() && b.HeaderBand != nullptr &&
        (b.HeaderBand->flag(bandflag::RepeatHeader) || b.flag(bandflag::RepeatHeader)))
        printer_.showBand(b.HeaderBand, true);
    state_.InPageSetup = saved;
}

void TRMPageBreaks::printPageFooters(bool finalForm) {
    TRMPrepareState& state = state_.Report->State;
    TRMBand* footer = state_.band(rmbtPageFooter);
    if (state_.FirstPass)
        totals_.record(state_.band(rmbtPageHeader));
    const int savedY = state.CurY;
    footed_.resize(static_cast<std::size_t>(state_.Out.Count()), false);
    for (int i = state.PageNo; i < state_.Out.Count(); ++i) {
        if (footed_[static_cast<std::size_t>(i)])
            continue;
        state.PageNo = i;
        const bool first = i == state_.Run->FirstPage;
        const bool wanted =
            footer != nullptr && (first ? footer->flag(bandflag::OnFirstPage)
                                        : (!finalForm || footer->flag(bandflag::OnLastPage)));
        // A page whose band set has no page footer can still get one from the next run.
        footed_[static_cast<std::size_t>(i)] = footer != nullptr;
        if (finalForm && !wanted)
            continue;
        if (state_.Report->OnEndPage)
            state_.Report->OnEndPage(i);
        if (wanted)
            printer_.showBand(footer);
    }
    state.CurY = savedY;
    state.PageNo = state_.Out.Count() > 0 ? state_.Out.Count() - 1 : 0;
    if (finalForm)
        state.PageNo = state_.Out.Count();
}

} // namespace report
