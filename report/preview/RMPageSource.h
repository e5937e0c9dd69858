#pragma once

// What the printer (and the preview) needs to know about prepared pages: how many, each
// page's paper and geometry, its background picture, and one call that draws a page onto
// a canvas into a target rectangle.

#include "platform/Canvas.h"
#include "platform/Picture.h"
#include "report/engine/RMPaper.h"

#include <cstdint>
#include <optional>

namespace report {

struct TRMSourcePage {
    int paperSize = 9;              // paper code, 256 custom
    std::int32_t paperWidth = 2100; // tenths of a millimetre, as laid out (landscape: wide)
    std::int32_t paperHeight = 2970;
    std::uint8_t orientation = 0; // 0 portrait, 1 landscape
    std::int32_t bin = -1;
    int leftMargin = 0, topMargin = 0, rightMargin = 0, bottomMargin = 0; // page pixels
    TRMPageGeometry geometry; // fields 3 and 4: paper size in page pixels

    // The paper as the printer is asked for it (portrait sizes with an orientation).
    TRMPaperRequest paperRequest() const {
        const bool turned = orientation == 1 && paperWidth > paperHeight;
        return {paperSize, turned ? paperHeight : paperWidth, turned ? paperWidth : paperHeight,
                orientation, bin};
    }
};

// A page's background picture: position and size in page pixels (-1 = the picture's own
// size).
struct TRMSourceBackground {
    int left = 0, top = 0, width = -1, height = -1;
    const platform::Picture* picture = nullptr;
};

// How a page is being drawn.
struct TRMDrawContext {
    bool printing = false;    // output goes to a printer
    int dpiX = 96, dpiY = 96; // resolution of the target device
    int scalePercent = 100;   // print dialog's scale (applied when printing)
    bool stationery = false;  // pre-printed stationery: views without PrintVisible skipped
};

class TRMPageSource {
public:
    virtual ~TRMPageSource() = default;
    virtual int PageCount() const = 0;
    virtual TRMSourcePage Page(int index) const = 0;
    virtual std::optional<TRMSourceBackground> Background(int /*index*/) const { return {}; }
    // Draws page `index` scaled to `target` (its paper size in page pixels fills it).
    virtual void DrawPage(int index, platform::TCanvas& canvas, const platform::TRect& target,
                          const TRMDrawContext& context) = 0;
    // The drawer is done with a page for now (its loaded views may go).
    virtual void ReleasePage(int /*index*/) {}
};

} // namespace report
