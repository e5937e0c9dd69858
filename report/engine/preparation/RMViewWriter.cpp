// Writing the views of a placed band into the current prepared page: band alignment,
// scripts and events around each view, bracket expansion in Tag, clipping of a band that
// did not fit, and bands split across pages (Breaked).
#include "platform/Abort.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMDBDataSet.h"
#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/preparation/RMBandPrinter.h"
#include "report/engine/preparation/RMBuildState.h"
#include "report/engine/preparation/RMPageBreaks.h"
#include "report/engine/preparation/RMViewCast.h"

#include <algorithm>
#include <climits>

namespace report {

namespace {

struct Geometry {
    explicit Geometry(const TRMView& v)
        : left(v.Left)
        , top(v.Top)
        , width(v.Width)
        , height(v.Height) {}
    void restore(TRMView& v) const {
        v.Left = left;
        v.Top = top;
        v.Width = width;
        v.Height = height;
    }
    int left, top, width, height;
};

bool isStretchedView(const TRMView& v) {
    return v.flag(flag::Stretched) && viewCast<const TRMStretcheable>(&v) != nullptr;
}

// The view laid out by BandAlign between `left` and `right` and within the band's height.
void alignInBand(TRMView& v, const TRMBand& b, int height, int left, int right) {
    if (v.BandAlign == baNone)
        return;
    int leftEdge = left, rightEdge = right;
    for (const TRMView* w : b.Objects) {
        if (w == &v)
            continue;
        if (w->Left + w->Width <= v.Left)
            leftEdge = std::max(leftEdge, w->Left + w->Width);
        if (w->Left >= v.Left + v.Width)
            rightEdge = std::min(rightEdge, w->Left);
    }
    switch (v.BandAlign) {
    case baLeft:
        v.Left = leftEdge;
        if (v.Left + v.Width > rightEdge)
            v.Width = std::max(0, rightEdge - v.Left);
        break;
    case baRight:
        v.Left = rightEdge - v.Width;
        break;
    case baCenter:
        v.Left = left + (right - left - v.Width) / 2;
        break;
    case baWidth:
        v.Left = left;
        v.Width = right - left;
        break;
    case baBottom:
        v.Top = height - v.Height;
        break;
    case baTop:
        v.Top = 0;
        break;
    case baClient:
        v.Top = 0;
        v.Left = left;
        v.Width = right - left;
        v.Height = height;
        break;
    case baHeight:
        v.Top = 0;
        v.Height = height;
        break;
    case baRest:
        v.Left = leftEdge;
        v.Width = std::max(0, rightEdge - leftEdge);
        break;
    default:
        break;
    }
}

} // namespace

RMStream& TRMBandPrinter::pageStream() {
    if (collect_ != nullptr)
        return collect_->Views;
    const int index =
        std::clamp(state_.Report->State.PageNo, 0, std::max(0, state_.Out.Count() - 1));
    if (state_.Out.Count() == 0)
        state_.Out.AddPage(*state_.Run->Page);
    return state_.Out[index]->Stream;
}

// The view laid out across the page or the band by BandAlign; on a collected subreport
// page the subreport's width stands for the page's, and a view is cut at its right edge.
void TRMBandPrinter::layoutBandAlign(TRMView& v, const TRMBand& b, int height) const {
    const int left = collect_ != nullptr ? collect_->AreaLeft : state_.Run->Left;
    const int right = collect_ != nullptr ? collect_->AreaRight : state_.Run->Right;
    alignInBand(v, b, height, left, right);
    if (collect_ != nullptr && v.Left + v.Width > right)
        v.Width = std::max(0, right - v.Left);
}

int TRMBandPrinter::measureView(TRMView& v, TRMBand& b) {
    const Geometry saved(v);
    layoutBandAlign(v, b, b.dy);
    const TRMObject* savedObject = state_.CurrentObject;
    state_.CurrentObject = &v;
    int height = v.Height;
    try {
        steps_.runScript(v.OnBeforePrint, &v);
        height = v.CalcHeight(*state_.Report);
        steps_.runScript(v.OnAfterPrint, &v);
    } catch (const platform::EAbort&) {
        throw;
    } catch (const std::exception& e) {
        steps_.fail(&v, e.what());
    }
    state_.CurrentObject = savedObject;
    saved.restore(v);
    return height;
}

void TRMBandPrinter::writeBand(TRMBand& b, int x, int y, int height, int clipBottom) {
    const bool stretched = b.flag(bandflag::Stretched);
    for (TRMView* v : b.Objects) {
        if (state_.Report->Terminated)
            return;
        if (viewCast<TRMSubReportView>(v) != nullptr)
            continue; // subreports print after their band (see printCross)
        const int designHeight = v->Height;
        if (stretched && isStretchedView(*v))
            v->Height = height - v->Top;
        writeView(*v, b, x, y, clipBottom);
        v->Height = designHeight;
    }
}

bool TRMBandPrinter::boundFieldText(const TRMView& view, std::string& text) const {
    if (state_.Run == nullptr || (state_.Source == nullptr && !state_.Run->Bands))
        return false;
    const auto& bindings = state_.dataBands().Bindings;
    const auto it = bindings.find(&view);
    platform::Variant value;
    if (it == bindings.end() || !it->second.DataSet->FieldValue(it->second.FieldName, value))
        return false;
    text = value.isEmptyOrNull() ? std::string() : value.toString();
    return true;
}

// Writes one view of a band at (x, y), laid out by BandAlign: in a first pass only its
// scripts run and its totals record; else its text is expanded, OnBeforePrint runs and the
// view goes into the page stream, clipped at `clipBottom`.
bool TRMBandPrinter::writeView(TRMView& v, TRMBand& b, int x, int y, int clipBottom) {
    const Geometry saved(v);
    const std::string savedTag = v.Tag;
    layoutBandAlign(v, b, b.CalcHeight >= 0 ? b.CalcHeight : b.dy);
    const TRMObject* savedObject = state_.CurrentObject;
    state_.CurrentObject = &v;
    TRMReport& r = *state_.Report;
    bool written = false;
    auto* calc = viewCast<TRMCalcMemoView>(&v);
    if (calc != nullptr)
        calc->Repeating = b.Repeated;
    try {
        if (state_.FirstPass && !b.flag(bandflag::Breaked)) {
            // First pass: scripts run and totals record; nothing is written.
            steps_.runScript(v.OnBeforePrint, &v);
            if (calc != nullptr)
                calc->FirstPassOutput(b.BandType);
            steps_.runScript(v.OnAfterPrint, &v);
        } else {
            auto* memo = viewCast<TRMMemoView>(&v);
            if (auto* picture = viewCast<TRMPictureView>(&v)) {
                const auto& bindings = state_.dataBands().Bindings;
                if (auto it = bindings.find(&v); it != bindings.end()) {
                    // A blank row, a null field or a value that is no picture clears the
                    // picture, so a record never shows the one before it.
                    platform::Variant blob;
                    if (r.State.BlankRowMode ||
                        !it->second.DataSet->FieldValue(it->second.FieldName, blob))
                        blob = platform::null;
                    if (blob.isBytes())
                        picture->LoadBlob(
                            std::string(blob.bytesValue().begin(), blob.bytesValue().end()));
                    else if (blob.isString())
                        picture->LoadBlob(blob.stringValue());
                    else
                        picture->LoadBlob({});
                }
            }
            if (memo == nullptr) {
                v.Memo1 = v.Memo;
                if (r.OnBeforePrint)
                    r.OnBeforePrint(v.Memo1, v);
            }
            if (memo == nullptr || memo->DrawStatus == rmsNormal)
                steps_.runScript(v.OnBeforePrint, &v);
            if (v.Visible) {
                if (v.Tag.find('[') != std::string::npos) {
                    r.CurrentView = &v;
                    v.Tag = r.ExpandVariables(v.Tag);
                    r.CurrentView = nullptr;
                }
                v.Left = x + v.Left - state_.Run->Left;
                v.Top += y;
                const bool below = clipBottom != INT_MAX && v.Top >= clipBottom;
                if (clipBottom != INT_MAX && v.Top + v.Height > clipBottom)
                    v.Height = std::max(0, clipBottom - v.Top);
                if (!below) {
                    if (auto* box = viewCast<TRMCheckBoxView>(&v))
                        box->EvaluateState(r);
                    RMStream& stream = pageStream();
                    const std::size_t start = stream.position();
                    written = v.PrintToStream(r, stream);
                    if (written && collect_ != nullptr)
                        collectWritten(v, start);
                }
                steps_.runScript(v.OnAfterPrint, &v);
                if (r.OnAfterPrint)
                    r.OnAfterPrint(v);
            } else {
                if (memo != nullptr)
                    memo->DrawStatus = rmsNormal;
                steps_.runScript(v.OnAfterPrint, &v);
            }
        }
    } catch (const platform::EAbort&) {
        throw;
    } catch (const std::exception& e) {
        steps_.fail(&v, e.what());
    }
    if (calc != nullptr)
        calc->Repeating = false;
    r.CurrentView = nullptr;
    v.Tag = savedTag;
    saved.restore(v);
    state_.CurrentObject = savedObject;
    return written;
}

// A band printed slice by slice over as many pages as it needs. Returns the
// y of the last slice; the current line is left below it.
int TRMBandPrinter::printSplit(TRMBand& b, int x, int y, int) {
    TRMPrepareState& state = state_.Report->State;
    struct Piece {
        TRMView* view;
        int top, height, designHeight;
        bool done = false, split = false;
    };
    std::vector<Piece> pieces;
    for (TRMView* v : b.Objects) {
        if (viewCast<TRMSubReportView>(v) != nullptr)
            continue;
        const int height = isStretchedView(*v) ? std::max(measureView(*v, b), 0) : v->Height;
        pieces.push_back({v, v->Top, height, v->Height});
    }
    // Views below a grown view, overlapping it horizontally, move down with its growth.
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const int growth = pieces[i].height - pieces[i].designHeight;
        if (growth <= 0)
            continue;
        const TRMView& g = *pieces[i].view;
        for (Piece& p : pieces)
            if (&p != &pieces[i] && p.top >= g.Top + pieces[i].designHeight &&
                p.view->Left < g.Left + g.Width && p.view->Left + p.view->Width > g.Left)
                p.top += growth;
    }
    auto write = [&](Piece& p, int top, int height) {
        TRMView& v = *p.view;
        const Geometry saved(v);
        v.Top = top;
        v.Height = height;
        writeView(v, b, x, y, INT_MAX);
        saved.restore(v);
    };
    for (int guard = 0; guard < 100000 && !state_.Report->Terminated; ++guard) {
        const int space = state.PageBottom - breaks_.columnFooterRoom() - y - 2;
        int used = 0;
        bool wrote = false;
        for (Piece& p : pieces) {
            if (p.done)
                continue;
            auto* memo = viewCast<TRMMemoView>(p.view);
            auto* rich = viewCast<TRMRichView>(p.view);
            auto continueSplit = [&] {
                if (memo != nullptr)
                    memo->DrawStatus = rmsPrinting;
                if (rich != nullptr)
                    rich->DrawStatus = rmsPrinting;
            };
            const int minHeight = memo != nullptr   ? memo->MinHeight()
                                  : rich != nullptr ? rich->MinHeight()
                                                    : 0;
            if (p.top + p.height <= space) {
                if (p.split)
                    continueSplit();
                write(p, p.top, p.height);
                p.done = wrote = true;
                used = std::max(used, p.top + p.height);
            } else if ((memo != nullptr || rich != nullptr) && isStretchedView(*p.view) &&
                       p.top < space && space - p.top >= minHeight) {
                continueSplit();
                write(p, p.top, space - p.top);
                p.split = wrote = true;
                used = space;
                p.height = memo != nullptr ? memo->RemainHeight() : rich->RemainHeight();
                p.done = p.height <= 0 || (memo != nullptr && memo->Memo1.empty());
            } else if (state_.FreshPage && p.top < space) {
                // It will not fit on any page: print the part that fits here.
                write(p, p.top, std::max(0, space - p.top));
                p.done = wrote = true;
                used = space;
            }
        }
        const bool left =
            std::any_of(pieces.begin(), pieces.end(), [](const Piece& p) { return !p.done; });
        if (!left || (!wrote && state_.FreshPage)) {
            state.CurY = y + used;
            return y;
        }
        if (wrote)
            state_.FreshPage = false;
        for (Piece& p : pieces)
            if (!p.done)
                p.top = p.split ? 0 : std::max(0, p.top - space);
        breaks_.newPage(&b);
        y = state.CurY;
    }
    state.CurY = y;
    return y;
}

} // namespace report
