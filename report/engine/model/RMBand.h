#pragma once

// Run-time band: built from a band view when a report is prepared, it holds the views that
// print together, its data source, counters and links to its header, footer, child and
// group bands. Bands live only while a report is prepared.

#include "platform/Variant.h"
#include "report/engine/model/RMTypes.h"

#include <string>
#include <vector>

namespace report {

class TRMBandView;
class TRMDataset;
class TRMPage;
class TRMView;

class TRMBand {
public:
    bool flag(std::uint16_t bit) const { return (Flags & bit) != 0; }
    // Master, detail or subdetail data band.
    bool isDataBand() const {
        return BandType == rmbtMasterData || BandType == rmbtDetailData ||
               BandType == rmbtSubDetailData;
    }
    // Visible as its band view says now (scripts may hide it).
    bool visible() const;

    int BandType = rmbtNone;
    TRMBand* Next = nullptr; // next band of the same type (ordered by y)
    TRMBand* Prev = nullptr;
    TRMBandView* View = nullptr; // none for the band of unassigned views
    TRMPage* Page = nullptr;
    std::string Name;
    TRMDataset* DataSet = nullptr;
    bool DataSetBroken = false;       // opening it failed: the band sees an empty dataset
    int VirtualRow = 0;               // no data source: one record (0), then past its end (1)
    int x = 0, y = 0, dx = 0, dy = 0; // pixels, from the band view (y is moved while placing)
    std::vector<TRMView*> Objects;    // views inside the band, page order (owned by the page)
    std::vector<TRMView*> CrossViews; // views of Objects that also belong to a cross band
    std::uint16_t Flags = 0;          // band-view flags copied at creation
    int LinesPerPage = 0;             // GroupsPerPage on a group header
    std::string NewPageCondition;
    std::string GroupCondition; // group header only
    bool Visible = true;
    int RowNo = 0, RowCount = 0, LineThough = 0;
    int CalcHeight = -1;           // computed height of the band now printing
    bool PrintAtDesignPos = false; // one-shot: place at the band view's design Top
    bool Repeated = false;         // printing as a repeated header
    int ColumnIndex = 1;           // band column (1-based)
    int ColumnStartX = 0;          // x of band column 1
    int ColumnStartY = 0;          // y where band column 1 began (columns down first)
    int ColumnPage = -1;           // prepared page the band columns started on
    int ColumnLineBottom = 0;      // lowest bottom of the band columns printed so far
    int HeaderColumns = 0;         // band columns of this page that have their header
    int PlacedY = 0;               // y the band was last placed at
    platform::Variant GroupValue;  // group header: condition value when the group started
    TRMBand* HeaderBand = nullptr; // data band: its header
    TRMBand* FooterBand = nullptr; // data band: its footer; group header: its footer
    TRMBand* DataBand = nullptr;   // header or footer of a data band: that band
    TRMBand* ChildBand = nullptr;
    TRMBand* MasterBand = nullptr;   // group header: the master data band it groups
    TRMBand* GroupBand = nullptr;    // group footer: its group header
    std::vector<TRMBand*> Groups;    // data band: its group headers, outermost first
    std::vector<TRMBand*> Followers; // data band: bands of its chain printed with each record
    bool IsFollower = false;         // printed with the data band before it
    int Columns = 1, ColumnWidth = 0, ColumnGap = 0, NewColumnAfter = 1;
};

} // namespace report
