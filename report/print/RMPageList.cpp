#include "report/print/RMPageList.h"

#include <algorithm>
#include <charconv>

namespace report {

namespace {

[[noreturn]] void notAnInteger(const std::string& text) {
    throw EConvertError("'" + text + "' 不是有效的整数值");
}

int toInt(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        notAnInteger(text);
    return value;
}

} // namespace

std::set<int> parsePageList(const std::string& text, int pageCount) {
    std::string list;
    for (char c : text)
        if (c != ' ')
            list += c;
    std::set<int> pages;
    if (list.empty())
        return pages;
    if (list.back() == '-')
        list += std::to_string(pageCount);
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        const std::string item = list.substr(start, comma - start);
        const std::size_t dash = item.find('-');
        if (dash == std::string::npos) {
            pages.insert(toInt(item));
        } else {
            const int first = toInt(item.substr(0, dash));
            const int last = toInt(item.substr(dash + 1));
            // A range past the last page stops there, so "1-99999" cannot run away.
            for (int page = first; page <= std::min(last, std::max(pageCount, first)); ++page)
                pages.insert(page);
        }
        start = comma + 1;
    }
    return pages;
}

bool isPageListText(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || c == ',' || c == '-'; });
}

} // namespace report
