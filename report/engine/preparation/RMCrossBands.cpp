// Bands printed inside another band: cross columns (one column per record of the cross
// data band, continued on the next page when they pass the right edge; merged cells run
// per page and column) and subreports (another template page collected band by band, then
// placed at the subreport view's position and width, over as many pages as it takes).
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/preparation/RMBandPrinter.h"
#include "report/engine/preparation/RMBuildState.h"
#include "report/engine/preparation/RMDataLoop.h"
#include "report/engine/preparation/RMPageBreaks.h"
#include "report/engine/preparation/RMViewCast.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace report {

void TRMBandPrinter::printCross(TRMBand& b, int y, int height) {
    TRMReport& r = *state_.Report;
    TRMPrepareState& state = r.State;
    TRMPageBands& bands = state_.dataBands();
    TRMBand* header = bands.head(rmbtCrossHeader);
    TRMBand* data = bands.head(rmbtCrossData);
    TRMBand* footer = bands.head(rmbtCrossFooter);
    const int savedPage = state.PageNo;
    // `column`: 0 the cross header, 1… the cross-data columns, −1 the cross footer.
    auto writeColumn = [&](const TRMBand* cross, int columnX, int column) {
        for (TRMView* v : b.CrossViews) {
            auto it = bands.CrossOf.find(v);
            if (it == bands.CrossOf.end() || it->second != cross)
                continue;
            const int designHeight = v->Height;
            if (b.flag(bandflag::Stretched) && v->flag(flag::Stretched))
                v->Height = height - v->Top;
            // A merged cell continues the run of the same column on the same page only.
            auto* memo = dynamic_cast<TRMMemoView*>(v);
            CrossMerge* merge = nullptr;
            if (memo != nullptr && memo->flag(flag::MergeRepeated) && collect_ == nullptr) {
                merge = &crossMerges_[{v, state.PageNo, column}];
                memo->LastValue = merge->LastValue;
                memo->Merge = merge->Merge;
            }
            writeView(*v, b, columnX + state_.Run->Left, y, INT_MAX);
            if (merge != nullptr) {
                merge->LastValue = memo->LastValue;
                merge->Merge = memo->Merge;
            }
            v->Height = designHeight;
        }
    };
    // Continues the row on the next prepared page (a new one gets the overlay band and
    // the page header). A collected subreport page has no other page: false.
    auto nextPage = [&] {
        if (collect_ != nullptr)
            return false;
        if (state.PageNo + 1 < state_.Out.Count()) {
            ++state.PageNo;
            return true;
        }
        const int savedY = state.CurY;
        breaks_.addPage();
        state_.InPageSetup = true;
        showBand(state_.band(rmbtOverlay));
        state.CurY = state_.Run->Top;
        showBand(state_.band(rmbtPageHeader));
        state_.InPageSetup = false;
        state.CurY = savedY;
        return true;
    };
    int x = header != nullptr ? header->x : (data != nullptr ? data->x : state_.Run->Left);
    if (header != nullptr) {
        writeColumn(header, header->x, 0);
        x = header->x + header->dx;
    }
    if (data != nullptr) {
        if (r.OnBeginColumn)
            r.OnBeginColumn(b);
        TRMDataLoop::dsFirst(*data);
        for (int column = 1; !TRMDataLoop::dsEof(*data) && !r.Terminated; ++column) {
            state.ColumnNo = column;
            int width = data->dx;
            if (r.OnPrintColumn)
                r.OnPrintColumn(column, width);
            if (x + width > state_.Run->Right && x > state_.Run->Left) {
                if (!nextPage())
                    break;
                x = state_.Run->Left;
            }
            writeColumn(data, x, column);
            x += std::max(width, 1);
            TRMDataLoop::dsNext(*data);
        }
    }
    if (footer != nullptr && !state_.Report->Terminated) {
        const bool past = x + footer->dx > state_.Run->Right && x > state_.Run->Left;
        if (!past || nextPage())
            writeColumn(footer, past ? state_.Run->Left : x, -1);
    }
    state.ColumnNo = 1;
    state.PageNo = savedPage;
}

void TRMBandPrinter::forgetCrossMerges(const TRMBand& b) {
    for (TRMView* v : b.CrossViews)
        std::erase_if(crossMerges_,
                      [v](const auto& entry) { return std::get<0>(entry.first) == v; });
}

