#pragma once

// The report engine's numbered texts (captions, hints, messages of its windows), UTF-8.
// The table lives in resources/engine_texts.tsv and is compiled into the program.

#include <string>
#include <string_view>

namespace platform {

// Text `id`; the built-in fallback where the engine has one, else "" for an unknown id.
std::string engineText(int id);

// Text `id`, or `fallback` when the table has no (or an empty) text for it.
std::string engineText(int id, std::string_view fallback);

// Whether the table holds a text for `id` (fallbacks not counted).
bool hasEngineText(int id);

} // namespace platform
