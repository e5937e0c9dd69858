#include "archive/NextCode.h"

#include "platform/Gbk.h"
#include "plugin/ZeroPad.h"

#include <limits>

namespace archive {

std::optional<std::int32_t> readInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max() ||
        value < std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<std::string> nextCode(std::string_view codeAbove) {
    const std::optional<std::int32_t> number = readInteger(codeAbove);
    if (!number || *number == std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    const int width = static_cast<int>(platform::trimBlanks(codeAbove).size());
    return plugin::ZeroPad(width, static_cast<double>(*number + 1));
}

} // namespace archive
