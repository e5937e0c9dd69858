#include "plugin/SharedHelpers.h"

#include "platform/MessageBox.h"

#include <cstdio>

namespace plugin {

void ShowMessageList(platform::WindowHandle owner, const platform::Variant& messages,
                     std::string_view prefix, std::string& joined) {
    static constexpr std::string_view kLineEnd = "\r\n";
    std::string text;
    try {
        if (!prefix.empty()) {
            text += prefix;
            text += kLineEnd;
        }
        for (const platform::Variant& message : messages.arrayValue()) {
            text += message.toString();
            text += kLineEnd;
        }
    } catch (...) {
        text += "未知错误！";
        text += kLineEnd;
    }
    // Drop the final line end (nothing to drop for an empty list without prefix).
    if (text.size() >= kLineEnd.size())
        text.resize(text.size() - kLineEnd.size());
    joined = text;
    if (!owner)
        return;
    try {
        platform::MessageBox(owner, joined, "错误", platform::MB_OK | platform::MB_ICONERROR);
    } catch (...) {
        std::fprintf(stderr, "error: %s\n", joined.c_str());
    }
}

} // namespace plugin
