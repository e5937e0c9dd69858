#pragma once

// The data-aware grid add-in: a QTableView over an item model becomes a title row from the
// model's horizontal header and one data row of field references that the master-data
// band repeats per record of the grid data set, which reads the model's rows. Only visible
// columns print; with rmgoGridNumber a numbering column comes first; with
// rmgoSelectedRecordsOnly and rows selected only those rows print.

#include "report/formreport/RMGridTableAddIn.h"

#include <QPointer>

#include <string>
#include <vector>

class QTableView;

namespace report {

class TRMFormPrintDBGrid : public TRMGridTableAddIn {
public:
    static constexpr const char* kClassName = "TRMFormPrintDBGrid";
    void PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                      QWidget& control) override;

protected:
    std::unique_ptr<TRMView> titleCell(TRMFormReport& report, int row, int column) override;
    std::unique_ptr<TRMView> dataCell(TRMFormReport& report, int column) override;

private:
    int sourceColumn(int column) const { return columns_.at(static_cast<std::size_t>(column)); }
    std::unique_ptr<TRMMemoView> gridCell(const TRMFormReport& report) const;
    void printSelectedRowsOnly(TRMFormReport& report, const QTableView& grid);

    QPointer<QTableView> view_;
    std::vector<int> columns_; // model column of each printed column, -1 for numbering
    int dataHeight_ = 0;
    std::string path_; // "RMDialogForm." + the data set the references name
};

} // namespace report
