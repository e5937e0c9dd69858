#include "report/engine/preparation/RMBandBuilder.h"

#include "platform/Gbk.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMDBDataSet.h"
#include "report/engine/model/RMDataset.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMReport.h"

#include <algorithm>
#include <charconv>
#include <climits>

namespace report {

namespace {

bool isPositiveNumber(std::string_view text, int& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() && value > 0;
}

// The band-view name of a data field reference, if the text is exactly one bracket.
bool singleBracket(const TRMStrings& memo, std::string& content) {
    if (memo.size() != 1)
        return false;
    const std::string text = platform::trimBlanks(memo.front());
    if (text.size() < 3 || text.front() != '[' || text.back() != ']')
        return false;
    if (detail::matchGroup(text, 0, '[', ']') != text.size())
        return false;
    content = text.substr(1, text.size() - 2);
    return true;
}

} // namespace

// ---------------------------------------------------------------- TRMPageBands

TRMPageBands::~TRMPageBands() {
    // Last attached first: an adapter two bands share gets its own ranges back.
    while (!ranges_.empty())
        ranges_.pop_back();
}

TRMBand* TRMPageBands::find(std::string_view name) const {
    for (const auto& band : bands_)
        if (band->View != nullptr && sameText(band->View->Name, name))
            return band.get();
    return nullptr;
}

int TRMPageBands::dataType(int level) {
    return level == 1 ? rmbtMasterData : level == 2 ? rmbtDetailData : rmbtSubDetailData;
}

int TRMPageBands::deepestLevel() const {
    for (int level = 3; level >= 1; --level)
        if (head(dataType(level)) != nullptr)
            return level;
    return 0;
}

// ---------------------------------------------------------------- building

TRMBand& TRMBandBuilder::addBand(int type, TRMBandView* view) {
    auto band = std::make_unique<TRMBand>();
    band->BandType = type;
    band->View = view;
    band->Page = &page_;
    if (view != nullptr) {
        view->ParentBand = band.get(); // the band view's methods move its data source
        band->Name = view->Name;
        band->x = view->Left;
        band->y = view->Top;
        band->dx = view->Width;
        band->dy = view->Height;
        band->Flags = view->Flags;
        band->LinesPerPage = view->LinesPerPage;
        band->NewPageCondition = view->NewPageCondition();
        band->Columns = std::clamp<int>(view->Columns, 1, TRMPage::kMaxColumns);
        band->ColumnWidth = view->ColumnWidth;
        band->ColumnGap = view->ColumnGap;
        band->NewColumnAfter = view->NewColumnAfter;
        if (type == rmbtGroupHeader)
            band->GroupCondition = view->Condition();
        if (page_.IsSubReport)
            band->Flags &= static_cast<std::uint16_t>(~(bandflag::FormNewPage | bandflag::Breaked));
    }
    result_->bands_.push_back(std::move(band));
    return *result_->bands_.back();
}

void TRMBandBuilder::attachDataSet(TRMBand& band) {
    if ((!band.isDataBand() && band.BandType != rmbtCrossData) || band.View == nullptr)
        return;
    const std::string source = platform::trimBlanks(band.View->DataSource());
    TRMBandRangeOverride range;
    int count = 0;
    if (isPositiveNumber(source, count)) {
        // A number of records without data: the band makes its own adapter.
        auto own = std::make_unique<TRMUserDataset>();
        own->RangeEnd = reCount;
        own->RangeEndCount = count;
        band.DataSet = own.get();
        range.attachOwned(std::move(own), *band.View);
    } else {
        if (!source.empty())
            band.DataSet = report_.Datasets.Find(source);
        else if (band.BandType == rmbtMasterData && report_.ReportType != rtMultiple &&
                 band.Prev == nullptr)
            band.DataSet = report_.Dataset;
        if (band.DataSet == nullptr)
            return;
        range.attach(*band.DataSet, *band.View);
    }
    result_->ranges_.push_back(std::move(range));
    try {
        band.DataSet->Init();
    } catch (const std::exception&) {
        band.DataSetBroken = true; // a data source that cannot open counts as empty
    }
}

void TRMBandBuilder::assignViews(TRMBand& band) {
    const int top = band.y, bottom = band.y + band.dy;
    for (const auto& owned : page_.Objects()) {
        TRMView& v = *owned;
        if (dynamic_cast<TRMBandView*>(&v) != nullptr)
            continue;
        const bool subreport = dynamic_cast<TRMSubReportView*>(&v) != nullptr;
        const bool inCross = result_->CrossOf.count(&v) != 0;
        const bool topInside = v.Top >= top && v.Top < std::max(bottom, top + 1);
        bool join = false;
        if (v.Selected && !inCross)
            join = subreport ? topInside : (v.Top >= top && v.Top + v.Height <= bottom);
        else if (v.Selected && inCross)
            join = topInside;
        if (!join)
            continue;
        v.Top -= top;
        v.ParentBand = &band;
        v.Selected = false;
        (inCross ? band.CrossViews : band.Objects).push_back(&v);
    }
}

void TRMBandBuilder::linkChains() {
    for (int type = 0; type < rmBandTypeCount; ++type) {
        std::vector<TRMBand*> chain;
        for (const auto& b : result_->bands_)
            if (b->BandType == type)
                chain.push_back(b.get());
        std::stable_sort(chain.begin(), chain.end(),
                         [](const TRMBand* a, const TRMBand* b) { return a->y < b->y; });
        for (std::size_t i = 0; i < chain.size(); ++i) {
            chain[i]->Prev = i > 0 ? chain[i - 1] : nullptr;
            chain[i]->Next = i + 1 < chain.size() ? chain[i + 1] : nullptr;
        }
        result_->chains_[static_cast<std::size_t>(type)] = chain.empty() ? nullptr : chain.front();
        page_.Bands[static_cast<std::size_t>(type)] =
            result_->chains_[static_cast<std::size_t>(type)];
    }
}

void TRMBandBuilder::linkLevels() {
    constexpr int levels[3][3] = {{rmbtMasterHeader, rmbtMasterData, rmbtMasterFooter},
                                  {rmbtDetailHeader, rmbtDetailData, rmbtDetailFooter},
                                  {rmbtSubDetailHeader, rmbtSubDetailData, rmbtSubDetailFooter}};
    for (const auto& level : levels) {
        for (TRMBand* h = result_->head(level[0]); h; h = h->Next) {
            for (TRMBand* d = result_->head(level[1]); d; d = d->Next) {
                if (d->y >= h->y + h->dy && d->HeaderBand == nullptr) {
                    d->HeaderBand = h;
                    h->DataBand = d;
                    break;
                }
            }
        }
        for (TRMBand* f = result_->head(level[2]); f; f = f->Next) {
            TRMBand* last = nullptr;
            for (TRMBand* d = result_->head(level[1]); d; d = d->Next)
                if (d->y < f->y)
                    last = d;
            if (last != nullptr && last->FooterBand == nullptr) {
                last->FooterBand = f;
                f->DataBand = last;
            }
        }
    }
}

void TRMBandBuilder::pairGroups() {
    std::vector<TRMBand*> headers, footers;
    for (TRMBand* h = result_->head(rmbtGroupHeader); h; h = h->Next)
        headers.push_back(h);
    for (TRMBand* f = result_->head(rmbtGroupFooter); f; f = f->Next)
        footers.push_back(f);
    for (std::size_t i = 0; i < headers.size() && i < footers.size(); ++i) {
        TRMBand* h = headers[headers.size() - 1 - i];
        h->FooterBand = footers[i];
        footers[i]->GroupBand = h;
    }
}

void TRMBandBuilder::resolveLinks() {
    for (const auto& b : result_->bands_)
        if (b->View != nullptr && !b->View->ChildBand.empty())
            b->ChildBand = result_->find(b->View->ChildBand);
    // A band that names itself (or a chain that loops) would print for ever.
    for (const auto& b : result_->bands_) {
        int steps = 0;
        for (TRMBand* c = b->ChildBand; c != nullptr; c = c->ChildBand)
            if (++steps > static_cast<int>(result_->bands_.size())) {
                b->ChildBand = nullptr;
                break;
            }
    }
    for (TRMBand* g = result_->head(rmbtGroupHeader); g; g = g->Next) {
        TRMBand* master = nullptr;
        if (!g->View->Master.empty()) {
            master = result_->find(g->View->Master);
            if (master != nullptr && master->BandType != rmbtMasterData)
                master = nullptr;
        }
        if (master == nullptr)
            master = result_->head(rmbtMasterData);
        g->MasterBand = master;
        if (master != nullptr)
            master->Groups.push_back(g);
    }
    // Bands of a data chain without a data source of their own print with the band before.
    for (int level = 1; level <= 3; ++level) {
        TRMBand* owner = nullptr;
        for (TRMBand* d = result_->head(TRMPageBands::dataType(level)); d; d = d->Next) {
            const bool ownSource = d->View && !platform::trimBlanks(d->View->DataSource()).empty();
            if (owner != nullptr && !ownSource) {
                d->IsFollower = true;
                owner->Followers.push_back(d);
            } else {
                owner = d;
            }
        }
    }
}

void TRMBandBuilder::bindFields() {
    for (const auto& owned : page_.Objects()) {
        TRMView& v = *owned;
        std::string content;
        if (dynamic_cast<TRMBandView*>(&v) != nullptr || !singleBracket(v.Memo, content))
            continue;
        if (std::optional<TRMFieldBinding> field =
                report_.Datasets.FindField(content, report_.Dictionary))
            result_->Bindings[&v] = *field;
    }
}

std::unique_ptr<TRMPageBands> TRMBandBuilder::build() {
    result_ = std::make_unique<TRMPageBands>();
    result_->Page = &page_;
    auto& views = page_.Objects();

    if (page_.AutoHCenter) {
        int left = INT_MAX, right = INT_MIN;
        for (const auto& v : views) {
            if (dynamic_cast<TRMBandView*>(v.get()) != nullptr)
                continue;
            left = std::min(left, v->Left);
            right = std::max(right, v->Left + v->Width);
        }
        if (left <= right) {
            const int shift = (page_.paperWidthPixels() + left - right) / 2 - left;
            for (const auto& v : views)
                if (dynamic_cast<TRMBandView*>(v.get()) == nullptr)
                    v->Left += shift;
        }
    }
    std::stable_partition(views.begin(), views.end(), [](const std::unique_ptr<TRMView>& v) {
        return dynamic_cast<TRMSubReportView*>(v.get()) == nullptr;
    });
    for (const auto& v : views) {
        v->Selected = dynamic_cast<TRMBandView*>(v.get()) == nullptr;
        v->ParentBand = nullptr;
        if (auto* sub = dynamic_cast<TRMSubReportView*>(v.get()))
            if (TRMPage* target = report_.Pages[sub->SubPage]; target && target != &page_) {
                target->IsSubReport = true;
                target->ParentPage = &page_;
            }
    }

    std::vector<TRMBandView*> bandViews;
    for (const auto& v : views)
        if (auto* bv = dynamic_cast<TRMBandView*>(v.get()))
            bandViews.push_back(bv);

    // Cross bands claim the views within their horizontal extent first.
    for (TRMBandView* bv : bandViews) {
        if (!isCrossBand(bv->bandType()))
            continue;
        TRMBand& band = addBand(bv->bandType(), bv);
        for (const auto& v : views) {
            if (!v->Selected || result_->CrossOf.count(v.get()) != 0)
                continue;
            if (v->Left >= band.x && v->Left + v->Width <= band.x + band.dx) {
                v->Left -= band.x;
                result_->CrossOf[v.get()] = &band;
                band.Objects.push_back(v.get());
            }
        }
    }
    for (int type = 0; type <= rmbtChild; ++type) {
        if (isCrossBand(type))
            continue;
        for (TRMBandView* bv : bandViews)
            if (bv->bandType() == type)
                assignViews(addBand(type, bv));
    }
    TRMBand* none = nullptr;
    for (const auto& v : views) {
        if (!v->Selected)
            continue;
        if (none == nullptr)
            none = &addBand(rmbtNone, nullptr);
        v->Selected = false;
        v->ParentBand = none;
        none->Objects.push_back(v.get());
        none->dy = std::max(none->dy, v->Top + v->Height);
    }
    linkChains();
    for (const auto& b : result_->bands_)
        attachDataSet(*b);
    linkLevels();
    pairGroups();
    resolveLinks();
    if (page_.Columns < 1)
        page_.Columns = 1;
    bindFields();
    for (const auto& v : views)
        if (auto* calc = dynamic_cast<TRMCalcMemoView*>(v.get()))
            result_->CalcMemos.push_back(calc);
    if (page_.IsSubReport && page_.ParentPage != nullptr)
        for (const auto& v : page_.ParentPage->Objects())
            if (auto* calc = dynamic_cast<TRMCalcMemoView*>(v.get()))
                result_->CalcMemos.push_back(calc);
    return std::move(result_);
}

} // namespace report
