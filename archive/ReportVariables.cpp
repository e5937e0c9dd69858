#include "archive/ReportVariables.h"

#include <algorithm>
#include <cctype>

namespace archive {
namespace {

std::vector<std::pair<std::string, std::string>>& entries() {
    static std::vector<std::pair<std::string, std::string>> list;
    return list;
}

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

auto findEntry(std::string_view name) {
    return std::find_if(entries().begin(), entries().end(),
                        [&](const auto& e) { return sameName(e.first, name); });
}

} // namespace

void setReportVariable(std::string_view name, const std::string& value) {
    if (auto it = findEntry(name); it != entries().end())
        it->second = value;
    else
        entries().emplace_back(std::string(name), value);
}

std::string reportVariable(std::string_view name) {
    auto it = findEntry(name);
    return it == entries().end() ? std::string() : it->second;
}

const std::vector<std::pair<std::string, std::string>>& reportVariables() {
    return entries();
}

} // namespace archive
