// The data loop of one level: records, group headers and footers with their breaks, the
// queue that keeps a master row back until its detail has rows, blank rows at the end of
// the data, and the data-source steps (a data source that fails to open counts as empty).
#include "report/engine/preparation/RMDataLoop.h"

#include "platform/Abort.h"
#include "report/engine/expressions/RMDisplayFormat.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMDataset.h"
#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/preparation/RMBandPrinter.h"
#include "report/engine/preparation/RMBuildState.h"
#include "report/engine/preparation/RMPageBreaks.h"
#include "report/engine/preparation/RMTotals.h"

#include <algorithm>

namespace report {

// ---------------------------------------------------------------- data sources

void TRMDataLoop::dsFirst(TRMBand& b) {
    b.VirtualRow = 0;
    if (b.DataSet == nullptr || b.DataSetBroken)
        return;
    try {
        b.DataSet->First();
    } catch (const platform::EAbort&) {
        throw;
    } catch (const std::exception&) {
        b.DataSetBroken = true;
    }
}

bool TRMDataLoop::dsEof(TRMBand& b) {
    if (b.DataSetBroken)
        return true;
    if (b.DataSet == nullptr)
        return b.VirtualRow > 0;
    return b.DataSet->Eof();
}

void TRMDataLoop::dsNext(TRMBand& b) {
    if (b.DataSetBroken)
        return;
    if (b.DataSet == nullptr)
        ++b.VirtualRow;
    else
        b.DataSet->Next();
}

void TRMDataLoop::dsPrior(TRMBand& b) {
    if (b.DataSetBroken)
        return;
    if (b.DataSet == nullptr)
        b.VirtualRow = std::max(0, b.VirtualRow - 1);
    else
        b.DataSet->Prior();
}

bool TRMDataLoop::evaluateTrue(const std::string& condition, TRMObject* object) {
    const TRMObject* saved = state_.CurrentObject;
    state_.CurrentObject = object;
    const platform::Variant v = state_.Report->Evaluate(condition);
    state_.CurrentObject = saved;
    if (v.isEmptyOrNull())
        return false;
    if (v.isString())
        return !v.stringValue().empty() && v.stringValue() != "0";
    return v.toDouble() != 0;
}

// ---------------------------------------------------------------- the queue

void TRMDataLoop::queue(TRMBand* b) {
    if (b != nullptr)
        queue_.push_back(b);
}

bool TRMDataLoop::printQueue(const TRMBand* watched) {
    std::vector<TRMBand*> bands;
    bands.swap(queue_);
    bool printed = false;
    for (TRMBand* b : bands) {
        if (b->View == nullptr)
            continue;
        printed = printed || b == watched;
        printer_.showBand(b);
    }
    return printed;
}

void TRMDataLoop::queueGroupHeaders(TRMBand& data, std::size_t from) {
    for (std::size_t i = from; i < data.Groups.size(); ++i) {
        TRMBand& g = *data.Groups[i];
        ++g.RowNo;
        ++g.LineThough;
        const TRMObject* saved = state_.CurrentObject;
        state_.CurrentObject = g.View;
        g.GroupValue = g.GroupCondition.empty() ? platform::Variant()
                                                : state_.Report->Evaluate(g.GroupCondition);
        state_.CurrentObject = saved;
        queue(&g);
    }
}

// Row counters of a band start again; its memos forget the value they printed last.
void TRMDataLoop::resetBandRows(TRMBand& b, int rowNo) {
    b.RowNo = rowNo;
    b.LineThough = rowNo;
    b.RowCount = 1;
    for (TRMView* v : b.Objects)
        if (auto* memo = dynamic_cast<TRMMemoView*>(v))
            memo->LastValue.clear();
    printer_.forgetCrossMerges(b);
}

// ---------------------------------------------------------------- the data loop

void TRMDataLoop::run(int level) {
    if (level > state_.dataBands().deepestLevel())
        return;
    for (TRMBand* b = state_.band(TRMPageBands::dataType(level));
         b != nullptr && !state_.Report->Terminated; b = b->Next)
        if (!b->IsFollower)
            loopBand(*b, level);
}

void TRMDataLoop::loopBand(TRMBand& b, int level) {
    TRMPrepareState& state = state_.Report->State;
    dsFirst(b);
    resetBandRows(b, 1);
    for (TRMBand* g : b.Groups) {
        g->RowCount = 1;
        g->RowNo = 0;
        g->LineThough = 0;
    }
    const bool empty = dsEof(b);
    const bool blankWhenEmpty = b.flag(bandflag::PrintIfEmpty) && b.flag(bandflag::AutoAppendBlank);
    if (empty && !blankWhenEmpty)
        return;
    if (empty)
        state.BlankRowMode = true;
    queueGroupHeaders(b, 0);
    queue(b.HeaderBand);
    if (b.FooterBand != nullptr)
        totals_.resetFooter(*b.FooterBand);

    const bool deeper = level < state_.dataBands().deepestLevel();
    bool groupBroke = false;
    bool extraBlankRow = false;
    // A record may add no page (a hidden band, a script moving the data source back), so
    // each one asks for a cancel.
    while (steps_.keepRunning()) {
        queue(&b);
        for (TRMBand* f : b.Followers)
            queue(f);
        bool printed = false;
        if (b.flag(bandflag::PrintIfSubsetEmpty))
            printed = printQueue(&b);
        if (deeper) {
            const bool savedMode = state.BlankRowMode;
            state.BlankRowMode = false;
            const bool waiting = std::find(queue_.begin(), queue_.end(), &b) != queue_.end();
            run(level + 1);
            state.BlankRowMode = savedMode;
            if (state_.FirstPass)
                totals_.record(&b);
            const bool stillQueued = std::find(queue_.begin(), queue_.end(), &b) != queue_.end();
            if (stillQueued) {
                if (b.flag(bandflag::PrintIfSubsetEmpty)) {
                    printed = printQueue(&b);
                } else {
                    // Its detail was empty: the row is not printed.
                    std::erase(queue_, &b);
                    for (TRMBand* f : b.Followers)
                        std::erase(queue_, f);
                }
            } else if (waiting) {
                printed = true; // the detail printed it with its first row
            }
        } else {
            printed = printQueue(&b) || printed;
        }

        dsNext(b);
        groupBroke = checkGroups(b);
        const bool atEnd = dsEof(b);
        if (!groupBroke) {
            if (!atEnd)
                ++b.RowCount;
            if (!b.NewPageCondition.empty() && evaluateTrue(b.NewPageCondition, b.View)) {
                if (b.flag(bandflag::AutoAppendBlank))
                    appendBlank(b, true, b.FooterBand ? b.FooterBand->dy : 0, false);
                printQueue(nullptr);
                b.RowCount = 1;
                breaks_.newPage(&b);
            }
        }
        if (printed) {
            ++state.CurrentRow;
            ++b.LineThough;
            ++b.RowNo;
            if (!atEnd && b.flag(bandflag::FormNewPage) && b.visible())
                breaks_.newPage(&b);
        }
        if (atEnd) {
            // A footer that will not fit after the last row gets one more blank row first.
            if (!extraBlankRow && !state_.Collecting && b.flag(bandflag::AutoAppendBlank) &&
                b.FooterBand != nullptr &&
                state.CurY + printer_.bandHeight(*b.FooterBand) > state.PageBottom) {
                extraBlankRow = true;
                const bool savedMode = state.BlankRowMode;
                state.BlankRowMode = true;
                printer_.showBand(&b);
                ++b.RowNo;
                ++b.LineThough;
                state.BlankRowMode = savedMode;
            }
            break;
        }
    }
    state.BlankRowMode = false;
    if (!queue_.empty()) {
        queue_.clear();
        return;
    }
    if (!groupBroke && b.flag(bandflag::AutoAppendBlank)) {
        int room = b.FooterBand ? b.FooterBand->dy : 0;
        if (b.Next == nullptr)
            if (const TRMBand* summary = state_.band(rmbtReportSummary))
                room += summary->dy;
        appendBlank(b, false, room, false);
    }
    if (level > 1 && state_.FirstPass)
        totals_.record(b.HeaderBand);
    printer_.showBand(b.FooterBand);
}

// Group check after stepping to the next record; true when a group broke.
bool TRMDataLoop::checkGroups(TRMBand& b) {
    if (b.Groups.empty())
        return false;
    const bool atEnd = dsEof(b);
    const std::size_t n = b.Groups.size();
    for (std::size_t d = 0; d < n; ++d) {
        TRMBand& g = *b.Groups[d];
        const bool limit = g.LinesPerPage > 0;
        bool breaks = atEnd && d == 0;
        if (!atEnd) {
            const TRMObject* saved = state_.CurrentObject;
            state_.CurrentObject = g.View;
            const platform::Variant now = g.GroupCondition.empty()
                                              ? platform::Variant()
                                              : state_.Report->Evaluate(g.GroupCondition);
            state_.CurrentObject = saved;
            breaks = valueText(now) != valueText(g.GroupValue) ||
                     now.isString() != g.GroupValue.isString() ||
                     (limit && g.RowCount > g.LinesPerPage);
        }
        if (!breaks)
            continue;
        g.RowCount = (!limit || g.RowCount > g.LinesPerPage) ? 1 : g.RowCount + 1;
        if (state_.FirstPass)
            for (std::size_t i = d; i < n; ++i)
                totals_.record(b.Groups[i]);
        if (b.flag(bandflag::AutoAppendBlank)) {
            int room = 0;
            for (std::size_t i = d; i < n; ++i)
                if (const TRMBand* f = b.Groups[i]->FooterBand)
                    room += f->dy;
            const int footerType = b.BandType + 1;
            if (const TRMBand* f = state_.band(footerType))
                room += f->dy;
            appendBlank(b, true, room, true);
        }
        b.RowCount = 1;
        if (!atEnd)
            dsPrior(b); // the footers see the group's last record
        for (std::size_t i = n - 1; i > d; --i) {
            TRMBand& inner = *b.Groups[i];
            queue(inner.FooterBand);
            resetBandRows(inner, 0);
            if (inner.FooterBand != nullptr)
                resetBandRows(*inner.FooterBand, inner.FooterBand->RowNo);
        }
        queue(g.FooterBand);
        printQueue(nullptr);
        if (atEnd)
            return true;
        dsNext(b);
        if (g.flag(bandflag::FormNewPage) && g.visible())
            breaks_.newPage(&g);
        queueGroupHeaders(b, d);
        b.RowNo = 0;
        b.RowCount = 1;
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- blank rows

void TRMDataLoop::appendBlank(TRMBand& b, bool forced, int room, bool spaceCheck) {
    TRMPrepareState& state = state_.Report->State;
    if (!forced && !dsEof(b))
        return;
    if (!b.visible())
        return;
    const int lines = b.LinesPerPage;
    if (b.dy <= 0 && lines <= 0)
        return; // rows without height would never fill the page
    if (state_.Collecting) {
        // A collected page has no bottom: only LinesPerPage tells how many rows to add.
        if (lines <= 0)
            return;
        spaceCheck = false;
    }
    const bool savedMode = state.BlankRowMode;
    state.BlankRowMode = true;
    const TRMBand* columnFooter = state_.band(rmbtColumnFooter);
    const int footerHeight = columnFooter != nullptr ? columnFooter->dy : 0;
    room += footerHeight;
    const bool multi = printer_.multiColumn(b);
    const bool colFirst = b.flag(bandflag::PrintColFirst);
    auto mayAdd = [&](int needed) {
        if (state_.Report->Terminated)
            return false;
        if (state_.Collecting)
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
            const int pages = state_.Out.Count();
            if (lines > 0)
                ++b.RowCount;
            printer_.showBand(&b);
            ++b.RowNo;
            ++b.LineThough;
            if (state.CurY == before && state_.Out.Count() == pages && lines <= 0)
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
        breaks_.newPage(&b);
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
