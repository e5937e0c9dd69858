#pragma once

// Reading a form report's template: its bands, the views inside each and their texts.

#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMPage.h"
#include "report/formreport/RMFormReport.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace formtest {

using report::TRMBandView;
using report::TRMMemoView;
using report::TRMPage;
using report::TRMView;

// The template page `index` of the report's engine.
TRMPage& page(report::TRMFormReport& r, int index = 0);
// Band views of a page in page order; the first band of `type` (nullptr when none).
std::vector<TRMBandView*> bands(const TRMPage& page);
TRMBandView* band(const TRMPage& page, int type);
// Views (not bands) whose top lies inside the band, in page order.
std::vector<TRMView*> viewsIn(const TRMPage& page, const TRMBandView& band);
// Views of class T in page order.
template <class T>
std::vector<T*> viewsOf(const TRMPage& page) {
    std::vector<T*> out;
    for (const auto& v : page.Objects())
        if (auto* t = dynamic_cast<T*>(v.get()))
            out.push_back(t);
    return out;
}
// Memo views in page order.
std::vector<TRMMemoView*> memos(const TRMPage& page);
// The view's Memo lines joined with "\n".
std::string text(const TRMView& view);
// Texts of the memo views in the band, in page order.
std::vector<std::string> texts(const TRMPage& page, const TRMBandView& band);

// A window to print: a plain widget of 600 x 400, shown offscreen.
class TestWindow {
public:
    TestWindow();
    QWidget& root() { return *root_; }
    template <class T>
    T* add(int x, int y, int w, int h, QWidget* parent = nullptr) {
        auto* c = new T(parent ? parent : root_.get());
        c->setGeometry(x, y, w, h);
        c->show();
        return c;
    }
    // A form report printing the root, with the margin of 38 pixels of the defaults.
    report::TRMFormReport& report() { return report_; }
    // Rebuilds the template; returns page 0.
    TRMPage& build();

private:
    std::unique_ptr<QWidget> root_;
    report::TRMFormReport report_;
};

} // namespace formtest
