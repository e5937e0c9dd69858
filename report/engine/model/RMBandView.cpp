#include "report/engine/model/RMBandView.h"

#include "report/engine/model/RMBand.h"
#include "report/engine/model/RMDBDataSet.h"
#include "report/engine/model/RMNumbers.h"

#include <algorithm>

namespace report {

TRMBandView::TRMBandView() {
    ObjectType = gtBand;
    BaseName = "Band";
    Flags = bandflag::OnFirstPage | bandflag::OnLastPage | bandflag::PrintColFirst;
    DisplayFormat = 0;
}

bool TRMBandView::DoMethod(std::string_view name, const std::vector<platform::Variant>& args) {
    const bool first = sameText(name, "FIRST"), next = sameText(name, "NEXT"),
               prior = sameText(name, "PRIOR"), moveBy = sameText(name, "MOVEBY");
    if (!first && !next && !prior && !moveBy)
        return TRMView::DoMethod(name, args);
    int distance = next ? 1 : prior ? -1 : 0;
    if (moveBy && !args.empty() && !args[0].isEmpty())
        distance = clampedWhole<int>(args[0].toDouble(), -0x7FFFFFFF, 0x7FFFFFFF);
    TRMBand* band = ParentBand; // a band view's own band while preparing
    if (band == nullptr || band->DataSetBroken)
        return true;
    TRMDataset* data = band->DataSet;
    if (data == nullptr) { // one record without a data source
        band->VirtualRow =
            first ? 0 : static_cast<int>(std::clamp<long long>(band->VirtualRow + distance, 0, 1));
        return true;
    }
    auto* db = dynamic_cast<TRMDBDataSet*>(data);
    if (first) {
        data->First();
    } else if (moveBy && db != nullptr) {
        db->MoveBy(distance);
    } else {
        for (; distance > 0 && !data->Eof(); --distance)
            data->Next();
        for (; distance < 0 && data->RecordNo() > 0; ++distance)
            data->Prior();
    }
    return true;
}

void TRMBandView::setBandFlag(std::uint16_t bit, bool on) {
    setFlag(bit, on);
    if (bit == bandflag::RepeatHeader1 && on &&
        (bandType() == rmbtPageHeader || bandType() == rmbtColumnHeader))
        setFlag(bandflag::RepeatHeader, true);
}

void TRMBandView::saveExtra(RMStream& stream) const {
    stream.writeString(ChildBand);
    stream.writeInt32(ColumnGap);
    stream.writeInt32(Columns);
    stream.writeInt32(ColumnWidth);
    stream.writeString(Master);
    stream.writeUInt16(LinesPerPage);
    stream.writeByte(RangeBegin);
    stream.writeByte(RangeEnd);
    stream.writeInt32(RangeEndCount);
}

void TRMBandView::loadExtra(RMStream& stream) {
    ChildBand = stream.readString();
    ColumnGap = stream.readGeometry();
    Columns = stream.readInt32();
    ColumnWidth = stream.readGeometry();
    Master = stream.readString();
    LinesPerPage = stream.readUInt16();
    RangeBegin = stream.readByte();
    RangeEnd = stream.readByte();
    RangeEndCount = stream.readInt32();
}

namespace {

constexpr TRMFlagName kBandFlagNames[] = {
    {"Stretched", bandflag::Stretched},
    {"FormNewPage", bandflag::FormNewPage},
    {"PrintIfSubsetEmpty", bandflag::PrintIfSubsetEmpty},
    {"Breaked", bandflag::Breaked},
    {"OnFirstPage", bandflag::OnFirstPage},
    {"OnLastPage", bandflag::OnLastPage},
    {"RepeatHeader", bandflag::RepeatHeader},
    {"PrintChildIfInvisible", bandflag::PrintChildIfInvisible},
    {"AutoAppendBlank", bandflag::AutoAppendBlank},
    {"AdjustColumns", bandflag::AdjustColumns},
    {"PrintColFirst", bandflag::PrintColFirst},
    {"RepeatHeader1", bandflag::RepeatHeader1},
    {"PrintIfEmpty", bandflag::PrintIfEmpty},
    {"PrintAtDesignPos", bandflag::PrintAtDesignPos},
};

} // namespace

std::span<const TRMFlagName> bandFlagNames() {
    return kBandFlagNames;
}

bool TRMBandView::SetPropValue(std::string_view name, const platform::Variant& value) {
    auto is = [&](std::string_view n) { return sameText(name, n); };
    for (const TRMFlagName& f : kBandFlagNames) {
        if (is(f.name)) {
            setBandFlag(f.bit, value.toBool());
            return true;
        }
    }
    if (is("BandType"))
        setBandType(value.toInt());
    else if (is("DataSource") || is("DataSet") || is("Condition") || is("GroupCondition"))
        DisplayFormatText = value.toString();
    else if (is("NewPageCondition"))
        Tag = value.toString();
    else if (is("ChildBand"))
        ChildBand = value.toString();
    else if (is("Master"))
        Master = value.toString();
    else if (is("Columns"))
        Columns = value.toInt();
    else if (is("ColumnWidth"))
        ColumnWidth = value.toInt();
    else if (is("ColumnGap"))
        ColumnGap = value.toInt();
    else if (is("NewColumnAfter"))
        NewColumnAfter = value.toInt();
    else if (is("LinesPerPage") || is("GroupsPerPage"))
        LinesPerPage = static_cast<std::uint16_t>(value.toInt());
    else if (is("RangeBegin"))
        RangeBegin = static_cast<std::uint8_t>(value.toInt());
    else if (is("RangeEnd"))
        RangeEnd = static_cast<std::uint8_t>(value.toInt());
    else if (is("RangeEndCount"))
        RangeEndCount = value.toInt();
    else
        return TRMView::SetPropValue(name, value);
    return true;
}

bool TRMBandView::GetPropValue(std::string_view name, platform::Variant& value) const {
    auto is = [&](std::string_view n) { return sameText(name, n); };
    for (const TRMFlagName& f : kBandFlagNames) {
        if (is(f.name)) {
            value = flag(f.bit);
            return true;
        }
    }
    if (is("BandType"))
        value = bandType();
    else if (is("DataSource") || is("DataSet") || is("Condition") || is("GroupCondition"))
        value = DisplayFormatText;
    else if (is("NewPageCondition"))
        value = Tag;
    else if (is("ChildBand"))
        value = ChildBand;
    else if (is("Master"))
        value = Master;
    else if (is("Columns"))
        value = Columns;
    else if (is("ColumnWidth"))
        value = ColumnWidth;
    else if (is("ColumnGap"))
        value = ColumnGap;
    else if (is("NewColumnAfter"))
        value = NewColumnAfter;
    else if (is("LinesPerPage") || is("GroupsPerPage"))
        value = static_cast<int>(LinesPerPage);
    else if (is("RangeBegin"))
        value = static_cast<int>(RangeBegin);
    else if (is("RangeEnd"))
        value = static_cast<int>(RangeEnd);
    else if (is("RangeEndCount"))
        value = RangeEndCount;
    else
        return TRMView::GetPropValue(name, value);
    return true;
}

} // namespace report
