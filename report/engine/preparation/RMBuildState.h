#pragma once

// What the parts of one build share: the template page being run, the bands whose data
// prints now, the pass, the page flags and the counters a script raises. The page-level
// counters (current line, bottom limit, page number) are the report's own TRMPrepareState.
// The preparation owns it; the data loop, the band printer, the page breaks and the totals
// work on it by reference.

#include "report/engine/model/RMReport.h"
#include "report/engine/preparation/RMBandBuilder.h"

#include <memory>
#include <string>
#include <vector>

namespace report {

class TRMAggregates;
class TRMEMFPages;
class TRMPage;

// Geometry and position of a template page while it prepares.
struct TRMPageRun {
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

struct TRMBuildState {
    explicit TRMBuildState(TRMEMFPages& out)
        : Out(out) {}

    TRMEMFPages& Out;                        // the prepared pages
    TRMReport* Report = nullptr;             // report being built
    std::vector<TRMPageRun>* Runs = nullptr; // its template pages
    TRMAggregates* Aggregates = nullptr;     // its SUM/COUNT/… calls
    TRMPageRun* Run = nullptr;               // template page being run
    TRMPageBands* Source = nullptr;          // page of a subreport whose data bands print now
    bool Collecting = false;                 // a subreport page is collected, not paged
    bool FirstPass = false, TwoPass = false;
    TRMBand* CurrentBand = nullptr;           // band printing now (aggregates, SHOWBAND)
    const TRMObject* CurrentObject = nullptr; // object an error is reported on
    int ForcedPages = 0, ForcedColumns = 0;   // NEWPAGE/NEWCOLUMN asked by scripts
    bool FreshPage = false;                   // nothing but the page's own header bands on the page
    bool InPageSetup = false;                 // printing the bands a new page starts with
    bool SummaryPrinting = false;             // the report summary prints (no column footer room)

    // The band chain of `type`: data bands from the subreport page printing now, page
    // furniture always from the template page being run.
    TRMBand* band(int type) const {
        if (Source != nullptr && type != rmbtOverlay && type != rmbtNone &&
            type != rmbtPageHeader && type != rmbtPageFooter && type != rmbtColumnHeader &&
            type != rmbtColumnFooter)
            return Source->head(type);
        return Run && Run->Bands ? Run->Bands->head(type) : nullptr;
    }
    TRMPageBands& dataBands() const { return Source ? *Source : *Run->Bands; }
};

// What the parts of a build ask of the preparation that runs them.
class TRMBuildSteps {
public:
    // Runs a script with `self` as the object its names refer to.
    virtual void runScript(const TRMStrings& script, TRMObject* self) = 0;
    // False once the preparation was cancelled, stopped or failed.
    virtual bool keepRunning() = 0;
    // The progress line shows the current page; pending window events run.
    virtual void progress() = 0;
    // Ends the preparation with an evaluation error on `object`.
    virtual void fail(const TRMObject* object, const std::string& message) = 0;
    // Every report of the preparation stops at its next check.
    virtual void terminate() = 0;

protected:
    ~TRMBuildSteps() = default;
};

} // namespace report
