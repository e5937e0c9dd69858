#pragma once

// One preparation: turns the template pages of a report (or of each member of a composite
// report) into prepared pages. It runs the passes and the builds, the template pages, the
// data loops of their bands and places every band on the pages: page and column breaks,
// repeated headers, blank rows, split bands and cross columns. It works on a copy of the
// template, so the template is left exactly as it was.
//
// Preparation always ends: a band that cannot fit even on a page that holds nothing but
// the page's own header bands is printed there, cut at the page's bottom limit, and a
// forced page break asked for on such a page is ignored.

#include "platform/Variant.h"
#include "report/engine/expressions/RMScript.h"
#include "report/engine/layout/RMLayoutCache.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMPreparationCalls.h"
#include "report/engine/model/RMProgress.h"
#include "report/engine/preparation/RMAggregates.h"
#include "report/engine/preparation/RMBandBuilder.h"

#include <array>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace report {

class TRMEMFPages;
class TRMPage;
class TRMReport;
class TRMView;

class TRMPreparation final : public TRMPreparationCalls {
public:
    // `top` receives the prepared pages; `progress` (may be null) shows the progress line.
    TRMPreparation(TRMReport& top, TRMProgress* progress);
    ~TRMPreparation();
    TRMPreparation(const TRMPreparation&) = delete;
    TRMPreparation& operator=(const TRMPreparation&) = delete;

    // Prepares `members` in turn into the top report's pages (one member: a plain
    // report). True when pages were built, nothing failed and nobody cancelled.
    bool prepare(const std::vector<TRMReport*>& members, bool pagePerPage = false);

    // Functions the engine's script procedures call: NEWPAGE, NEWCOLUMN, SHOWBAND,
    // STOPREPORT. False for other names.
    bool callFunction(const std::string& name, const std::vector<std::string>& args,
                      platform::Variant& result) override;
    // SUM, COUNT, AVG, MAX, MIN of the band now printing.
    platform::Variant aggregate(const std::string& name, const std::vector<std::string>& args);
    // Runs a script (view, band or page) with `self` as the object its names refer to.
    void runScript(const TRMStrings& script, TRMObject* self);
    // Whether the preparation goes on: false once it was cancelled, stopped or failed.
    // Work that adds no pages (script loops) asks it often; it lets pending window events
    // run, so that the progress window's Cancel can arrive, at most every kEventInterval.
    bool keepRunning() override;
    static constexpr std::chrono::milliseconds kEventInterval{50};
    bool boundFieldText(const TRMView& view, std::string& text) override;

    bool firstPass() const { return firstPass_; }
    bool cancelled() const { return cancelled_; }
    TRMLayoutCache& layoutCache() { return layouts_; }

private:
    // Geometry and position of a template page while it prepares.
    struct PageRun {
        TRMPage* Page = nullptr;
        std::unique_ptr<TRMPageBands> Bands;
        int Left = 0, Top = 0, Right = 0; // printable area, page pixels
        int PaperBottom = 0;              // paper height − bottom margin
        int CurX = 0;
        int Column = 0, ColumnWidth = 0, ColumnGap = 0, ColumnTop = 0;
        int FirstPage = 0;           // first prepared page of this run
        TRMBand* LastBand = nullptr; // the band printed last on the page
        bool ScriptDone = false;     // page script ran
        bool DataSetBroken = false;
    };
    struct Member {
        TRMReport* Report = nullptr;
        std::vector<std::unique_ptr<TRMPage>> Template; // the caller's pages, set aside
        // The report's fields scripts may set, put back with the pages.
        std::array<std::string, 5> Info;
        bool PrintIfEmpty = true;
        std::vector<PageRun> Runs;
        TRMAggregates Aggregates;
    };

    // --- passes, builds and pages (RMPrepare.cpp)
    bool runPasses();
    void build(Member& member);
    void buildBands(Member& member);
    void runPage(PageRun& run);
    void setPage(PageRun& run);
    int bottomLimit() const;
    void addPage();
    void printPageFooters(bool finalForm);
    void progress();
    void processEvents();
    // Ends the preparation with the time limit's message once TRMReport::MaxSeconds passed.
    void checkTimeLimit();
    // Parses every script of the report's pages; false (and the error) when one does not.
    bool compileScripts(TRMReport& report);
    void fail(const TRMObject* object, const std::string& message);
    std::string progressLine(int page) const;

