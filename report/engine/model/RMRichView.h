#pragma once

// Rich-text view: RTF text (header and footer captions, rich edits of a window) laid out
// with TRMRichDocument. Preparation expands the brackets in a copy of the text, measures it
// by the height search and writes the expanded text, split by character position when a
// page break cuts it; drawing lays the prepared text out in the view's text area.

#include "report/engine/model/RMMemoView.h" // TRMSplitState
#include "report/engine/model/RMView.h"

#include <memory>
#include <string>

namespace report {

class TRMReport;
class TRMRichDocument;

class TRMRichView : public TRMStretcheable {
public:
    TRMRichView();
    std::string ClassName() const override { return "TRMRichView"; }
    std::unique_ptr<TRMView> clone() const override { return std::make_unique<TRMRichView>(*this); }
    // Fill, the text lines that fit the text area (the first one at least, clipped), then
    // the frame. In export mode the lines go to the filter instead.
    void Draw(platform::TCanvas& canvas, const TRMDrawPlacement& at,
              const TRMDrawContext& context) const override;

    // RTF bytes as saved (template text; in a prepared page the expanded text of this part).
    // Empty when the view has no text; an unreadable text reads as empty.
    std::string RichText;
    // RichText read, cached per text (the same document serves every draw).
    const TRMRichDocument& Document() const;
    // The document drawing lays out: Document() when the view has read it; else this
    // thread's document of a text drawn before that differs from RichText in at most one
    // number (a page number), that number changed in place, so that a caption drawn on
    // every page with its page number is read and laid out once. Valid until the next call.
    const TRMRichDocument& DrawnDocument() const;

    // --- layout (page pixels; the text area is the view less GapX / GapY on each side and
    // the frame allowance of each visible side)
    double TextWidthTwips() const;
    double TextHeightTwips() const;
    // Height the view needs for `doc` laid out from position `start`: the least height of
    // the text area (searched between 0 and 1000000 by bisection) at which the first
    // character that does not fit is at or past the end, 8 when that is below 2, plus
    // 2 × GapY and the top and bottom frame allowance.
    int HeightOf(const TRMRichDocument& doc, int start = 0) const;
    // Height of the view's own text as it stands, brackets not expanded (what a form report
    // gives a caption view before preparation).
    int MeasureHeight() const { return HeightOf(Document()); }

    // --- preparation (RMRichPrint.cpp)
    // The prepared text: a copy of the view's text with its brackets expanded through the
    // report (unless TextOnly); blank-row mode in a data band leaves it empty unless the
    // view has PrintAtAppendBlank. Resets SplitPosition.
    void PrepareText(TRMReport& report);
    // The prepared text (nullptr before PrepareText).
    const TRMRichDocument* Prepared() const { return prepared_.get(); }
    // 0 when not Visible; else fires the report's OnBeforePrint, prepares the text and
    // returns its HeightOf.
    int CalcHeight(TRMReport& report) override;
    // Height of the first line still to print plus gaps and frame: what must be free for
    // a part of a split view to show anything.
    int MinHeight() const;
    // Height of what is still to print after a split part (0 when nothing remains).
    int RemainHeight() const;
    // Writes the view into a prepared page stream at its current Left/Top (the caller has
    // placed it) with the expanded text. In split state rmsPrinting the part from
    // SplitPosition that fits the view's Height is written and SplitPosition moves past
    // it; otherwise the whole text (prepared anew). False when not Visible.
    bool PrintToStream(TRMReport& report, RMStream& stream) override;

    // Split state (TRMSplitState): rmsPrinting asks PrintToStream for the next part.
    std::uint8_t DrawStatus = rmsNormal;
    // Position in the prepared text where the part still to print starts.
    int SplitPosition = 0;

protected:
    void saveExtra(RMStream& stream) const override;
    void loadExtra(RMStream& stream) override;

private:
    struct Cache;
    // RichText read; replaced (never changed) when the text differs, so copies may share it.
    mutable std::shared_ptr<const Cache> cache_;
    std::shared_ptr<const TRMRichDocument> prepared_;
    // The last expansion of this view's brackets (RMRichPrint.cpp), so that a caption
    // prepared on every page changes only the results that changed (a page number).
    struct Expansion;
    std::shared_ptr<Expansion> expansion_;
};

} // namespace report
