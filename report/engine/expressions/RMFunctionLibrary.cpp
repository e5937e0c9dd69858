#include "report/engine/expressions/RMFunctionLibrary.h"

#include "platform/Gbk.h"
#include "report/engine/expressions/RMChineseNumerals.h"
#include "report/engine/expressions/RMDateTime.h"
#include "report/engine/expressions/RMDisplayFormat.h"
#include "report/engine/model/RMNumbers.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMTextScan.h"

#include <QCoreApplication>
#include <QStringList>

#include <cmath>

namespace report {

using platform::Variant;

bool TRMFunctionLibrary::OnFunction(TRMReport& report, const std::string& name,
                                    const std::vector<std::string>& args, Variant& result) {
    for (std::size_t i = 0; i < List.size(); ++i) {
        if (sameText(List[i], name)) {
            DoFunction(static_cast<int>(i), report, args, result);
            return true;
        }
    }
    return false;
}

TRMStdFunctionLibrary::TRMStdFunctionLibrary() {
    List = {"AVG",
            "COUNT",
            "MAX",
            "MIN",
            "SUM",
            "STRTOFLOAT",
            "PARAMSTR",
            "EXTRACTFILEPATH",
            "StringOfChar",
            "MonthToEnglishShort",
            "MonthToEnglishLong",
            "SinglNumToBig",
            "SmallToBig",
            "CurrToBigNum",
            "RMRound",
            "STRTOINT",
            "ABS",
            "GETCONTROLPROPVALUE"};
    FunctionDescriptions = {
        {"SUM", "聚合", "VSN", "SUM(<表达式>[, <数据栏>[, <标志>]])"},
        {"CurrToBigNum", "数学", "N", "CurrToBigNum(<金额>)"},
        {"SmallToBig", "数学", "S", "SmallToBig(<数字文本>)"},
        {"CNUMBER", "数学", "N", "CNUMBER(<数字>)"},
    };
}

namespace {

double numberOf(const Variant& v) {
    if (v.isEmptyOrNull())
        return 0;
    if (v.isString())
        return platform::trimBlanks(v.stringValue()).empty() ? 0.0 : textToFloat(v.stringValue());
    return v.toDouble();
}

} // namespace

void TRMStdFunctionLibrary::DoFunction(int index, TRMReport& report,
                                       const std::vector<std::string>& args, Variant& result) {
    auto arg = [&](std::size_t i) {
        return report.Evaluate(i < args.size() ? args[i] : std::string());
    };
    switch (index) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
        result = report.OnAggregate
                     ? report.OnAggregate(upperCase(List[static_cast<std::size_t>(index)]), args)
                     : Variant();
        break;
    case 5:
        result = Variant(numberOf(arg(0)));
        break;
    case 6: {
        const QStringList arguments = QCoreApplication::arguments();
        const long long i = clampedInt64(numberOf(arg(0)));
        result =
            Variant(i >= 0 && i < arguments.size() ? arguments[static_cast<int>(i)].toStdString()
                                                   : std::string());
        break;
    }
    case 7: {
        const std::string file = valueText(arg(0));
        const std::size_t slash = file.find_last_of("/\\");
        result = Variant(slash == std::string::npos ? std::string() : file.substr(0, slash + 1));
        break;
    }
    case 8: {
        const std::string text = valueText(arg(0));
        const long long count = clampedWhole<long long>(numberOf(arg(1)), 0, 100000);
        std::string first;
        if (!text.empty()) { // first UTF-8 character
            std::size_t n = 1;
            while (n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
                ++n;
            first = text.substr(0, n);
        }
        std::string out;
        for (long long i = 0; i < count; ++i)
            out += first;
        result = Variant(out);
        break;
    }
    case 9:
    case 10: {
        const int month = clampedInt(numberOf(arg(0)));
        result =
            month >= 1 && month <= 12 ? Variant(englishMonthName(month, index == 10)) : Variant("");
        break;
    }
    case 11:
        result = Variant(SinglNumToBig(numberOf(arg(0)), clampedInt(numberOf(arg(1)))));
        break;
    case 12:
        result = Variant(SmallToBig(valueText(arg(0))));
        break;
    case 13:
        result = Variant(CurrToBigNum(numberOf(arg(0))));
        break;
    case 14: {
        const int decimals = clampedWhole<int>(numberOf(arg(1)), 0, 15);
        result = Variant(textToFloat(formatFloat(
            "#." + std::string(static_cast<std::size_t>(decimals), '0'), numberOf(arg(0)))));
        break;
    }
    case 15:
        result = wholeValue(std::trunc(numberOf(arg(0))));
        break;
    case 16: {
        const Variant v = arg(0);
        const bool exact = v.type() == platform::VarType::Integer &&
                           v.toInt64() != std::numeric_limits<std::int64_t>::min();
        result = exact ? Variant(static_cast<long long>(std::llabs(v.toInt64())))
                       : Variant(std::fabs(numberOf(v)));
        break;
    }
    case 17: {
        Variant value;
        report.getObjectProperty(valueText(arg(0)), valueText(arg(1)), value);
        result = value;
        break;
    }
    default:
        break;
    }
}

namespace {

std::vector<std::unique_ptr<TRMFunctionLibrary>>& registry() {
    static std::vector<std::unique_ptr<TRMFunctionLibrary>> libraries = [] {
        std::vector<std::unique_ptr<TRMFunctionLibrary>> list;
        list.push_back(std::make_unique<TRMStdFunctionLibrary>());
        return list;
    }();
    return libraries;
}

} // namespace

void RMRegisterFunctionLibrary(const TRMLibraryFactory& factory) {
    std::unique_ptr<TRMFunctionLibrary> library = factory();
    if (!library)
        return;
    for (const auto& existing : registry())
        if (existing->ClassName() == library->ClassName())
            return;
    registry().push_back(std::move(library));
}

void RMUnregisterFunctionLibrary(std::string_view className) {
    std::erase_if(registry(),
                  [&](const auto& library) { return library->ClassName() == className; });
}

std::vector<TRMFunctionLibrary*> FunctionLibraries() {
    std::vector<TRMFunctionLibrary*> list;
    for (const auto& library : registry())
        list.push_back(library.get());
    return list;
}

// ---------------------------------------------------------------- splitter

TRMFunctionSplitter::TRMFunctionSplitter(std::vector<std::string> functionNames,
                                         const TRMVariables* vars)
    : names_(std::move(functionNames))
    , variables_(vars) {}

void TRMFunctionSplitter::Split(std::string_view expression) {
    scan(expression, 0);
}

namespace {

bool identifierChar(char c) {
    return !(c == ' ' || c == '+' || c == '-' || c == '*' || c == '/' || c == '<' || c == '>' ||
             c == '=' || c == '(' || c == ')' || c == '[' || c == ']' || c == ',' || c == ';' ||
             c == '\'' || c == '\r' || c == '\n' || c == '\t');
}

} // namespace

void TRMFunctionSplitter::scan(std::string_view s, int depth) {
    if (depth > 32 || s.empty() || s.front() == '\'')
        return;
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '\'') { // string literal
            std::size_t j = i + 1;
            while (j < s.size() && s[j] != '\'')
                ++j;
            i = j + 1;
            continue;
        }
        if (c == '[') {
            const std::size_t end = detail::matchGroup(s, i, '[', ']');
            const std::size_t stop = end == std::string_view::npos ? s.size() : end - 1;
            const std::string content(s.substr(i + 1, stop > i ? stop - i - 1 : 0));
            const Variant* value = variables_ ? variables_->find(content) : nullptr;
            scan(value ? valueText(*value) : content, depth + 1);
            i = end == std::string_view::npos ? s.size() : end;
            continue;
        }
        if (!identifierChar(c)) {
            ++i;
            continue;
        }
        std::size_t j = i;
        bool inDouble = false;
        while (j < s.size() && (inDouble || identifierChar(s[j]))) {
            if (s[j] == '"')
                inDouble = !inDouble;
            ++j;
        }
        const std::string identifier(s.substr(i, j - i));
        if (j < s.size() && s[j] == '(') {
            const std::size_t end = detail::matchGroup(s, j, '(', ')');
            if (end == std::string_view::npos)
                return;
            const std::string_view list = s.substr(j + 1, end - j - 2);
            try {
                const std::vector<std::string> args = TRMParser::splitArguments(list);
                for (std::size_t a = 0; a < 3; ++a)
                    scan(args[a], depth + 1);
            } catch (const EParserError&) {
            }
            for (const std::string& name : names_) {
                if (sameText(name, identifier)) {
                    Result.emplace_back(s.substr(i, end - i));
                    break;
                }
            }
            i = end;
            continue;
        }
        if (const Variant* value = variables_ ? variables_->find(identifier) : nullptr)
            scan(valueText(*value), depth + 1);
        i = j;
    }
}

} // namespace report
