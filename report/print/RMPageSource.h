#pragma once

// What the printer (and the preview) needs to know about prepared pages: how many, each
// page's paper and geometry, its background picture, and one call that draws a page onto
// a canvas into a target rectangle.

#include "platform/Canvas.h"
#include "platform/Picture.h"
#include "report/engine/model/RMDrawContext.h"
#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMPaper.h"

#include <optional>

namespace report {

// A page's background picture: position and size in page pixels (-1 = the picture's own
// size).
struct TRMSourceBackground {
    int left = 0, top = 0, width = -1, height = -1;
    const platform::Picture* picture = nullptr;
};

class TRMPageSource {
public:
    virtual ~TRMPageSource() = default;
    virtual int PageCount() const = 0;
    // Paper, margins, size in page pixels (Width × Height) and geometry of a page.
    virtual TRMPageInfo Page(int index) const = 0;
    virtual std::optional<TRMSourceBackground> Background(int /*index*/) const { return {}; }
    // Draws page `index` scaled to `target` (its Width × Height page pixels fill it).
    virtual void DrawPage(int index, platform::TCanvas& canvas, const platform::TRect& target,
                          const TRMDrawContext& context) = 0;
};

// The paper a page asks the printer for (portrait sizes with the orientation).
inline TRMPaperRequest paperRequestOf(const TRMPageInfo& page) {
    const bool turned = page.Orientation == poLandscape && page.PaperWidth > page.PaperHeight;
    return {page.PaperSize, turned ? page.PaperHeight : page.PaperWidth,
            turned ? page.PaperWidth : page.PaperHeight, page.Orientation, page.Bin};
}

} // namespace report
