#include "report/formreport/RMFormReport.h"

#include "report/engine/model/RMReport.h"
#include "report/formreport/RMFormReportControls.h"

#include <QAbstractItemModel>
#include <QDataWidgetMapper>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>

#include <algorithm>

namespace report {

namespace {

// Frees the working lists whichever way the build ends.
struct BuildListsReset {
    TRMGridBuildState& state;
    ~BuildListsReset() {
        state.TitleObjects.clear();
        state.MasterDataObjects.clear();
        state.PageFooterObjects.clear();
        state.ColumnFooterObjects.clear();
        state.SummaryObjects.clear();
    }
};

void scrollToOrigin(QWidget& control) {
    if (auto* area = qobject_cast<QScrollArea*>(&control)) {
        area->horizontalScrollBar()->setValue(0);
        area->verticalScrollBar()->setValue(0);
    }
}

} // namespace

TRMFormReport::TRMFormReport(QObject* owner)
    : TRMCustomGridReport(owner) {}

TRMFormReport::~TRMFormReport() = default;

void TRMFormReport::nameView(TRMView& view) {
    view.Name = ReportEngine().Pages.makeUniqueName(view.BaseName);
}

bool TRMFormReport::BuildFromControls() {
    keptAddIns_.clear();
    TRMGridBuildState& b = Build();
    b = TRMGridBuildState{};
    if (!PrintControl)
        return false;
    QWidget& root = *PrintControl;

    BuildListsReset reset{b};
    TRMPage& first = *ReportEngine().Pages[0];
    const TRMPage::PixelRect margins = first.marginsInPixels();
    b.PrintableWidth = first.PrinterInfo.paperWidth - margins.left - margins.right;
    b.PrintableHeight = first.PrinterInfo.paperHeight - margins.top - margins.bottom;

    measureContent(root);
    b.GridPlaced = false;
    b.GridTop = 0;
    b.GridHeight = 0;
    BindToGridDataSet = true;
    walk(root, -root.x(), -root.y());

    if (!ReportOptions.has(rmgoSelectedRecordsOnly) && b.MasterDataObjects.empty() &&
        (DataSet || DataSource)) {
        setGridDataModel(DataSource ? DataSource->model() : DataSet.data());
        b.MasterDataObjects = std::move(b.TitleObjects);
        b.TitleObjects.clear();
    }
    b.HasMasterData = !b.MasterDataObjects.empty();

    buildBands();
    bindSummaries();
    shiftByMargins();
    return true;
}

void TRMFormReport::measureContent(QWidget& control) {
    TRMGridBuildState& b = Build();
    scrollToOrigin(control);
    const std::vector<QWidget*> children = childControls(control);
    if (children.empty()) {
        const QRect client = clientRect(control);
        b.PageWidths[0] = client.width();
        b.ContentHeight = client.height();
        return;
    }
    int left = 99999, top = 99999, right = 0, bottom = 0;
    for (const QWidget* c : children) {
        left = std::min(left, c->x());
        top = std::min(top, c->y());
        right = std::max(right, c->x() + c->width());
        bottom = std::max(bottom, c->y() + c->height());
    }
    b.PageWidths[0] = right - left;
    b.ContentHeight = bottom - top;
}

void TRMFormReport::walk(QWidget& control, int offsetX, int offsetY) {
    TRMGridBuildState& b = Build();
    const int savedX = b.WalkOffsetX, savedY = b.WalkOffsetY;
    b.WalkOffsetX = offsetX;
    b.WalkOffsetY = offsetY;
    scrollToOrigin(control);

    bool ownerDraw = false;
    TRMFormReportObjectClass addIn;
    bool matched = false;
    TRMPage& first = *ReportEngine().Pages[0];
    if (OnPrintObject)
        OnPrintObject(*this, first, control, addIn, ownerDraw);
    if (!ownerDraw && !addIn) {
        if (const TRMAddInFormReportObjectInfo* entry = FormReportAddIns().Find(control)) {
            addIn = entry->ObjectClass;
            matched = true;
        }
    }
    if (!ownerDraw && addIn) {
        std::unique_ptr<TRMFormReportObject> object = addIn.Create();
        TRMView* view = nullptr;
        object->PlaceControl(*this, first, view, control);
        if (view != nullptr && OnAfterCreateObject)
            OnAfterCreateObject(control, *view);
        if (!object->FreeAfterUse)
            keptAddIns_.push_back(std::move(object));
    }
    if (!matched && !ownerDraw) {
        std::vector<QWidget*> children = childControls(control);
        std::stable_sort(children.begin(), children.end(), [](const QWidget* a, const QWidget* c) {
            return a->y() != c->y() ? a->y() < c->y() : a->x() < c->x();
        });
        for (QWidget* child : children)
            walk(*child, control.x() + offsetX, control.y() + offsetY);
    }
    b.WalkOffsetX = savedX;
    b.WalkOffsetY = savedY;
}

} // namespace report
