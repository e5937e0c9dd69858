#include "report/export/RMCellValue.h"

#include "platform/Gbk.h"
#include "platform/Variant.h"
#include "report/engine/expressions/RMDateTime.h"
#include "report/engine/expressions/RMDisplayFormat.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>

namespace report {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// ---------------------------------------------------------------------------- numbers

// The number a printed text shows: digits and the decimal separator, a minus sign or
// brackets for negatives; grouping and literal text around it ignored.
std::optional<double> digitsOf(std::string_view text, char separator) {
    std::string plain;
    bool negative = false, point = false, any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            plain += c;
            any = true;
        } else if (c == separator && !point && i + 1 < text.size() && isDigit(text[i + 1])) {
            plain += '.';
            point = true;
        } else if (c == '-' || c == '(') {
            negative = true;
        } else if (c == 'E' || c == 'e') {
            return std::nullopt; // exponent forms are left as printed
        }
    }
    if (!any)
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec != std::errc() || end != plain.data() + plain.size())
        return std::nullopt;
    return negative ? -value : value;
}

int decimalsShown(std::string_view text, char separator) {
    const std::size_t at = text.rfind(separator);
    if (at == std::string_view::npos)
        return 0;
    int n = 0;
    for (std::size_t i = at + 1; i < text.size() && isDigit(text[i]); ++i)
        ++n;
    return n;
}

std::string zeros(int n) {
    return std::string(static_cast<std::size_t>(std::max(0, n)), '0');
}

std::string withDecimals(std::string integerPart, int decimals) {
    return decimals > 0 ? integerPart + "." + zeros(decimals) : integerPart;
}

// A custom number pattern in Excel's form: literal text quoted, optional decimals ("#"
// after the point) cut to the decimals the cell shows, so Excel prints no bare point.
std::string excelNumberPattern(std::string_view pattern, int shown) {
    std::string out;
    bool afterPoint = false;
    int placed = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\'' || c == '"') {
            const std::size_t end = pattern.find(c, i + 1);
            const std::size_t stop = end == std::string_view::npos ? pattern.size() : end;
            std::string literal(pattern.substr(i + 1, stop - i - 1));
            out += '"';
            for (char ch : literal)
                if (ch != '"')
                    out += ch;
            out += '"';
            i = stop;
            continue;
        }
        if (c == ';') {
            afterPoint = false;
            placed = 0;
            out += c;
        } else if (c == '.') {
            afterPoint = true;
            placed = 0;
            out += c;
        } else if (c == '#' && afterPoint) {
            if (placed++ < shown)
                out += '0';
        } else if (c == '0' && afterPoint) {
            ++placed;
            out += c;
        } else if (c == '0' || c == '#' || c == ',' || c == ' ' || c == '-' || c == '+' ||
                   c == '(' || c == ')' || c == '$') {
            out += c;
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            // a multi-byte character: quote it whole
            std::size_t n = 1;
            while (i + n < pattern.size() &&
                   (static_cast<unsigned char>(pattern[i + n]) & 0xC0) == 0x80)
                ++n;
            out += '"';
            out.append(pattern.substr(i, n));
            out += '"';
            i += n - 1;
        } else {
            out += '\\';
            out += c;
        }
    }
    // A point left without digits after it.
    std::string cleaned;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '.' && (i + 1 == out.size() || (out[i + 1] != '0')))
            continue;
        cleaned += out[i];
    }
    return cleaned;
}

std::optional<TRMCellValue> numberValue(std::string_view text, std::int32_t code,
                                        std::string_view formatText) {
    char separator = formatSeparator(code);
    if (separator == 0)
        separator = '.';
    const std::optional<double> value = digitsOf(text, separator);
    if (!value)
        return std::nullopt;
    if (formatValue(platform::Variant(*value), code, formatText) != text)
        return std::nullopt;
    const int decimals = formatDecimals(code);
    const int shown = decimalsShown(text, separator);
    TRMCellValue cell{TRMCellValue::Number, *value, {}};
    switch (formatSubKind(code)) {
    case 0:
        cell.excelFormat = withDecimals("0", shown);
        break;
    case 1:
        cell.excelFormat = withDecimals("0", decimals);
        break;
    case 2:
        cell.excelFormat = withDecimals("#,##0", shown);
        break;
    case 3:
        cell.excelFormat = withDecimals("#,##0", decimals);
        break;
    default:
        cell.excelFormat = excelNumberPattern(formatText, shown);
        break;
    }
    return cell;
}

