#include "report/engine/RMTextScan.h"

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
