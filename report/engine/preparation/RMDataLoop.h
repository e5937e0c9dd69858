#pragma once

// The data loop of a build: the data bands of each level with their records, group
// headers and footers and their breaks, the queue that keeps a master row back until its
// detail has rows, blank rows, and the data-source steps (a data source that fails to open
// counts as empty).

#include <cstddef>
#include <string>
#include <vector>

namespace report {

class TRMBand;
class TRMBandPrinter;
class TRMBuildSteps;
class TRMObject;
class TRMPageBreaks;
class TRMTotals;
struct TRMBuildState;

class TRMDataLoop {
public:
    TRMDataLoop(TRMBuildState& state, TRMBuildSteps& steps, TRMBandPrinter& printer,
                TRMPageBreaks& breaks, TRMTotals& totals)
        : state_(state)
        , steps_(steps)
        , printer_(printer)
        , breaks_(breaks)
        , totals_(totals) {}

    // The data bands of `level` (1 master, 2 detail, 3 subdetail) and the levels below.
    void run(int level);

    // Data-source steps of a band; a band without a data source has one virtual row.
    static void dsFirst(TRMBand& band);
    static bool dsEof(TRMBand& band);
    static void dsNext(TRMBand& band);
    static void dsPrior(TRMBand& band);

private:
    void loopBand(TRMBand& band, int level);
    bool checkGroups(TRMBand& band);
    void queue(TRMBand* band);
    bool printQueue(const TRMBand* watched);
    void queueGroupHeaders(TRMBand& band, std::size_t from);
    void resetBandRows(TRMBand& band, int rowNo);
    void appendBlank(TRMBand& band, bool forced, int room, bool spaceCheck);
    bool evaluateTrue(const std::string& condition, TRMObject* object);

    TRMBuildState& state_;
    TRMBuildSteps& steps_;
    TRMBandPrinter& printer_;
    TRMPageBreaks& breaks_;
    TRMTotals& totals_;
    std::vector<TRMBand*> queue_;
};

} // namespace report
