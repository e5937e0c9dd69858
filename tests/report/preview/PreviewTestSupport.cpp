#include "PreviewTestSupport.h"

#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMUnits.h"

namespace previewtest {

using namespace report;

void addText(TRMEMFPages& pages, int index, int left, int top, const std::string& text, int width) {
    TRMMemoView memo;
    memo.Name = "Memo" + std::to_string(left) + "_" + std::to_string(top);
    memo.SetBounds(left, top, width, 20);
    memo.Font.Name = "宋体";
    memo.Font.Size = 10;
    memo.Memo = {text};
    memo.Memo1 = memo.Memo;
    TRMEMFPages::WriteView(pages[index]->Stream, memo);
}

Document::Document(int count, std::vector<std::string> lines,
                   std::vector<std::vector<std::string>> perPage) {
    setScreenPixelsPerInch(96, 96);
    for (int i = 0; i < count; ++i) {
        report.EMFPages.AddPage(templatePage);
        addText(report.EMFPages, i, 60, 40, "第" + std::to_string(i + 1) + "页");
        const auto& own =
            i < static_cast<int>(perPage.size()) && !perPage[i].empty() ? perPage[i] : lines;
        for (std::size_t l = 0; l < own.size(); ++l)
            addText(report.EMFPages, i, 60, 80 + static_cast<int>(l) * 24, own[l]);
    }
}

void Document::addLandscapePage(const std::string& text) {
    TRMPage landscape;
    landscape.ChangePaper(9, 2100, 2970, -1, poLandscape);
    report.EMFPages.AddPage(landscape);
    addText(report.EMFPages, report.EMFPages.pageCount() - 1, 60, 40, text);
}

} // namespace previewtest
