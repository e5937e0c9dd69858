// Memo views during preparation: expansion, highlight, measuring and writing into the
// prepared page stream.
#include "report/engine/layout/RMLayoutCache.h"
#include "report/engine/layout/RMMemoLayout.h"
#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMPreparationCalls.h"
#include "report/engine/model/RMReport.h"

#include <algorithm>

namespace report {

namespace {

bool inDataBand(const TRMView& v) {
    return v.ParentBand != nullptr && isDataBand(v.ParentBand->BandType);
}

bool isEmptyText(const TRMStrings& lines) {
    return std::all_of(lines.begin(), lines.end(),
                       [](const std::string& l) { return stripMarker(l).empty(); });
}

std::string valueText(const TRMStrings& lines) {
    TRMStrings plain;
    plain.reserve(lines.size());
    for (const std::string& l : lines)
        plain.emplace_back(stripMarker(l));
    return joinLines(plain);
}

// Memo1 := Memo, the report's OnBeforePrint, expansion unless the handler changed the text.
void evaluate(TRMMemoView& v, TRMReport& report) {
    v.Memo1 = v.Memo;
    if (report.OnBeforePrint) {
        const TRMStrings before = v.Memo1;
        report.OnBeforePrint(v.Memo1, v);
        if (v.Memo1 != before)
            return;
    }
    v.ExpandMemo(report);
}

// Calls `use` with the layout of Memo1, taken from the preparation's cache when there is
// one (`keep` off: the layout is not needed again).
template <typename Use>
auto withLayout(const TRMMemoView& v, TRMReport& report, bool keep, Use&& use) {
    if (report.LayoutCache != nullptr)
        return use(report.LayoutCache->layout(v, v.Memo1, keep));
    return use(v.LayoutText(v.Memo1));
}

TRMStrings markedLines(const TRMMemoLayout& layout) {
    TRMStrings lines;
    lines.reserve(layout.Lines.size());
    for (const std::string& l : layout.Lines)
        lines.push_back(l + rmLineMarker);
    return lines;
}

} // namespace

void TRMMemoView::ExpandMemo(TRMReport& report) {
    Memo1.clear();
    TRMPrepareState& state = report.State;
    const bool blankRows = state.BlankRowMode && inDataBand(*this);
    if (blankRows && !flag2(flag2::PrintAtAppendBlank))
        return;
    if (std::string field; flag2(flag2::DataFieldOnly) && report.Preparation != nullptr &&
                           report.Preparation->boundFieldText(*this, field)) {
        Memo1 = splitLines(field); // the field as it reads: no format, zeros shown
        return;
    }
    const bool savedBlank = state.BlankRowMode;
    if (blankRows)
        state.BlankRowMode = false;
    TRMView* savedView = report.CurrentView;
    report.CurrentView = this;
    std::string text;
    for (std::size_t i = 0; i < Memo.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += flag(flag::TextOnly) ? Memo[i] : report.ExpandVariables(Memo[i]);
    }
    report.CurrentView = savedView;
    state.BlankRowMode = savedBlank;
    if (!Memo.empty())
        Memo1 = splitLines(text);
}

void TRMMemoView::ApplyHighlight(TRMReport& report) {
    savedHighlight_.active = false;
    if (Highlight.empty() || report.State.BlankRowMode)
        return;
    TRMView* savedView = report.CurrentView;
    report.CurrentView = this;
    const platform::Variant value = report.Evaluate(Highlight);
    report.CurrentView = savedView;
    if (value.isEmptyOrNull() || value.toDouble() == 0)
        return;
    savedHighlight_ = {true, Font.Style, Font.Color, FillColor};
    Font.Style = HighlightAttr.FontStyle;
    Font.Color = HighlightAttr.FontColor;
    FillColor = HighlightAttr.FillColor;
}

void TRMMemoView::RestoreHighlight() {
    if (!savedHighlight_.active)
        return;
    Font.Style = savedHighlight_.style;
    Font.Color = savedHighlight_.color;
    FillColor = savedHighlight_.fill;
    savedHighlight_.active = false;
}

void TRMMemoView::WrapMemo1(bool designer) {
    Memo1 = markedLines(LayoutText(Memo1, designer));
}

int TRMMemoView::CalcHeight(TRMReport& report) {
    const std::uint8_t savedStatus = DrawStatus;
    DrawStatus = rmsMeasuring;
    int height = 0;
    if (Visible) {
        evaluate(*this, report);
        ApplyHighlight(report);
        const bool suppressed = flag(flag::Suppress) && valueText(Memo1) == LastValue;
        if (!isEmptyText(Memo1) && !suppressed)
            height = withLayout(*this, report, true,
                                [](const TRMMemoLayout& l) { return l.TextHeight; }) +
                     2 * GapY + FrameAllowanceY();
        RestoreHighlight();
    }
    DrawStatus = savedStatus;
    return height;
}

int TRMMemoView::MinHeight() const {
    return LineSpacing + emPixels(Font.Size) + GapY;
}

int TRMMemoView::RemainHeight() const {
    const TRMMemoLayout layout = LayoutText(Memo1);
    return layout.Lines.empty() ? 0 : layout.TextHeight + 2 * GapY + FrameAllowanceY();
}

bool TRMMemoView::PrintToStream(TRMReport& report, RMStream& stream) {
    const std::uint8_t state = DrawStatus;
    if (state == rmsNormal)
        evaluate(*this, report);
    else if (state == rmsMeasuring)
        ExpandMemo(report);
    if (!Visible) {
        DrawStatus = rmsNormal;
        return false;
    }
    ApplyHighlight(report);
    if (state == rmsPrinting)
        WrapMemo1();
    else if (flag(flag::Wordwrap))
        Memo1 = withLayout(*this, report, false, markedLines);

    TRMStrings rest;
    if (state == rmsPrinting) {
        const int fit = LinesThatFit(LayoutText(Memo1));
        rest.assign(Memo1.begin() + std::min<std::ptrdiff_t>(fit, std::ssize(Memo1)), Memo1.end());
        Memo1.resize(static_cast<std::size_t>(fit));
        PrintedLines = fit;
        if (Memo1.empty())
            Memo1.push_back(std::string(1, rmLineMarker));
    }

    const std::string text = valueText(Memo1);
    bool written = true;
    const bool merge =
        flag(flag::Suppress) && flag(flag::MergeRepeated) && !report.State.BlankRowMode;
    if (merge) {
        bool masterChanged = false;
        if (!MasterMemoView.empty()) {
            const auto* master =
                dynamic_cast<const TRMMemoView*>(report.Pages.FindObject(MasterMemoView));
            masterChanged = master != nullptr && master->ValueChanged;
        }
        if (text == LastValue && !masterChanged && Merge.Stream == &stream &&
            Merge.HeightPos + 4 <= stream.size()) {
            // Stretch the cell already written down to the bottom of this row.
            const std::size_t end = stream.position();
            stream.seek(Merge.HeightPos);
            stream.writeInt32(Top + Height - Merge.Top);
            stream.seek(end);
            ValueChanged = false;
            written = false;
        } else {
            const std::size_t start = stream.position();
            RMStream name;
            name.writeString(Name);
            // Type byte, class name, Name, two version bytes, Left, Top, Width: then Height.
            Merge = {&stream, start + 1 + name.size() + 2 + 12, Top};
            if (ObjectType == gtAddIn) {
                RMStream cls;
                cls.writeString(ClassName());
                Merge.HeightPos += cls.size();
            }
            TRMEMFPages::WriteView(stream, *this);
            ValueChanged = text != LastValue;
            LastValue = text;
        }
    } else {
        if (flag(flag::Suppress) && text == LastValue)
            Memo1.clear();
        ValueChanged = text != LastValue;
        TRMEMFPages::WriteView(stream, *this);
        LastValue = text;
    }
    RestoreHighlight();
    if (state == rmsPrinting)
        Memo1 = std::move(rest);
    DrawStatus = rmsNormal;
    return written;
}

} // namespace report
