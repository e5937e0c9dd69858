#pragma once

// The report variables the archive's preview and print commands fill ("Oper", "Date",
// "Time", "Title"): entries of the report engine's process-wide GlobalVariables, stored as
// text; an existing entry is overwritten, names compare without regard to case.

#include <string>
#include <string_view>

namespace archive {

void setReportVariable(std::string_view name, const std::string& value);
// The text stored under `name` ("" when absent).
std::string reportVariable(std::string_view name);

} // namespace archive
