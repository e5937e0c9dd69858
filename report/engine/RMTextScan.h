#pragma once

// Scanning helpers shared by the expression parser, the function splitter and bracket
// expansion, so that all three agree on where a group ends.

#include <cstddef>
#include <string_view>

namespace report::detail {

// Index just past the group that opens at `start` (`open` … `close`), counting nesting
// outside single- and double-quoted text; npos when the group does not close.
std::size_t matchGroup(std::string_view text, std::size_t start, char open, char close);

} // namespace report::detail
