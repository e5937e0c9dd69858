// Bands printed inside another band: cross columns (one column per record of the cross
// data band, continued on the next page when they pass the right edge) and subreports
// (another template page's bands printed at the subreport view's place).
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/preparation/RMPreparation.h"

#include <algorithm>
#include <climits>

namespace report {

void TRMPreparation::printCross(TRMBand& b, int y, int height) {
    TRMReport& r = *report_;
    TRMPrepareState& state = r.State;
    TRMPageBands& bands = dataBands();
    TRMBand* header = bands.head(rmbtCrossHeader);
    TRMBand* data = bands.head(rmbtCrossData);
    TRMBand* footer = bands.head(rmbtCrossFooter);
    const int savedPage = state.PageNo;
    auto writeColumn = [&](const TRMBand* cross, int columnX) {
        for (TRMView* v : b.CrossViews) {
            auto it = bands.CrossOf.find(v);
            if (it == bands.CrossOf.end() || it->second != cross)
                continue;
            const int designHeight = v->Height;
            if (b.flag(bandflag::Stretched) && v->flag(flag::Stretched))
                v->Height = height - v->Top;
            writeView(*v, b, columnX + run_->Left, y, INT_MAX);
            v->Height = designHeight;
        }
    };
    // Continues the row on the next prepared page (a new one gets the overlay band and
    // the page header).
    auto nextPage = [&] {
        if (state.PageNo + 1 < out_.Count()) {
            ++state.PageNo;
            return;
        }
        const int savedY = state.CurY;
        addPage();
        inPageSetup_ = true;
        showBand(band(rmbtOverlay));
        state.CurY = run_->Top;
        showBand(band(rmbtPageHeader));
        inPageSetup_ = false;
        state.CurY = savedY;
    };
    int x = header != nullptr ? header->x : (data != nullptr ? data->x : run_->Left);
    if (header != nullptr) {
        writeColumn(header, header->x);
        x = header->x + header->dx;
    }
    if (data != nullptr) {
        if (r.OnBeginColumn)
            r.OnBeginColumn(b);
        dsFirst(*data);
        for (int column = 1; !dsEof(*data) && !r.Terminated; ++column) {
            state.ColumnNo = column;
            int width = data->dx;
            if (r.OnPrintColumn)
                r.OnPrintColumn(column, width);
            if (x + width > run_->Right && x > run_->Left) {
                nextPage();
                x = run_->Left;
            }
            writeColumn(data, x);
            x += std::max(width, 1);
            dsNext(*data);
        }
    }
    if (footer != nullptr) {
        if (x + footer->dx > run_->Right && x > run_->Left) {
            nextPage();
            x = run_->Left;
        }
        writeColumn(footer, x);
    }
    state.ColumnNo = 1;
    state.PageNo = savedPage;
}

int TRMPreparation::printSubReports(TRMBand& b, int x, int y) {
    int bottom = y;
    for (TRMView* v : b.Objects) {
        auto* sub = dynamic_cast<TRMSubReportView*>(v);
        if (sub == nullptr || !sub->Visible)
            continue;
        if (sub->SubPage < 0 || sub->SubPage >= static_cast<int>(member_->Runs.size()))
            continue;
        PageRun& target = member_->Runs[static_cast<std::size_t>(sub->SubPage)];
        if (!target.Bands || &target == run_ || source_ == target.Bands.get())
            continue;
        TRMPrepareState& state = report_->State;
        TRMPageBands* savedSource = source_;
        const int savedX = run_->CurX;
        const int savedY = state.CurY;
        const int savedPage = state.PageNo;
        source_ = target.Bands.get();
        // The subreport's bands start at its own place in the band and keep its offset.
        run_->CurX = x + sub->Left - target.Page->marginsInPixels().left;
        state.CurY = y + sub->Top;
        if (TRMBand* master = band(rmbtMasterData);
            master == nullptr || master->DataSet == nullptr ||
            (dsFirst(*master), !dsEof(*master)) || report_->PrintIfEmpty) {
            showBand(band(rmbtReportTitle));
            dataLoop(1);
            showBand(band(rmbtReportSummary));
        }
        closeColumns();
        bottom = state.PageNo == savedPage ? std::max(bottom, state.CurY) : state.CurY;
        source_ = savedSource;
        run_->CurX = savedX;
        if (state.PageNo == savedPage)
            state.CurY = savedY;
    }
    return bottom;
}

} // namespace report
