// The form report's bands: the views of the build's object lists sorted into the bands of
// every template page.
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMDBDataSet.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMTextScan.h"
#include "report/formreport/RMCaptionMeasure.h"
#include "report/formreport/RMFormReport.h"
#include "report/formreport/RMFormReportControls.h"

#include <algorithm>
#include <unordered_set>

namespace report {

namespace {

// Grows `band` to cover `view`.
void cover(TRMBandView& band, const TRMView& view) {
    band.Height = std::max(band.Height, view.Top + view.Height - band.Top);
}

bool caseInsensitiveContains(const std::vector<std::string>& names, const std::string& name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return sameText(n, name); });
}

} // namespace

TRMRichView* TRMFormReport::captionView(TRMPage& page, const TRMPageHeaderFooter& caption,
                                        int top) {
    if (!caption.hasText())
        return nullptr;
    auto view = std::make_unique<TRMRichView>();
    view->RichText = caption.CaptionText();
    if (!captionHasLines(*view))
        return nullptr;
    setAllFrames(*view, false);
    view->BandAlign = baWidth;
    view->Left = 0;
    view->Top = top;
    view->Width = Build().PrintableWidth; // what full band width gives it
    view->Height = caption.Height() != 0 ? caption.Height() : measureCaption(*view) + 2;
    return addView(page, std::move(view));
}

void TRMFormReport::buildBands() {
    TRMPages& pages = ReportEngine().Pages;
    TRMGridBuildState& b = Build();
    b.MasterBandNames.assign(static_cast<std::size_t>(pages.Count()), {});
    for (int p = 0; p < pages.Count(); ++p)
        buildPageBands(p, *pages[p]);
}