// ---------------------------------------------------------------- subreports

void TRMBandPrinter::collectBand(TRMBand& b, int x, int height) {
    Collection& c = *collect_;
    Collection::Band& entry = c.Bands.emplace_back();
    entry.Y = c.Y;
    entry.Height = height;
    b.PlacedY = c.Y;
    writeBand(b, x, c.Y, height, INT_MAX);
    if (!b.CrossViews.empty())
        printCross(b, c.Y, height);
    c.Y += height;
}

void TRMBandPrinter::collectWritten(const TRMView& v, std::size_t start) {
    // Type byte, class name of an add-in, Name, two version bytes, Left: then Top.
    RMStream name;
    name.writeString(v.Name);
    std::size_t top = start + 1 + name.size() + 2 + 4;
    if (v.ObjectType == gtAddIn) {
        RMStream cls;
        cls.writeString(v.ClassName());
        top += cls.size();
    }
    collect_->Bands.back().Records.push_back({start, top, collect_->Views.position()});
}

int TRMBandPrinter::printSubReports(TRMBand& b, int x, int y) {
    TRMPrepareState& state = state_.Report->State;
    struct Run { // a merged cell written on the page now being filled
        const Collection::Record* Record;
        int StripBottom;           // where the run ends in the strip
        std::size_t HeightPos = 0; // its Height field in the page stream
        int Top = 0;               // its Top on the page
    };
    struct Sub {
        Collection Bands;
        int Y = 0;
        std::vector<Run> Runs, Carried;
    };
    std::vector<std::unique_ptr<Sub>> subs;
    for (TRMView* v : b.Objects) {
        auto* view = viewCast<TRMSubReportView>(v);
        if (view == nullptr || !view->Visible)
            continue;
        if (view->SubPage < 0 || view->SubPage >= static_cast<int>(state_.Runs->size()))
            continue;
        TRMPageRun& target = (*state_.Runs)[static_cast<std::size_t>(view->SubPage)];
        if (!target.Bands || &target == state_.Run || state_.Source == target.Bands.get())
            continue;
        // Collect: the target page's bands are evaluated into the collection, at the
        // subreport's x and within its width.
        auto& sub = subs.emplace_back(std::make_unique<Sub>());
        const int targetLeft = target.Page->marginsInPixels().left;
        sub->Bands.AreaLeft = targetLeft;
        sub->Bands.AreaRight = targetLeft + std::max(0, view->Width);
        sub->Y = y + view->Top;
        auto forgetMerges = [&] {
            for (const auto& owned : target.Page->Objects())
                if (auto* memo = dynamic_cast<TRMMemoView*>(owned.get())) {
                    memo->LastValue.clear();
                    memo->Merge = {};
                }
        };
        forgetMerges();
        // Back to the parent page afterwards, also when an error leaves the collection.
        struct Restore {
            TRMBandPrinter& p;
            TRMPageBands* source;
            int x, y;
            ~Restore() {
                p.collect_ = nullptr;
                p.state_.Collecting = false;
                p.state_.Source = source;
                p.state_.Run->CurX = x;
                p.state_.Report->State.CurY = y;
            }
        } restore{*this, state_.Source, state_.Run->CurX, state.CurY};
        state_.Source = target.Bands.get();
        collect_ = &sub->Bands;
        state_.Collecting = true;
        state_.Run->CurX = x + view->Left - targetLeft;
        for (const auto& owned : target.Bands->all())
            owned->ColumnIndex = 1;
        if (TRMBand* master = state_.band(rmbtMasterData);
            master == nullptr || master->DataSet == nullptr ||
            (TRMDataLoop::dsFirst(*master), !TRMDataLoop::dsEof(*master)) ||
            state_.Report->PrintIfEmpty) {
            showBand(state_.band(rmbtReportTitle));
            loop_.run(1);
            showBand(state_.band(rmbtReportSummary));
        }
        forgetMerges();
    }
    if (subs.empty())
        return y;

    // Top and Height of a collected view in the strip (a merged run's Height reaches down
    // to the last row it covers).
    auto stripPlace = [](Collection& c, const Collection::Record& record) {
        c.Views.seek(record.Top);
        const std::int32_t top = c.Views.readInt32();
        c.Views.skip(4);
        return std::pair<int, int>(top, c.Views.readInt32());
    };
    // Writes a collected view at `top` on the page; one too tall for the page is cut at
    // its bottom limit.
    auto placeRecord = [&](Sub& sub, const Collection::Record& record, int top, int height,
                           int stripBottom) {
        RMStream view(sub.Bands.Views.bytes().substr(record.Start, record.End - record.Start));
        const std::size_t at = record.Top - record.Start;
        view.seek(at + 12); // Top, Width, Height: then Flags
        constexpr std::uint16_t kMerged = flag::Suppress | flag::MergeRepeated;
        const bool merged = (view.readUInt16() & kMerged) == kMerged;
        const bool cut = !merged && height > 0 && top + height > state.PageBottom;
        view.seek(at);
        view.writeInt32(top);
        view.skip(4);
        view.writeInt32(cut ? std::max(0, state.PageBottom - top) : height);
        RMStream& page = pageStream();
        const std::size_t start = page.position();
        page.writeBytes(view.bytes());
        if (merged)
            sub.Runs.push_back({&record, stripBottom, start + at + 8, top});
    };
    // A merged run that goes on below the last band of the page ends with that band and
    // starts again on the next page.
    auto cutRuns = [&](Sub& sub) {
        if (sub.Runs.empty())
            return;
        const Collection& c = sub.Bands;
        const int from = c.Next < c.Bands.size() ? c.Bands[c.Next].Y : INT_MAX;
        RMStream& page = pageStream();
        const std::size_t end = page.position();
        for (const Run& run : sub.Runs) {
            if (run.StripBottom <= from)
                continue;
            page.seek(run.HeightPos);
            page.writeInt32(std::max(0, sub.Y - run.Top));
            sub.Carried.push_back(run);
        }
        page.seek(end);
        sub.Runs.clear();
    };
    // Place the collected bands side by side, page by page: a band that does not fit
    // reports back and its subreport goes on below the next page's headers. Subreports in
    // the bands a page starts or ends with print what fits on that page.
    const bool mayBreak = !state_.InPageSetup && b.BandType != rmbtPageHeader &&
                          b.BandType != rmbtPageFooter && b.BandType != rmbtColumnHeader &&
                          b.BandType != rmbtColumnFooter && b.BandType != rmbtOverlay &&
                          b.BandType != rmbtNone;
    for (bool firstPage = true; !state_.Report->Terminated; firstPage = false) {
        bool left = false;
        for (auto& sub : subs) {
            Collection& c = sub->Bands;
            bool placed = false;
            // Merged runs cut at the last page's bottom go on at the top of this one.
            const std::vector<Run> carried = std::move(sub->Carried);
            sub->Carried.clear();
            if (c.Next < c.Bands.size())
                for (const Run& run : carried)
                    placeRecord(*sub, *run.Record, sub->Y, run.StripBottom - c.Bands[c.Next].Y,
                                run.StripBottom);
            for (; c.Next < c.Bands.size(); ++c.Next) {
                const Collection::Band& entry = c.Bands[c.Next];
                const bool fits =
                    sub->Y + entry.Height + breaks_.columnFooterRoom() <= state.PageBottom;
                // The first band of a page is placed even when it is too tall for any.
                if (!fits && (firstPage || placed || !mayBreak))
                    break;
                for (const Collection::Record& record : entry.Records) {
                    const auto [top, height] = stripPlace(c, record);
                    placeRecord(*sub, record, top - entry.Y + sub->Y, height, top + height);
                }
                sub->Y += entry.Height;
                placed = true;
            }
            cutRuns(*sub);
            left = left || c.Next < c.Bands.size();
        }
        if (!left || !mayBreak)
            break;
        // The column footer goes below the band and what its subreports printed.
        state.CurY = y + (b.CalcHeight >= 0 ? b.CalcHeight : b.dy);
        for (const auto& sub : subs)
            state.CurY = std::max(state.CurY, sub->Y);
        state_.FreshPage = false;
        breaks_.newPage(&b);
        for (auto& sub : subs)
            sub->Y = state.CurY;
    }
    int bottom = y;
    for (const auto& sub : subs)
        bottom = std::max(bottom, sub->Y);
    return bottom;
}

} // namespace report
