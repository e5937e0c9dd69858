#pragma once

// Calculated totals: a memo that prints an aggregate (sum, count, average, maximum,
// minimum or a template-defined one) over the rows of one data band. Preparation offers
// it every row of a master, detail or subdetail band; in a two-pass preparation the values
// reached in the first pass are recorded and replayed in the final pass, so a total placed
// above its rows (group header, page header) shows the total of those rows.

#include "report/engine/model/RMMemoView.h"

namespace report {

class TRMBand;

namespace calcflag {
inline constexpr std::uint16_t TotalCalc = 0x2000;     // grand total: shows the last recording
inline constexpr std::uint16_t CalcNoVisible = 0x4000; // rows count while the band is hidden
inline constexpr std::int32_t OutBigNum = 0x08;        // Flags2: capital Chinese amount
} // namespace calcflag

class TRMCalcMemoView : public TRMMemoView {
public:
    TRMCalcMemoView();
    std::string ClassName() const override { return "TRMCalcMemoView"; }
    std::unique_ptr<TRMView> clone() const override {
        return std::make_unique<TRMCalcMemoView>(*this);
    }
    bool SetPropValue(std::string_view name, const platform::Variant& value) override;
    bool GetPropValue(std::string_view name, platform::Variant& value) const override;
    // "RESET": the next counted row starts the aggregate again.
    bool DoMethod(std::string_view name, const std::vector<platform::Variant>& args) override;

    // One line from the first Memo line with every bracket replaced by the value shown.
    void ExpandMemo(TRMReport& report) override;
    // Writes the view, then takes the value shown as the current one, steps the replay
    // and starts again after the output when ResetAfterPrint is on.
    bool PrintToStream(TRMReport& report, RMStream& stream) override;

    bool TotalCalc() const { return flag(calcflag::TotalCalc); }
    // TotalCalc on turns ResetAfterPrint off; ResetAfterPrint cannot be on with TotalCalc.
    void setTotalCalc(bool on);
    void setResetAfterPrint(bool on);

    // --- preparation
    enum class Pass : std::uint8_t { None, First, Final, Single };
    // Build start: the counted expression and filter are taken and recordings dropped
    // (only the replay restarts in the final pass of a two-pass run).
    void BuildStart(Pass pass);
    // A row of `band` was shown (or skipped as hidden).
    void CountRow(TRMReport& report, const TRMBand& band);
    // The value printed now: the next recording while there is one, else the current value.
    double ShownValue() const;
    // First-pass output in a band of that type: nothing is written; resets and, outside
    // the bands that record through hooks, records.
    void FirstPassOutput(int bandType);
    // Records the current value (first pass).
    void Record();
    // While set, outputs repeat the value shown last (a header repeated after a page
    // break): they neither record, replay, nor start the aggregate again.
    bool Repeating = false;

    bool ResetAfterPrint = true;
    std::uint8_t DBCalcType = rmdcSum;
    std::string DataBand; // band-view name of the counted data band (compared exactly)
    std::string Filter;
    std::string IntalizeValue;  // start expression of a user aggregate
    std::string AggregateValue; // step expression of a user aggregate

    // Start values of a maximum and a minimum: while the value is still one of them no
    // row was counted, and the view prints nothing for it.
    static constexpr double kNoMaximum = -1e300;
    static constexpr double kNoMinimum = 1e300;
    bool NothingCounted(double value) const {
        return (DBCalcType == rmdcMax && value == kNoMaximum) ||
               (DBCalcType == rmdcMin && value == kNoMinimum);
    }

    double CurrentValue = 0;
    double AvgSum = 0;
    std::int32_t AvgCount = 0;
    bool Started = false;
    std::string CountedExpression; // "[...]" of the first bracket, inline format removed
    std::vector<std::string> RecordedValues;
    std::size_t ReplayIndex = 0;
    double LastShown = 0;
    Pass CurrentPass = Pass::None;

protected:
    void saveExtra(RMStream& stream) const override;
    void loadExtra(RMStream& stream) override;

private:
    double evaluateNumber(TRMReport& report, const std::string& expression);
    std::string formatShown(double value, std::string_view inlineFormat) const;
};

} // namespace report
