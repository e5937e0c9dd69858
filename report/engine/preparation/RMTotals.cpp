// Totals of a build: aggregates counted per printed row and reset by their footers, and
// calculated memos counting, recording (first pass) and replaying (final pass).
#include "report/engine/preparation/RMTotals.h"

#include "report/engine/model/RMReport.h"
#include "report/engine/preparation/RMAggregates.h"
#include "report/engine/preparation/RMBuildState.h"

namespace report {

void TRMTotals::registerPages() {
    state_.Aggregates->clear();
    for (TRMPageRun& run : *state_.Runs)
        if (run.Bands)
            state_.Aggregates->registerPage(*run.Bands);
}

void TRMTotals::startBuild(TRMCalcMemoView::Pass pass) {
    for (TRMPageRun& run : *state_.Runs)
        if (run.Bands)
            for (TRMCalcMemoView* calc : run.Bands->CalcMemos)
                calc->BuildStart(pass);
}

void TRMTotals::countRow(TRMBand& b) {
    TRMReport& r = *state_.Report;
    if (!r.State.BlankRowMode)
        state_.Aggregates->countRow(r, b);
    if (state_.TwoPass && !state_.FirstPass)
        return; // the final pass replays what the first pass counted
    for (TRMCalcMemoView* calc : state_.dataBands().CalcMemos) {
        const TRMObject* saved = state_.CurrentObject;
        state_.CurrentObject = calc;
        calc->CountRow(r, b);
        state_.CurrentObject = saved;
    }
}

void TRMTotals::resetFooter(const TRMBand& b) {
    state_.Aggregates->resetFooter(b);
}

void TRMTotals::record(const TRMBand* b) {
    if (b == nullptr)
        return;
    for (TRMView* v : b->Objects)
        if (auto* calc = dynamic_cast<TRMCalcMemoView*>(v))
            calc->Record();
}

platform::Variant TRMTotals::value(const std::string& name,
                                   const std::vector<std::string>& args) const {
    if (state_.Aggregates == nullptr)
        return platform::Variant(0);
    return state_.Aggregates->value(state_.CurrentBand, name, args);
}

} // namespace report
