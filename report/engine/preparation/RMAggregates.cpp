#include "report/engine/preparation/RMAggregates.h"

#include "platform/Gbk.h"
#include "report/engine/expressions/RMFunctionLibrary.h"
#include "report/engine/expressions/RMParser.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/preparation/RMBandBuilder.h"

#include <cmath>
#include <map>

namespace report {

using platform::Variant;

int aggregateCode(std::string_view name) {
    if (sameText(name, "SUM"))
        return TRMAggregates::Sum;
    if (sameText(name, "MAX"))
        return TRMAggregates::Max;
    if (sameText(name, "MIN"))
        return TRMAggregates::Min;
    if (sameText(name, "AVG"))
        return TRMAggregates::Avg;
    if (sameText(name, "COUNT"))
        return TRMAggregates::Count;
    return 0;
}

namespace {

bool isFooter(int type) {
    switch (type) {
    case rmbtMasterFooter:
    case rmbtDetailFooter:
    case rmbtSubDetailFooter:
    case rmbtGroupFooter:
    case rmbtPageFooter:
    case rmbtColumnFooter:
    case rmbtReportSummary:
        return true;
    default:
        return false;
    }
}

// The data band a footer's totals count over when the call names none.
const TRMBand* countedBand(const TRMPageBands& bands, const TRMBand& footer) {
    switch (footer.BandType) {
    case rmbtMasterFooter:
    case rmbtDetailFooter:
    case rmbtSubDetailFooter:
        return footer.DataBand;
    case rmbtGroupFooter:
        return footer.GroupBand ? footer.GroupBand->MasterBand : bands.head(rmbtMasterData);
    default:
        return bands.head(rmbtMasterData);
    }
}

struct Call {
    int code = 0;
    std::string expression, bandName;
    int flags = 0;
};

bool parseCall(std::string_view text, Call& call) {
    const std::size_t open = text.find('(');
    if (open == std::string_view::npos || text.back() != ')')
        return false;
    call.code = aggregateCode(platform::trimBlanks(text.substr(0, open)));
    if (call.code == 0)
        return false;
    std::vector<std::string> args;
    try {
        args = TRMParser::splitArguments(text.substr(open + 1, text.size() - open - 2));
    } catch (const EParserError&) {
        return false;
    }
    call.expression = platform::trimBlanks(args[0]);
    call.bandName = platform::trimBlanks(args[1]);
    if (call.bandName.size() >= 2 && call.bandName.front() == '\'' && call.bandName.back() == '\'')
        call.bandName = call.bandName.substr(1, call.bandName.size() - 2);
    const std::string flags = platform::trimBlanks(args[2]);
    call.flags = flags.empty() ? 0 : std::atoi(flags.c_str());
    return true;
}

double rowValue(const Variant& v) {
    if (v.isEmptyOrNull())
        return 0;
    if (v.isString()) {
        const std::string text = platform::trimBlanks(v.stringValue());
        return text.empty() ? 0.0 : textToFloat(text);
    }
    return v.toDouble();
}

} // namespace

void TRMAggregates::registerPage(const TRMPageBands& bands) {
    static const std::vector<std::string> names = {"SUM", "COUNT", "AVG", "MAX", "MIN"};
    for (const auto& owned : bands.all()) {
        const TRMBand& footer = *owned;
        if (!isFooter(footer.BandType))
            continue;
        TRMFunctionSplitter splitter(names, nullptr);
        auto scan = [&](const TRMStrings& lines) {
            for (const std::string& line : lines)
                splitter.Split(line);
        };
        if (footer.View != nullptr) {
            scan(footer.View->OnBeforePrint);
            scan(footer.View->OnAfterPrint);
        }
        for (const TRMView* v : footer.Objects) {
            scan(v->Memo);
            scan(v->OnBeforePrint);
            scan(v->OnAfterPrint);
        }
        for (const std::string& text : splitter.Result) {
            Call call;
            if (!parseCall(text, call))
                continue;
            const TRMBand* data =
                call.bandName.empty() ? countedBand(bands, footer) : bands.find(call.bandName);
            if (data == nullptr)
                continue;
            if (find(&footer, call.code, call.expression, call.bandName) != nullptr)
                continue;
            Item item{data, &footer, call.code, call.expression};
            item.running = (call.flags & 2) != 0;
            reset(item);
            items_.push_back(std::move(item));
        }
    }
}

void TRMAggregates::reset(Item& item) {
    item.sum = 0;
    item.rows = 0;
    item.extreme = 0;
}

void TRMAggregates::countRow(TRMReport& report, const TRMBand& dataBand) {
    // One evaluation per distinct expression and row.
    std::map<std::string, double> values;
    for (Item& item : items_) {
        if (item.data != &dataBand)
            continue;
        double x = 0;
        if (item.code != Count && !item.expression.empty()) {
            auto [it, fresh] = values.try_emplace(item.expression, 0.0);
            if (fresh)
                it->second = rowValue(report.Evaluate(item.expression));
            x = it->second;
        }
        if (item.rows == 0)
            item.extreme = x;
        else if (item.code == Max)
            item.extreme = std::max(item.extreme, x);
        else if (item.code == Min)
            item.extreme = std::min(item.extreme, x);
        item.sum += x;
        ++item.rows;
    }
}

void TRMAggregates::resetFooter(const TRMBand& footer) {
    for (Item& item : items_)
        if (item.footer == &footer && !item.running)
            reset(item);
}

void TRMAggregates::resetDataBand(const TRMBand& dataBand) {
    for (Item& item : items_)
        if (item.data == &dataBand && !item.running)
            reset(item);
}

const TRMAggregates::Item* TRMAggregates::find(const TRMBand* band, int code,
                                               const std::string& expression,
                                               const std::string& bandName) const {
    const Item* fallback = nullptr;
    for (const Item& item : items_) {
        if (item.code != code || item.expression != expression)
            continue;
        if (!bandName.empty() && !sameText(item.data->Name, bandName))
            continue;
        if (band != nullptr && item.footer == band)
            return &item;
        if (fallback == nullptr)
            fallback = &item;
    }
    return band == nullptr ? fallback : nullptr;
}

Variant TRMAggregates::value(const TRMBand* band, const std::string& name,
                             const std::vector<std::string>& args) const {
    const int code = aggregateCode(name);
    const std::string expression = args.empty() ? std::string() : platform::trimBlanks(args[0]);
    std::string bandName = args.size() > 1 ? platform::trimBlanks(args[1]) : std::string();
    if (bandName.size() >= 2 && bandName.front() == '\'' && bandName.back() == '\'')
        bandName = bandName.substr(1, bandName.size() - 2);
    const Item* item = find(band, code, expression, bandName);
    if (item == nullptr)
        item = find(nullptr, code, expression, bandName);
    if (item == nullptr)
        return Variant(0);
    switch (code) {
    case Count:
        return Variant(item->rows);
    case Avg:
        return Variant(item->rows == 0 ? 0.0 : item->sum / static_cast<double>(item->rows));
    case Max:
    case Min: // over no rows there is no extreme: nothing prints
        return item->rows == 0 ? Variant() : Variant(item->extreme);
    default:
        return Variant(item->sum);
    }
}

} // namespace report
