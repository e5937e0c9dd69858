#pragma once

// The totals of a build: the aggregates (SUM, COUNT, AVG, MAX, MIN) of the report being
// built and its calculated memos. Printed rows count into them, footers reset them and, in
// a first pass, the calculated memos record what a header or footer stood for.

#include "platform/Variant.h"
#include "report/engine/model/RMCalcMemoView.h"

#include <string>
#include <vector>

namespace report {

class TRMBand;
struct TRMBuildState;

class TRMTotals {
public:
    explicit TRMTotals(TRMBuildState& state)
        : state_(state) {}

    // The bands of the report's template pages are built: the aggregates their footers
    // call register.
    void registerPages();
    // A build of the current report starts: its calculated memos start counting.
    void startBuild(TRMCalcMemoView::Pass pass);
    // A row of the data band `band` printed (or was counted while invisible).
    void countRow(TRMBand& band);
    // The band printed: the aggregates of a footer start again.
    void resetFooter(const TRMBand& band);
    // First pass: the calculated memos of `band` record their value.
    void record(const TRMBand* band);
    // SUM, COUNT, AVG, MAX, MIN of the band now printing.
    platform::Variant value(const std::string& name, const std::vector<std::string>& args) const;

private:
    TRMBuildState& state_;
};

} // namespace report
