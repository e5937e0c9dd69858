#pragma once

// A one-line text prompt in a small modal dialog (the report engine's INPUT function is
// answered through it by the preview side).

#include <optional>
#include <string>

namespace platform {

// The text entered, or nullopt when the user cancelled.
std::optional<std::string> inputQuery(const std::string& caption, const std::string& prompt,
                                      const std::string& defaultText);

} // namespace platform
