#pragma once

// The list-view add-in: a QTreeView (QTreeWidget) prints as a table like the string grid:
// its header as the title row and one data row template repeated per top-level item,
// column 0 the item's text, further columns its other columns; with rmgoGridNumber a
// numbering column comes first.

#include "report/formreport/RMFormPrintStringGrid.h"

class QTreeView;

namespace report {

class TRMPrintListView : public TRMStringGridAddIn {
public:
    static constexpr const char* kClassName = "TRMPrintListView";

protected:
    int colCount() const override;
    int rowCount() const override;
    int fixedRows() const override;
    int cellWidth(int col) const override;
    int rowHeight(int row) const override;
    int defaultRowHeight() const override;
    std::string cellText(int col, int row) const override;
    TRMFont cellFont(int col) const override;
    std::vector<int> printColumns() const override;
    int numberColumnWidth() const override;

private:
    QTreeView* tree() const;
};

} // namespace report
