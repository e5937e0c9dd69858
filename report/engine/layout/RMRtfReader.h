#pragma once

// Reads rich text (RTF bytes, text in code page 936 unless the text says otherwise) into a
// QTextDocument: paragraphs with their alignment, runs with font face, size, bold, italic,
// underline, strike-out, super-/subscript, colour and highlight. Everything else (pictures,
// style sheets, fields' instructions, unknown control words and `\*` destinations) is
// skipped.
//
// Paragraphs: every `\par` ends one; a final `\par` right before the end of the text starts
// no further empty paragraph (the way the rich-edit control reads its own output). Each
// paragraph's block character format is the character format in effect at its end, which
// gives an empty paragraph its height. Runs always carry an explicit point size (RTF's
// default is 12 pt) and, when a font is in effect, the font's face; `\line` becomes
// U+2028, `\tab` a tab.
//
// Hostile text never crashes, loops or allocates beyond a small multiple of its size.

#include <QTextDocument>

#include <string>
#include <string_view>

namespace report::rtf {

// Groups nested deeper than this refuse the text.
inline constexpr int kMaxGroupDepth = 256;

// Replaces the content of `doc` by the rich text. Returns false, leaves `doc` empty and sets
// `*error` (when given) for text that does not start with "{\rtf" or nests groups too
// deeply. A text cut short (groups left open) is read as far as it goes.
bool readRtf(std::string_view rtfBytes, QTextDocument& doc, std::string* error = nullptr);

} // namespace report::rtf
