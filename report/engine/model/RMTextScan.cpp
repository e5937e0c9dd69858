#include "report/engine/model/RMTextScan.h"

#include <algorithm>
#include <cctype>

namespace report {

bool sameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    // ASCII letters only, without the locale's table: names compare alike in every locale.
    const auto fold = [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
    };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

std::string upperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string lowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace report

namespace report::detail {

std::size_t matchGroup(std::string_view text, std::size_t start, char open, char close) {
    int level = 0;
    bool inSingle = false, inDouble = false;
    for (std::size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' && !inSingle)
            inDouble = !inDouble;
        else if (c == '\'' && !inDouble)
            inSingle = !inSingle;
        else if (!inSingle && !inDouble) {
            if (c == open)
                ++level;
            else if (c == close && --level == 0)
                return i + 1;
        }
    }
    return std::string_view::npos;
}

} // namespace report::detail
