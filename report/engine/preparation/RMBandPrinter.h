#pragma once

// The band printer of a build: shows one band (its events and scripts, its height, placing
// it at the current line or its fixed place, band columns), writes its views into the
// current prepared page, splits a band over pages, prints its cross columns and collects
// and places its subreports. Where a band does not fit it asks the page breaks.

#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMStream.h"

#include <cstddef>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace report {

class TRMBand;
class TRMBuildSteps;
class TRMDataLoop;
class TRMPageBreaks;
class TRMTotals;
class TRMView;
struct TRMBuildState;

class TRMBandPrinter {
public:
    TRMBandPrinter(TRMBuildState& state, TRMBuildSteps& steps, TRMPageBreaks& breaks,
                   TRMDataLoop& loop, TRMTotals& totals)
        : state_(state)
        , steps_(steps)
        , breaks_(breaks)
        , loop_(loop)
        , totals_(totals) {}

    // A pass starts: merged cross cells forget their runs.
    void restart() { crossMerges_.clear(); }
    // Prints `band` (`repeated`: a header repeated after a break, without its scripts).
    void showBand(TRMBand* band, bool repeated = false);
    // Height of the band as it prints (stretched bands measure their views).
    int bandHeight(TRMBand& band);
    // Whether the band prints in band columns.
    bool multiColumn(const TRMBand& band) const;
    // The band columns still open end: the current line goes below them.
    void closeColumns();
    // The next band column on the same page, with the headers that repeat in every column.
    void nextBandColumn(TRMBand& band);
    // Merged memos of the band's cross cells forget their runs.
    void forgetCrossMerges(const TRMBand& band);
    // Text of the data field `view` is bound to on the bands printing now.
    bool boundFieldText(const TRMView& view, std::string& text) const;

private:
    void placeBand(TRMBand& band);
    int neededHeight(TRMBand& band);
    int bandX(const TRMBand& band) const;

    // --- writing views (RMViewWriter.cpp)
    void writeBand(TRMBand& band, int x, int y, int height, int clipBottom);
    bool writeView(TRMView& view, TRMBand& band, int x, int y, int clipBottom);
    int measureView(TRMView& view, TRMBand& band);
    int printSplit(TRMBand& band, int x, int y, int height);
    RMStream& pageStream();
    void layoutBandAlign(TRMView& view, const TRMBand& band, int height) const;

    // --- bands inside bands (RMCrossBands.cpp)
    void printCross(TRMBand& band, int y, int height);
    // Subreport views of the band; returns the lowest y their bands reached on the page the
    // preparation is on afterwards.
    int printSubReports(TRMBand& band, int x, int y);
    // A band of a page collected as a subreport: written into the collection, not the page.
    void collectBand(TRMBand& band, int x, int height);
    // The view's Top field in the collection, for a view just written into it.
    void collectWritten(const TRMView& view, std::size_t start);

    TRMBuildState& state_;
    TRMBuildSteps& steps_;
    TRMPageBreaks& breaks_;
    TRMDataLoop& loop_;
    TRMTotals& totals_;
    TRMBand* openColumns_ = nullptr; // multi-column band whose columns are still open
    // The bands of a page used as a subreport, queued with their views evaluated: one
    // strip of views (y from 0 down) cut into bands, placed later at the subreport's
    // position, as many bands a page as fit.
    struct Collection {
        struct Record {
            std::size_t Start = 0, Top = 0, End = 0; // a view in Views, its Top field
        };
        struct Band {
            std::vector<Record> Records; // the band's views
            int Y = 0, Height = 0;       // place and height in the strip
        };
        RMStream Views;
        std::vector<Band> Bands;
        int Y = 0;                       // next free line of the strip
        int AreaLeft = 0, AreaRight = 0; // the subreport's width, in its page's pixels
        std::size_t Next = 0;            // first band not yet placed
    };
    Collection* collect_ = nullptr; // set while a subreport page is collected
    // Merged memos of cross cells: their run per prepared page and cross column.
    struct CrossMerge {
        std::string LastValue;
        TRMMemoView::MergeAnchor Merge;
    };
    std::map<std::tuple<const TRMView*, int, int>, CrossMerge> crossMerges_;
};

} // namespace report
