#include "report/engine/expressions/RMDisplayFormat.h"

#include "platform/EngineTexts.h"
#include "platform/Gbk.h"
#include "report/engine/expressions/RMDateTime.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace report {

namespace {

// Decimal digits of |value| rounded to 15 significant digits: value = 0.d1d2… × 10^exponent.
struct Decimal {
    std::string digits; // no leading zeros; empty for zero
    int exponent = 0;
    bool negative = false;
};

Decimal toDecimal(double value) {
    Decimal d;
    d.negative = std::signbit(value) && value != 0.0;
    if (value == 0.0 || !std::isfinite(value))
        return d;
    // As printf's "%.14e" (correctly rounded), without its locale and stream machinery.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer - 1, std::fabs(value),
                                      std::chars_format::scientific, 14);
    *result.ptr = '\0';
    // buffer: d.dddddddddddddde±xx
    std::string digits;
    const char* p = buffer;
    for (; *p != 'e'; ++p)
        if (*p != '.')
            digits += *p;
    const int exp10 = std::atoi(p + 1);
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    d.digits = digits;
    d.exponent = exp10 + 1;
    return d;
}

// Rounds to `decimals` places (half away from zero); returns integer and fraction digits.
void roundDecimal(const Decimal& d, int decimals, std::string& integerPart, std::string& fraction) {
    // Position of the last kept digit counted in d.digits.
    std::string digits = d.digits;
    int exponent = d.exponent;
    const int keep = exponent + decimals; // digits to keep
    if (keep < 0) {
        digits.clear();
    } else if (keep < static_cast<int>(digits.size())) {
        const bool up = digits[static_cast<std::size_t>(keep)] >= '5';
        digits.resize(static_cast<std::size_t>(keep));
        if (up) {
            int i = keep - 1;
            for (; i >= 0; --i) {
                if (digits[static_cast<std::size_t>(i)] == '9') {
                    digits[static_cast<std::size_t>(i)] = '0';
                } else {
                    ++digits[static_cast<std::size_t>(i)];
                    break;
                }
            }
            if (i < 0) {
                digits.insert(digits.begin(), '1');
                ++exponent;
            }
        }
    }
    integerPart.clear();
    fraction.clear();
    for (int i = 0; i < exponent; ++i)
        integerPart +=
            i < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(i)] : '0';
    for (int i = 0; i < decimals; ++i) {
        const int index = exponent + i;
        fraction += index >= 0 && index < static_cast<int>(digits.size())
                        ? digits[static_cast<std::size_t>(index)]
                        : '0';
    }
    std::size_t firstNonZero = integerPart.find_first_not_of('0');
    integerPart =
        firstNonZero == std::string::npos ? std::string() : integerPart.substr(firstNonZero);
}

std::string group(const std::string& digits, char separator) {
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

// Splits at ';' outside quotes.
std::vector<std::string> sections(std::string_view pattern) {
    std::vector<std::string> out(1);
    char quote = 0;
    for (char c : pattern) {
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            out.emplace_back();
            continue;
        }
        out.back() += c;
    }
    return out;
}

