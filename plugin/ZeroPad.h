#pragma once

#include <string>

namespace plugin {

// Left-pads `number` with zeros to `width` characters, never beyond 20 characters of
// padding target. The number prints in its shortest general decimal form (a whole number as
// its plain digits, a negative one with its minus sign, which counts as a character).
std::string ZeroPad(int width, double number);

} // namespace plugin
