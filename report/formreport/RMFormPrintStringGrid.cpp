#include "report/formreport/RMFormPrintStringGrid.h"

#include "grid/TAdvStringGrid.h"
#include "platform/Gbk.h"
#include "report/engine/model/RMBand.h"
#include "report/engine/model/RMDataset.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/formreport/RMFormReport.h"
#include "report/formreport/RMFormReportControls.h"

#include <QHeaderView>
#include <QTableWidget>

#include <cmath>

namespace report {

// ---------------------------------------------------------------- common part

TRMStringGridAddIn::TRMStringGridAddIn() {
    FreeAfterUse = false;
}

TRMStringGridAddIn::~TRMStringGridAddIn() = default;

void TRMStringGridAddIn::PlaceControl(TRMFormReport& report, TRMPage& /*page*/, TRMView*& /*view*/,
                                      QWidget& control) {
    TRMGridBuildState& b = report.Build();
    if (b.GridPlaced)
        return;
    report_ = &report;
    grid_ = &control;
    markGridPlaced(report, control.y() + b.WalkOffsetY, control.height());

    if (!rows_)
        rows_ = std::make_unique<TRMUserDataset>();
    dataViews_.clear();
    report.BindToGridDataSet = false;
    wireRowDataSet(report.ReportEngine());

    Table table;
    table.X0 = control.x() + b.WalkOffsetX;
    table.TitleY = b.GridTop;
    printColumns_ = printColumns();
    for (int c : printColumns_)
        table.CellWidths.push_back(c < 0 ? numberColumnWidth() : cellWidth(c));
    for (int r = 0; r < fixedRows(); ++r)
        table.TitleHeights.push_back(rowHeight(r) + 4);
    widenPageWidth(report, &control == report.PrintControl.data(), table);
    placeTable(report, table);
}

void TRMStringGridAddIn::wireRowDataSet(TRMReport& engine) {
    rows_->OnFirst = [this](TRMDataset&) {
        currentRow_ = fixedRows();
        Fill();
    };
    rows_->OnNext = [this](TRMDataset&) {
        ++currentRow_;
        Fill();
    };
    rows_->OnPrior = [this](TRMDataset&) {
        --currentRow_;
        Fill();
    };
    rows_->OnCheckEOF = [this](TRMDataset&, bool& eof) { eof = rowCount() - 1 < currentRow_; };
    engine.Dataset = rows_.get();
    // A data row is as high as the grid row it shows.
    engine.OnBeginBand = [this](TRMBand& band) {
        if (band.BandType == rmbtMasterData)
            band.dy = currentRowHeight();
    };
}

std::vector<int> TRMStringGridAddIn::printColumns() const {
    std::vector<int> columns;
    for (int c = 0; c < colCount(); ++c)
        columns.push_back(c);
    return columns;
}

TRMFont TRMStringGridAddIn::printedTitleFont(TRMFormReport& report) const {
    TRMFont font = titleFont();
    if (report.GridFontOptions().TitleFontColor != platform::clNone)
        font.Color = report.GridFontOptions().TitleFontColor;
    return font;
}

std::unique_ptr<TRMView> TRMStringGridAddIn::titleCell(TRMFormReport& report, int row, int column) {
    std::unique_ptr<TRMMemoView> cell = memoCell(report);
    cell->Font = printedTitleFont(report);
    const int source = sourceColumn(column);
    if (source < 0)
        setExpression(*cell, report.GridNumOptions().Text);
    else
        cell->Memo = {printedText(cellText(source, row))};
    return cell;
}

std::unique_ptr<TRMView> TRMStringGridAddIn::dataCell(TRMFormReport& report, int column) {
    std::unique_ptr<TRMMemoView> cell = memoCell(report);
    const int source = sourceColumn(column);
    cell->Font = cellFont(std::max(source, 0));
    if (source < 0)
        setExpression(*cell, "[Line#]");
    return cell;
}

void TRMStringGridAddIn::dataCellPlaced(TRMFormReport& /*report*/, TRMView& view, int column) {
    const int source = sourceColumn(column);
    if (source >= 0)
        dataViews_.push_back({view.Name, source});
}

void TRMStringGridAddIn::fillCell(TRMMemoView& view, int col, int row) const {
    view.Memo = {printedText(cellText(col, row))};
}

bool TRMStringGridAddIn::currentRowInGrid() const {
    return grid_ && currentRow_ >= 0 && currentRow_ < rowCount();
}

int TRMStringGridAddIn::currentRowHeight() const {
    return currentRowInGrid() ? rowHeight(currentRow_) : defaultRowHeight();
}

void TRMStringGridAddIn::Fill() {
    if (report_ == nullptr)
        return;
    TRMReport& engine = report_->ReportEngine();
    const bool inGrid = currentRowInGrid();
    const int height = currentRowHeight();
    for (const DataView& d : dataViews_) {
        auto* memo = dynamic_cast<TRMMemoView*>(engine.FindObject(d.name));
        if (memo == nullptr)
            continue;
        memo->Height = height;
        if (inGrid)
            fillCell(*memo, d.column, currentRow_);
        else
            memo->Memo = {std::string()};
    }
}

// ---------------------------------------------------------------- QTableWidget

QTableWidget* TRMFormPrintStringGrid::table() const {
    return qobject_cast<QTableWidget*>(grid());
}

int TRMFormPrintStringGrid::colCount() const {
    return table() ? table()->columnCount() : 0;
}

int TRMFormPrintStringGrid::fixedRows() const {
    return table() && !table()->horizontalHeader()->isHidden() ? 1 : 0;
}

int TRMFormPrintStringGrid::rowCount() const {
    return table() ? table()->rowCount() + fixedRows() : 0;
}

int TRMFormPrintStringGrid::cellWidth(int col) const {
    return table()->isColumnHidden(col) ? 0 : table()->columnWidth(col) + 1;
}

int TRMFormPrintStringGrid::rowHeight(int row) const {
    const int fixed = fixedRows();
    if (row < fixed)
        return table()->horizontalHeader()->height();
    return table()->rowHeight(row - fixed);
}

int TRMFormPrintStringGrid::defaultRowHeight() const {
    return table() ? table()->verticalHeader()->defaultSectionSize() : 0;
}

std::string TRMFormPrintStringGrid::cellText(int col, int row) const {
    const QTableWidget* t = table();
    const int fixed = fixedRows();
    if (row < fixed)
        return t->model()->headerData(col, Qt::Horizontal).toString().toStdString();
    return t->model()->index(row - fixed, col).data().toString().toStdString();
}

TRMFont TRMFormPrintStringGrid::cellFont(int /*col*/) const {
    return reportFont(*table());
}

// ---------------------------------------------------------------- TAdvStringGrid

namespace {

int memoAlignment(grid::TAlignment a) {
    switch (a) {
    case grid::TAlignment::taRightJustify:
        return 1;
    case grid::TAlignment::taCenter:
        return 2;
    case grid::TAlignment::taLeftJustify:
        break;
    }
    return 0;
}

} // namespace

grid::TAdvStringGrid* TRMFormPrintADVStringGridPro::advGrid() const {
    return qobject_cast<grid::TAdvStringGrid*>(grid());
}

bool TRMFormPrintADVStringGridPro::hasCaptions() const {
    return advGrid()->Columns().Count() > 0;
}

int TRMFormPrintADVStringGridPro::colCount() const {
    return advGrid() ? advGrid()->ColCount() : 0;
}

int TRMFormPrintADVStringGridPro::rowCount() const {
    return advGrid() ? advGrid()->RowCount() : 0;
}

int TRMFormPrintADVStringGridPro::fixedRows() const {
    return advGrid() ? advGrid()->FixedRows() : 0;
}

int TRMFormPrintADVStringGridPro::cellWidth(int col) const {
    const grid::TAdvStringGrid& g = *advGrid();
    const bool hidden =
        (col < g.Columns().Count() && !g.Columns()[col].Visible()) || g.ColWidths(col) < 0;
    return hidden ? 0 : g.ColWidths(col) + 1;
}

int TRMFormPrintADVStringGridPro::rowHeight(int row) const {
    return advGrid()->RowHeights(row);
}

int TRMFormPrintADVStringGridPro::defaultRowHeight() const {
    return advGrid() ? advGrid()->DefaultRowHeight() : 0;
}

std::string TRMFormPrintADVStringGridPro::cellText(int col, int row) const {
    return advGrid()->Cells(col, row);
}

TRMFont TRMFormPrintADVStringGridPro::cellFont(int col) const {
    const grid::TAdvStringGrid& g = *advGrid();
    return reportFont(col < g.Columns().Count() ? g.Columns()[col].currentFont() : g.Font());
}

TRMFont TRMFormPrintADVStringGridPro::titleFont() const {
    return reportFont(advGrid()->TitleFont());
}

std::unique_ptr<TRMView> TRMFormPrintADVStringGridPro::titleCell(TRMFormReport& report, int row,
                                                                 int column) {
    // Fixed rows below the caption row show their cell texts.
    std::unique_ptr<TRMView> cell = TRMStringGridAddIn::titleCell(report, row, column);
    if (report.ReportOptions.has(rmgoUseColor))
        cell->FillColor = advGrid()->TitleColor();
    return cell;
}

std::vector<TRMView*> TRMFormPrintADVStringGridPro::placeTitleSlice(TRMFormReport& report,
                                                                    TRMPage& page, int row,
                                                                    const std::vector<int>& columns,
                                                                    const Table& table, int x,
                                                                    int y) {
    if (row != 0 || !hasCaptions())
        return TRMStringGridAddIn::placeTitleSlice(report, page, row, columns, table, x, y);

    // The caption row as the grid draws it: the caption tree of this slice's columns, each
    // part spanning the columns that share it, at its level's share of the row height.
    const grid::TAdvStringGrid& g = *advGrid();
    const int height = table.TitleHeights[0];
    std::vector<grid::TitleTree::ColumnInput> inputs;
    std::vector<int> lefts;
    for (int p : columns) {
        const int w = table.CellWidths[static_cast<std::size_t>(p)];
        const int c = sourceColumn(p);
        const std::string caption = c < g.Columns().Count() ? g.Columns()[c].Title().Caption : "";
        inputs.push_back({caption, grid::TRect{x + 1, 0, x + 1 + std::max(w, 1), height},
                          std::max(w - 1, 0), w > 0});
        lefts.push_back(x);
        x += w;
    }
    grid::TitleTree tree;
    tree.build(inputs, 1);
    const double levelHeight = static_cast<double>(height) / tree.levels();

    std::vector<TRMView*> views;
    const auto place = [&](const grid::THeadTreeNode& node, auto&& self) -> void {
        const int first = node.Column;
        const int last = std::max(node.LastCol, node.Column);
        int width = 0;
        for (int i = first; i <= last; ++i)
            width +=
                table.CellWidths[static_cast<std::size_t>(columns[static_cast<std::size_t>(i)])];
        const int top = static_cast<int>(std::lround((node.Level - 1) * levelHeight));
        const int bottom = node.Children.empty()
                               ? height
                               : static_cast<int>(std::lround(node.Level * levelHeight));
        std::unique_ptr<TRMMemoView> cell = memoCell(report);
        cell->Font = printedTitleFont(report);
        cell->Memo = {printedText(platform::trimBlanks(node.TitlePart))};
        if (report.ReportOptions.has(rmgoUseColor))
            cell->FillColor = g.TitleColor();
        cell->Left = lefts[static_cast<std::size_t>(first)];
        cell->Top = y + top;
        cell->Width = width;
        cell->Height = bottom - top;
        TRMView* v = report.addView(page, std::move(cell));
        if (width <= 0)
            v->Visible = false;
        report.Build().TitleObjects.push_back(v);
        views.push_back(v);
        for (const auto& child : node.Children)
            self(*child, self);
    };
    for (const auto& top : tree.root().Children)
        place(*top, place);
    return views;
}

std::unique_ptr<TRMView> TRMFormPrintADVStringGridPro::dataCell(TRMFormReport& report, int column) {
    std::unique_ptr<TRMView> view = TRMStringGridAddIn::dataCell(report, column);
    auto& cell = static_cast<TRMMemoView&>(*view);
    const grid::TAdvStringGrid& g = *advGrid();
    const int source = sourceColumn(column);
    if (source < g.Columns().Count())
        cell.setAlignment(memoAlignment(g.Columns()[source].Alignment()));
    return view;
}

void TRMFormPrintADVStringGridPro::fillCell(TRMMemoView& view, int col, int row) const {
    TRMStringGridAddIn::fillCell(view, col, row);
    const grid::TAdvStringGrid& g = *advGrid();
    if (cellWidth(col) == 0)
        view.Visible = false;
    if (formReport()->ReportOptions.has(rmgoUseColor)) {
        view.Font.Color = cellFont(col).Color;
        view.FillColor = g.RowColor(row);
    } else {
        view.Font.Color = clBlack;
        view.FillColor = clNone;
    }
}

} // namespace report
