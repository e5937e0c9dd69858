#pragma once

// The control words the rich-text reader acts on, by name.

#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace report::rtf::detail {

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
