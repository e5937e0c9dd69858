#pragma once

// The cell grid of exported pages. The text views of a page become cells of one grid
// derived from their positions: columns from the distinct left edges, rows from the
// distinct top edges (edges a couple of pixels apart count as one), a view covering
// several columns or rows a merged cell. Overlapping views never share a cell: a view
// whose first cell is taken adds its text to that cell.

#include "platform/GdiObjects.h"
#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMTypes.h"
#include "report/export/RMCellValue.h"

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace report {

class TRMView;

struct TRMExportCellStyle {
    TRMFont Font;
    TColor Fill = clNone;
    std::array<TRMFrameLine, 4> Frames; // left, top, right, bottom (visible sides only)
    int HAlign = 0;                     // 0 left, 1 right, 2 centre, 3 justify
    int VAlign = 0;                     // 0 top, 1 centre, 2 bottom
    int Rotation = 0;                   // degrees anticlockwise; 270 = stacked characters
    int Diagonal = 0;                   // 1 rising, 2 falling, 3 both
    bool Wrap = false;                  // several lines
    bool operator==(const TRMExportCellStyle&) const = default;
};

struct TRMExportCell {
    int Row = 0, Col = 0;         // first cell, on the page's rows and the table's columns
    int LastRow = 0, LastCol = 0; // last cell of a merged cell (equal for a single one)
    std::string Text;             // lines joined by "\n"
    TRMCellValue Value;           // number or date behind the text, else Text
    TRMExportCellStyle Style;
};

// Whether a view becomes a cell: text views (memo family, check box) with a text, a
// frame or a fill.
bool isCellView(const TRMView& view);

// Columns of one table (a sheet or a CSV file), from the left edges of its views.
class TRMColumnLayout {
public:
    static constexpr int Tolerance = 2; // pixels

    void addView(int left, int right);
    // Clusters the edges; columnOf and friends work from then on.
    void finish();
    bool empty() const { return lefts_.empty(); }
    int columnCount() const { return static_cast<int>(lefts_.size()); }
    // Column a view starting at `left` begins in, and the last one it covers.
    int columnOf(int left) const;
    int lastColumnOf(int first, int right) const;
    // Width in pixels: to the next column's edge; the last one to the rightmost view edge.
    int width(int column) const;

private:
    std::vector<int> edges_; // collected left edges
    std::vector<int> lefts_; // one per column, ascending
    int right_ = 0;
};

// Display formats by view name, from the report's template: prepared views keep only
// their text, their template view knows how the value was formatted.
using TRMFormatTable = TRMViewFormats;
// The template's memo views (pages.TemplateFormats) whose format is not plain text.
TRMFormatTable formatTableOf(const TRMEMFPages& pages);

// One page's cells, collected from an export run's view and line calls.
class TRMPageCells {
public:
    // Formats of the views by name (none: every cell is text). Not owned.
    void setFormats(const TRMFormatTable* formats) { formats_ = formats; }
    void clear();
    void addView(const TRMView& view, const platform::TRect& rect);
    void addLine(const TRMView& view, int x, int y, std::string_view text);
    // Places the cells on rows derived from their tops and on `columns`; cells come back
    // in row order, then column order. `rowHeights` gets one height per row.
    std::vector<TRMExportCell> place(const TRMColumnLayout& columns,
                                     std::vector<int>& rowHeights) const;
    // Left and right edges of the page's cells (for a layout of this page alone).
    void addEdgesTo(TRMColumnLayout& columns) const;
    bool empty() const { return pending_.empty(); }

private:
    struct Line {
        int x, y;
        std::string text;
    };
    struct Pending {
        const TRMView* view = nullptr;
        platform::TRect rect;
        TRMExportCellStyle style;
        std::int32_t displayFormat = 0;
        std::string formatText;
        bool money = false;
        std::string moneyText; // the amount of a money cell in value mode
        std::vector<Line> lines;
    };
    static std::string textOf(const Pending& cell);
    std::vector<Pending> pending_;
    const TRMFormatTable* formats_ = nullptr;
};

// Rows a view covers when several tops fall inside it (constant-memory spreadsheets cannot
// write such merged cells): true when any of the page's views spans more than one row.
bool pageHasRowSpans(const std::vector<platform::TRect>& cellRects);

} // namespace report
