#include "report/formreport/RMPrintListView.h"

#include "report/formreport/RMFormReport.h"
#include "report/formreport/RMFormReportControls.h"

#include <QAbstractItemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTreeView>

namespace report {

QTreeView* TRMPrintListView::tree() const {
    return qobject_cast<QTreeView*>(grid());
}

int TRMPrintListView::colCount() const {
    return tree() && tree()->model() ? tree()->model()->columnCount() : 0;
}

int TRMPrintListView::fixedRows() const {
    return tree() && !tree()->header()->isHidden() ? 1 : 0;
}

int TRMPrintListView::rowCount() const {
    return tree() && tree()->model() ? tree()->model()->rowCount() + fixedRows() : 0;
}

int TRMPrintListView::cellWidth(int col) const {
    return tree()->isColumnHidden(col) ? 0 : tree()->columnWidth(col) + 1;
}

int TRMPrintListView::rowHeight(int row) const {
    const int fixed = fixedRows();
    if (row < fixed)
        return tree()->header()->height();
    const int height = tree()->sizeHintForRow(row - fixed);
    return height > 0 ? height : defaultRowHeight();
}

int TRMPrintListView::defaultRowHeight() const {
    return tree() ? QFontMetrics(tree()->font()).height() + 2 : 0;
}

std::string TRMPrintListView::cellText(int col, int row) const {
    const QAbstractItemModel* model = tree()->model();
    const int fixed = fixedRows();
    if (row < fixed)
        return model->headerData(col, Qt::Horizontal).toString().toStdString();
    return model->index(row - fixed, col).data().toString().toStdString();
}

TRMFont TRMPrintListView::cellFont(int /*col*/) const {
    return reportFont(*tree());
}

std::vector<int> TRMPrintListView::printColumns() const {
    std::vector<int> columns = TRMStringGridAddIn::printColumns();
    if (formReport()->ReportOptions.has(rmgoGridNumber) && fixedRows() > 0)
        columns.insert(columns.begin(), -1);
    return columns;
}

int TRMPrintListView::numberColumnWidth() const {
    return QFontMetrics(tree()->font()).horizontalAdvance(QLatin1Char('a')) *
           formReport()->GridNumOptions().Number();
}

} // namespace report
