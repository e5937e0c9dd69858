#pragma once

// The report variables the archive's preview and print commands fill ("Oper", "Date",
// "Time", "Title"), stored as text; an existing entry is overwritten, names compare without
// regard to case.
//
// HOLDER: these belong in the report engine's process-wide GlobalVariables
// (report/engine/RMVariables.h). Until the archive links the engine, they are kept here, in
// one process-wide ordered list with the same rules; setReportVariable() is the one place to
// switch over.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace archive {

void setReportVariable(std::string_view name, const std::string& value);
// The text stored under `name` ("" when absent).
std::string reportVariable(std::string_view name);
// Every entry, in the order it was first stored.
const std::vector<std::pair<std::string, std::string>>& reportVariables();

} // namespace archive
