#include "report/engine/expressions/RMChineseNumerals.h"

#include "platform/Gbk.h"
#include "platform/Variant.h"
#include "report/engine/expressions/RMDisplayFormat.h"

#include <cmath>
#include <cstdio>

namespace report {

namespace {

constexpr const char* capital[] = {"零", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖"};
constexpr const char* lower[] = {"零", "一", "二", "三", "四", "五", "六", "七", "八", "九"};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Removes the last UTF-8 character of `text`.
void popCharacter(std::string& text) {
    if (text.empty())
        return;
    std::size_t i = text.size() - 1;
    while (i > 0 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
        --i;
    text.erase(i);
}

bool endsWith(const std::string& text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

std::string SmallToBig(std::string_view digits) {
    const std::string text = platform::trimBlanks(digits);
    std::string out;
    for (char c : text) {
        if (!isDigit(c))
            throw platform::EVariantError("'" + std::string(1, c) +
                                          "' is not a valid integer value");
        out += capital[c - '0'];
    }
    return out;
}

std::string SinglNumToBig(double number, int position) {
    if (position <= 0)
        return {};
    std::string text = shortestDecimal(number);
    if (!text.empty() && text.front() == '-')
        text.erase(0, 1);
    std::size_t point = text.find('.');
    if (point == std::string::npos)
        point = text.size();
    if (static_cast<std::size_t>(position) > point)
        return {};
    const char c = text[point - static_cast<std::size_t>(position)];
    return isDigit(c) ? capital[c - '0'] : std::string();
}

std::string CurrToBigNum(double amount) {
    const double rounded = platform::Currency::fromDouble(amount).toDouble();
    std::string text = shortestDecimal(rounded);
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.erase(0, 1);
    }
    const std::size_t point = text.find('.');
    const std::string integerDigits = text.substr(0, point);
    const std::string decimals =
        point == std::string::npos ? std::string() : text.substr(point + 1);

    static constexpr const char* placeWords[] = {"", "拾", "佰", "仟"};
    static constexpr const char* groupWords[] = {"", "万", "亿", "兆"};
    std::string result;
    bool zero = true; // the previous digit was zero; carries over between groups
    const int length = static_cast<int>(integerDigits.size());
    for (int groupIndex = 0; groupIndex * 4 < length; ++groupIndex) {
        std::string groupText;
        for (int place = 0; place < 4; ++place) {
            const int index = length - 1 - groupIndex * 4 - place;
            if (index < 0)
                break;
            const int digit = integerDigits[static_cast<std::size_t>(index)] - '0';
            if (digit != 0) {
                groupText = std::string(capital[digit]) + placeWords[place] + groupText;
                zero = false;
            } else {
                if (!zero && place != 0)
                    groupText = "零" + groupText;
                zero = true;
            }
        }
        if (!groupText.empty())
            result = groupText + (groupIndex < 4 ? groupWords[groupIndex] : "") + result;
        else if (!result.empty() && result.rfind("零", 0) != 0)
            result = "零" + result;
    }
    if (!result.empty())
        result += "圆";
    static constexpr const char* decimalWords[] = {"角", "分", "厘"};
    for (std::size_t i = 0; i < decimals.size(); ++i)
        result += std::string(capital[decimals[i] - '0']) + (i < 3 ? decimalWords[i] : "");
    if (result.empty())
        result = "零";
    if (negative)
        result = "负" + result;
    if (std::llround(std::fabs(rounded) * 100.0) % 10 == 0)
        result += "整";
    return result;
}

std::string CNUMBER(double number) {
    // What rounds to zero (-0 and -0.001 included) has no sign.
    const double cents = std::round(std::fabs(number) * 100.0);
    std::string result = std::signbit(number) && cents != 0 ? "负" : "";
    number = std::fabs(number);
    // Only what rounds to nine integer places fits the layout; infinities and NaN neither.
    if (!(cents < 1e11))
        return result + shortestDecimal(number);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%12.2f", number);
    const std::string text = buffer; // nine integer places, the point, two decimals
    static constexpr const char* places[] = {"亿", "千", "百", "十", "万", "千", "百", "十", "一"};
    std::string out;
    int zeros = 0;
    for (int i = 0; i < 9; ++i) {
        const char c = text[static_cast<std::size_t>(i)];
        if (c == ' ')
            continue;
        const int digit = c - '0';
        if (digit != 0) {
            out += std::string(lower[digit]) + places[i];
            zeros = 0;
            continue;
        }
        // The ten-thousands word closes a group only when that group holds a digit
        // ("一亿零五", not "一亿万零五").
        const bool groupHasDigit =
            i == 4 && text.substr(1, 3).find_first_of("123456789") != std::string::npos;
        if (groupHasDigit) {
            if (endsWith(out, "零")) {
                popCharacter(out);
                out += "万零";
            } else {
                out += "万";
            }
        }
        if (zeros == 0)
            out += "零";
        ++zeros;
    }
    popCharacter(out); // units place word "一" or a trailing "零"
    const int tenths = text[10] - '0';
    const int hundredths = text[11] - '0';
    if (tenths == 0 && hundredths != 0)
        out += std::string("点零") + lower[hundredths];
    else if (tenths != 0) {
        out += std::string("点") + lower[tenths];
        if (hundredths != 0)
            out += lower[hundredths];
    }
    if (out.rfind("一十", 0) == 0)
        out.erase(0, std::string("一").size());
    return result + out;
}

} // namespace report
