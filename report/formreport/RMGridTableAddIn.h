#pragma once

// What every grid add-in shares: a grid becomes a row of title cells in the title band and
// one template row of data cells in the master-data band; a grid wider than the printable
// width is split into vertical slices, one template page per slice, with GridFixedCols
// leading columns repeated at the left of each further slice.

#include "report/formreport/RMFormReportObject.h"

#include <memory>
#include <vector>

namespace report {

class TRMFormReport;
class TRMMemoView;
class TRMView;

// The columns of each slice (repeated leading columns first). `cellWidths` are the widths
// of the columns' cells; `x0` the grid's left edge; a slice ends before the column whose
// right edge (scaled by `scale`, 1 = none) would pass `printableWidth`, except that every
// slice takes at least one column of its own. `neverSplit` keeps one slice.
std::vector<std::vector<int>> splitGridColumns(const std::vector<int>& cellWidths, int x0,
                                               int printableWidth, double scale, bool neverSplit,
                                               int fixedCols);

class TRMGridTableAddIn : public TRMFormReportObject {
protected:
    struct Table {
        int X0 = 0;                    // grid left edge in the report
        int TitleY = 0;                // top of the first title row
        std::vector<int> CellWidths;   // per column: width of its cells
        std::vector<int> TitleHeights; // per title row: height of its cells
        int DataHeight = 4;            // height of the data cells
    };

    // Sets GridPlaced, GridTop, GridHeight (top + height of the grid control).
    void markGridPlaced(TRMFormReport& report, int top, int height);
    // The first PageWidths entry: the table's width W with its left offset repeated on the
    // right (W alone for PrintControl, whose offset is 0); a wider entry of a grid that is
    // not PrintControl stays.
    void widenPageWidth(TRMFormReport& report, bool isPrintControl, const Table& table);
    // Places the title rows and the data row template of `table`.
    void placeTable(TRMFormReport& report, const Table& table);

    // Title cells of title row `row` for the columns of one slice, starting at x; each view
    // made goes to `page` and TitleObjects. Returns the views in placing order. The default
    // makes one titleCell per column.
    virtual std::vector<TRMView*> placeTitleSlice(TRMFormReport& report, TRMPage& page, int row,
                                                  const std::vector<int>& columns,
                                                  const Table& table, int x, int y);
    // A title cell of column `column` in title row `row` (geometry is set by the caller).
    virtual std::unique_ptr<TRMView> titleCell(TRMFormReport& report, int row, int column) = 0;
    // A data cell of column `column` (geometry set by the caller).
    virtual std::unique_ptr<TRMView> dataCell(TRMFormReport& report, int column) = 0;
    // A data cell was placed on the page under its unique name.
    virtual void dataCellPlaced(TRMFormReport& /*report*/, TRMView& /*view*/, int /*column*/) {}

    // A memo cell of the table: centred both ways, stretchable and word-wrapped by the
    // report options, framed with rmgoGridLines. Its text is the grid's data and prints as
    // it stands (TextOnly).
    static std::unique_ptr<TRMMemoView> memoCell(const TRMFormReport& report);
    // Gives a cell an expression of the report's own (the line number, a field reference).
    static void setExpression(TRMMemoView& cell, std::string expression);
    // The text a grid cell prints ("[Error]" prints empty).
    static std::string printedText(std::string text);

private:
    TRMPage& slicePage(TRMFormReport& report, std::size_t slice);
};

} // namespace report
