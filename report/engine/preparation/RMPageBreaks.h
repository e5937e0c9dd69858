#pragma once

// Page and column breaks of a build: new prepared pages (with the page limit), the bands a
// new page or page column starts with, page and column footers, the headers that repeat
// after a break, and the bottom limit the bands must keep above.

#include <stdexcept>
#include <vector>

namespace report {

class TRMBand;
class TRMBandPrinter;
class TRMBuildSteps;
class TRMReport;
class TRMTotals;
struct TRMBuildState;

// Thrown by addPage beyond TRMReport::MaxPages; caught where a build ends.
class PageLimitReached : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TRMPageBreaks {
public:
    TRMPageBreaks(const TRMReport& top, TRMBuildState& state, TRMBuildSteps& steps,
                  TRMBandPrinter& printer, TRMTotals& totals)
        : top_(top)
        , state_(state)
        , steps_(steps)
        , printer_(printer)
        , totals_(totals) {}

    // A pass starts: no page is packed or has its footer yet.
    void restart();
    // A new prepared page of the template page being run.
    void addPage();
    // The page's bottom less its page footer.
    int bottomLimit() const;
    // Room the column footer needs below the bands of a column (none for the summary).
    int columnFooterRoom() const;
    // Whether `band`, `height` high, must go to the next column or page.
    bool needsBreak(TRMBand& band, int height);
    // `band` does not fit: the next band column, page column or page, with the headers
    // that repeat.
    void breakPage(TRMBand& band);
    // A forced page break before `cause` (ignored on a page that holds only headers).
    void newPage(TRMBand* cause);
    // A forced column break before `cause`.
    void newColumn(TRMBand* cause);
    void printColumnFooter();
    // Page footers of the pages from the current one to the last (after a page break, and
    // in their final form at the end of a template page).
    void printPageFooters(bool finalForm);

private:
    void newPageCore(TRMBand* cause);
    void nextPageColumn();
    void repeatHeaders(TRMBand& band);

    const TRMReport& top_;
    TRMBuildState& state_;
    TRMBuildSteps& steps_;
    TRMBandPrinter& printer_;
    TRMTotals& totals_;
    int packedPages_ = 0;      // pages before this one are finished and packed
    std::vector<bool> footed_; // prepared pages whose page footer was printed
};

} // namespace report
