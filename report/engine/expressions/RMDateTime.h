#pragma once

// Date-time values as day numbers (days since 1899-12-30, fraction = time of day), with the
// Simplified-Chinese locale texts the engine formats with.

#include "platform/Variant.h"

#include <string>
#include <string_view>

namespace report {

struct TRMDateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

TRMDateParts decodeDateTime(double days);
double encodeDate(int year, int month, int day); // EVariantError when out of range
double encodeTime(int hour, int minute, int second, int millisecond = 0);
int dayOfWeek(double days); // 1 = Sunday … 7 = Saturday

// Locale of the engine (Simplified Chinese conventions).
struct TRMFormatSettings {
    char DateSeparator = '-';
    char TimeSeparator = ':';
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    std::string ShortDateFormat = "yyyy-mm-dd";
    std::string LongDateFormat = "yyyy'年'm'月'd'日'";
    std::string ShortTimeFormat = "h:nn";
    std::string LongTimeFormat = "h:nn:ss";
    std::string TimeAMString = "上午";
    std::string TimePMString = "下午";
};
const TRMFormatSettings& defaultFormatSettings();
const std::string& shortMonthName(int month);                  // "1月"
const std::string& longMonthName(int month);                   // "一月"
const std::string& shortDayName(int day);                      // 1 = Sunday: "周日"
const std::string& longDayName(int day);                       // "星期日"
const std::string& englishMonthName(int month, bool longName); // "Jan" / "January"

// Formats with the day-number pattern language: d dd ddd dddd ddddd dddddd m mm mmm mmmm
// yy yyyy h hh n nn s ss z zzz t tt am/pm a/p c, '/' ':' and quoted literals.
std::string formatDateTime(std::string_view pattern, double days,
                           const TRMFormatSettings& settings = defaultFormatSettings());

// Reads a date ("2026-12-09", "2026/12/9", "2026.12.09", optionally followed by a time)
// and a time ("8:05", "08:05:30"); raise EVariantError ("'x' is not a valid date").
double parseDate(std::string_view text);
double parseTime(std::string_view text);

} // namespace report
