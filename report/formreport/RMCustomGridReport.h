#pragma once

// A grid report: a non-visual component that a window owns and that turns the window's
// own controls into a report on every run. This base holds everything that is not tied to
// a control tree: the settings, the engine report and the grid data set it owns, the
// three run modes and the build's working state. TRMFormReport builds the template.

#include "report/engine/model/RMPrintOptions.h"
#include "report/formreport/RMGridReportSettings.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAbstractItemModel;
class QDataWidgetMapper;
class QWidget;

namespace platform {
class Variant;
}

namespace report {

class TRMBand;
class TRMBandView;
class TRMDataCursor;
class TRMDBDataSet;
class TRMPage;
class TRMPageSetting;
class TRMPreview;
class TRMReport;
class TRMReportOutput;
class TRMView;

// What the runs pass on to the engine's preview window (set of previewbutton bits).
inline constexpr std::uint16_t kDefaultPreviewButtons =
    previewbutton::pbZoom | previewbutton::pbLoad | previewbutton::pbSave | previewbutton::pbPrint |
    previewbutton::pbFind | previewbutton::pbPageSetup | previewbutton::pbExit |
    previewbutton::pbSuperExp;

// Working state of one build.
struct TRMGridBuildState {
    // Width in pixels of the content placed on each template page (fitting, centring).
    std::vector<int> PageWidths{0};
    int ContentHeight = 0;
    int PrintableWidth = 0;               // first template page width less left and right margin
    int PrintableHeight = 0;              // its height less top and bottom margin
    int WalkOffsetX = 0, WalkOffsetY = 0; // control being walked, relative to PrintControl
    bool HasMasterData = false;
    bool GridPlaced = false; // later grids are skipped, later controls go to the column footer
    int GridTop = 0, GridHeight = 0;
    std::vector<TRMView*> TitleObjects;
    std::vector<TRMView*> MasterDataObjects;
    std::vector<TRMView*> PageFooterObjects;
    std::vector<TRMView*> ColumnFooterObjects;
    std::vector<TRMView*> SummaryObjects;
    // Name of the master-data band of each template page ("" when it has none).
    std::vector<std::string> MasterBandNames;
};

class TRMCustomGridReport : public QObject {
public:
    explicit TRMCustomGridReport(QObject* owner = nullptr);
    ~TRMCustomGridReport() override;

    // ---- published properties
    // Data of the master-data band when no grid add-in supplied any (cleared when destroyed).
    QPointer<QAbstractItemModel> DataSet;
    // As DataSet, through a data source; its mapped controls are the ones
    // rmgoDisableControls disables during a run.
    QPointer<QDataWidgetMapper> DataSource;
    TRMGridReportOptions ReportOptions{rmgoStretch, rmgoWordWrap, rmgoGridLines,
                                       rmgoRebuildAfterPageChanged, rmgoDisableControls};

    // Object-valued properties: setting one copies the value into the owned object.
    TRMPageLayout& PageLayout() { return pageLayout_; }
    void setPageLayout(const TRMPageLayout& value) { pageLayout_.Assign(value); }
    TRMPageHeaderFooter& PageHeader() { return pageHeader_; }
    void setPageHeader(const TRMPageHeaderFooter& value) { pageHeader_.Assign(value); }
    TRMPageHeaderFooter& PageFooter() { return pageFooter_; }
    void setPageFooter(const TRMPageHeaderFooter& value) { pageFooter_.Assign(value); }
    TRMPageHeaderFooter& ColumnFooter() { return columnFooter_; }
    void setColumnFooter(const TRMPageHeaderFooter& value) { columnFooter_.Assign(value); }
    TRMScaleOptions& ScaleMode() { return scaleMode_; }
    void setScaleMode(const TRMScaleOptions& value) { scaleMode_.Assign(value); }
    TRMMasterDataBandOptions& MasterDataBandOptions() { return masterDataBandOptions_; }
    void setMasterDataBandOptions(const TRMMasterDataBandOptions& value) {
        masterDataBandOptions_.Assign(value);
    }
    TRMGridNumOptions& GridNumOptions() { return gridNumOptions_; }
    void setGridNumOptions(const TRMGridNumOptions& value) { gridNumOptions_.Assign(value); }
    TRMGridFontOptions& GridFontOptions() { return gridFontOptions_; }
    void setGridFontOptions(const TRMGridFontOptions& value) { gridFontOptions_.Assign(value); }

