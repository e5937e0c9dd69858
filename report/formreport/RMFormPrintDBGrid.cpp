#include "report/formreport/RMFormPrintDBGrid.h"

#include "report/engine/data/RMRowCursor.h"
#include "report/engine/model/RMBand.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/formreport/RMFormReport.h"
#include "report/formreport/RMFormReportControls.h"

#include <QAbstractItemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

#include <set>

namespace report {

void TRMFormPrintDBGrid::PlaceControl(TRMFormReport& report, TRMPage& /*page*/, TRMView*& /*view*/,
                                      QWidget& control) {
    TRMGridBuildState& b = report.Build();
    auto* grid = qobject_cast<QTableView*>(&control);
    if (b.GridPlaced || grid == nullptr || grid->model() == nullptr)
        return;
    view_ = grid;
    const QAbstractItemModel& model = *grid->model();
    markGridPlaced(report, control.y() + b.WalkOffsetY, control.height());
    report.setGridDataModel(&model);
    path_ = report.gridDataSetPath();

    const bool titles = !grid->horizontalHeader()->isHidden();
    const int height = report.MasterDataBandOptions().Height;
    dataHeight_ = height > 0 ? height : grid->verticalHeader()->defaultSectionSize() + 4;

    Table table;
    table.X0 = control.x() + b.WalkOffsetX;
    table.TitleY = b.GridTop;
    table.DataHeight = dataHeight_;
    columns_.clear();
    if (report.ReportOptions.has(rmgoGridNumber) && titles) {
        columns_.push_back(-1);
        table.CellWidths.push_back(QFontMetrics(grid->font()).horizontalAdvance(QLatin1Char('a')) *
                                   report.GridNumOptions().Number());
    }
    for (int c = 0; c < model.columnCount(); ++c)
        if (!grid->isColumnHidden(c)) {
            columns_.push_back(c);
            table.CellWidths.push_back(grid->columnWidth(c) + 1);
        }
    if (titles)
        table.TitleHeights.push_back(grid->horizontalHeader()->height() + 4);
    widenPageWidth(report, &control == report.PrintControl.data(), table);
    placeTable(report, table);
    printSelectedRowsOnly(report, *grid);
}

// With rmgoSelectedRecordsOnly and rows selected (as whole rows, the way a grid marks
// records), a data row prints only for a selected record. The instance is kept until the
// next build, like the other add-ins preparation calls back.
void TRMFormPrintDBGrid::printSelectedRowsOnly(TRMFormReport& report, const QTableView& grid) {
    if (!report.ReportOptions.has(rmgoSelectedRecordsOnly) || grid.selectionModel() == nullptr)
        return;
    std::set<int> selected;
    for (const QModelIndex& index : grid.selectionModel()->selectedRows())
        selected.insert(index.row());
    if (selected.empty())
        return;
    FreeAfterUse = false;
    auto* rows = dynamic_cast<TRMRowCursor*>(&report.cursorFor(*grid.model()));
    if (rows == nullptr)
        return;
    report.ReportEngine().OnBeforePrintBand = [rows, selected](TRMBand& band, bool& print) {
        if (band.BandType == rmbtMasterData)
            print = selected.count(rows->currentRow()) > 0;
    };
}

std::unique_ptr<TRMMemoView> TRMFormPrintDBGrid::gridCell(const TRMFormReport& report) const {
    std::unique_ptr<TRMMemoView> cell = memoCell(report);
    setAllFrames(*cell, report.ReportOptions.has(rmgoGridLines) && view_ && view_->showGrid());
    return cell;
}

std::unique_ptr<TRMView> TRMFormPrintDBGrid::titleCell(TRMFormReport& report, int /*row*/,
                                                       int column) {
    std::unique_ptr<TRMMemoView> cell = gridCell(report);
    const int source = sourceColumn(column);
    const QAbstractItemModel* model = view_->model();
    if (source < 0) {
        cell->Font = reportFont(*view_);
        setExpression(*cell, report.GridNumOptions().Text);
        return cell;
    }
    const QVariant font = model->headerData(source, Qt::Horizontal, Qt::FontRole);
    cell->Font = font.isValid() ? reportFont(font.value<QFont>(), reportFont(*view_).Color)
                                : reportFont(*view_->horizontalHeader());
    cell->Memo = {model->headerData(source, Qt::Horizontal).toString().toStdString()};
    const QVariant align = model->headerData(source, Qt::Horizontal, Qt::TextAlignmentRole);
    if (align.isValid())
        cell->setAlignment(alignmentOf(align));
    if (report.ReportOptions.has(rmgoUseColor)) {
        const QVariant fill = model->headerData(source, Qt::Horizontal, Qt::BackgroundRole);
        if (fill.isValid())
            cell->FillColor = reportColor(fill.value<QBrush>().color());
    }
    return cell;
}

std::unique_ptr<TRMView> TRMFormPrintDBGrid::dataCell(TRMFormReport& report, int column) {
    const int source = sourceColumn(column);
    const QAbstractItemModel* model = view_->model();
    if (source < 0) {
        std::unique_ptr<TRMMemoView> cell = gridCell(report);
        cell->Font = reportFont(*view_);
        setExpression(*cell, "[Line#]");
        return cell;
    }
    const std::string field = model->headerData(source, Qt::Horizontal).toString().toStdString();
    const std::string reference = "[" + path_ + ".\"" + field + "\"]";
    const QModelIndex first = model->index(0, source);
    const TRMFieldFormat format = fieldFormat(*model, source);
    std::unique_ptr<TRMView> view;
    if (format.Picture) {
        auto picture = std::make_unique<TRMPictureView>();
        picture->Memo = {reference};
        setAllFrames(*picture, report.ReportOptions.has(rmgoGridLines) && view_->showGrid());
        view = std::move(picture);
    } else {
        std::unique_ptr<TRMMemoView> cell = gridCell(report);
        cell->Font = reportFont(*view_);
        if (report.GridFontOptions().UseCustomFontSize)
            cell->Font.Size = std::abs(report.GridFontOptions().Font.size());
        setExpression(*cell, reference);
        applyFieldFormat(*cell, format);
        if (report.ReportOptions.has(rmgoUseColor)) {
            const QVariant fill = first.data(Qt::BackgroundRole);
            if (fill.isValid())
                cell->FillColor = reportColor(fill.value<QBrush>().color());
        }
        view = std::move(cell);
    }
    if (report.OnAfterCreateGridObjectEvent)
        report.OnAfterCreateGridObjectEvent(*view_, field, *view);
    return view;
}

} // namespace report
