// Rich views during preparation: bracket expansion into the prepared text, measuring, and
// writing into the prepared page stream (split by character position across pages).
#include "report/engine/layout/RMRichDocument.h"
#include "report/engine/layout/RMViewPainter.h"
#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMRichView.h"
#include "report/engine/model/RMUnits.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

namespace report {

namespace {

// The view being printed and, for a view printed on blank rows, blank-row mode off while
// its brackets are evaluated; both restored afterwards, also when evaluation throws.
class ExpansionScope {
public:
    ExpansionScope(TRMReport& report, TRMView& view, bool blankRowsOff)
        : report_(report)
        , view_(report.CurrentView)
        , blankRows_(report.State.BlankRowMode) {
        report.CurrentView = &view;
        if (blankRowsOff)
            report.State.BlankRowMode = false;
    }
    ~ExpansionScope() {
        report_.CurrentView = view_;
        report_.State.BlankRowMode = blankRows_;
    }
    ExpansionScope(const ExpansionScope&) = delete;
    ExpansionScope& operator=(const ExpansionScope&) = delete;

private:
    TRMReport& report_;
    TRMView* view_;
    bool blankRows_;
};

// A copy of a template document that prints as it stands (no brackets), shared by the
// views and pages that print the same text: a page header is not copied for every page.
std::shared_ptr<const TRMRichDocument> unchangedCopy(const std::string& rtf,
                                                     const TRMRichDocument& source) {
    thread_local std::unordered_map<std::string, std::weak_ptr<const TRMRichDocument>> copies;
    if (auto it = copies.find(rtf); it != copies.end())
        if (auto alive = it->second.lock())
            return alive;
    if (copies.size() >= 64)
        std::erase_if(copies, [](const auto& entry) { return entry.second.expired(); });
    auto copy = std::make_shared<const TRMRichDocument>(source);
    copies[rtf] = copy;
    return copy;
}

} // namespace

struct TRMRichView::Expansion {
    const TRMRichView* owner;           // a copy of the view makes its own
    std::shared_ptr<const Cache> cache; // the template text expanded
    std::shared_ptr<TRMRichDocument> doc;
    std::vector<TRMRichDocument::Expanded> expanded;
};

void TRMRichView::PrepareText(TRMReport& report) {
    const TRMRichDocument& source = Document();
    const bool blankRows =
        report.State.BlankRowMode && ParentBand != nullptr && isDataBand(ParentBand->BandType);
    const bool cleared = blankRows && !flag2(flag2::PrintAtAppendBlank);
    SplitPosition = 0;
    if (!cleared && (flag(flag::TextOnly) || source.plainText().find('[') == std::string::npos)) {
        prepared_ = unchangedCopy(RichText, source);
        return;
    }
    prepared_.reset();
    if (cleared) {
        auto doc = std::make_shared<TRMRichDocument>(source);
        doc->clear();
        prepared_ = std::move(doc);
        return;
    }
    const ExpansionScope scope(report, *this, blankRows);
    std::vector<std::string> values;
    if (expansion_ && expansion_->owner == this && expansion_->cache == cache_) {
        // The same groups as last time, evaluated once each and in order as a full expansion
        // would; results that are the same stay, others are replaced in the document itself
        // when nothing else holds it and they stay inside their paragraph.
        Expansion& last = *expansion_;
        values.reserve(last.expanded.size());
        for (const auto& group : last.expanded)
            values.push_back(report.EvaluateBracket(group.content));
        const auto inParagraph = [](const std::string& value) {
            return !value.empty() && value.find('\n') == std::string::npos &&
                   value.find('\r') == std::string::npos &&
                   value.find("\xE2\x80\xA9") == std::string::npos; // U+2029, a paragraph
        };
        bool inPlace = last.doc.use_count() == 1;
        for (std::size_t i = 0; i < values.size() && inPlace; ++i)
            if (values[i] != last.expanded[i].value)
                inPlace = inParagraph(values[i]) && inParagraph(last.expanded[i].value);
        if (inPlace) {
            int shift = 0;
            for (std::size_t i = 0; i < values.size(); ++i) {
                auto& group = last.expanded[i];
                group.start += shift;
                if (values[i] == group.value)
                    continue;
                const QString value = QString::fromStdString(values[i]);
                last.doc->replaceText(group.start, group.length, value);
                shift += static_cast<int>(value.size()) - group.length;
                group.length = static_cast<int>(value.size());
                group.value = std::move(values[i]);
            }
            prepared_ = last.doc;
            return;
        }
    }
    // A full expansion of the template, taking the results already evaluated in their order.
    auto doc = std::make_shared<TRMRichDocument>(source);
    std::vector<TRMRichDocument::Expanded> expanded;
    std::size_t next = 0;
    doc->expandBrackets(
        [&](std::string_view content) {
            return next < values.size() ? std::move(values[next++])
                                        : report.EvaluateBracket(content);
        },
        &expanded);
    expansion_ = std::make_shared<Expansion>(Expansion{this, cache_, doc, std::move(expanded)});
    prepared_ = std::move(doc);
}

int TRMRichView::CalcHeight(TRMReport& report) {
    if (!Visible)
        return 0;
    Memo1 = Memo;
    if (report.OnBeforePrint)
        report.OnBeforePrint(Memo1, *this);
    PrepareText(report);
    return HeightOf(*prepared_);
}

int TRMRichView::MinHeight() const {
    const TRMRichDocument& doc = prepared_ ? *prepared_ : Document();
    const std::vector<TRMRichLine>& lines = doc.lines(TextWidthTwips());
    auto line = std::upper_bound(lines.begin(), lines.end(), SplitPosition,
                                 [](int p, const TRMRichLine& l) { return p < l.Start; });
    if (line != lines.begin())
        --line;
    const double twips = line == lines.end() ? 0 : line->Bottom - line->Top;
    const int pixels =
        static_cast<int>(std::ceil(twips * screenPixelsPerInchY() / TRMRichDocument::TwipsPerInch));
    return pixels + 2 * GapY + detail::frameAllowance(TopFrame) +
           detail::frameAllowance(BottomFrame);
}

int TRMRichView::RemainHeight() const {
    if (!prepared_ || SplitPosition >= prepared_->length())
        return 0;
    return HeightOf(*prepared_, SplitPosition);
}

bool TRMRichView::PrintToStream(TRMReport& report, RMStream& stream) {
    const std::uint8_t state = std::exchange(DrawStatus, rmsNormal);
    if (!Visible)
        return false;
    // A split goes on from where the last part ended, if anything of it is left.
    const bool continuing =
        state == rmsPrinting && prepared_ && SplitPosition < prepared_->length();
    if (!continuing)
        PrepareText(report);
    const TRMRichDocument& doc = *prepared_;
    const int from = continuing ? std::max(0, SplitPosition) : 0;
    int to = doc.length();
    if (state == rmsPrinting)
        to = std::max(from, doc.firstUnfit(TextWidthTwips(), from, TextHeightTwips()));

    // The record carries the part's expanded text in place of the template text.
    const std::string own = std::exchange(
        RichText, from == 0 && to == doc.length() ? doc.saveRtf() : doc.part(from, to).saveRtf());
    try {
        TRMEMFPages::WriteView(stream, *this);
    } catch (...) {
        RichText = own;
        throw;
    }
    RichText = own;
    SplitPosition = to;
    return true;
}

} // namespace report
