#include "report/preview/RMPreviewSearch.h"

#include "platform/Metafile.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"

#include <typeinfo>

namespace report {

std::string TRMPreviewSearch::upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

bool TRMPreviewSearch::matches(std::string_view recordText, std::string_view needle,
                               bool wholeWords) {
    if (needle.empty())
        return false;
    for (std::size_t at = recordText.find(needle); at != std::string_view::npos;
         at = recordText.find(needle, at + 1)) {
        if (!wholeWords)
            return true;
        const std::size_t end = at + needle.size();
        if (end == recordText.size())
            return true;
        const auto next = static_cast<unsigned char>(recordText[end]);
        // Any character outside ASCII is a double-byte character in the stored text.
        if (next == '\r' || next == ' ' || next == '-' || next >= 0x80)
            return true;
    }
    return false;
}

bool TRMPreviewSearch::mayMatch(const TRMPage& views) const {
    for (const auto& object : views.Objects()) {
        const TRMView& view = *object;
        const std::type_info& type = typeid(view);
        if (type == typeid(TRMBandView) || type == typeid(TRMLineView) ||
            type == typeid(TRMPictureView) || type == typeid(TRMShapeView))
            continue;
        if (type != typeid(TRMMemoView) && type != typeid(TRMCalcMemoView))
            return true;
        for (const std::string& line : static_cast<const TRMMemoView&>(view).DrawnText()) {
            const bool holds = CaseSensitive ? line.find(Text) != std::string::npos
                                             : upper(line).find(Text) != std::string::npos;
            if (holds)
                return true;
        }
    }
    return false;
}

void TRMPreviewSearch::Start(std::string_view text, bool caseSensitive, bool wholeWords,
                             bool fromFirst, int currentPage) {
    CaseSensitive = caseSensitive;
    WholeWords = wholeWords;
    Text = caseSensitive ? std::string(text) : upper(text);
    Occurrences = 0;
    if (fromFirst) {
        PageIndex = 0;
        RecordIndex = 0;
        return;
    }
    Continue(currentPage);
}

void TRMPreviewSearch::Continue(int currentPage) {
    PageIndex = currentPage;
    RecordIndex = currentPage == FoundPage ? FoundNext : 0;
}

std::optional<TRMPreviewSearch::Match> TRMPreviewSearch::Find(const TRMEMFPages& pages) {
    if (Text.empty())
        return std::nullopt;
    for (; PageIndex < pages.pageCount(); ++PageIndex, RecordIndex = 0) {
        if (const auto views = pages.pageViews(PageIndex); views && !mayMatch(*views))
            continue;
        const TRMPageInfo info = pages.pageInfo(PageIndex);
        platform::TMetafile metafile(info.Width, info.Height);
        {
            platform::TMetafileCanvas canvas(metafile);
            pages.paintPage(PageIndex, canvas, platform::Bounds(0, 0, info.Width, info.Height),
                            TRMDrawContext::screen());
        }
        const auto& records = metafile.records();
        for (int i = RecordIndex; i < static_cast<int>(records.size()); ++i) {
            const platform::TMetaRecord& record = records[i];
            if (!record.isText())
                continue;
            const bool hit = CaseSensitive ? matches(record.Text, Text, WholeWords)
                                           : matches(upper(record.Text), Text, WholeWords);
            if (!hit)
                continue;
            RecordIndex = FoundNext = i + 1;
            FoundPage = PageIndex;
            ++Occurrences;
            return Match{PageIndex, i, record.Bounds, record.Text};
        }
    }
    return std::nullopt;
}

} // namespace report
