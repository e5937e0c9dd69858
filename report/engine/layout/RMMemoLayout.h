#pragma once

// Line breaking of memo text: tokens of one double-byte character or a run of single-byte
// characters up to a delimiter, the line-start punctuation rule of WordBreak, and the
// cutting of tokens wider than the line. Widths are page pixels measured with design
// metrics (RMTextMeasure), so the result does not depend on the output device.

#include "report/engine/layout/RMTextMeasure.h"
#include "report/engine/model/RMStream.h"

#include <string>
#include <string_view>
#include <vector>

namespace report {

// A memo's text laid out in page pixels at scale 1 (what drawing and preparation share).
struct TRMMemoLayout {
    TRMStrings Lines;           // output lines without their markers
    std::vector<double> Widths; // measured width of each line
    TRMTextFont Font;
    int FontSize = 10;    // points, after font scaling
    int LineHeight = 0;   // LineSpacing + character height
    int TextHeight = 0;   // LineHeight × lines − LineSpacing (0 without lines)
    double Available = 0; // width the lines were broken to
};

// Marker that ends every wrapped output line.
inline constexpr char rmLineMarker = '\x01';

// The full-width characters that never start a line under WordBreak.
bool isLineStartPunctuation(char32_t c);

struct TRMWrapOptions {
    double Width = 0;       // available width in page pixels
    bool WordWrap = true;   // break lines to the width
    bool WordBreak = false; // keep line-start punctuation off the start of a line
    bool MangeTag = false;  // backquotes also end lines
    // Designer: a single line wider than the view that starts with "[" stays whole.
    bool Designer = false;
};

// Wraps `lines` (evaluated text, possibly with CR inside a line) into output lines, each
// ending with rmLineMarker. Text already holding markers is taken line for line.
TRMStrings wrapText(const TRMStrings& lines, const TRMTextFont& font, const TRMWrapOptions& opts);

// True when any line holds a line marker (text wrapped before).
bool isPreWrapped(const TRMStrings& lines);

// A line without its marker.
std::string_view stripMarker(std::string_view line);

// Character pixel height of a font size in points (the measuring canvas's −size × 96 ÷ 72).
int emPixels(int points);

} // namespace report
