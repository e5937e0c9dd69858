#include "plugin/ZeroPad.h"

#include <cmath>
#include <cstdio>

namespace plugin {
namespace {

constexpr int kMaxPaddedWidth = 20;

// General format with 15 significant digits: plain digits for whole numbers, a decimal
// point only when needed, and "1E20" / "1E-5" for exponents.
std::string generalText(double number) {
    if (std::isnan(number))
        return "NAN";
    if (std::isinf(number))
        return number < 0 ? "-INF" : "INF";
    if (number == 0)
        return "0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", number);
    std::string text(buffer);
    const std::size_t e = text.find('E');
    if (e == std::string::npos)
        return text;
    std::string mantissa = text.substr(0, e);
    std::string exponent = text.substr(e + 1);
    const bool negativeExponent = !exponent.empty() && exponent[0] == '-';
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-'))
        exponent.erase(0, 1);
    while (exponent.size() > 1 && exponent[0] == '0')
        exponent.erase(0, 1);
    return mantissa + "E" + (negativeExponent ? "-" : "") + exponent;
}

} // namespace

std::string ZeroPad(int width, double number) {
    std::string text = generalText(number);
    const int length = int(text.size());
    if (width <= length)
        return text;
    const int target = width > kMaxPaddedWidth ? kMaxPaddedWidth : width;
    if (length >= target)
        return text;
    return std::string(std::size_t(target - length), '0') + text;
}

} // namespace plugin