std::string applySection(std::string_view section, double value, bool withSign,
                         char decimalSeparator, char thousandSeparator) {
    // Pass 1: analyse the placeholders.
    int minInteger = 0, maxDecimals = 0, minDecimals = 0;
    bool thousands = false, seenPoint = false, seenZero = false;
    char quote = 0;
    for (char c : section) {
        if (quote != 0) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '.') {
            seenPoint = true;
        } else if (c == ',') {
            thousands = thousands || !seenPoint;
        } else if (c == '0' || c == '#') {
            if (!seenPoint) {
                if (c == '0')
                    seenZero = true;
                if (seenZero)
                    ++minInteger;
            } else {
                ++maxDecimals;
                if (c == '0')
                    minDecimals = maxDecimals;
            }
        }
    }
    std::string integerPart, fraction;
    roundDecimal(toDecimal(value), maxDecimals, integerPart, fraction);
    while (static_cast<int>(fraction.size()) > minDecimals && !fraction.empty() &&
           fraction.back() == '0')
        fraction.pop_back();
    while (static_cast<int>(integerPart.size()) < minInteger)
        integerPart.insert(integerPart.begin(), '0');
    if (thousands)
        integerPart = group(integerPart, thousandSeparator);
    const bool isZero = integerPart.find_first_not_of("0,") == std::string::npos &&
                        fraction.find_first_not_of('0') == std::string::npos;

    // Pass 2: literals keep their place around the number.
    std::string out;
    if (withSign && value < 0 && !isZero)
        out += '-';
    bool numberWritten = false, pointWritten = false;
    quote = 0;
    for (char c : section) {
        if (quote != 0) {
            if (c == quote)
                quote = 0;
            else
                out += c;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '0' || c == '#' || c == '.' || c == ',') {
            if (c == ',')
                continue;
            if (!numberWritten) {
                out += integerPart;
                numberWritten = true;
            }
            if (c == '.') {
                if (!pointWritten && !fraction.empty()) {
                    out += decimalSeparator;
                    out += fraction;
                }
                pointWritten = true;
            }
        } else {
            out += c;
        }
    }
    return out; // a pattern without placeholders prints its literals only
}

} // namespace

std::string shortestDecimal(double value) {
    if (!std::isfinite(value))
        return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
    const Decimal d = toDecimal(value);
    if (d.digits.empty())
        return "0";
    std::string integerPart, fraction;
    roundDecimal(d, std::max(0, static_cast<int>(d.digits.size()) - d.exponent), integerPart,
                 fraction);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    std::string out = d.negative ? "-" : "";
    out += integerPart.empty() ? "0" : integerPart;
    if (!fraction.empty())
        out += "." + fraction;
    return out;
}

std::string formatFloat(std::string_view pattern, double value, char decimalSeparator,
                        char thousandSeparator) {
    if (pattern.empty())
        return shortestDecimal(value);
    if (!std::isfinite(value))
        return shortestDecimal(value);
    const std::vector<std::string> parts = sections(pattern);
    if (value < 0 && parts.size() >= 2 && !parts[1].empty())
        return applySection(parts[1], -value, false, decimalSeparator, thousandSeparator);
    if (value == 0.0 && parts.size() >= 3 && !parts[2].empty())
        return applySection(parts[2], 0.0, false, decimalSeparator, thousandSeparator);
    return applySection(parts[0], value, true, decimalSeparator, thousandSeparator);
}

std::string formatFixed(double value, int decimals, bool thousands, char decimalSeparator) {
    if (!std::isfinite(value))
        return shortestDecimal(value);
    std::string integerPart, fraction;
    const Decimal d = toDecimal(value);
    roundDecimal(d, std::clamp(decimals, 0, 18), integerPart, fraction);
    if (integerPart.empty())
        integerPart = "0";
    if (thousands)
        integerPart = group(integerPart, ',');
    const bool isZero = integerPart.find_first_not_of("0,") == std::string::npos &&
                        fraction.find_first_not_of('0') == std::string::npos;
    std::string out = d.negative && !isZero ? "-" : "";
    out += integerPart;
    if (!fraction.empty())
        out += decimalSeparator + fraction;
    return out;
}

std::string predefinedDateFormat(int index) {
    static const char* const fallback[] = {
        "yy.mm.dd",   "yyyy.mm.dd",      "yyyy'年'mm'月'dd'日'",   "yyyy MM dd",
        "yyyy/mm/dd", "dddd yyyy MM dd", "dddd yyyy'年'M'月'd'日'"};
    if (index < 0 || index > 6)
        return {};
    return platform::engineText(47174 + index, fallback[index]);
}

std::string predefinedTimeFormat(int index) {
    static const char* const fallback[] = {"hh:nn:ss", "h:nn:ss", "hh:nn", "h:nn"};
    if (index < 0 || index > 3)
        return {};
    return platform::engineText(47181 + index, fallback[index]);
}

