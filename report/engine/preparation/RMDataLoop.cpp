// The data loop of one level: records, group headers and footers with their breaks, the
// queue that keeps a master row back until its detail has rows, blank rows at the end of
// the data, and the data-source steps (a data source that fails to open counts as empty).
#include "platform/Abort.h"
#include "report/engine/expressions/RMDisplayFormat.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMDataset.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/preparation/RMPreparation.h"

#include <algorithm>

namespace report {

// ---------------------------------------------------------------- data sources

void TRMPreparation::dsFirst(TRMBand& b) {
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

bool TRMPreparation::dsEof(TRMBand& b) {
    if (b.DataSetBroken)
        return true;
    if (b.DataSet == nullptr)
        return b.VirtualRow > 0;
    return b.DataSet->Eof();
}

void TRMPreparation::dsNext(TRMBand& b) {
    if (b.DataSetBroken)
        return;
    if (b.DataSet == nullptr)
        ++b.VirtualRow;
    else
        b.DataSet->Next();
}

void TRMPreparation::dsPrior(TRMBand& b) {
    if (b.DataSetBroken)
        return;
    if (b.DataSet == nullptr)
        b.VirtualRow = std::max(0, b.VirtualRow - 1);
    else
        b.DataSet->Prior();
}

bool TRMPreparation::evaluateTrue(const std::string& condition, TRMObject* object) {
    const TRMObject* saved = currentObject_;
    currentObject_ = object;
    const platform::Variant v = report_->Evaluate(condition);
    currentObject_ = saved;
    if (v.isEmptyOrNull())
        return false;
    if (v.isString())
        return !v.stringValue().empty() && v.stringValue() != "0";
    return v.toDouble() != 0;
}

// ---------------------------------------------------------------- the queue

void TRMPreparation::queue(TRMBand* b) {
    if (b != nullptr)
        queue_.push_back(b);
}

bool TRMPreparation::printQueue(const TRMBand* watched) {
    std::vector<TRMBand*> bands;
    bands.swap(queue_);
    bool printed = false;
    for (TRMBand* b : bands) {
        if (b->View == nullptr)
            continue;
        printed = printed || b == watched;
        showBand(b);
    }
    return printed;
}

void TRMPreparation::queueGroupHeaders(TRMBand& data, std::size_t from) {
    for (std::size_t i = from; i < data.Groups.size(); ++i) {
        TRMBand& g = *data.Groups[i];
        ++g.RowNo;
        ++g.LineThough;
        const TRMObject* saved = currentObject_;
        currentObject_ = g.View;
        g.GroupValue =
            g.GroupCondition.empty() ? platform::Variant() : report_->Evaluate(g.GroupCondition);
        currentObject_ = saved;
        queue(&g);
    }
}

// Row counters of a band start again; its memos forget the value they printed last.
void TRMPreparation::resetBandRows(TRMBand& b, int rowNo) {
    b.RowNo = rowNo;
    b.LineThough = rowNo;
    b.RowCount = 1;
    for (TRMView* v : b.Objects)
        if (auto* memo = dynamic_cast<TRMMemoView*>(v))
            memo->LastValue.clear();
    forgetCrossMerges(b);
}

void TRMPreparation::recordCalcMemos(const TRMBand* b) {
    if (b == nullptr)
        return;
    for (TRMView* v : b->Objects)
        if (auto* calc = dynamic_cast<TRMCalcMemoView*>(v))
            calc->Record();
}

// ---------------------------------------------------------------- the data loop

void TRMPreparation::dataLoop(int level) {
    if (level > dataBands().deepestLevel())
        return;
    for (TRMBand* b = band(TRMPageBands::dataType(level)); b != nullptr && !report_->Terminated;
         b = b->Next)
        if (!b->IsFollower)
            loopBand(*b, level);
}

void TRMPreparation::loopBand(TRMBand& b, int level) {
    TRMPrepareState& state = report_->State;
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
        member_->Aggregates.resetFooter(*b.FooterBand);

    const bool deeper = level < dataBands().deepestLevel();
    bool groupBroke = false;
    bool extraBlankRow = false;
    // A record may add no page (a hidden band, a script moving the data source back), so
    // each one asks for a cancel.
    while (keepRunning()) {
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
            dataLoop(level + 1);
            state.BlankRowMode = savedMode;
            if (firstPass_)
                recordCalcMemos(&b);
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
                newPage(&b);
            }
        }
        if (printed) {
            ++state.CurrentRow;
            ++b.LineThough;
            ++b.RowNo;
            if (!atEnd && b.flag(bandflag::FormNewPage) && b.visible())
                newPage(&b);
        }
        if (atEnd) {
            // A footer that will not fit after the last row gets one more blank row first.
            if (!extraBlankRow && collect_ == nullptr && b.flag(bandflag::AutoAppendBlank) &&
                b.FooterBand != nullptr &&
                state.CurY + bandHeight(*b.FooterBand) > state.PageBottom) {
                extraBlankRow = true;
                const bool savedMode = state.BlankRowMode;
                state.BlankRowMode = true;
                showBand(&b);
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
            if (const TRMBand* summary = band(rmbtReportSummary))
                room += summary->dy;
        appendBlank(b, false, room, false);
    }
    if (level > 1 && firstPass_)
        recordCalcMemos(b.HeaderBand);
    showBand(b.FooterBand);
}

// Group check after stepping to the next record; true when a group broke.
bool TRMPreparation::checkGroups(TRMBand& b) {
    if (b.Groups.empty())
        return false;
    const bool atEnd = dsEof(b);
    const std::size_t n = b.Groups.size();
    for (std::size_t d = 0; d < n; ++d) {
        TRMBand& g = *b.Groups[d];
        const bool limit = g.LinesPerPage > 0;
        bool breaks = atEnd && d == 0;
        if (!atEnd) {
            const TRMObject* saved = currentObject_;
            currentObject_ = g.View;
            const platform::Variant now = g.GroupCondition.empty()
                                              ? platform::Variant()
                                              : report_->Evaluate(g.GroupCondition);
            currentObject_ = saved;
            breaks = valueText(now) != valueText(g.GroupValue) ||
                     now.isString() != g.GroupValue.isString() ||
                     (limit && g.RowCount > g.LinesPerPage);
        }
        if (!breaks)
            continue;
        g.RowCount = (!limit || g.RowCount > g.LinesPerPage) ? 1 : g.RowCount + 1;
        if (firstPass_)
            for (std::size_t i = d; i < n; ++i)
                recordCalcMemos(b.Groups[i]);
        if (b.flag(bandflag::AutoAppendBlank)) {
            int room = 0;
            for (std::size_t i = d; i < n; ++i)
                if (const TRMBand* f = b.Groups[i]->FooterBand)
                    room += f->dy;
            const int footerType = b.BandType + 1;
            if (const TRMBand* f = band(footerType))
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
            newPage(&g);
        queueGroupHeaders(b, d);
        b.RowNo = 0;
        b.RowCount = 1;
        return true;
    }
    return false;
}

} // namespace report
