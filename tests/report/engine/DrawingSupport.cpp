#include "DrawingSupport.h"

#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMUnits.h"

#include <QPainter>
#include <QPdfWriter>

namespace testdraw {

using namespace report;

OnePage::OnePage() {
    setScreenPixelsPerInch(96, 96);
    report.EMFPages.AddPage(templatePage);
}

void OnePage::add(TRMView& view) {
    view.Memo1 = view.Memo;
    TRMEMFPages::WriteView(report.EMFPages[0]->Stream, view);
}

platform::TMetafile OnePage::paint(double scale, const TRMDrawContext& context) {
    const TRMPageInfo i = info();
    const int w = static_cast<int>(i.Width * scale), h = static_cast<int>(i.Height * scale);
    platform::TMetafile m(w, h);
    {
        platform::TMetafileCanvas canvas(m);
        report.EMFPages.paintPage(0, canvas, platform::Bounds(0, 0, w, h), context);
    }
    return m;
}

void paintPdf(TRMReport& report, const QString& path, int page, int dpi) {
    QPdfWriter pdf(path);
    pdf.setResolution(dpi);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins({0, 0, 0, 0});
    QPainter painter(&pdf);
    platform::TCanvas canvas(painter);
    report.EMFPages.paintPage(page, canvas,
                              platform::TRect::fromQRect(pdf.pageLayout().fullRectPixels(dpi)),
                              TRMDrawContext::printer(dpi, dpi));
}

std::unique_ptr<TRMMemoView> framedMemo(int left, int top, int width, int height,
                                        TRMStrings lines) {
    auto memo = std::make_unique<TRMMemoView>();
    memo->Name = "Memo" + std::to_string(left) + "_" + std::to_string(top);
    memo->SetBounds(left, top, width, height);
    memo->setFrameTyp(15);
    memo->Font.Name = "宋体";
    memo->Font.Size = 9; // 12-pixel characters
    memo->Memo = std::move(lines);
    return memo;
}

std::vector<const platform::TMetaRecord*> textRecords(const platform::TMetafile& m) {
    return m.textRecords();
}

} // namespace testdraw
