#pragma once

// Plain single lines of text drawn as glyph runs: the glyph and advance of every character
// are looked up once per font and device resolution (by laying out that character alone, so
// the font Qt itself picks for it, fallbacks included, is the one used), then a line is drawn
// with QPainter::drawGlyphRun without shaping it again. Only texts whose characters need no
// shaping qualify (Latin, CJK, digits, punctuation, blanks); anything else — combining marks,
// right-to-left text, complex scripts, surrogates, controls — and fonts with decorations,
// letter spacing or stretch are left to QPainter::drawText.

#include <QString>

class QFont;
class QPainter;
class QPointF;

namespace platform {

// Process-wide switch (on by default); off, every text is shaped by drawText (for
// comparing the two paths).
void setPlainTextGlyphRuns(bool on);
bool plainTextGlyphRuns();

// True when every character of `text` may be drawn without shaping.
bool isPlainText(const QString& text);

// Draws `text` with its base line starting at `baseLine` in `font` (resolved for the
// painter's device) and the painter's pen; false, drawing nothing, when the text or the font
// needs full shaping, a character has no glyph of its own, or the device is neither an image,
// a widget nor a PDF (pictures keep the characters of a text, glyph runs have none).
bool drawPlainText(QPainter& painter, const QPointF& baseLine, const QFont& font,
                   const QString& text);

} // namespace platform
