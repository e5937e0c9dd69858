#include "report/formreport/RMCustomGridReport.h"

#include "report/engine/data/RMItemModelCursor.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMDBDataSet.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMUnits.h"
#include "report/preview/RMPreview.h"
#include "report/preview/RMPreviewLayer.h"
#include "report/preview/RMReportPrinting.h"
#include "report/print/RMPageSetting.h"

#include <QAbstractItemModel>
#include <QDataWidgetMapper>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <set>

namespace report {

namespace {

// The engine's dialog form: owner of the grid data sets that band data sources and field
// references name.
constexpr const char* kDialogForm = "RMDialogForm";

// Numbers of the "RMGridDataSet<n>" components of the engine's dialog form.
std::set<int>& gridDataSetNumbers() {
    static std::set<int> used;
    return used;
}

int takeGridDataSetNumber() {
    std::set<int>& used = gridDataSetNumbers();
    int n = 1;
    while (used.count(n) != 0)
        ++n;
    used.insert(n);
    return n;
}

// Rounds to the nearest integer, ties to even.
int roundEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

// Widgets mapped by a data source, with their update state, until the run ends.
class DisabledControls {
public:
    explicit DisabledControls(QDataWidgetMapper* mapper) {
        if (mapper == nullptr || mapper->model() == nullptr)
            return;
        for (int section = 0; section < mapper->model()->columnCount(); ++section) {
            QWidget* w = mapper->mappedWidgetAt(section);
            if (w != nullptr && w->updatesEnabled()) {
                w->setUpdatesEnabled(false);
                widgets_.emplace_back(w);
            }
        }
    }
    ~DisabledControls() {
        for (const QPointer<QWidget>& w : widgets_)
            if (w)
                w->setUpdatesEnabled(true);
    }
    DisabledControls(const DisabledControls&) = delete;
    DisabledControls& operator=(const DisabledControls&) = delete;

private:
    std::vector<QPointer<QWidget>> widgets_;
};

} // namespace

TRMCustomGridReport::TRMCustomGridReport(QObject* owner)
    : QObject(owner) {
    installPreviewLayer();
}

TRMCustomGridReport::~TRMCustomGridReport() {
    modelLinks_.clear();
    gridDataSet_.reset();
    if (gridDataSetNumber_ != 0)
        gridDataSetNumbers().erase(gridDataSetNumber_);
}

TRMReport& TRMCustomGridReport::ReportEngine() {
    if (!engine_) {
        engine_ = std::make_unique<TRMReport>();
        engine_->OwnerForm = OwnerWindow();
    }
    return *engine_;
}

TRMDBDataSet& TRMCustomGridReport::GridDataSet() {
    if (!gridDataSet_) {
        gridDataSetNumber_ = takeGridDataSetNumber();
        gridDataSet_ =
            std::make_unique<TRMDBDataSet>("RMGridDataSet" + std::to_string(gridDataSetNumber_));
        ReportEngine().Datasets.Add(*gridDataSet_, kDialogForm);
    }
    return *gridDataSet_;
}

void TRMCustomGridReport::setGridDataModel(const QAbstractItemModel* model) {
    gridModel_ = model;
    GridDataSet().setDataSet(model ? &cursorFor(*model) : nullptr);
}

std::string TRMCustomGridReport::gridDataSetPath() {
    return gridModel_ ? dataSetPath(*gridModel_)
                      : std::string(kDialogForm) + "." + GridDataSet().Name;
}

TRMCustomGridReport::ModelLink& TRMCustomGridReport::linkFor(const QAbstractItemModel& model) {
    for (ModelLink& link : modelLinks_)
        if (link.model == &model)
            return link;
    ModelLink link;
    link.model = &model;
    link.cursor = std::make_unique<TRMItemModelCursor>(&model);
    link.dataSet = std::make_unique<TRMDBDataSet>(GridDataSet().Name + "_" +
                                                  std::to_string(modelLinks_.size() + 1));
    link.dataSet->setDataSet(link.cursor.get());
    ReportEngine().Datasets.Add(*link.dataSet, kDialogForm);
    modelLinks_.push_back(std::move(link));
    return modelLinks_.back();
}

void TRMCustomGridReport::clearModelLinks() {
    gridModel_ = nullptr;
    GridDataSet().setDataSet(nullptr);
    modelLinks_.clear();
}

TRMDataCursor& TRMCustomGridReport::cursorFor(const QAbstractItemModel& model) {
    return *linkFor(model).cursor;
}

std::string TRMCustomGridReport::dataSetPath(const QAbstractItemModel& model) {
    return std::string(kDialogForm) + "." + linkFor(model).dataSet->Name;
}

QWidget* TRMCustomGridReport::OwnerWindow() const {
    for (QObject* o = parent(); o != nullptr; o = o->parent())
        if (auto* w = qobject_cast<QWidget*>(o))
            return w->window();
    return nullptr;
}

void TRMCustomGridReport::ApplyPageSetting(const TRMPageSetting& setting) {
    const auto pixels = [](double mm) {
        return static_cast<std::int32_t>(std::lround(RMToScreenPixels(mm, rmutMillimeters)));
    };
    TRMPageLayout& l = pageLayout_;
    l.Title = setting.Title;
    l.PrinterName = setting.PrinterName;
    l.DoublePass = setting.DoublePass;
    l.pgOr = setting.Orientation();
    l.Columns = setting.PageColumns();
    l.ColumnSpace = pixels(setting.ColumnGap());
    l.PrintBackColor = setting.PrintBackColor;
    l.LeftMargin = pixels(setting.MarginLeft());
    l.TopMargin = pixels(setting.MarginTop());
    l.RightMargin = pixels(setting.MarginRight());
    l.BottomMargin = pixels(setting.MarginBottom());
    l.Width = setting.PaperWidth;
    l.Height = setting.PaperHeight;
    l.pgBin = setting.Bin;
    l.pgSize = static_cast<std::uint16_t>(setting.PaperSize);
}

// ---- runs

void TRMCustomGridReport::PreviewFromControls() {
    run(RunMode::Preview);
}

void TRMCustomGridReport::PrintFromControls() {
    TRMPrinterOutput printer;
    run(RunMode::Print, &printer);
}

void TRMCustomGridReport::PrintFromControls(TRMReportOutput& output) {
    run(RunMode::Print, &output);
}

void TRMCustomGridReport::RebuildFromControls() {
    run(RunMode::BuildOnly);
}

void TRMCustomGridReport::handSettingsToEngine(TRMReport& engine, RunMode mode) {
    engine.OwnerForm = OwnerWindow();
    // The rebuild after page setup keeps the title the operator confirmed there.
    engine.ReportInfo.Strings[0] =
        mode == RunMode::RebuildAfterPageSetup ? pageLayout_.Title : ReportTitle;
    engine.InitialZoom = InitialZoom;
    engine.PreviewButtons = PreviewButtons;
    engine.Preview = Preview.data();
    engine.ReportType = ReportType;
    engine.ShowProgress = ShowProgress;
    engine.ModifyPrepared = ModifyPrepared;
    engine.ShowPrintDialog = ShowPrintDialog;
    engine.OnBeginBand = OnBeginBand;
    engine.OnEndBand = OnEndBand;
    engine.OnBeginDoc = OnBeginDoc;
    engine.OnEndDoc = OnEndDoc;
    engine.OnBeginPage = OnBeginPage;
    engine.OnEndPage = OnEndPage;
    engine.OnGetValue = OnGetValue;
    engine.OnProgress = OnProgress;
    engine.OnBeginColumn = OnBeginColumn;
    engine.OnPrintColumn = OnPrintColumn;
    engine.OnBeforePrint = nullptr;
    engine.OnBeforePrintBand = nullptr;
    // Only a grid add-in's row data set drives the report; it sets this again.
    engine.Dataset = nullptr;
    // A setting confirmed in the preview's page setup comes back into PageLayout and the
    // report is built anew from the controls (the preview prepares it again). That rebuild
    // runs inside the hook and leaves it as it is.
    if (mode == RunMode::RebuildAfterPageSetup)
        return;
    if (ReportOptions.has(rmgoRebuildAfterPageChanged)) {
        engine.OnPageSetup = [this](const TRMPageSetting& setting) {
            ApplyPageSetting(setting);
            run(RunMode::RebuildAfterPageSetup);
        };
    } else {
        engine.OnPageSetup = nullptr;
    }
}

TRMPage& TRMCustomGridReport::addTemplatePage() {
    TRMReport& engine = ReportEngine();
    TRMPage& page = *engine.Pages.Add();
    const TRMPageLayout& l = pageLayout_;
    page.ChangePaper(l.pgSize, l.Width, l.Height, l.pgBin, l.pgOr);
    page.setMarginsInPixels({l.LeftMargin, l.TopMargin, l.RightMargin, l.BottomMargin});
    // Page columns as chosen in page setup (0 is one column), the gap in thousandths of a
    // millimetre.
    page.Columns = std::max(1, l.Columns);
    page.ColumnGap = pixelsToMargin(std::max(0, l.ColumnSpace));
    return page;
}

void TRMCustomGridReport::run(RunMode mode, TRMReportOutput* output) {
    TRMReport& engine = ReportEngine();
    engine.ModalPreview = true;
    clearModelLinks();
    handSettingsToEngine(engine, mode);

    engine.Pages.Clear();
    engine.DoublePass = pageLayout_.DoublePass;
    engine.ChangePrinter(pageLayout_.PrinterName);
    addTemplatePage();

    if (!BuildFromControls())
        return;

    std::unique_ptr<DisabledControls> disabled;
    if (ReportOptions.has(rmgoDisableControls) && GridDataSet().GetDataSet() != nullptr)
        disabled = std::make_unique<DisabledControls>(DataSource.data());
    switch (mode) {
    case RunMode::Preview:
        engine.ShowReport();
        break;
    case RunMode::Print:
        engine.PrintReport(*output);
        break;
    case RunMode::BuildOnly:
    case RunMode::RebuildAfterPageSetup:
        break;
    }
}

// ---- placing views

void TRMCustomGridReport::placeView(TRMView& view, const TRMBandView& band, int pageIndex) const {
    const TRMGridBuildState& b = build_;
    const TRMScaleOptions& s = scaleMode_;
    const int width = pageIndex >= 0 && pageIndex < static_cast<int>(b.PageWidths.size())
                          ? b.PageWidths[static_cast<std::size_t>(pageIndex)]
                          : 0;
    double f = s.ScaleFactor / 100.0;
    bool scale = false;
    if (s.ScaleMode == rmsmFit) {
        if (s.FitPageWidth) {
            if (width > 0) {
                f = static_cast<double>(b.PrintableWidth) / width;
                scale = true;
            }
        } else if (!b.HasMasterData && s.FitPageHeight && b.ContentHeight > 0) {
            f = static_cast<double>(b.PrintableHeight) / b.ContentHeight;
            scale = true;
        }
    } else {
        scale = s.ScaleFactor != 100;
    }

    if (scale) {
        const int x = view.Left, y = view.Top;
        view.Width = roundEven((x + view.Width) * f) - roundEven(x * f);
        view.Height = roundEven((y + view.Height) * f) - roundEven(y * f);
        view.Left = roundEven(x * f);
        view.Top = band.Top + roundEven(y * f) - roundEven(band.Top * f);
        if (auto* memo = dynamic_cast<TRMMemoView*>(&view)) {
            // The font's pixel height scales; the view keeps whole points.
            const int pixels = static_cast<int>(std::trunc(memo->Font.Size * 96.0 / 72.0 * f));
            memo->Font.Size = std::max(1, static_cast<int>(std::lround(pixels * 72.0 / 96.0)));
        }
    }
    if (s.CenterOnPageH)
        view.Left += (b.PrintableWidth - roundEven(width * f)) / 2;
    if (s.CenterOnPageV && !b.HasMasterData)
        view.Top += (b.PrintableHeight - roundEven(b.ContentHeight * f)) / 2;
}

} // namespace report
