#pragma once

// Code pages of RTF text: which code page a font character set stands for, and 8-bit text
// of a code page to and from Unicode.

#include <QString>

#include <string>
#include <string_view>

namespace report::rtf::detail {

// The code page a rich-edit control on this system reads "ANSI" text in.
inline constexpr int kSystemCodePage = 936;

// Code page of a font's `\fcharsetN`; `documentCodePage` for the default character set (1)
// and for sets without a code page of their own.
int codePageOfCharset(int charset, int documentCodePage);

// Decodes 8-bit text of `codePage` (a code page this system does not know reads as 1252). Bytes
// that do not form a character (a lead byte without its trail byte, unassigned codes) become
// U+FFFD; never fails.
QString decodeBytes(std::string_view bytes, int codePage);

// Whether a decoded character may enter a document: not a control other than tab (a line
// feed would start a block), not the paragraph separator, the object replacement or the
// non-characters the text document uses as markers.
constexpr bool isDocumentText(char16_t c) {
    if (c < 0x20)
        return c == '\t';
    return c != 0x2029 && c != 0xFFFC && !(c >= 0xFDD0 && c <= 0xFDEF);
}

// A font face as the font table can hold it: no controls, no ";" (it ends an entry), no
// blanks at either end.
QString cleanFaceName(const QString& face);

// GBK bytes of one character (given as its UTF-16 code units), or empty when GBK cannot
// hold it.
std::string gbkBytesOf(const QString& character);

} // namespace report::rtf::detail
