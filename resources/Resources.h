#pragma once

// Data files compiled into the program.

#include <string_view>

namespace resources {

// resources/engine_texts.tsv: one "id<TAB>text" line per engine text.
std::string_view engineTextsTable();

} // namespace resources
