#pragma once

// The string-grid add-ins: a grid of text cells becomes its title rows (fixed rows) and one
// data row template that a row data set repeats once per grid row while the report is
// prepared, reading the row's texts and height then. The instance lives until the next
// build (FreeAfterUse false) because preparation calls it back.
//
//  - TRMFormPrintStringGrid: QTableWidget; its horizontal header (when not hidden) is the
//    fixed title row, its rows the data rows.
//  - TRMFormPrintADVStringGridPro: our TAdvStringGrid; the title row shows the column
//    captions as the screen does (multi-level captions split at "|" span their columns),
//    data cells take the column's font and alignment, hidden columns print nothing.

#include "report/engine/model/RMTypes.h"
#include "report/formreport/RMGridTableAddIn.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QTableWidget;

namespace grid {
class TAdvStringGrid;
}

namespace report {

class TRMMemoView;
class TRMReport;
class TRMUserDataset;

class TRMStringGridAddIn : public TRMGridTableAddIn {
public:
    TRMStringGridAddIn();
    ~TRMStringGridAddIn() override;
    void PlaceControl(TRMFormReport& report, TRMPage& page, TRMView*& view,
                      QWidget& control) override;

    // The grid row the data cells show now.
    int CurrentRow() const { return currentRow_; }
    TRMUserDataset* RowDataSet() const { return rows_.get(); }
    // Gives every data cell the texts and height of the current row (run by the row data
    // set during preparation).
    void Fill();

protected:
    // The grid as the add-in reads it; rows count the fixed (title) rows first.
    virtual int colCount() const = 0;
    virtual int rowCount() const = 0;
    virtual int fixedRows() const = 0;
    virtual int cellWidth(int col) const = 0; // column width + 1; 0 for a hidden column
    virtual int rowHeight(int row) const = 0;
    virtual int defaultRowHeight() const = 0;
    virtual std::string cellText(int col, int row) const = 0;
    virtual TRMFont cellFont(int col) const = 0;
    virtual TRMFont titleFont() const { return cellFont(0); }
    // titleFont() in the colour the report's GridFontOptions asks of the printout.
    TRMFont printedTitleFont(TRMFormReport& report) const;
    // Fills one data cell for `row` (within the grid's rows).
    virtual void fillCell(TRMMemoView& view, int col, int row) const;
    // The grid column each printed column shows, -1 for a numbering column ("[Line#]").
    virtual std::vector<int> printColumns() const;
    // Width of the numbering column.
    virtual int numberColumnWidth() const { return 0; }
    // Grid column of printed column `column`.
    int sourceColumn(int column) const {
        return printColumns_.at(static_cast<std::size_t>(column));
    }

    std::unique_ptr<TRMView> titleCell(TRMFormReport& report, int row, int column) override;
    std::unique_ptr<TRMView> dataCell(TRMFormReport& report, int column) override;
    void dataCellPlaced(TRMFormReport& report, TRMView& view, int column) override;

    QWidget* grid() const { return grid_.data(); }
    TRMFormReport* formReport() const { return report_; }

private:
    void wireRowDataSet(TRMReport& engine);
    bool currentRowInGrid() const;
    // Height of the current grid row; rows beyond the grid have the default height.
    int currentRowHeight() const;

    TRMFormReport* report_ = nullptr;
    QPointer<QWidget> grid_;
    std::unique_ptr<TRMUserDataset> rows_;
    struct DataView {
        std::string name;
        int column;
    };
    std::vector<DataView> dataViews_;
    std::vector<int> printColumns_;
    int currentRow_ = 0;
};

class TRMFormPrintStringGrid : public TRMStringGridAddIn {
public:
    static constexpr const char* kClassName = "TRMFormPrintStringGrid";

protected:
    int colCount() const override;
    int rowCount() const override;
    int fixedRows() const override;
    int cellWidth(int col) const override;
    int rowHeight(int row) const override;
    int defaultRowHeight() const override;
    std::string cellText(int col, int row) const override;
    TRMFont cellFont(int col) const override;

private:
    QTableWidget* table() const;
};

class TRMFormPrintADVStringGridPro : public TRMStringGridAddIn {
public:
    static constexpr const char* kClassName = "TRMFormPrintADVStringGridPro";

protected:
    int colCount() const override;
    int rowCount() const override;
    int fixedRows() const override;
    int cellWidth(int col) const override;
    int rowHeight(int row) const override;
    int defaultRowHeight() const override;
    std::string cellText(int col, int row) const override;
    TRMFont cellFont(int col) const override;
    TRMFont titleFont() const override;
    void fillCell(TRMMemoView& view, int col, int row) const override;

    std::vector<TRMView*> placeTitleSlice(TRMFormReport& report, TRMPage& page, int row,
                                          const std::vector<int>& columns, const Table& table,
                                          int x, int y) override;
    std::unique_ptr<TRMView> titleCell(TRMFormReport& report, int row, int column) override;
    std::unique_ptr<TRMView> dataCell(TRMFormReport& report, int column) override;

private:
    grid::TAdvStringGrid* advGrid() const;
    bool hasCaptions() const;
};

} // namespace report