    int InitialZoom = pzDefault;
    std::uint16_t PreviewButtons = kDefaultPreviewButtons;
    QPointer<TRMPreview> Preview; // an embedded preview control instead of the preview window
    int ReportType = rtSimple;
    bool ShowProgress = true;
    std::string ReportTitle;
    bool ShowPrintDialog = true;
    bool ModifyPrepared = false;
    std::string AutoBooleanString; // kept; not used by the build
    bool ShowMasterData = false;   // kept; not used by the build
    // false: the header caption prints once (report title) and both footer bands are
    // hidden; true: the caption heads every page and the footers print.
    bool PageHeaderOnly1 = false;

    // ---- events, handed to the engine before every run
    std::function<void()> OnBeginDoc, OnEndDoc;
    std::function<void(TRMBand&Band)> OnBeginBand, OnEndBand, OnBeginColumn;
    std::function<void(int pgNo)> OnBeginPage;
    std::function<void(int pg)> OnEndPage;
    std::function<void(const std::string& ParName, platform::Variant& ParValue)> OnGetValue;
    std::function<void(int n)> OnProgress;
    std::function<void(int ColNo, int& Width)> OnPrintColumn;

    // ---- runs
    // Builds the template from the controls, prepares it and shows the preview (modal).
    void PreviewFromControls();
    // Builds, prepares and prints on the printer (TRMPrinterOutput: the print dialog unless
    // ShowPrintDialog is off).
    void PrintFromControls();
    // Builds, prepares and hands the pages to `output` (a printer with its options, a file).
    void PrintFromControls(TRMReportOutput& output);
    // Builds the template only.
    void RebuildFromControls();
    // Builds the template into ReportEngine's first template page; the base builds nothing
    // and returns false.
    virtual bool BuildFromControls() { return false; }

    // Takes a page setting confirmed in page setup into PageLayout (margins and column gap
    // converted from millimetres to pixels). With rmgoRebuildAfterPageChanged the preview's
    // page setup calls it and rebuilds: the rebuilt template keeps the setting's title, page
    // columns and column gap.
    void ApplyPageSetting(const TRMPageSetting& setting);

    // ---- what the build and the add-ins use
    // The engine report, created on first use; its template is what a build produces.
    TRMReport& ReportEngine();
    // The data-set adapter named "RMGridDataSet" + the smallest free number, owned by the
    // engine's dialog form "RMDialogForm"; created on first use.
    TRMDBDataSet& GridDataSet();
    // Gives GridDataSet the rows of `model` (nullptr: none).
    void setGridDataModel(const QAbstractItemModel* model);
    // The cursor over `model`'s rows for this run, shared by GridDataSet and by the data
    // set that field references to the model name ("RMDialogForm." + its name).
    TRMDataCursor& cursorFor(const QAbstractItemModel& model);
    std::string dataSetPath(const QAbstractItemModel& model);
    // "RMDialogForm." + the name of the data set GridDataSet's rows are read through.
    std::string gridDataSetPath();
    TRMGridBuildState& Build() { return build_; }
    const TRMGridBuildState& Build() const { return build_; }
    // The window of the widget that owns this report (expressions may name its
    // components: the engine's OwnerForm).
    QWidget* OwnerWindow() const;

    // Places `view` into `band` with the scaling, fitting and centring of ScaleMode, for
    // template page `pageIndex` (whose PageWidths entry is the content width).
    void placeView(TRMView& view, const TRMBandView& band, int pageIndex) const;

protected:
    // RebuildAfterPageSetup builds only, titled with PageLayout.Title.
    enum class RunMode { Preview, Print, BuildOnly, RebuildAfterPageSetup };
    void run(RunMode mode, TRMReportOutput* output = nullptr);
    // The template page every build starts from, from PageLayout.
    TRMPage& addTemplatePage();

private:
    void handSettingsToEngine(TRMReport& engine, RunMode mode);

    TRMPageLayout pageLayout_;
    TRMPageHeaderFooter pageHeader_{this};
    TRMPageHeaderFooter pageFooter_{this};
    TRMPageHeaderFooter columnFooter_{this};
    TRMScaleOptions scaleMode_;
    TRMMasterDataBandOptions masterDataBandOptions_;
    TRMGridNumOptions gridNumOptions_;
    TRMGridFontOptions gridFontOptions_;

    std::unique_ptr<TRMReport> engine_;
    std::unique_ptr<TRMDBDataSet> gridDataSet_;
    // One cursor and one named data set per item model a run meets.
    struct ModelLink {
        const QAbstractItemModel* model = nullptr;
        std::unique_ptr<TRMDataCursor> cursor;
        std::unique_ptr<TRMDBDataSet> dataSet;
    };
    ModelLink& linkFor(const QAbstractItemModel& model);
    void clearModelLinks();
    std::vector<ModelLink> modelLinks_;
    const QAbstractItemModel* gridModel_ = nullptr;
    int gridDataSetNumber_ = 0;
    TRMGridBuildState build_;
};

} // namespace report
