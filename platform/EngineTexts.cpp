#include "platform/EngineTexts.h"

#include "resources/Resources.h"

#include <charconv>
#include <unordered_map>

namespace platform {

namespace detail {
namespace {

// Built-in texts used when the table has none: the engine font of its windows.
std::string_view builtInFallback(int id) {
    switch (id) {
    case 47444:
        return "MS Sans Serif";
    case 47445:
        return "8";
    default:
        return {};
    }
}

std::string unescapeTsv(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::unordered_map<int, std::string> parseTable(std::string_view table) {
    std::unordered_map<int, std::string> texts;
    while (!table.empty()) {
        auto end = table.find('\n');
        std::string_view line = table.substr(0, end);
        table = end == std::string_view::npos ? std::string_view() : table.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        auto tab = line.find('\t');
        if (tab == std::string_view::npos)
            continue;
        int id = 0;
        auto [ptr, error] = std::from_chars(line.data(), line.data() + tab, id);
        if (error != std::errc() || ptr != line.data() + tab)
            continue;
        texts[id] = unescapeTsv(line.substr(tab + 1));
    }
    return texts;
}

const std::unordered_map<int, std::string>& table() {
    static const std::unordered_map<int, std::string> texts =
        parseTable(resources::engineTextsTable());
    return texts;
}

} // namespace
} // namespace detail

std::string engineText(int id) {
    return engineText(id, detail::builtInFallback(id));
}

std::string engineText(int id, std::string_view fallback) {
    const auto& texts = detail::table();
    auto found = texts.find(id);
    if (found == texts.end() || found->second.empty())
        return std::string(fallback);
    return found->second;
}

bool hasEngineText(int id) {
    const auto& texts = detail::table();
    auto found = texts.find(id);
    return found != texts.end() && !found->second.empty();
}

} // namespace platform
