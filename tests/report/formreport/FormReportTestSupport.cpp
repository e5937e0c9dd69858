#include "tests/report/formreport/FormReportTestSupport.h"

#include "report/engine/model/RMReport.h"

#include <algorithm>

namespace formtest {

TRMPage& page(report::TRMFormReport& r, int index) {
    return *r.ReportEngine().Pages[index];
}

std::vector<TRMBandView*> bands(const TRMPage& page) {
    std::vector<TRMBandView*> out;
    for (const auto& v : page.Objects())
        if (auto* b = dynamic_cast<TRMBandView*>(v.get()))
            out.push_back(b);
    return out;
}

TRMBandView* band(const TRMPage& page, int type) {
    for (TRMBandView* b : bands(page))
        if (b->bandType() == type)
            return b;
    return nullptr;
}

std::vector<TRMView*> viewsIn(const TRMPage& page, const TRMBandView& band) {
    std::vector<TRMView*> out;
    for (const auto& v : page.Objects())
        if (dynamic_cast<TRMBandView*>(v.get()) == nullptr && v->Top >= band.Top &&
            v->Top < band.Top + std::max(band.Height, 1))
            out.push_back(v.get());
    return out;
}

std::vector<TRMMemoView*> memos(const TRMPage& page) {
    return viewsOf<TRMMemoView>(page);
}

std::string text(const TRMView& view) {
    std::string out;
    for (std::size_t i = 0; i < view.Memo.size(); ++i)
        out += (i ? "\n" : "") + view.Memo[i];
    return out;
}

std::vector<std::string> texts(const TRMPage& page, const TRMBandView& band) {
    std::vector<std::string> out;
    for (TRMView* v : viewsIn(page, band))
        if (dynamic_cast<TRMMemoView*>(v) != nullptr)
            out.push_back(text(*v));
    return out;
}

TestWindow::TestWindow()
    : root_(std::make_unique<QWidget>()) {
    root_->setObjectName("TestWindow");
    root_->resize(600, 400);
    root_->show();
    report_.PrintControl = root_.get();
}

TRMPage& TestWindow::build() {
    report_.RebuildFromControls();
    return page(report_);
}

} // namespace formtest
