#pragma once

// One preparation: turns the template pages of a report (or of each member of a composite
// report) into prepared pages. It runs the passes and the builds, the template pages with
// their scripts, progress, cancel, time limit and the error message; the data loop
// (RMDataLoop), the band printer (RMBandPrinter), the page breaks (RMPageBreaks) and the
// totals (RMTotals) do the work of a build on the state they share (RMBuildState). It works
// on a copy of the template, so the template is left exactly as it was.
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
#include "report/engine/preparation/RMBandPrinter.h"
#include "report/engine/preparation/RMBuildState.h"
#include "report/engine/preparation/RMDataLoop.h"
#include "report/engine/preparation/RMPageBreaks.h"
#include "report/engine/preparation/RMTotals.h"

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace report {

class TRMEMFPages;
class TRMPage;
class TRMReport;
class TRMView;

class TRMPreparation final : public TRMPreparationCalls, private TRMBuildSteps {
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
    void runScript(const TRMStrings& script, TRMObject* self) override;
    // Whether the preparation goes on: false once it was cancelled, stopped or failed.
    // Work that adds no pages (script loops) asks it often; it lets pending window events
    // run, so that the progress window's Cancel can arrive, at most every kEventInterval.
    bool keepRunning() override;
    static constexpr std::chrono::milliseconds kEventInterval{50};
    bool boundFieldText(const TRMView& view, std::string& text) override;

    bool firstPass() const { return state_.FirstPass; }
    bool cancelled() const { return cancelled_; }
    TRMLayoutCache& layoutCache() { return layouts_; }

private:
    struct Member {
        TRMReport* Report = nullptr;
        std::vector<std::unique_ptr<TRMPage>> Template; // the caller's pages, set aside
        // The report's fields scripts may set, put back with the pages.
        std::array<std::string, 5> Info;
        bool PrintIfEmpty = true;
        std::vector<TRMPageRun> Runs;
        TRMAggregates Aggregates;
    };

    bool runPasses();
    void build(Member& member);
    void buildBands(Member& member);
    void runPage(TRMPageRun& run);
    void setPage(TRMPageRun& run);
    void progress() override;
    void fail(const TRMObject* object, const std::string& message) override;
    void terminate() override;
    void processEvents();
    // Ends the preparation with the time limit's message once TRMReport::MaxSeconds passed.
    void checkTimeLimit();
    // Parses every script of the report's pages; false (and the error) when one does not.
    bool compileScripts(TRMReport& report);
    std::string progressLine(int page) const;

    TRMReport& top_;
    TRMEMFPages& out_;
    TRMProgress* progress_;
    std::vector<Member> members_;
    TRMBuildState state_;
    TRMTotals totals_;
    TRMPageBreaks breaks_;
    TRMBandPrinter printer_;
    TRMDataLoop loop_;
    TRMLayoutCache layouts_;
    TRMScript scripts_;
    std::chrono::steady_clock::time_point lastEvents_{};
    std::optional<std::chrono::steady_clock::time_point> deadline_; // MaxSeconds from the start

    bool cancelled_ = false;
    bool error_ = false;
    bool pagePerPage_ = false;
    std::string errorMessage_;
    // A member or template page that goes on on the last prepared page starts there.
    struct {
        bool Active = false;
        int CurY = 0, Bottom = 0;
    } continuePage_;
};

} // namespace report
