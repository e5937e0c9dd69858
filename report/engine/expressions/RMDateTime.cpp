#include "report/engine/expressions/RMDateTime.h"

#include "platform/Gbk.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace report {

namespace {

// Days from 1970-01-01 for a civil date (proleptic Gregorian).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

constexpr long long epochOffset = 25569; // day number of 1970-01-01

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

} // namespace

TRMDateParts decodeDateTime(double days) {
    TRMDateParts parts;
    if (!std::isfinite(days) || std::fabs(days) > 3e6)
        return parts;
    // Negative day numbers keep a positive time of day (day -1.25 is 1899-12-29 06:00).
    const double whole = std::trunc(days);
    double fraction = std::fabs(days - whole);
    long long ms = std::llround(fraction * 86400000.0);
    long long dayNumber = static_cast<long long>(whole);
    if (ms >= 86400000) {
        ms -= 86400000;
        dayNumber += days >= 0 ? 1 : -1;
    }
    civilFromDays(dayNumber - epochOffset, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int>(ms / 3600000);
    parts.minute = static_cast<int>(ms / 60000 % 60);
    parts.second = static_cast<int>(ms / 1000 % 60);
    parts.millisecond = static_cast<int>(ms % 1000);
    return parts;
}

double encodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month))
        throw platform::EVariantError("Invalid argument to date encode");
    return static_cast<double>(
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
        epochOffset);
}

double encodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999)
        throw platform::EVariantError("Invalid argument to time encode");
    return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / 86400000.0;
}

int dayOfWeek(double days) {
    // Out of the calendar's range (as decodeDateTime): day 0.
    if (!std::isfinite(days) || std::fabs(days) > 3e6)
        days = 0;
    const long long d = static_cast<long long>(std::floor(days));
    // Day 0 (1899-12-30) was a Saturday.
    return static_cast<int>(((d % 7) + 7 + 6) % 7) + 1;
}

const TRMFormatSettings& defaultFormatSettings() {
    static const TRMFormatSettings settings;
    return settings;
}

const std::string& shortMonthName(int month) {
    static const std::array<std::string, 12> names = {"1月", "2月", "3月", "4月",  "5月",  "6月",
                                                      "7月", "8月", "9月", "10月", "11月", "12月"};
    return names[static_cast<std::size_t>(std::clamp(month, 1, 12) - 1)];
}

const std::string& longMonthName(int month) {
    static const std::array<std::string, 12> names = {"一月", "二月", "三月",   "四月",
                                                      "五月", "六月", "七月",   "八月",
                                                      "九月", "十月", "十一月", "十二月"};
    return names[static_cast<std::size_t>(std::clamp(month, 1, 12) - 1)];
}

const std::string& shortDayName(int day) {
    static const std::array<std::string, 7> names = {"周日", "周一", "周二", "周三",
                                                     "周四", "周五", "周六"};
    return names[static_cast<std::size_t>(std::clamp(day, 1, 7) - 1)];
}

const std::string& longDayName(int day) {
    static const std::array<std::string, 7> names = {"星期日", "星期一", "星期二", "星期三",
                                                     "星期四", "星期五", "星期六"};
    return names[static_cast<std::size_t>(std::clamp(day, 1, 7) - 1)];
}

const std::string& englishMonthName(int month, bool longName) {
    static const std::array<std::string, 12> shortNames = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const std::array<std::string, 12> longNames = {
        "January", "February", "March",     "April",   "May",      "June",
        "July",    "August",   "September", "October", "November", "December"};
    const auto i = static_cast<std::size_t>(std::clamp(month, 1, 12) - 1);
    return longName ? longNames[i] : shortNames[i];
}

