#pragma once

// Text helpers shared across the engine: name comparison as the engine does it (ASCII
// letters without regard to case) and the quote-aware group matching that the expression
// parser, the function splitter and bracket expansion must agree on.

#include <cstddef>
#include <string>
#include <string_view>

namespace report {

// Case-insensitive (ASCII letters) comparison and case mapping of names.
bool sameText(std::string_view a, std::string_view b);
std::string upperCase(std::string_view text);
std::string lowerCase(std::string_view text);

} // namespace report

namespace report::detail {

// Index just past the group that opens at `start` (`open` … `close`), counting nesting
// outside single- and double-quoted text; npos when the group does not close.
std::size_t matchGroup(std::string_view text, std::size_t start, char open, char close);

} // namespace report::detail
