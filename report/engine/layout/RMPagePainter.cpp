// Drawing prepared pages: the one call through which every consumer meets a page.
#include "platform/Canvas.h"
#include "platform/Metafile.h"
#include "report/engine/layout/RMViewPainter.h"
#include "report/engine/model/RMEMFPages.h"
#include "report/engine/model/RMExportFilter.h"
#include "report/engine/model/RMUnits.h"

#include <cmath>

namespace report {

TRMPageInfo TRMEMFPages::pageInfo(int index) const {
    TRMPageInfo info;
    const TRMEMFPage* p = (*this)[index];
    if (p != nullptr) {
        info.PaperSize = p->PaperSize;
        info.PaperWidth = p->PaperWidth;
        info.PaperHeight = p->PaperHeight;
        info.Orientation = p->Orientation;
        info.Bin = p->Bin;
        info.LeftMargin = p->LeftMargin;
        info.TopMargin = p->TopMargin;
        info.RightMargin = p->RightMargin;
        info.BottomMargin = p->BottomMargin;
        info.PrinterInfo = p->PrinterInfo;
        info.BackgroundIndex = p->BackgroundIndex;
        info.TemplatePageNo = p->TemplatePageNo;
    }
    info.Width = info.PrinterInfo.paperWidth;
    info.Height = info.PrinterInfo.paperHeight;
    // Pages whose printer filled no geometry: the paper at the screen resolution.
    if (info.Width <= 0 || info.Height <= 0) {
        std::int32_t w = info.PaperWidth, h = info.PaperHeight;
        if ((info.Orientation == poLandscape) != (w > h))
            std::swap(w, h);
        info.Width = static_cast<int>(std::lround(RMToScreenPixels(w / 10.0, rmutMillimeters)));
        info.Height = static_cast<int>(std::lround(RMToScreenPixels(h / 10.0, rmutMillimeters)));
    }
    info.Width = std::max(1, info.Width);
    info.Height = std::max(1, info.Height);
    return info;
}

void TRMEMFPages::paintPage(int index, platform::TCanvas& canvas, const platform::TRect& target,
                            const TRMDrawContext& ctx) const {
    const std::shared_ptr<const TRMPage> page = pageViews(index);
    if (!page)
        return;
    const TRMPageInfo info = pageInfo(index);
    TRMDrawPlacement at;
    at.ScaleX = static_cast<double>(target.width()) / info.Width;
    at.ScaleY = static_cast<double>(target.height()) / info.Height;
    at.OffsetX = target.Left;
    at.OffsetY = target.Top;
    if (ctx.IsPrinting && ctx.PrintScale != 100 && ctx.PrintScale > 0) {
        at.ScaleX *= ctx.PrintScale / 100.0;
        at.ScaleY *= ctx.PrintScale / 100.0;
    }
    // On a screen only the views near the update region are drawn.
    const bool screen = !ctx.IsPrinting && !canvas.isRecording() && canvas.hasClip();
    const int level = canvas.saveDC();
    for (const auto& view : page->Objects()) {
        if (ctx.IsPrinting && ctx.Taoda && !view->flag(flag::PrintVisible))
            continue;
        if (screen && !canvas.rectVisible(detail::deviceRect(*view, at).inflated(10, 10)))
            continue;
        if (ctx.Export != nullptr)
            ctx.Export->view(*view,
                             platform::Bounds(view->Left, view->Top, view->Width, view->Height));
        view->Draw(canvas, at, ctx);
    }
    canvas.restoreDC(level);
}

void TRMEMFPages::exportPage(int index, TRMExportFilter& filter, TRMDrawContext ctx) const {
    const TRMPageInfo info = pageInfo(index);
    filter.beginPage(index, info);
    platform::TMetafile scratch(info.Width, info.Height);
    {
        platform::TMetafileCanvas canvas(scratch);
        ctx.Export = &filter;
        paintPage(index, canvas, platform::Bounds(0, 0, info.Width, info.Height), ctx);
    }
    filter.endPage();
}

} // namespace report