// ----------------------------------------------------------------------- dates, times

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

struct DateReader {
    std::string_view text;
    std::size_t pos = 0;
    const TRMFormatSettings& settings;
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0, ms = 0;
    bool dateSeen = false, pm = false, am = false, twelveHour = false;

    bool number(int& out, std::size_t minDigits, std::size_t maxDigits) {
        std::size_t n = 0;
        int value = 0;
        while (n < maxDigits && pos + n < text.size() && isDigit(text[pos + n]))
            value = value * 10 + (text[pos + n++] - '0');
        if (n < minDigits)
            return false;
        pos += n;
        out = value;
        return true;
    }
    bool literal(std::string_view what) {
        if (text.substr(pos, what.size()) != what)
            return false;
        pos += what.size();
        return true;
    }
    // One of the names name(1..count), longest first so that "十二月" wins over "二月".
    template <typename Names>
    bool name(Names names, int count, int* index) {
        int best = 0;
        std::size_t bestLength = 0;
        for (int i = 1; i <= count; ++i) {
            const std::string& n = names(i);
            if (n.size() > bestLength && text.substr(pos, n.size()) == n) {
                best = i;
                bestLength = n.size();
            }
        }
        if (best == 0)
            return false;
        pos += bestLength;
        if (index != nullptr)
            *index = best;
        return true;
    }

    bool read(std::string_view pattern, int depth) {
        bool afterHour = false;
        std::size_t i = 0;
        const std::string lowered = lower(pattern);
        auto count = [&](char c) {
            std::size_t n = 0;
            while (i + n < lowered.size() && lowered[i + n] == c)
                ++n;
            return n;
        };
        twelveHour = twelveHour || lowered.find("am/pm") != std::string::npos ||
                     lowered.find("a/p") != std::string::npos ||
                     lowered.find("ampm") != std::string::npos;
        while (i < pattern.size()) {
            const char raw = pattern[i];
            const char c = lowered[i];
            bool ok = true;
            if (raw == '\'' || raw == '"') {
                const std::size_t end = pattern.find(raw, i + 1);
                const std::size_t stop = end == std::string_view::npos ? pattern.size() : end;
                ok = literal(pattern.substr(i + 1, stop - i - 1));
                i = stop == pattern.size() ? stop : stop + 1;
                if (!ok)
                    return false;
                continue;
            }
            if (c == 'd') {
                const std::size_t n = count('d');
                i += n;
                if (n <= 2)
                    ok = number(day, n, 2);
                else if (n == 3)
                    ok = name(shortDayName, 7, nullptr);
                else if (n == 4)
                    ok = name(longDayName, 7, nullptr);
                else
                    ok = depth < 2 &&
                         read(n == 5 ? settings.ShortDateFormat : settings.LongDateFormat,
                              depth + 1);
                dateSeen = true;
                afterHour = false;
            } else if (c == 'm') {
                const std::size_t n = count('m');
                i += n;
                if (afterHour && n <= 2) {
                    ok = number(minute, n, 2);
                } else {
                    if (n <= 2)
                        ok = number(month, n, 2);
                    else
                        ok = name(n == 3 ? shortMonthName : longMonthName, 12, &month);
                    dateSeen = true;
                }
                afterHour = false;
            } else if (c == 'y') {
                const std::size_t n = count('y');
                i += n;
                ok = number(year, n <= 2 ? 2 : 4, n <= 2 ? 2 : 4);
                if (ok && n <= 2)
                    year += year < 50 ? 2000 : 1900;
                dateSeen = true;
                afterHour = false;
            } else if (c == 'h') {
                const std::size_t n = count('h');
                i += n;
                ok = number(hour, n, 2);
                afterHour = true;
            } else if (c == 'n') {
                const std::size_t n = count('n');
                i += n;
                ok = number(minute, n, 2);
                afterHour = false;
            } else if (c == 's') {
                const std::size_t n = count('s');
                i += n;
                ok = number(second, n, 2);
                afterHour = false;
            } else if (c == 'z') {
                const std::size_t n = count('z');
                i += n;
                ok = number(ms, n == 1 ? 1 : 3, 3);
            } else if (c == 't') {
                const std::size_t n = count('t');
                i += n;
                ok = depth < 2 &&
                     read(n == 1 ? settings.ShortTimeFormat : settings.LongTimeFormat, depth + 1);
            } else if (c == 'c') {
                ++i;
                // A date, a time, or both (as printed for a value with and without a time).
                const std::size_t start = pos;
                ok = depth < 2 && read(settings.ShortDateFormat, depth + 1);
                if (ok && literal(" "))
                    ok = read(settings.LongTimeFormat, depth + 1);
                if (!ok) {
                    pos = start;
                    ok = depth < 2 && read(settings.LongTimeFormat, depth + 1);
                }
            } else if (c == 'a' && lowered.compare(i, 5, "am/pm") == 0) {
                i += 5;
                pm = literal("pm");
                am = !pm && literal("am");
                ok = pm || am;
            } else if (c == 'a' && lowered.compare(i, 3, "a/p") == 0) {
                i += 3;
                pm = literal("p");
                am = !pm && literal("a");
                ok = pm || am;
            } else if (c == 'a' && lowered.compare(i, 4, "ampm") == 0) {
                i += 4;
                pm = literal(settings.TimePMString);
                am = !pm && literal(settings.TimeAMString);
                ok = pm || am;
            } else if (raw == '/') {
                ++i;
                ok = literal(std::string(1, settings.DateSeparator));
            } else if (raw == ':') {
                ++i;
                ok = literal(std::string(1, settings.TimeSeparator));
            } else {
                ok = literal(pattern.substr(i, 1));
                ++i;
            }
            if (!ok)
                return false;
        }
        return true;
    }
};