void TRMFormReport::buildPageBands(int p, TRMPage& page) {
    TRMGridBuildState& b = Build();
    std::unordered_set<const TRMView*> onPage;
    for (const auto& v : page.Objects())
        onPage.insert(v.get());
    const auto each = [&](const std::vector<TRMView*>& list, auto&& action) {
        for (TRMView* v : list)
            if (onPage.count(v) != 0)
                action(*v);
    };
    const auto newBand = [&](int type, int top) {
        auto band = std::make_unique<TRMBandView>();
        band->setBandType(type);
        band->Top = top;
        return addView(page, std::move(band));
    };

    // 1. Title or page header. The report title prints at the start of every template page:
    // the header caption once, on page 0; on the pages of a split grid's further slices it
    // holds only the slice's column titles, so each slice starts with its titles.
    TRMBandView& title = *newBand(PageHeaderOnly1 ? rmbtPageHeader : rmbtReportTitle, 0);
    const bool withCaption = PageHeaderOnly1 || p == 0;
    bool hasTitles = false;
    each(b.TitleObjects, [&](TRMView&) { hasTitles = true; });
    title.Visible = withCaption || hasTitles;
    int h = 0;
    if (TRMRichView* caption = withCaption ? captionView(page, PageHeader(), title.Top) : nullptr)
        h = caption->Height + 2;
    title.Height = h;
    each(b.TitleObjects, [&](TRMView& v) {
        placeView(v, title, p);
        v.Top += title.Top + h;
        cover(title, v);
    });
    int y = title.Top + title.Height;

    // 2. Group headers and footers.
    groupFooters_.clear();
    TRMDBDataSet& gridData = GridDataSet();
    if (b.HasMasterData && gridData.GetDataSet() != nullptr) {
        const std::vector<std::string> fields = gridData.FieldNames();
        std::vector<const TRMGroupItem*> items;
        for (int i = 0; i < groups_.Count(); ++i)
            if (!groups_[i].GroupFieldName.empty())
                items.push_back(&groups_[i]);
        for (const TRMGroupItem* item : items) {
            TRMBandView& header = *newBand(rmbtGroupHeader, y + 1);
            ++y;
            header.DisplayFormatText =
                caseInsensitiveContains(fields, item->GroupFieldName)
                    ? "[" + gridDataSetPath() + ".\"" + item->GroupFieldName + "\"]"
                    : item->GroupFieldName;
            header.setBandFlag(bandflag::FormNewPage, item->FormNewPage);
        }
        int footerY = y;
        for (auto it = items.rbegin(); it != items.rend(); ++it) {
            groupFooters_.push_back(newBand(rmbtGroupFooter, footerY + 1));
            ++footerY;
        }
    }

    // 3. Master data.
    TRMBandView* master = nullptr;
    if (!b.MasterDataObjects.empty()) {
        master = newBand(rmbtMasterData, y + 1);
        if (BindToGridDataSet)
            master->DisplayFormatText = "RMDialogForm." + gridData.Name;
        const TRMMasterDataBandOptions& o = MasterDataBandOptions();
        master->setBandFlag(bandflag::AutoAppendBlank, ReportOptions.has(rmgoAppendBlank));
        master->setBandFlag(bandflag::Stretched, ReportOptions.has(rmgoStretch));
        master->LinesPerPage = static_cast<std::uint16_t>(std::clamp(o.LinesPerPage, 0, 65535));
        master->Columns = o.Columns;
        master->ColumnWidth = o.ColumnWidth;
        master->ColumnGap = o.ColumnGap;
        master->setBandFlag(bandflag::FormNewPage, o.NewPageAfter);
        b.MasterBandNames[static_cast<std::size_t>(p)] = master->Name;
        each(b.MasterDataObjects, [&](TRMView& v) {
            v.Top += master->Top;
            placeView(v, *master, p);
            cover(*master, v);
        });
    }
    const TRMBandView& above = master ? *master : title;
    y = above.Top + above.Height + 1;

    // 4. Group footers: the summaries go into the first one.
    for (std::size_t i = 0; i < groupFooters_.size(); ++i) {
        TRMBandView& footer = *groupFooters_[i];
        footer.Top = y;
        if (i == 0)
            each(b.SummaryObjects, [&](TRMView& v) {
                v.Top += y;
                placeView(v, footer, p);
                cover(footer, v);
            });
        y = footer.Top + footer.Height + 1;
    }

    // 5. Column footer: controls below the grid keep their distance from its bottom.
    TRMBandView& columnFooter = *newBand(rmbtColumnFooter, y);
    columnFooter.Visible = PageHeaderOnly1;
    each(b.ColumnFooterObjects, [&](TRMView& v) {
        v.Top += columnFooter.Top - (b.GridTop + b.GridHeight);
        placeView(v, columnFooter, p);
        cover(columnFooter, v);
    });
    if (TRMRichView* caption =
            captionView(page, ColumnFooter(), columnFooter.Top + columnFooter.Height))
        columnFooter.Height += caption->Height + 2;

    // 6. Page footer.
    TRMBandView& pageFooter = *newBand(rmbtPageFooter, columnFooter.Top + columnFooter.Height + 1);
    pageFooter.Height = 3;
    pageFooter.Visible = PageHeaderOnly1;
    each(b.PageFooterObjects, [&](TRMView& v) {
        v.Top += pageFooter.Top - (columnFooter.Top + 1);
        placeView(v, pageFooter, p);
        cover(pageFooter, v);
    });
    if (TRMRichView* caption =
            captionView(page, PageFooter(), pageFooter.Top + pageFooter.Height + 2))
        pageFooter.Height += caption->Height + 2;

    // 7. Master footer, after its views.
    if (!b.SummaryObjects.empty() && groupFooters_.empty()) {
        auto footer = std::make_unique<TRMBandView>();
        footer->setBandType(rmbtMasterFooter);
        footer->Top = pageFooter.Top + pageFooter.Height + 1;
        each(b.SummaryObjects, [&](TRMView& v) {
            v.Top += footer->Top;
            placeView(v, *footer, p);
            cover(*footer, v);
        });
        addView(page, std::move(footer));
    }
}

void TRMFormReport::bindSummaries() {
    TRMGridBuildState& b = Build();
    TRMPages& pages = ReportEngine().Pages;
    for (int p = 0; p < pages.Count(); ++p) {
        std::unordered_set<const TRMView*> onPage;
        for (const auto& v : pages[p]->Objects())
            onPage.insert(v.get());
        for (TRMView* v : b.SummaryObjects)
            if (v->ObjectType == gtCalcMemo && onPage.count(v) != 0)
                static_cast<TRMCalcMemoView*>(v)->DataBand =
                    b.MasterBandNames[static_cast<std::size_t>(p)];
    }
}

void TRMFormReport::shiftByMargins() {
    const int dx = PageLayout().LeftMargin, dy = PageLayout().TopMargin;
    TRMPages& pages = ReportEngine().Pages;
    for (int p = 0; p < pages.Count(); ++p)
        for (const auto& v : pages[p]->Objects()) {
            v->Left += dx;
            v->Top += dy;
        }
}

} // namespace report
