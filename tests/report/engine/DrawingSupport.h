#pragma once

// A one-page prepared document to put views on and draw through paintPage.

#include "platform/Metafile.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"

namespace testdraw {

struct OnePage {
    OnePage();
    // Appends the view in prepared form to page 0 (Memo stands for the evaluated text).
    void add(report::TRMView& view);
    // The page drawn at `scale` onto a recording canvas.
    platform::TMetafile paint(double scale = 1.0, const report::TRMDrawContext& context = {});
    report::TRMPageInfo info() const { return report.EMFPages.pageInfo(0); }

    report::TRMReport report;
    report::TRMPage templatePage;
};

// Page `page` of `report` drawn through paintPage into an A4 PDF at `dpi`, as printing does.
void paintPdf(report::TRMReport& report, const QString& path, int page = 0, int dpi = 600);

// A memo at (left, top, width, height) with `lines` and all four frame sides.
std::unique_ptr<report::TRMMemoView> framedMemo(int left, int top, int width, int height,
                                                report::TRMStrings lines);

std::vector<const platform::TMetaRecord*> textRecords(const platform::TMetafile& m);

} // namespace testdraw
