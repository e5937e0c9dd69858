#pragma once

// The value behind a cell's printed text. Prepared pages keep text only, so the value is
// read back from the text through the view's display format: a number format gives a
// number, a date or time format a day number. A text is taken as a value only when the
// format gives exactly that text again for it, so no cell changes what it shows.

#include <cstdint>
#include <string>
#include <string_view>

namespace report {

struct TRMCellValue {
    enum Kind { Text, Number, Date };
    Kind kind = Text;
    double number = 0; // Number: the value; Date: days since 1899-12-30 (time = fraction)
    // Excel number format showing `number` as the report printed it ("#,##0.00",
    // "yyyy\"年\"mm\"月\"dd\"日\"", "h:mm:ss").
    std::string excelFormat;
};

// The value of `text` printed with display format `code` and custom string `formatText`.
TRMCellValue cellValueOf(std::string_view text, std::int32_t code, std::string_view formatText);

// Reads `text` with a date-time pattern of the engine's pattern language; false when the
// text does not follow it.
bool parseWithPattern(std::string_view pattern, std::string_view text, double& days);

// Excel's form of an engine date-time pattern ("yyyy'年'mm'月'" → "yyyy\"年\"mm\"月\"").
std::string excelDateFormat(std::string_view pattern);

} // namespace report