std::optional<TRMCellValue> dateValue(std::string_view text, const std::string& pattern,
                                      bool timeOnly) {
    double days = 0;
    if (!parseWithPattern(pattern, text, days))
        return std::nullopt;
    TRMFormatSettings settings = defaultFormatSettings();
    if (!timeOnly && pattern.find('/') != std::string::npos)
        settings.DateSeparator = '/';
    if (formatDateTime(pattern, days, settings) != text)
        return std::nullopt;
    // Excel counts 1900 as a leap year: its serial numbers agree with ours from March 1900.
    if (!timeOnly && days < 61)
        return std::nullopt;
    return TRMCellValue{TRMCellValue::Date, days, excelDateFormat(pattern)};
}

void appendQuoted(std::string& out, std::string_view literal) {
    if (literal.empty())
        return;
    out += '"';
    for (char c : literal)
        if (c != '"')
            out += c;
    out += '"';
}

} // namespace

bool parseWithPattern(std::string_view pattern, std::string_view text, double& days) {
    TRMFormatSettings settings = defaultFormatSettings();
    if (pattern.find('/') != std::string_view::npos)
        settings.DateSeparator = '/';
    DateReader reader{text, 0, settings};
    if (pattern.empty())
        pattern = "c";
    if (!reader.read(pattern, 0) || reader.pos != text.size())
        return false;
    int hour = reader.hour;
    if (reader.twelveHour) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (reader.pm ? 12 : 0);
    }
    try {
        const double date =
            reader.dateSeen ? encodeDate(reader.year, reader.month, reader.day) : 0.0;
        const double time = encodeTime(hour, reader.minute, reader.second, reader.ms);
        days = date < 0 ? date - time : date + time;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::string excelDateFormat(std::string_view pattern) {
    const TRMFormatSettings& settings = defaultFormatSettings();
    std::string out;
    bool names = false, afterHour = false;
    const std::string lowered = lower(pattern);
    std::size_t i = 0;
    auto count = [&](char c) {
        std::size_t n = 0;
        while (i + n < lowered.size() && lowered[i + n] == c)
            ++n;
        return n;
    };
    while (i < pattern.size()) {
        const char raw = pattern[i];
        const char c = lowered[i];
        if (raw == '\'' || raw == '"') {
            const std::size_t end = pattern.find(raw, i + 1);
            const std::size_t stop = end == std::string_view::npos ? pattern.size() : end;
            appendQuoted(out, pattern.substr(i + 1, stop - i - 1));
            i = stop == pattern.size() ? stop : stop + 1;
            continue;
        }
        if (c == 'd') {
            const std::size_t n = count('d');
            i += n;
            if (n <= 4)
                out += std::string(n, 'd');
            else
                out += excelDateFormat(n == 5 ? settings.ShortDateFormat : settings.LongDateFormat);
            names = names || n == 3 || n == 4;
            afterHour = false;
        } else if (c == 'm') {
            const std::size_t n = count('m');
            i += n;
            out += std::string(std::min<std::size_t>(n, 4), 'm');
            names = names || (!afterHour && n >= 3);
            afterHour = false;
        } else if (c == 'y') {
            const std::size_t n = count('y');
            i += n;
            out += n <= 2 ? "yy" : "yyyy";
            afterHour = false;
        } else if (c == 'h') {
            const std::size_t n = count('h');
            i += n;
            out += n == 1 ? "h" : "hh";
            afterHour = true;
        } else if (c == 'n') {
            const std::size_t n = count('n');
            i += n;
            out += n == 1 ? "m" : "mm";
            afterHour = false;
        } else if (c == 's') {
            const std::size_t n = count('s');
            i += n;
            out += n == 1 ? "s" : "ss";
            afterHour = false;
        } else if (c == 'z') {
            i += count('z');
            out += "000";
        } else if (c == 't') {
            const std::size_t n = count('t');
            i += n;
            out += excelDateFormat(n == 1 ? settings.ShortTimeFormat : settings.LongTimeFormat);
        } else if (c == 'c') {
            ++i;
            out += excelDateFormat(settings.ShortDateFormat) + " " +
                   excelDateFormat(settings.LongTimeFormat);
        } else if (lowered.compare(i, 5, "am/pm") == 0) {
            i += 5;
            out += "AM/PM";
        } else if (lowered.compare(i, 3, "a/p") == 0) {
            i += 3;
            out += "A/P";
        } else if (lowered.compare(i, 4, "ampm") == 0) {
            i += 4;
            out += "AM/PM";
            names = true;
        } else if (raw == '/' || raw == ':' || raw == '-' || raw == ' ' || raw == '.' ||
                   raw == ',') {
            out += raw == '/' ? "/" : std::string(1, raw);
            ++i;
        } else {
            std::size_t n = 1;
            if (static_cast<unsigned char>(raw) >= 0x80)
                while (i + n < pattern.size() &&
                       (static_cast<unsigned char>(pattern[i + n]) & 0xC0) == 0x80)
                    ++n;
            appendQuoted(out, pattern.substr(i, n));
            i += n;
        }
    }
    // Day and month names, and the morning/afternoon words, in Chinese.
    return names ? "[$-804]" + out : out;
}

TRMCellValue cellValueOf(std::string_view text, std::int32_t code, std::string_view formatText) {
    const std::string trimmed = platform::trimBlanks(text);
    if (trimmed.empty() || trimmed != text)
        return {};
    std::optional<TRMCellValue> value;
    const int sub = formatSubKind(code);
    switch (formatKind(code)) {
    case fkNumber:
        value = numberValue(text, code, formatText);
        break;
    case fkDate:
        value =
            dateValue(text, sub <= 6 ? predefinedDateFormat(sub) : std::string(formatText), false);
        break;
    case fkTime:
        value =
            dateValue(text, sub <= 3 ? predefinedTimeFormat(sub) : std::string(formatText), true);
        break;
    default:
        break;
    }
    return value ? *value : TRMCellValue{};
}

} // namespace report
