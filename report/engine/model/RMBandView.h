#pragma once

// Design-time band: groups the views that print together.

#include "report/engine/model/RMView.h"

namespace report {

// The flags of band views, in the order the text form lists them.
std::span<const TRMFlagName> bandFlagNames();

class TRMBandView : public TRMView {
public:
    TRMBandView();
    std::string ClassName() const override { return "TRMBandView"; }
    std::unique_ptr<TRMView> clone() const override { return std::make_unique<TRMBandView>(*this); }
    bool SetPropValue(std::string_view name, const platform::Variant& value) override;
    bool GetPropValue(std::string_view name, platform::Variant& value) const override;
    // "FIRST", "NEXT", "PRIOR" and "MOVEBY"(n) move the band's data source while a report
    // is prepared (the loop goes on from where they leave it); "HIDE", "SHOW".
    bool DoMethod(std::string_view name, const std::vector<platform::Variant>& args) override;

    int bandType() const { return BandType & 0x7F; }
    void setBandType(int type) { BandType = static_cast<std::int16_t>(type & 0x7F); }
    // Setting RepeatHeader1 on a page-header or column-header band also sets RepeatHeader.
    void setBandFlag(std::uint16_t bit, bool on);
    bool bandFlag(std::uint16_t bit) const { return flag(bit); }

    // The display-format string and Tag slots carry band data.
    const std::string& DataSource() const { return DisplayFormatText; }
    const std::string& Condition() const { return DisplayFormatText; }
    const std::string& NewPageCondition() const { return Tag; }

    std::string ChildBand;
    std::string Master;
    std::int32_t Columns = 1;
    std::int32_t ColumnWidth = 200;
    std::int32_t ColumnGap = 20;
    std::int32_t NewColumnAfter = 1;
    std::uint16_t LinesPerPage = 0; // also GroupsPerPage; 0 = no limit
    std::uint8_t RangeBegin = rbDefault;
    std::uint8_t RangeEnd = reDefault;
    std::int32_t RangeEndCount = 0;

protected:
    void saveExtra(RMStream& stream) const override;
    void loadExtra(RMStream& stream) override;
};

} // namespace report