std::string predefinedBooleanFormat(int index) {
    static const char* const fallback[] = {"0;1", "否;是", "_;x", "假;真"};
    if (index < 0 || index > 3)
        return {};
    return platform::engineText(47169 + index, fallback[index]);
}

namespace {

bool isFloatValue(const platform::Variant& v) {
    return v.type() == platform::VarType::Double;
}

std::string plainText(const platform::Variant& value) {
    if (isFloatValue(value))
        return formatFloat("0.########", value.toDouble());
    if (value.type() == platform::VarType::Date)
        return formatDateTime("c", value.toDateTime().days);
    return value.toString();
}

std::string formatNumber(const platform::Variant& value, std::int32_t code,
                         std::string_view formatText) {
    const int decimals = formatDecimals(code);
    char separator = formatSeparator(code);
    if (separator == 0)
        separator = '.';
    const double number = value.toDouble();
    switch (formatSubKind(code)) {
    case 0:
        return formatFloat("##0." + std::string(static_cast<std::size_t>(decimals), '#'), number,
                           separator);
    case 1:
        return formatFixed(number, decimals, false, separator);
    case 2:
        return formatFloat("#,##0." + std::string(static_cast<std::size_t>(decimals), '#'), number,
                           separator);
    case 3:
        return formatFixed(number, decimals, true, separator);
    default:
        return formatFloat(formatText, number, separator);
    }
}

std::string formatDateValue(const platform::Variant& value, std::string pattern) {
    TRMFormatSettings settings = defaultFormatSettings();
    if (pattern.find('/') != std::string::npos)
        settings.DateSeparator = '/';
    double days = 0;
    if (value.isString())
        days = parseDate(value.stringValue());
    else
        days = value.toDateTime().days;
    return formatDateTime(pattern, days, settings);
}

std::string formatTimeValue(const platform::Variant& value, const std::string& pattern) {
    double days = 0;
    if (value.isString())
        days = parseTime(value.stringValue());
    else
        days = value.toDateTime().days;
    return formatDateTime(pattern, days);
}

std::string formatBoolean(const platform::Variant& value, std::string_view pattern) {
    const std::size_t semicolon = pattern.find(';');
    const std::string_view falseText = pattern.substr(0, semicolon);
    const std::string_view trueText =
        semicolon == std::string_view::npos ? std::string_view() : pattern.substr(semicolon + 1);
    bool on = false;
    if (value.type() == platform::VarType::Boolean)
        on = value.toBool();
    else
        on = value.toDouble() != 0.0;
    return std::string(on ? trueText : falseText);
}

} // namespace

std::string formatValue(const platform::Variant& value, std::int32_t code,
                        std::string_view formatText) {
    if (value.isEmptyOrNull())
        return {};
    if (value.isString() && platform::trimBlanks(value.stringValue()).empty())
        return {};
    try {
        const int sub = formatSubKind(code);
        switch (formatKind(code)) {
        case fkNumber:
            return formatNumber(value, code, formatText);
        case fkDate:
            return formatDateValue(value,
                                   sub <= 6 ? predefinedDateFormat(sub) : std::string(formatText));
        case fkTime:
            return formatTimeValue(value,
                                   sub <= 3 ? predefinedTimeFormat(sub) : std::string(formatText));
        case fkBoolean:
            return formatBoolean(value,
                                 sub <= 3 ? predefinedBooleanFormat(sub) : std::string(formatText));
        default:
            return plainText(value);
        }
    } catch (const std::exception&) {
        try {
            return value.toString();
        } catch (const std::exception&) {
            return {};
        }
    }
}

std::string valueText(const platform::Variant& value) {
    if (value.isEmptyOrNull())
        return {};
    if (value.type() == platform::VarType::Double)
        return shortestDecimal(value.toDouble());
    return value.toString();
}

} // namespace report