namespace {

std::string number(int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

void formatInto(std::string& out, std::string_view pattern, double days, const TRMFormatSettings& s,
                int depth) {
    const TRMDateParts p = decodeDateTime(days);
    bool afterHour = false;
    std::size_t i = 0;
    auto count = [&](char c) {
        std::size_t n = 0;
        while (i + n < pattern.size() &&
               std::tolower(static_cast<unsigned char>(pattern[i + n])) == c)
            ++n;
        return n;
    };
    while (i < pattern.size()) {
        const char raw = pattern[i];
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(raw)));
        if (raw == '\'' || raw == '"') {
            const std::size_t end = pattern.find(raw, i + 1);
            const std::size_t stop = end == std::string_view::npos ? pattern.size() : end;
            out.append(pattern.substr(i + 1, stop - i - 1));
            i = stop == pattern.size() ? stop : stop + 1;
            continue;
        }
        if (c == 'd') {
            const std::size_t n = count('d');
            i += n;
            if (n == 1)
                out += std::to_string(p.day);
            else if (n == 2)
                out += number(p.day, 2);
            else if (n == 3)
                out += shortDayName(dayOfWeek(days));
            else if (n == 4)
                out += longDayName(dayOfWeek(days));
            else if (depth < 2)
                formatInto(out, n == 5 ? s.ShortDateFormat : s.LongDateFormat, days, s, depth + 1);
            afterHour = false;
        } else if (c == 'm') {
            const std::size_t n = count('m');
            i += n;
            if (afterHour && n <= 2)
                out += n == 1 ? std::to_string(p.minute) : number(p.minute, 2);
            else if (n == 1)
                out += std::to_string(p.month);
            else if (n == 2)
                out += number(p.month, 2);
            else if (n == 3)
                out += shortMonthName(p.month);
            else
                out += longMonthName(p.month);
            afterHour = false;
        } else if (c == 'y') {
            const std::size_t n = count('y');
            i += n;
            out += n <= 2 ? number(p.year % 100, 2) : number(p.year, 4);
            afterHour = false;
        } else if (c == 'h') {
            const std::size_t n = count('h');
            i += n;
            int hour = p.hour;
            // With an am/pm marker later in the pattern the clock runs 12 hours.
            const std::string rest = std::string(pattern.substr(i));
            std::string lowerRest = rest;
            for (char& ch : lowerRest)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            if (lowerRest.find("am/pm") != std::string::npos ||
                lowerRest.find("a/p") != std::string::npos ||
                lowerRest.find("ampm") != std::string::npos) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            out += n == 1 ? std::to_string(hour) : number(hour, 2);
            afterHour = true;
        } else if (c == 'n') {
            const std::size_t n = count('n');
            i += n;
            out += n == 1 ? std::to_string(p.minute) : number(p.minute, 2);
            afterHour = false;
        } else if (c == 's') {
            const std::size_t n = count('s');
            i += n;
            out += n == 1 ? std::to_string(p.second) : number(p.second, 2);
            afterHour = false;
        } else if (c == 'z') {
            const std::size_t n = count('z');
            i += n;
            out += n == 1 ? std::to_string(p.millisecond) : number(p.millisecond, 3);
        } else if (c == 't') {
            const std::size_t n = count('t');
            i += n;
            if (depth < 2)
                formatInto(out, n == 1 ? s.ShortTimeFormat : s.LongTimeFormat, days, s, depth + 1);
        } else if (c == 'c') {
            ++i;
            // Date alone at midnight, time alone on day 0.
            const bool hasTime = p.hour != 0 || p.minute != 0 || p.second != 0;
            const bool hasDate = std::trunc(days) != 0 || !hasTime;
            if (depth < 2) {
                if (hasDate)
                    formatInto(out, s.ShortDateFormat, days, s, depth + 1);
                if (hasTime) {
                    if (hasDate)
                        out += ' ';
                    formatInto(out, s.LongTimeFormat, days, s, depth + 1);
                }
            }
        } else if (c == 'a') {
            const std::string_view rest = pattern.substr(i);
            auto starts = [&](std::string_view word) {
                if (rest.size() < word.size())
                    return false;
                for (std::size_t k = 0; k < word.size(); ++k)
                    if (std::tolower(static_cast<unsigned char>(rest[k])) != word[k])
                        return false;
                return true;
            };
            if (starts("am/pm")) {
                out += p.hour < 12 ? "am" : "pm";
                i += 5;
            } else if (starts("a/p")) {
                out += p.hour < 12 ? "a" : "p";
                i += 3;
            } else if (starts("ampm")) {
                out += p.hour < 12 ? s.TimeAMString : s.TimePMString;
                i += 4;
            } else {
                out += raw;
                ++i;
            }
        } else if (raw == '/') {
            out += s.DateSeparator;
            ++i;
        } else if (raw == ':') {
            out += s.TimeSeparator;
            ++i;
        } else {
            out += raw;
            ++i;
        }
    }
}

std::string trimmed(std::string_view text) {
    return platform::trimBlanks(text);
}

[[noreturn]] void invalid(std::string_view text, const char* what) {
    throw platform::EVariantError("'" + std::string(text) + "' is not a valid " + what);
}

// Reads up to `maxParts` unsigned numbers separated by any of `separators`.
int readNumbers(std::string_view text, std::size_t& pos, std::string_view separators, int* parts,
                int maxParts) {
    int n = 0;
    while (n < maxParts && pos < text.size() &&
           std::isdigit(static_cast<unsigned char>(text[pos]))) {
        long value = 0;
        int digits = 0;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) &&
               digits < 9) {
            value = value * 10 + (text[pos] - '0');
            ++pos;
            ++digits;
        }
        parts[n++] = static_cast<int>(value);
        if (n < maxParts && pos < text.size() &&
            separators.find(text[pos]) != std::string_view::npos)
            ++pos;
        else
            break;
    }
    return n;
}

} // namespace

std::string formatDateTime(std::string_view pattern, double days,
                           const TRMFormatSettings& settings) {
    std::string out;
    if (pattern.empty())
        pattern = "c";
    formatInto(out, pattern, days, settings, 0);
    return out;
}

double parseTime(std::string_view input) {
    const std::string text = trimmed(input);
    std::size_t pos = 0;
    int parts[3] = {0, 0, 0};
    const int n = readNumbers(text, pos, ":", parts, 3);
    if (n < 2)
        invalid(text, "time");
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    std::string suffix = text.substr(pos);
    int hour = parts[0];
    if (suffix == "PM" || suffix == "pm" || suffix == "下午") {
        if (hour < 12)
            hour += 12;
    } else if (suffix == "AM" || suffix == "am" || suffix == "上午") {
        if (hour == 12)
            hour = 0;
    } else if (!suffix.empty()) {
        invalid(text, "time");
    }
    try {
        return encodeTime(hour, parts[1], parts[2]);
    } catch (const platform::EVariantError&) {
        invalid(text, "time");
    }
}

double parseDate(std::string_view input) {
    const std::string text = trimmed(input);
    std::size_t pos = 0;
    int parts[3] = {0, 0, 0};
    const int n = readNumbers(text, pos, "-/.", parts, 3);
    if (n != 3)
        invalid(text, "date");
    int year = parts[0];
    const int month = parts[1];
    const int day = parts[2];
    if (year < 100)
        year += year < 50 ? 2000 : 1900;
    double result = 0;
    try {
        result = encodeDate(year, month, day);
    } catch (const platform::EVariantError&) {
        invalid(text, "date");
    }
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    if (pos < text.size())
        result += parseTime(std::string_view(text).substr(pos));
    return result;
}

} // namespace report
