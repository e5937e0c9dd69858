#include "report/formreport/RMGridTableAddIn.h"

#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/formreport/RMFormReport.h"
#include "report/formreport/RMFormReportControls.h"

#include <cmath>

namespace report {

std::vector<std::vector<int>> splitGridColumns(const std::vector<int>& cellWidths, int x0,
                                               int printableWidth, double scale, bool neverSplit,
                                               int fixedCols) {
    const int count = static_cast<int>(cellWidths.size());
    std::vector<std::vector<int>> slices(1);
    int x = x0;
    int placed = 0; // columns of this slice's own
    for (int c = 0; c < count; ++c) {
        const int width = cellWidths[static_cast<std::size_t>(c)];
        if (placed > 0 && !neverSplit) {
            double right = x + width;
            if (scale != 1.0)
                right = std::nearbyint(right * scale);
            if (right > printableWidth) {
                slices.emplace_back();
                x = x0;
                for (int k = 0; k < fixedCols && k < count; ++k) {
                    slices.back().push_back(k);
                    x += cellWidths[static_cast<std::size_t>(k)];
                }
                placed = 0;
            }
        }
        slices.back().push_back(c);
        x += width;
        ++placed;
    }
    return slices;
}

void TRMGridTableAddIn::markGridPlaced(TRMFormReport& report, int top, int height) {
    TRMGridBuildState& b = report.Build();
    b.GridPlaced = true;
    b.GridTop = top;
    b.GridHeight = height;
}

void TRMGridTableAddIn::widenPageWidth(TRMFormReport& report, bool isPrintControl,
                                       const Table& table) {
    int total = 0;
    for (int w : table.CellWidths)
        total += w;
    int& first = report.Build().PageWidths.front();
    if (!isPrintControl && first >= total)
        return;
    first = table.X0 * 2 + total;
}

std::unique_ptr<TRMMemoView> TRMGridTableAddIn::memoCell(const TRMFormReport& report) {
    auto memo = std::make_unique<TRMMemoView>();
    memo->setAlignment(2);
    memo->setLayout(8);
    memo->setFlag(flag::Stretched, report.ReportOptions.has(rmgoStretch));
    memo->setFlag(flag::Wordwrap, report.ReportOptions.has(rmgoWordWrap));
    memo->setFlag(flag::TextOnly, true);
    setAllFrames(*memo, report.ReportOptions.has(rmgoGridLines));
    return memo;
}

void TRMGridTableAddIn::setExpression(TRMMemoView& cell, std::string expression) {
    cell.Memo = {std::move(expression)};
    cell.setFlag(flag::TextOnly, false);
}

std::string TRMGridTableAddIn::printedText(std::string text) {
    if (text == "[Error]")
        text.clear();
    return text;
}

TRMPage& TRMGridTableAddIn::slicePage(TRMFormReport& report, std::size_t slice) {
    TRMPages& pages = report.ReportEngine().Pages;
    TRMGridBuildState& b = report.Build();
    while (static_cast<std::size_t>(pages.Count()) <= slice) {
        report.addSplitPage();
        b.PageWidths.push_back(0);
    }
    return *pages[static_cast<int>(slice)];
}

std::vector<TRMView*> TRMGridTableAddIn::placeTitleSlice(TRMFormReport& report, TRMPage& page,
                                                         int row, const std::vector<int>& columns,
                                                         const Table& table, int x, int y) {
    std::vector<TRMView*> views;
    for (int c : columns) {
        std::unique_ptr<TRMView> cell = titleCell(report, row, c);
        cell->Left = x;
        cell->Top = y;
        cell->Width = table.CellWidths[static_cast<std::size_t>(c)];
        cell->Height = table.TitleHeights[static_cast<std::size_t>(row)];
        TRMView* v = report.addView(page, std::move(cell));
        report.Build().TitleObjects.push_back(v);
        views.push_back(v);
        x += v->Width;
    }
    return views;
}

void TRMGridTableAddIn::placeTable(TRMFormReport& report, const Table& table) {
    TRMGridBuildState& b = report.Build();
    const TRMScaleOptions& s = report.ScaleMode();
    const bool neverSplit = s.ScaleMode == rmsmFit && s.FitPageWidth;
    const double scale =
        s.ScaleMode == rmsmAdjust && s.ScaleFactor != 100 ? s.ScaleFactor / 100.0 : 1.0;
    const std::vector<std::vector<int>> slices = splitGridColumns(
        table.CellWidths, table.X0, b.PrintableWidth, scale, neverSplit, report.GridFixedCols);
    const bool doubleFrame = report.ReportOptions.has(rmgoDoubleFrame);
    const auto sliceWidth = [&](const std::vector<int>& columns) {
        int x = table.X0;
        for (int c : columns)
            x += table.CellWidths[static_cast<std::size_t>(c)];
        return x;
    };
    const auto endSlice = [&](std::size_t s, TRMView* last) {
        if (s + 1 < slices.size()) {
            if (doubleFrame && last != nullptr)
                last->RightFrame.Width = 2;
            b.PageWidths[s] = sliceWidth(slices[s]);
        }
    };
    const auto lastWidth = [&] {
        if (b.PageWidths.size() > 1)
            b.PageWidths.back() = sliceWidth(slices.back());
    };

    // Title rows.
    TRMView* last = nullptr;
    int y = table.TitleY;
    for (std::size_t r = 0; r < table.TitleHeights.size(); ++r) {
        for (std::size_t sl = 0; sl < slices.size(); ++sl) {
            TRMPage& page = slicePage(report, sl);
            std::vector<TRMView*> views =
                placeTitleSlice(report, page, static_cast<int>(r), slices[sl], table, table.X0, y);
            if (doubleFrame)
                for (std::size_t i = 0; i < views.size(); ++i) {
                    views[i]->TopFrame.Width = 2;
                    if (i == 0)
                        views[i]->LeftFrame.Width = 2;
                }
            if (!views.empty())
                last = views.back();
            endSlice(sl, last);
        }
        y += table.TitleHeights[r];
    }
    if (!table.TitleHeights.empty()) {
        if (doubleFrame && last != nullptr)
            last->RightFrame.Width = 2;
        lastWidth();
    }

    // The data row template.
    last = nullptr;
    for (std::size_t sl = 0; sl < slices.size(); ++sl) {
        TRMPage& page = slicePage(report, sl);
        int x = table.X0;
        for (std::size_t i = 0; i < slices[sl].size(); ++i) {
            const int c = slices[sl][i];
            const int width = table.CellWidths[static_cast<std::size_t>(c)];
            std::unique_ptr<TRMView> cell = dataCell(report, c);
            cell->Left = x;
            cell->Top = 0;
            cell->Width = width;
            cell->Height = table.DataHeight;
            TRMView* v = report.addView(page, std::move(cell));
            b.MasterDataObjects.push_back(v);
            dataCellPlaced(report, *v, c);
            if (doubleFrame) {
                if (i == 0)
                    v->LeftFrame.Width = 2;
                auto line = std::make_unique<TRMLineView>();
                line->Left = x;
                line->Top = b.GridTop + b.GridHeight;
                line->Width = width;
                line->Height = 2;
                line->setFlag(flag::Stretched, report.ReportOptions.has(rmgoStretch));
                b.ColumnFooterObjects.push_back(report.addView(page, std::move(line)));
            }
            x += width;
            last = v;
        }
        endSlice(sl, last);
    }
    if (last != nullptr && doubleFrame)
        last->RightFrame.Width = 2;
    lastWidth();
}

} // namespace report
