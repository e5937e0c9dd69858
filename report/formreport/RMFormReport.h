#pragma once

// The form report: prints what a window shows. Every run clears the engine report's
// template, creates one template page from PageLayout, walks the controls below
// PrintControl (children sorted by top, then left; hidden controls too), lets the add-in
// registered for each control's class turn it into views, sorts the views into bands
// (title or page header, groups, master data, footers) and hands the template to the
// engine to preview or print.

#include "report/engine/model/RMPage.h"
#include "report/formreport/RMCustomGridReport.h"
#include "report/formreport/RMFormReportObject.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace report {

class TRMBandView;
class TRMRichView;

class TRMFormReport : public TRMCustomGridReport {
public:
    explicit TRMFormReport(QObject* owner = nullptr);
    ~TRMFormReport() override;

    TRMGroupItems& Groups() { return groups_; }
    void setGroups(const TRMGroupItems& value) { groups_.Assign(value); }
    // Root of the control tree to print; cleared when the control is destroyed. Without
    // it a run builds nothing.
    QPointer<QWidget> PrintControl;
    // Leading grid columns repeated at the left of every page of a split grid.
    int GridFixedCols = 0;

    // Asked for every control before the registry: may name the add-in class or take the
    // control over (OwnerDraw: no views, children not walked).
    std::function<void(TRMFormReport& aFormReport, TRMPage& aPage, QWidget& aControl,
                       TRMFormReportObjectClass& aPrintObjectClass, bool& OwnerDraw)>
        OnPrintObject;
    // The view an add-in made for a control.
    std::function<void(QWidget& aControl, TRMView& aView)> OnAfterCreateObject;
    // Each data cell view of a data-aware grid and its field name.
    std::function<void(QWidget& aControl, const std::string& aFieldName, TRMView& aView)>
        OnAfterCreateGridObjectEvent;

    bool BuildFromControls() override;

    // ---- what the add-ins use
    // The master-data band names GridDataSet as its data source; an add-in that drives its
    // own row data set clears it.
    bool BindToGridDataSet = true;
    // Adds `view` to the first template page under a new unique name and returns it.
    template <class T>
    T* addView(TRMPage& page, std::unique_ptr<T> view) {
        T* raw = view.get();
        nameView(*raw);
        page.addView(std::move(view));
        return raw;
    }
    // A new template page with the PageLayout paper and margins (for a split grid).
    TRMPage& addSplitPage() { return addTemplatePage(); }

private:
    void nameView(TRMView& view);
    void measureContent(QWidget& control);
    void walk(QWidget& control, int offsetX, int offsetY);
    // --- bands (RMFormReportBands.cpp)
    void buildBands();
    void buildPageBands(int pageIndex, TRMPage& page);
    // A caption view for `caption` at `top`, or nullptr when the caption has no text.
    TRMRichView* captionView(TRMPage& page, const TRMPageHeaderFooter& caption, int top);
    void bindSummaries();
    void shiftByMargins();

    TRMGroupItems groups_{this};
    std::vector<std::unique_ptr<TRMFormReportObject>> keptAddIns_;
    // Group footers of the page being banded, in creation order.
    std::vector<TRMBandView*> groupFooters_;
};

} // namespace report
