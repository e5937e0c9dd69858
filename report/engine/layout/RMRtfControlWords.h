#pragma once

// The control words the rich-text reader acts on, by name, and the byte classes of RTF's
// syntax (control words are ASCII letters, parameters ASCII digits, `\'hh` hex escapes).

#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace report::rtf::detail {

inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
// The value of a hex digit, or -1.
inline int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

enum class Word : std::uint8_t {
    // header
    Ansi,
    AnsiCpg,
    Mac,
    Pc,
    Pca,
    Deff,
    Uc,
    // destinations
    FontTable,
    ColorTable,
    SkippedDestination,
    // font and colour table entries
    Font,
    FontCharset,
    CodePage,
    Red,
    Green,
    Blue,
    // text
    Par,
    Line,
    Tab,
    Unicode,
    Bin,
    Special,
    // character formatting
    Plain,
    FontSize,
    Bold,
    Italic,
    Underline,
    NoUnderline,
    Strike,
    ForeColor,
    Highlight,
    Super,
    Sub,
    NoSuperSub,
    Hidden,
    // paragraph formatting
    Pard,
    AlignLeft,
    AlignRight,
    AlignCenter,
    AlignJustify,
};

struct WordInfo {
    Word word;
    char16_t special = 0; // character of a Special word
};

// Known words; a word not listed is skipped.
const std::unordered_map<std::string_view, WordInfo>& controlWords();

} // namespace report::rtf::detail