    // --- data loop (RMDataLoop.cpp)
    void dataLoop(int level);
    void loopBand(TRMBand& band, int level);
    bool checkGroups(TRMBand& band);
    void queue(TRMBand* band);
    bool printQueue(const TRMBand* watched);
    void queueGroupHeaders(TRMBand& band, std::size_t from);
    void resetBandRows(TRMBand& band, int rowNo);
    bool dsEof(TRMBand& band);
    void dsFirst(TRMBand& band);
    void dsNext(TRMBand& band);
    void dsPrior(TRMBand& band);
    bool evaluateTrue(const std::string& condition, TRMObject* object);
    void recordCalcMemos(const TRMBand* band);

    // --- band printing (RMBandPrinter.cpp)
    void showBand(TRMBand* band, bool repeated = false);
    void placeBand(TRMBand& band);
    int neededHeight(TRMBand& band);
    int bandHeight(TRMBand& band);
    bool needsBreak(TRMBand& band, int height);
    void breakPage(TRMBand& band);
    void newPage(TRMBand* band);
    void newPageCore(TRMBand* cause);
    void newColumn(TRMBand* band);
    void nextPageColumn();
    void printColumnFooter();
    void repeatHeaders(TRMBand& band);
    void appendBlank(TRMBand& band, bool forced, int room, bool spaceCheck);
    // --- writing views (RMViewWriter.cpp)
    void writeBand(TRMBand& band, int x, int y, int height, int clipBottom);
    bool writeView(TRMView& view, TRMBand& band, int x, int y, int clipBottom);
    int measureView(TRMView& view, TRMBand& band);
    int printSplit(TRMBand& band, int x, int y, int height);
    RMStream& pageStream();
    void countRow(TRMBand& band);
    void layoutBandAlign(TRMView& view, const TRMBand& band, int height) const;
    void alignInBand(TRMView& view, const TRMBand& band, int height, int left, int right) const;
    int columnFooterRoom() const;
    TRMBand* band(int type) const;
    int bandX(const TRMBand& band) const;
    bool multiColumn(const TRMBand& band) const;
    void closeColumns();
    void nextBandColumn(TRMBand& band);

    // --- bands inside bands (RMCrossBands.cpp)
    void printCross(TRMBand& band, int y, int height);
    // Merged memos of the band's cross cells forget their runs.
    void forgetCrossMerges(const TRMBand& band);
    // Subreport views of the band; returns the lowest y their bands reached on the page the
    // preparation is on afterwards.
    int printSubReports(TRMBand& band, int x, int y);
    // A band of a page collected as a subreport: written into the collection, not the page.
    void collectBand(TRMBand& band, int x, int height);
    // The view's Top field in the collection, for a view just written into it.
    void collectWritten(const TRMView& view, std::size_t start);
    TRMPageBands& dataBands() const { return source_ ? *source_ : *run_->Bands; }

    TRMReport& top_;
    TRMEMFPages& out_;
    TRMProgress* progress_;
    std::vector<Member> members_;
    Member* member_ = nullptr; // report being built
    TRMReport* report_ = nullptr;
    PageRun* run_ = nullptr;         // template page being run
    TRMPageBands* source_ = nullptr; // page of a subreport whose data bands print now
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
    TRMLayoutCache layouts_;
    TRMScript scripts_;
    std::chrono::steady_clock::time_point lastEvents_{};
    std::optional<std::chrono::steady_clock::time_point> deadline_; // MaxSeconds from the start

    bool firstPass_ = false;
    bool twoPass_ = false;
    bool cancelled_ = false;
    bool error_ = false;
    bool pagePerPage_ = false;
    std::string errorMessage_;

    TRMBand* currentBand_ = nullptr;
    const TRMObject* currentObject_ = nullptr;
    std::vector<TRMBand*> queue_;
    int forcedPages_ = 0, forcedColumns_ = 0;
    bool freshPage_ = false;   // nothing but the page's own header bands on the page
    bool inPageSetup_ = false; // printing the bands a new page starts with
    bool summaryPrinting_ = false;
    TRMBand* openColumns_ = nullptr; // multi-column band whose columns are still open
    struct {
        bool Active = false;
        int CurY = 0, Bottom = 0;
    } continuePage_;
    int packedPages_ = 0;      // pages before this one are finished and packed
    std::vector<bool> footed_; // prepared pages whose page footer was printed
};

} // namespace report
