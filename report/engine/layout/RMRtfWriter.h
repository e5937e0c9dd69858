#pragma once

// Writes a QTextDocument as rich text that readRtf reads back with the same text, paragraph
// alignment and character formats (face, size in half points, bold, italic, underline,
// strike-out, super-/subscript, colour, highlight; each paragraph's block character format).
//
// The fonts form the font table in order of first use: a face with a non-ASCII name or
// with text written as GBK gets `\fcharset134`, any other `\fcharset0`. Text outside ASCII
// is written as GBK `\'hh` escapes, a character GBK cannot hold as `\uN?`. Runs without a
// face or size use the document's default font.

#include <QTextDocument>

#include <string>

namespace report::rtf {

std::string writeRtf(const QTextDocument& doc);

} // namespace report::rtf
