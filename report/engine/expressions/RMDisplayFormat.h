#pragma once

// Display formats: the 32-bit format code of a view (kind, sub-kind, decimals, separator)
// and the pattern languages for numbers, dates, times and Booleans.

#include "platform/Variant.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace report {

enum TRMFormatKind { fkText = 0, fkNumber = 1, fkDate = 2, fkTime = 3, fkBoolean = 4 };

// Code layout: bits 24-27 kind, 16-23 sub-kind, 8-15 decimals, 0-7 decimal separator.
constexpr std::int32_t makeFormatCode(int kind, int subKind, int decimals, char separator) {
    return (kind << 24) | (subKind << 16) | (decimals << 8) | static_cast<unsigned char>(separator);
}
constexpr int formatKind(std::int32_t code) {
    return (code >> 24) & 0x0F;
}
constexpr int formatSubKind(std::int32_t code) {
    return (code >> 16) & 0xFF;
}
constexpr int formatDecimals(std::int32_t code) {
    return (code >> 8) & 0xFF;
}
constexpr char formatSeparator(std::int32_t code) {
    return static_cast<char>(code & 0xFF);
}

// Codes an inline format selects (" #N…", " #B…", " #D…", " #T…").
inline constexpr std::int32_t rmInlineNumber = 0x0104002E;
inline constexpr std::int32_t rmInlineBoolean = 0x04040000;
inline constexpr std::int32_t rmInlineDate = 0x02070000;
inline constexpr std::int32_t rmInlineTime = 0x03040000;

// Predefined patterns (engine texts 47174-47180, 47181-47184, 47169-47172).
std::string predefinedDateFormat(int index);    // 0-6
std::string predefinedTimeFormat(int index);    // 0-3
std::string predefinedBooleanFormat(int index); // 0-3

// Number pattern: sections "positive;negative;zero", '0' and '#' digits, '.' point,
// ',' thousands, quoted literals. Rounds half away from zero on 15 significant digits.
std::string formatFloat(std::string_view pattern, double value, char decimalSeparator = '.',
                        char thousandSeparator = ',');
// Fixed (optionally grouped) notation with `decimals` decimals.
std::string formatFixed(double value, int decimals, bool thousands, char decimalSeparator = '.');
// Shortest decimal text with up to 15 significant digits, never in exponent form.
std::string shortestDecimal(double value);
// Text of a value as functions and expressions see it: empty for empty and null,
// doubles as shortestDecimal, everything else as the Variant's own text.
std::string valueText(const platform::Variant& value);

// Formats `value` with a view's display format code and custom string; falls back to the
// value's plain text when the format cannot be applied. Empty, null and blank strings
// give empty text.
std::string formatValue(const platform::Variant& value, std::int32_t code,
                        std::string_view formatText);

} // namespace report
