#pragma once

// The preview window: a TRMPreview filling the client area, the preview tool bar, the
// page popup menu ProcMenu and the keyboard table. Created for one use per shown report.

#include "report/engine/model/RMReportOutput.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QToolBar;

namespace platform {
class KeyPreview;
}

namespace report {

class TRMPreview;
class TRMReport;
struct TRMPreviewDocument;

class TRMPreviewForm : public QDialog {
    Q_OBJECT
public:
    explicit TRMPreviewForm(QWidget* owner = nullptr);
    ~TRMPreviewForm() override;

    // Shows the document in the control, applies its PreviewButtons and zoom (pzPageWidth
    // and pzOnePage press their button, anything else restores the remembered zoom) and the
    // remembered magnifier.
    void Show_Document(TRMPreviewDocument document);
    // Show_Document with the report's prepared pages (previewDocument).
    void Show_Report(TRMReport& report);

    TRMPreview* Preview() const { return preview_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QComboBox* ZoomBox() const { return cmbZoom; }
    QLineEdit* PageBox() const { return edtPageNo; }
    QMenu* ProcMenu() const { return procMenu_; }
    QLabel* StatusLabel() const { return lblStatus_; }

    // Tool bar commands, in the tool bar's order.
    QAction* btnZoom;      // the zoom box's place
    QAction* btnMagnifier; // toggle
    QAction* btnOnePage;   // toggle
    QAction* btn100;       // toggle
    QAction* btnPageWidth; // toggle
    QAction* btnFirst;
    QAction* btnPrior;
    QAction* btnPageNo; // the page number box's place
    QAction* btnNext;
    QAction* btnLast;
    QAction* btnFind;
    QAction* btnOpen;
    QAction* btnSave;
    QAction* btnSuperExp;
    QAction* btnSaveToXLS;
    QAction* btnPrint;
    QAction* btnPageSetup;
    QAction* btnDesign;
    QAction* btnExit;

    // ProcMenu entries.
    QAction* itmScale200;
    QAction* itmScale150;
    QAction* itmScale100;
    QAction* itmScaale75;
    QAction* itmScale50;
    QAction* itmScale25;
    QAction* itmScale10;
    QAction* itmPageWidth;
    QAction* itmOnePage;
    QAction* itmDoublePage;
    QAction* itmPrint;
    QAction* itmPrintCurrentPage;
    QAction* itmNewPage;
    QAction* InsertBefore1;
    QAction* InsertAfter1;
    QAction* Append1;
    QAction* itmDeletePage;
    QAction* itmEditPage;

    // Settings class name of the window's placement.
    static constexpr const char* SettingsClass = "TRMPreviewForm";

    // The zoom box's text for the current zoom.
    QString zoomText() const;
    // Applies a ProcMenu tag: a percentage, or 1 page width, 2 whole page, 3 two pages.
    void zoomByTag(int tag);
    // Before the popup menu opens (check mark, visible and enabled entries).
    void updateProcMenu();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    void reject() override;

private:
    void buildToolBar();
    void buildProcMenu();
    void applyButtons(std::uint16_t buttons);
    void updateZoomControls();
    void updatePageControls();
    void rememberZoom();
    void cmbZoomActivated(int index);
    void cmbZoomEntered();
    void edtPageNoEntered();
    void btnPrintClick();
    void btnPrintCurrentPageClick();
    void btnPageSetupClick();
    void btnSuperExpClick();
    void formKeyDown(std::uint16_t& key, std::uint8_t shift);

    QMainWindow* frame_;
    QToolBar* toolBar_;
    TRMPreview* preview_;
    QComboBox* cmbZoom;
    QLineEdit* edtPageNo;
    QLabel* lblStatus_;
    QMenu* procMenu_;
    std::unique_ptr<platform::KeyPreview> keyPreview_;
    bool placementRestored_ = false;
};

// Opens a preview window for the document, titled `caption`, modal when its ModalPreview is
// set and MDIPreview is not (returns after it closed), otherwise shown modeless (the window
// frees itself when closed).
void ShowPreviewWindow(TRMPreviewDocument document, QWidget* owner, const std::string& caption);
// The same for the report's prepared pages (nothing without any), titled `caption` (empty:
// the report's previewCaption(), "预览 - <title>").
void ShowPreviewWindow(TRMReport& report, QWidget* owner = nullptr,
                       const std::string& caption = {});

// The preview window as a report's output (the default preview the preview layer
// installs): a TRMPreviewForm titled with the report's previewCaption().
class TRMPreviewWindowOutput : public TRMReportOutput {
public:
    explicit TRMPreviewWindowOutput(QWidget* owner = nullptr)
        : owner_(owner) {}
    void Deliver(TRMReport& report) override;

private:
    QWidget* owner_;
};

} // namespace report
