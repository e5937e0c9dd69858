#include "platform/Variant.h"

#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

namespace platform {

namespace detail {
namespace {

constexpr double kMaxInt64AsDouble = 9223372036854775807.0; // rounds to 2^63

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// "$1F" / "-$1F": hexadecimal integer.
std::optional<std::int64_t> parseHex(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.size() < 2 || text.front() != '$')
        return std::nullopt;
    text.remove_prefix(1);
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    auto result = static_cast<std::int64_t>(value); // "$FFFFFFFFFFFFFFFF" is -1, as stored
    return negative ? -result : result;
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
    text = trimmed(text);
    if (auto hex = parseHex(text))
        return hex;
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<double> parseNumber(std::string_view text) {
    text = trimmed(text);
    if (auto hex = parseHex(text))
        return static_cast<double>(*hex);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    // Only plain decimal notation: no "inf", "nan" or hexadecimal floats.
    for (char c : text) {
        bool allowed =
            (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+';
        if (!allowed)
            return std::nullopt;
    }
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::int64_t roundToInt64(double value, VarType from) {
    if (std::isnan(value) || value >= kMaxInt64AsDouble || value < -kMaxInt64AsDouble)
        throwConversionError(from, VarType::Integer);
    return static_cast<std::int64_t>(std::nearbyint(value));
}

std::string formatDouble(double value) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    if (value == 0)
        return "0";
    // to_chars, unlike printf, ignores the process locale (Qt sets it from the environment).
    char buffer[64];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    // "1e+20" → "1E20", "1e-05" → "1E-5".
    auto e = text.find('e');
    if (e != std::string::npos) {
        std::string mantissa = text.substr(0, e);
        std::string_view exponent(text.data() + e + 1, text.size() - e - 1);
        bool negative = !exponent.empty() && exponent.front() == '-';
        if (!exponent.empty() && (exponent.front() == '-' || exponent.front() == '+'))
            exponent.remove_prefix(1);
        while (exponent.size() > 1 && exponent.front() == '0')
            exponent.remove_prefix(1);
        text = mantissa + "E" + (negative ? "-" : "") + std::string(exponent);
    }
    return text;
}

std::string formatCurrency(Currency value) {
    bool negative = value.scaled < 0;
    std::uint64_t magnitude = negative ? std::uint64_t(0) - static_cast<std::uint64_t>(value.scaled)
                                       : static_cast<std::uint64_t>(value.scaled);
    std::string text = (negative ? "-" : "") + std::to_string(magnitude / 10000);
    auto fraction = static_cast<unsigned>(magnitude % 10000);
    if (fraction != 0) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04u", fraction);
        std::string part(digits);
        while (part.back() == '0')
            part.pop_back();
        text += "." + part;
    }
    return text;
}

// Days since 1970-01-01 → civil date (proleptic Gregorian).
void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

std::int64_t daysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yoe = static_cast<unsigned>(year - era * 400);
    const unsigned doy = (153 * static_cast<unsigned>(month > 2 ? month - 3 : month + 9) + 2) / 5 +
                         static_cast<unsigned>(day) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

constexpr std::int64_t kUnixEpochDay = 25569; // 1970-01-01 as a day number

// Days of years 1 to 9999: 0001-01-01 is -693593, 9999-12-31 is 2958465.
bool isCalendarDay(double days) {
    return std::isfinite(days) && days > -693594.0 && days < 2958466.0;
}
constexpr std::int64_t kMsPerDay = 86400000;

std::string formatDate(DateTime value) {
    double days = value.days;
    // Beyond years 1..9999 the value is not a calendar date; show the number.
    if (!isCalendarDay(days))
        return formatDouble(days);
    auto whole = static_cast<std::int64_t>(std::trunc(days));
    auto ms = static_cast<std::int64_t>(std::llround(std::fabs(days - double(whole)) * kMsPerDay));
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        whole += days >= 0 ? 1 : -1;
    }
    int year = 0, month = 0, day = 0;
    civilFromDays(whole - kUnixEpochDay, year, month, day);
    char buffer[48];
    int n = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
    std::string text(buffer, static_cast<std::size_t>(n));
    std::int64_t seconds = ms / 1000;
    if (seconds != 0) {
        n = std::snprintf(buffer, sizeof buffer, " %02d:%02d:%02d", int(seconds / 3600),
                          int(seconds / 60 % 60), int(seconds % 60));
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

// "yyyy-mm-dd", "yyyy/mm/dd", optionally followed by " hh:nn[:ss]"; or "hh:nn[:ss]" alone.
std::optional<DateTime> parseDate(std::string_view text) {
    text = trimmed(text);
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
    auto readInt = [&text](int& out, std::size_t maxDigits) {
        std::size_t n = 0;
        while (n < text.size() && n < maxDigits && text[n] >= '0' && text[n] <= '9')
            ++n;
        if (n == 0)
            return false;
        std::from_chars(text.data(), text.data() + n, out);
        text.remove_prefix(n);
        return true;
    };
    auto expect = [&text](char c) {
        if (text.empty() || text.front() != c)
            return false;
        text.remove_prefix(1);
        return true;
    };
    bool hasDate = text.find(':') == std::string_view::npos || text.find_first_of("-/") < 5;
    if (hasDate) {
        if (!readInt(year, 4) || text.empty())
            return std::nullopt;
        char separator = text.front();
        if ((separator != '-' && separator != '/') || !expect(separator) || !readInt(month, 2) ||
            !expect(separator) || !readInt(day, 2))
            return std::nullopt;
        if (!text.empty() && !expect(' ') && !expect('T'))
            return std::nullopt;
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
    }
    if (!text.empty()) {
        if (!readInt(hour, 2) || !expect(':') || !readInt(minute, 2))
            return std::nullopt;
        if (!text.empty() && (!expect(':') || !readInt(second, 2)))
            return std::nullopt;
        if (!text.empty())
            return std::nullopt;
    }
    try {
        return DateTime::fromParts(year, month, day, hour, minute, second);
    } catch (const EVariantError&) {
        return std::nullopt;
    }
}

int kindRank(VarType type) {
    switch (type) {
    case VarType::Empty:
        return 0;
    case VarType::Null:
        return 1;
    case VarType::String:
        return 3;
    case VarType::Array:
        return 4;
    case VarType::Bytes:
        return 5;
    default:
        return 2; // numbers
    }
}

std::weak_ordering orderDoubles(long double a, long double b) {
    bool nanA = std::isnan(a), nanB = std::isnan(b);
    if (nanA || nanB)
        return nanA == nanB ? std::weak_ordering::equivalent
                            : (nanA ? std::weak_ordering::greater : std::weak_ordering::less);
    if (a < b)
        return std::weak_ordering::less;
    if (a > b)
        return std::weak_ordering::greater;
    return std::weak_ordering::equivalent;
}

std::weak_ordering orderTexts(const std::string& a, const std::string& b, bool caseInsensitive) {
    int result = caseInsensitive
                     ? QString::compare(QString::fromUtf8(a.data(), qsizetype(a.size())),
                                        QString::fromUtf8(b.data(), qsizetype(b.size())),
                                        Qt::CaseInsensitive)
                     : a.compare(b);
    return result < 0 ? std::weak_ordering::less
                      : (result > 0 ? std::weak_ordering::greater : std::weak_ordering::equivalent);
}

} // namespace
} // namespace detail

using namespace detail;

Currency Currency::fromDouble(double value) {
    double scaled = std::round(value * 10000.0);
    if (std::isnan(scaled) || scaled >= kMaxInt64AsDouble || scaled < -kMaxInt64AsDouble)
        throwConversionError(VarType::Double, VarType::Currency);
    return Currency{static_cast<std::int64_t>(scaled)};
}

DateTime DateTime::fromParts(int year, int month, int day, int hour, int minute, int second,
                             int millisecond) {
    static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    bool valid = year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
                 day <= kDaysInMonth[std::clamp(month, 1, 12) - 1] + (month == 2 && leap) &&
                 hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 &&
                 second < 60 && millisecond >= 0 && millisecond < 1000;
    if (!valid)
        throw EVariantError("Invalid argument to date encode");
    double whole = double(daysFromCivil(year, month, day) + kUnixEpochDay);
    double time =
        double(((hour * 60 + minute) * 60 + second) * 1000 + millisecond) / double(kMsPerDay);
    // Before day 0 the fraction still counts forward from midnight.
    return DateTime{whole >= 0 ? whole + time : whole - time};
}

void throwConversionError(VarType from, VarType to) {
    throw EVariantError("Could not convert variant of type (" +
                        std::string(Variant::typeNameOf(from)) + ") into type (" +
                        std::string(Variant::typeNameOf(to)) + ")");
}

std::string_view Variant::typeNameOf(VarType type) {
    switch (type) {
    case VarType::Empty:
        return "Empty";
    case VarType::Null:
        return "Null";
    case VarType::Boolean:
        return "Boolean";
    case VarType::Integer:
        return "Int64";
    case VarType::Double:
        return "Double";
    case VarType::Currency:
        return "Currency";
    case VarType::Date:
        return "Date";
    case VarType::String:
        return "String";
    case VarType::Array:
        return "Array";
    case VarType::Bytes:
        return "Bytes";
    }
    return "Unknown";
}

Variant::Variant(const Variant& other) = default;
Variant::Variant(Variant&& other) noexcept = default;
Variant& Variant::operator=(const Variant& other) = default;
Variant& Variant::operator=(Variant&& other) noexcept = default;
Variant::~Variant() = default;

bool Variant::isNumeric() const {
    return kindRank(type()) == 2;
}

std::string Variant::toString() const {
    switch (type()) {
    case VarType::Empty:
    case VarType::Null:
        return {};
    case VarType::Boolean:
        return std::get<bool>(value_) ? "True" : "False";
    case VarType::Integer:
        return std::to_string(std::get<std::int64_t>(value_));
    case VarType::Double:
        return formatDouble(std::get<double>(value_));
    case VarType::Currency:
        return formatCurrency(std::get<Currency>(value_));
    case VarType::Date:
        return formatDate(std::get<DateTime>(value_));
    case VarType::String:
        return std::get<std::string>(value_);
    case VarType::Array:
    case VarType::Bytes:
        break;
    }
    throwConversionError(type(), VarType::String);
}

double Variant::toDouble() const {
    switch (type()) {
    case VarType::Empty:
        return 0.0;
    case VarType::Boolean:
        return std::get<bool>(value_) ? -1.0 : 0.0;
    case VarType::Integer:
        return static_cast<double>(std::get<std::int64_t>(value_));
    case VarType::Double:
        return std::get<double>(value_);
    case VarType::Currency:
        return std::get<Currency>(value_).toDouble();
    case VarType::Date:
        return std::get<DateTime>(value_).days;
    case VarType::String:
        if (auto number = parseNumber(std::get<std::string>(value_)))
            return *number;
        break;
    default:
        break;
    }
    throwConversionError(type(), VarType::Double);
}

std::int64_t Variant::toInt64() const {
    switch (type()) {
    case VarType::Empty:
        return 0;
    case VarType::Boolean:
        return std::get<bool>(value_) ? -1 : 0;
    case VarType::Integer:
        return std::get<std::int64_t>(value_);
    case VarType::Double:
        return roundToInt64(std::get<double>(value_), VarType::Double);
    case VarType::Currency: {
        // Exact half-to-even rounding of the scaled value.
        std::int64_t scaled = std::get<Currency>(value_).scaled;
        std::int64_t whole = scaled / 10000, rest = scaled % 10000;
        if (rest > 5000 || (rest == 5000 && (whole & 1)))
            ++whole;
        else if (rest < -5000 || (rest == -5000 && (whole & 1)))
            --whole;
        return whole;
    }
    case VarType::Date:
        return roundToInt64(std::get<DateTime>(value_).days, VarType::Date);
    case VarType::String: {
        const auto& text = std::get<std::string>(value_);
        if (auto integer = parseInteger(text))
            return *integer;
        if (auto number = parseNumber(text)) {
            if (std::isfinite(*number) && std::fabs(*number) < kMaxInt64AsDouble)
                return static_cast<std::int64_t>(std::nearbyint(*number));
        }
        break;
    }
    default:
        break;
    }
    throwConversionError(type(), VarType::Integer);
}

int Variant::toInt() const {
    std::int64_t value = toInt64();
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        throwConversionError(type(), VarType::Integer);
    return static_cast<int>(value);
}

bool Variant::toBool() const {
    switch (type()) {
    case VarType::Empty:
        return false;
    case VarType::Boolean:
        return std::get<bool>(value_);
    case VarType::Integer:
        return std::get<std::int64_t>(value_) != 0;
    case VarType::Double:
        return std::get<double>(value_) != 0.0;
    case VarType::Currency:
        return std::get<Currency>(value_).scaled != 0;
    case VarType::Date:
        return std::get<DateTime>(value_).days != 0.0;
    case VarType::String: {
        std::string_view text = trimmed(std::get<std::string>(value_));
        if (equalsIgnoringAsciiCase(text, "true"))
            return true;
        if (equalsIgnoringAsciiCase(text, "false"))
            return false;
        if (auto number = parseNumber(text))
            return *number != 0.0;
        break;
    }
    default:
        break;
    }
    throwConversionError(type(), VarType::Boolean);
}

Currency Variant::toCurrency() const {
    switch (type()) {
    case VarType::Currency:
        return std::get<Currency>(value_);
    case VarType::Integer: {
        std::int64_t value = std::get<std::int64_t>(value_);
        if (value > std::numeric_limits<std::int64_t>::max() / 10000 ||
            value < std::numeric_limits<std::int64_t>::min() / 10000)
            throwConversionError(type(), VarType::Currency);
        return Currency{value * 10000};
    }
    case VarType::Null:
    case VarType::Array:
    case VarType::Bytes:
        throwConversionError(type(), VarType::Currency);
    case VarType::String:
        if (!parseNumber(std::get<std::string>(value_)))
            throwConversionError(type(), VarType::Currency);
        [[fallthrough]];
    default: {
        double value = toDouble();
        double scaled = std::round(value * 10000.0);
        if (std::isnan(scaled) || scaled >= kMaxInt64AsDouble || scaled < -kMaxInt64AsDouble)
            throwConversionError(type(), VarType::Currency);
        return Currency{static_cast<std::int64_t>(scaled)};
    }
    }
}

DateTime Variant::toDateTime() const {
    switch (type()) {
    case VarType::Date:
        return std::get<DateTime>(value_);
    case VarType::String: {
        const auto& text = std::get<std::string>(value_);
        if (auto date = parseDate(text))
            return *date;
        // A day number in text, within years 1 to 9999.
        if (auto number = parseNumber(text); number && isCalendarDay(*number))
            return DateTime{*number};
        break;
    }
    case VarType::Null:
    case VarType::Array:
    case VarType::Bytes:
        break;
    default:
        return DateTime{toDouble()};
    }
    throwConversionError(type(), VarType::Date);
}

const std::string& Variant::stringValue() const {
    if (auto* text = std::get_if<std::string>(&value_))
        return *text;
    throwConversionError(type(), VarType::String);
}

const VariantArray& Variant::arrayValue() const {
    if (auto* items = std::get_if<VariantArray>(&value_))
        return *items;
    throwConversionError(type(), VarType::Array);
}

VariantArray& Variant::arrayValue() {
    if (auto* items = std::get_if<VariantArray>(&value_))
        return *items;
    throwConversionError(type(), VarType::Array);
}

const ByteArray& Variant::bytesValue() const {
    if (auto* bytes = std::get_if<ByteArray>(&value_))
        return *bytes;
    throwConversionError(type(), VarType::Bytes);
}

std::weak_ordering Variant::compare(const Variant& other) const {
    return compareText(other, false);
}

std::weak_ordering Variant::compareText(const Variant& other, bool caseInsensitive) const {
    const VarType a = type(), b = other.type();
    const int rankA = kindRank(a), rankB = kindRank(b);

    if (rankA == 2 && rankB == 2) {
        if (a == VarType::Boolean && b == VarType::Boolean)
            return std::get<bool>(value_) <=> std::get<bool>(other.value_) == 0
                       ? std::weak_ordering::equivalent
                       : (std::get<bool>(value_) ? std::weak_ordering::greater
                                                 : std::weak_ordering::less);
        if (a == VarType::Integer && b == VarType::Integer)
            return std::get<std::int64_t>(value_) <=> std::get<std::int64_t>(other.value_);
        if (a == VarType::Currency && b == VarType::Currency)
            return std::get<Currency>(value_).scaled <=> std::get<Currency>(other.value_).scaled;
        auto exact = [](const Variant& v) -> long double {
            if (v.type() == VarType::Integer)
                return static_cast<long double>(std::get<std::int64_t>(v.value_));
            if (v.type() == VarType::Currency)
                return static_cast<long double>(std::get<Currency>(v.value_).scaled) / 10000.0L;
            return v.toDouble();
        };
        return orderDoubles(exact(*this), exact(other));
    }
    // A string against a number: numerically when it reads as one.
    if ((rankA == 2 && b == VarType::String) || (a == VarType::String && rankB == 2)) {
        const Variant& text = a == VarType::String ? *this : other;
        const Variant& number = a == VarType::String ? other : *this;
        std::weak_ordering order = std::weak_ordering::equivalent;
        if (auto parsed = parseNumber(text.stringValue()))
            order = orderDoubles(*parsed, number.toDouble());
        else
            order = orderTexts(text.stringValue(), number.toString(), caseInsensitive);
        return a == VarType::String ? order : 0 <=> order;
    }
    if (rankA != rankB)
        return rankA <=> rankB;
    switch (a) {
    case VarType::String:
        return orderTexts(std::get<std::string>(value_), std::get<std::string>(other.value_),
                          caseInsensitive);
    case VarType::Array: {
        const auto& x = std::get<VariantArray>(value_);
        const auto& y = std::get<VariantArray>(other.value_);
        for (std::size_t i = 0; i < std::min(x.size(), y.size()); ++i) {
            auto order = x[i].compareText(y[i], caseInsensitive);
            if (order != 0)
                return order;
        }
        return x.size() <=> y.size();
    }
    case VarType::Bytes: {
        const auto& x = std::get<ByteArray>(value_);
        const auto& y = std::get<ByteArray>(other.value_);
        auto order = std::lexicographical_compare_three_way(x.begin(), x.end(), y.begin(), y.end());
        return order == 0 ? std::weak_ordering::equivalent
                          : (order < 0 ? std::weak_ordering::less : std::weak_ordering::greater);
    }
    default: // Empty / Null against the same kind
        return std::weak_ordering::equivalent;
    }
}

} // namespace platform
