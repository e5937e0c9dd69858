#pragma once

// The code proposed for a new row: the code of the row above plus one, zero-padded to that
// code's trimmed length ("0009" → "0010", "99" → "100"). Nothing when the code above does not
// read as a 32-bit integer ("12A", "12 ", empty) or the next number does not fit one.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace archive {

// Reads `text` as a 32-bit signed decimal integer: leading blanks and one sign allowed,
// nothing after the digits.
std::optional<std::int32_t> readInteger(std::string_view text);

std::optional<std::string> nextCode(std::string_view codeAbove);

} // namespace archive
