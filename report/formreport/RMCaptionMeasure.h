#pragma once

// Measuring a header or footer caption before the report is prepared: on its raw text,
// brackets not expanded, at the view's width.

namespace report {

class TRMRichView;

// Whether the caption's text reads as rich text with at least one line.
bool captionHasLines(const TRMRichView& view);
// Height the caption's text needs in pixels.
int measureCaption(const TRMRichView& view);

} // namespace report
