#pragma once

// Chinese numerals for amounts and counts (capital money numerals and lower-case numbers).

#include <string>
#include <string_view>

namespace report {

// Each digit of the trimmed text as its capital numeral; a non-digit raises
// platform::EVariantError.
std::string SmallToBig(std::string_view digits);
// Capital numeral of the digit `position` places left of the decimal point (1 = units);
// empty when the place does not exist or position is not positive. A number without a
// decimal point is read as if the point followed its last digit.
std::string SinglNumToBig(double number, int position);
// Amount in capital numerals with money units ("壹佰圆整").
std::string CurrToBigNum(double amount);
// Number in lower-case numerals with place words ("十二", "一百零五"). Numbers of 10^9 or
// more do not fit the nine-place layout and are given as plain decimal text.
std::string CNUMBER(double number);

} // namespace report
