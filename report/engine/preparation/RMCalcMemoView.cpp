#include "report/engine/model/RMCalcMemoView.h"

#include "platform/Gbk.h"
#include "report/engine/expressions/RMChineseNumerals.h"
#include "report/engine/expressions/RMDisplayFormat.h"
#include "report/engine/expressions/RMParser.h"
#include "report/engine/model/RMBand.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMTextScan.h"

#include <charconv>
#include <cmath>

namespace report {

using platform::Variant;

namespace {

// The default memo format (two decimals, "."): totals print up to eight decimals instead.
constexpr std::int32_t defaultMemoFormat = 558;

// Digits, at most one "." and at most one leading "-": anything else counts as 0.
bool isPlainNumber(std::string_view text) {
    if (text.empty())
        return false;
    bool point = false, digit = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '-' && i == 0)
            continue;
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9')
            return false;
        digit = true;
    }
    return digit;
}

std::string recordText(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

double recordValue(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// Bands whose totals stand above the rows they count: they record through the hooks of
// the data loop, not when they are output.
bool recordsThroughHooks(int bandType) {
    switch (bandType) {
    case rmbtReportTitle:
    case rmbtPageHeader:
    case rmbtMasterHeader:
    case rmbtMasterData:
    case rmbtDetailHeader:
    case rmbtDetailData:
    case rmbtSubDetailHeader:
    case rmbtColumnHeader:
    case rmbtGroupHeader:
        return true;
    default:
        return false;
    }
}

// Calls `fn(begin, end)` for each bracketed group of `line` ([begin, end) includes the
// brackets); an unclosed group runs to the end of the line.
template <typename Fn>
void forEachBracket(std::string_view line, Fn&& fn) {
    std::size_t pos = line.find('[');
    while (pos != std::string_view::npos) {
        std::size_t end = detail::matchGroup(line, pos, '[', ']');
        if (end == std::string_view::npos)
            end = line.size();
        fn(pos, end);
        pos = line.find('[', end);
    }
}

std::string_view bracketContent(std::string_view group) {
    group.remove_prefix(1);
    if (!group.empty() && group.back() == ']')
        group.remove_suffix(1);
    return group;
}

} // namespace

TRMCalcMemoView::TRMCalcMemoView() {
    ObjectType = gtCalcMemo;
    BaseName = "CalcMemo";
}

void TRMCalcMemoView::setTotalCalc(bool on) {
    setFlag(calcflag::TotalCalc, on);
    if (on)
        ResetAfterPrint = false;
}

void TRMCalcMemoView::setResetAfterPrint(bool on) {
    ResetAfterPrint = on && !TotalCalc();
}

bool TRMCalcMemoView::SetPropValue(std::string_view name, const Variant& value) {
    auto is = [&](std::string_view n) { return sameText(name, n); };
    if (is("DBCalcType"))
        DBCalcType = static_cast<std::uint8_t>(std::clamp(value.toInt(), 0, 5));
    else if (is("DataBand"))
        DataBand = value.toString();
    else if (is("Filter"))
        Filter = platform::trimBlanks(value.toString());
    else if (is("ResetAfterPrint"))
        setResetAfterPrint(value.toBool());
    else if (is("TotalCalc"))
        setTotalCalc(value.toBool());
    else if (is("CalcNoVisible"))
        setFlag(calcflag::CalcNoVisible, value.toBool());
    else if (is("IntalizeValue"))
        IntalizeValue = value.toString();
    else if (is("AggregateValue"))
        AggregateValue = value.toString();
    else if (is("OutBigNum"))
        setFlag2(calcflag::OutBigNum, value.toBool());
    else if (is("CalcValue")) {
        if (CurrentPass == Pass::Final || CurrentPass == Pass::Single)
            CurrentValue = value.toDouble();
    } else if (is("Count"))
        return true; // read-only
    else if (is("Stretched") || is("Wordwrap") || is("AutoWidth") || is("SaveValue") ||
             is("MasterMemoView"))
        return false;
    else
        return TRMMemoView::SetPropValue(name, value);
    return true;
}

bool TRMCalcMemoView::GetPropValue(std::string_view name, Variant& value) const {
    auto is = [&](std::string_view n) { return sameText(name, n); };
    if (is("DBCalcType"))
        value = static_cast<int>(DBCalcType);
    else if (is("DataBand"))
        value = DataBand;
    else if (is("Filter"))
        value = Filter;
    else if (is("ResetAfterPrint"))
        value = ResetAfterPrint;
    else if (is("TotalCalc"))
        value = TotalCalc();
    else if (is("CalcNoVisible"))
        value = flag(calcflag::CalcNoVisible);
    else if (is("IntalizeValue"))
        value = IntalizeValue;
    else if (is("AggregateValue"))
        value = AggregateValue;
    else if (is("OutBigNum"))
        value = flag2(calcflag::OutBigNum);
    else if (is("Count"))
        value = AvgCount;
    else if (is("CalcValue"))
        value = ShownValue();
    else if (is("Stretched") || is("Wordwrap") || is("AutoWidth") || is("SaveValue") ||
             is("MasterMemoView"))
        return false;
    else
        return TRMMemoView::GetPropValue(name, value);
    return true;
}

bool TRMCalcMemoView::DoMethod(std::string_view name, const std::vector<Variant>& args) {
    if (sameText(name, "RESET")) {
        Started = false;
        return true;
    }
    return TRMMemoView::DoMethod(name, args);
}

void TRMCalcMemoView::BuildStart(Pass pass) {
    CurrentPass = pass;
    ReplayIndex = 0;
    if (pass == Pass::Final)
        return;
    RecordedValues.clear();
    Filter = platform::trimBlanks(Filter);
    CountedExpression.clear();
    if (Memo.empty())
        return;
    forEachBracket(Memo.front(), [&](std::size_t begin, std::size_t end) {
        if (!CountedExpression.empty())
            return;
        std::int32_t code = 0;
        std::string format;
        const std::string expression = TRMReport::splitInlineFormat(
            bracketContent(std::string_view(Memo.front()).substr(begin, end - begin)), code,
            format);
        if (!platform::trimBlanks(expression).empty())
            CountedExpression = "[" + expression + "]";
    });
}

double TRMCalcMemoView::evaluateNumber(TRMReport& report, const std::string& expression) {
    TRMView* saved = report.CurrentView;
    report.CurrentView = this;
    const Variant value = report.Evaluate(expression);
    report.CurrentView = saved;
    return value.isEmptyOrNull() ? 0.0 : value.toDouble();
}

void TRMCalcMemoView::CountRow(TRMReport& report, const TRMBand& band) {
    if (band.View == nullptr || band.View->Name != DataBand)
        return;
    if (report.State.BlankRowMode) {
        if (!Started) {
            Started = true;
            CurrentValue = 0;
        }
        return;
    }
    if (!Started) {
        switch (DBCalcType) {
        case rmdcAvg:
            AvgSum = 0;
            AvgCount = 0;
            CurrentValue = 0;
            break;
        case rmdcMax:
            CurrentValue = kNoMaximum;
            break;
        case rmdcMin:
            CurrentValue = kNoMinimum;
            break;
        case rmdcUser:
            CurrentValue = evaluateNumber(report, IntalizeValue);
            break;
        default:
            CurrentValue = 0;
            break;
        }
        Started = true;
    }
    if (!band.visible() && !flag(calcflag::CalcNoVisible))
        return;
    if (!Filter.empty() && evaluateNumber(report, Filter) == 0)
        return;

    double x = 0;
    if (DBCalcType != rmdcCount) {
        TRMView* saved = report.CurrentView;
        report.CurrentView = this;
        const Variant value =
            CountedExpression.size() > 2
                ? report.ResolveName(platform::trimBlanks(bracketContent(CountedExpression)))
                : Variant();
        report.CurrentView = saved;
        if (value.isString()) {
            const std::string text = platform::trimBlanks(value.stringValue());
            x = text.empty() ? 0.0 : textToFloat(text);
        } else if (!value.isEmptyOrNull()) {
            x = value.toDouble();
        }
        if (!isPlainNumber(platform::trimBlanks(valueText(value))))
            x = 0;
    }
    switch (DBCalcType) {
    case rmdcSum:
        CurrentValue += x;
        break;
    case rmdcCount:
        CurrentValue += 1;
        break;
    case rmdcAvg:
        AvgSum += x;
        ++AvgCount;
        CurrentValue = AvgSum / AvgCount;
        break;
    case rmdcMax:
        CurrentValue = std::max(CurrentValue, x);
        break;
    case rmdcMin:
        CurrentValue = std::min(CurrentValue, x);
        break;
    case rmdcUser:
        CurrentValue = evaluateNumber(report, AggregateValue);
        break;
    default:
        break;
    }
    Started = true;
}

double TRMCalcMemoView::ShownValue() const {
    if (Repeating)
        return LastShown;
    if (ReplayIndex < RecordedValues.size())
        return recordValue(RecordedValues[ReplayIndex]);
    return CurrentValue;
}

void TRMCalcMemoView::Record() {
    if (TotalCalc()) {
        if (RecordedValues.empty()) {
            RecordedValues.push_back(recordText(CurrentValue));
            ReplayIndex = 1;
        } else {
            RecordedValues.front() = recordText(CurrentValue);
        }
        return;
    }
    RecordedValues.push_back(recordText(CurrentValue));
    ++ReplayIndex;
}

void TRMCalcMemoView::FirstPassOutput(int bandType) {
    if (Repeating)
        return;
    LastShown = CurrentValue;
    if (ResetAfterPrint)
        Started = false;
    if (!recordsThroughHooks(bandType))
        Record();
}

std::string TRMCalcMemoView::formatShown(double value, std::string_view inlineFormat) const {
    if ((value == 0 && flag(flag::HideZeros)) || NothingCounted(value))
        return {};
    std::string text;
    if (!inlineFormat.empty()) {
        std::int32_t code = DisplayFormat;
        std::string format = DisplayFormatText;
        TRMReport::splitInlineFormat(inlineFormat, code, format);
        text = formatValue(Variant(value), code, format);
    } else if (DisplayFormat == defaultMemoFormat) {
        text = formatFloat("0.########", value);
    } else {
        text = formatValue(Variant(value), DisplayFormat, DisplayFormatText);
    }
    if (flag2(calcflag::OutBigNum)) {
        const double amount = std::round(textToFloat(text) * 10000.0) / 10000.0;
        text = CurrToBigNum(amount);
    }
    return text;
}

void TRMCalcMemoView::ExpandMemo(TRMReport&) {
    Memo1.clear();
    std::string line = Memo.empty() ? std::string() : Memo.front();
    const double value = ShownValue();
    std::string out;
    std::size_t done = 0;
    bool anyBracket = false;
    forEachBracket(line, [&](std::size_t begin, std::size_t end) {
        anyBracket = true;
        out.append(line, done, begin - done);
        const std::string_view content =
            bracketContent(std::string_view(line).substr(begin, end - begin));
        const std::size_t hash = content.find(" #");
        out += formatShown(value, hash == std::string_view::npos ? std::string_view()
                                                                 : content.substr(hash));
        done = end;
    });
    if (anyBracket) {
        out.append(line, done, std::string::npos);
        line = std::move(out);
    } else if (DBCalcType == rmdcCount || DBCalcType == rmdcUser) {
        if (value == 0 && flag(flag::HideZeros))
            line.clear();
        else
            line += formatShown(value, {});
    }
    Memo1.push_back(std::move(line));
}

bool TRMCalcMemoView::PrintToStream(TRMReport& report, RMStream& stream) {
    const double shown = ShownValue();
    const bool written = TRMMemoView::PrintToStream(report, stream);
    if (Repeating)
        return written;
    LastShown = shown;
    CurrentValue = shown;
    if (CurrentPass == Pass::Final && !TotalCalc())
        ++ReplayIndex;
    if (ResetAfterPrint)
        Started = false;
    return written;
}

void TRMCalcMemoView::saveExtra(RMStream& stream) const {
    TRMMemoView::saveExtra(stream);
    stream.writeByte(1);
    stream.writeBool(ResetAfterPrint);
    stream.writeByte(DBCalcType);
    stream.writeString(DataBand);
    stream.writeString(platform::trimBlanks(Filter));
    stream.writeString(IntalizeValue);
    stream.writeString(AggregateValue);
}

void TRMCalcMemoView::loadExtra(RMStream& stream) {
    TRMMemoView::loadExtra(stream);
    stream.readByte(); // record version
    ResetAfterPrint = stream.readBool();
    DBCalcType = stream.readByte();
    DataBand = stream.readString();
    Filter = platform::trimBlanks(stream.readString());
    IntalizeValue = stream.readString();
    AggregateValue = stream.readString();
}

} // namespace report
