#pragma once

#include <string>

namespace report {

// Asks the user for a text in a small modal dialog; the default text when cancelled.
std::string inputQuery(const std::string& prompt, const std::string& defaultText);

} // namespace report
