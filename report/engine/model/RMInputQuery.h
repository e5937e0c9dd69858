#pragma once

// The INPUT function asks the user through a hook: the engine has no widgets, the preview
// side installs a dialog (platform::inputQuery) and tests install their answers.

#include <functional>
#include <optional>
#include <string>

namespace report {

// Text entered for `prompt`, or nullopt when the user cancelled.
using TRMInputHook = std::function<std::optional<std::string>(const std::string& prompt,
                                                              const std::string& defaultText)>;

// Installs the process-wide hook (an empty one removes it) and returns the previous one.
TRMInputHook installInputHook(TRMInputHook hook);

// Asks through the installed hook; the default text when cancelled or with no hook.
std::string inputQuery(const std::string& prompt, const std::string& defaultText);

} // namespace report
