#pragma once

// Helpers the archive module shares: showing a message array from the host's data service,
// and zero padding.

#include "platform/Variant.h"
#include "platform/WindowHandle.h"
#include "plugin/ZeroPad.h"

#include <string>
#include <string_view>

namespace plugin {

// Joins the texts of a message array (first dimension, in order) with CR LF, after
// `prefix` and CR LF when a prefix is given. A value that is no array, or an element that
// cannot become text, ends the list with "未知错误！". The text goes to `joined`; when
// `owner` is not 0 it is also shown in an error box ("错误") owned by it. Never raises.
void ShowMessageList(platform::WindowHandle owner, const platform::Variant& messages,
                     std::string_view prefix, std::string& joined);

} // namespace plugin
