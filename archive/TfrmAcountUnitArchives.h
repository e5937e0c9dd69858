#pragma once

// The accounting-unit archive window "核算单位档案": a tool bar above a two-column grid of
// unit codes and names. Start-up reads the server time, the operator's name and the system
// parameters that decide whether this operator may edit; rows are checked and written
// through the archive store the moment the operator leaves them (no save command).
//
// The row-editing workflow is RowWorkflow's; the window's command and grid handlers
// forward to it.

#include "archive/RowWorkflow.h"
#include "archive/TAcountUnitArchivesClass.h"
#include "platform/ClientDataSet.h"
#include "platform/Colors.h"
#include "platform/Keys.h"
#include "plugin/TFrmBase.h"

#include <QList>
#include <QPixmap>

#include <memory>
#include <string>

class QToolButton;
class QWidget;

namespace grid {
class TAdvStringGrid;
}
namespace plugin {
class TDreamClass;
}
namespace popup {
class TRopWin;
}
namespace report {
class TRMFormReport;
class TRMReportOutput;
} // namespace report

namespace archive {

class TfrmAcountUnitArchives : public plugin::TFrmBase,
                               public ArchiveStoreSite,
                               public RowWorkflowSite {
    Q_OBJECT
public:
    // Embedded form (GetFormOne): `owner` is the host's container.
    explicit TfrmAcountUnitArchives(QWidget* owner);
    // Dialog form (GetFormOne_Hsdw): mode "cm" makes a fixed 644 x 500 dialog, centred.
    TfrmAcountUnitArchives(QWidget* owner, const std::string& mode);
    ~TfrmAcountUnitArchives() override;

    // ---- components, in declaration order
    platform::TClientDataSet Cdset{"Cdset"};        // start-up lookups; trims trailing blanks
    platform::TClientDataSet cdsMain{"cdsMain"};    // the store's queries; keeps them
    report::TRMFormReport* RMFormReport1 = nullptr; // prints the grid (ArchiveReport.h)
    QList<QPixmap> imlToolBar;                      // eight 16 x 16 images
    popup::TRopWin* RopHelp = nullptr;
    QWidget* tlbToolBar = nullptr;
    QToolButton* btnAdd = nullptr;
    QToolButton* btnInsert = nullptr;
    QToolButton* btnDelete = nullptr;
    QToolButton* btnRefresh = nullptr;
    QWidget* ToolButton4 = nullptr; // separator
    QToolButton* btnPreview = nullptr;
    QToolButton* btnPrint = nullptr;
    QWidget* ToolButton7 = nullptr; // separator
    QToolButton* ToolButton1 = nullptr;
    QToolButton* btnExit = nullptr;
    grid::TAdvStringGrid* sgdAcountUnitArchives = nullptr;

    // ---- archive state (set by start-up)
    std::string UnitType;       // "dwlx": "00" may edit, anything else is read-only
    std::string HeadOfficeCode; // "zbbm", empty when missing
    bool DchyFlag = false;      // "dchy" is "1"
    std::string ServerDate;     // 8 characters
    std::string ServerTime;     // 6 characters
    std::string OperatorName;   // the operator code when the operator table has no row

    // The row flags, the row check and the commands' workflow.
    RowWorkflow& rows() { return *rows_; }
    const RowWorkflow& rows() const { return *rows_; }

    // Created at the end of a successful start-up; null after a start-up that stopped early
    // (the window then stays read-only and empty) and after close.
    TAcountUnitArchivesClass* store() const { return store_.get(); }
    plugin::TDreamClass* dream() const { return dream_.get(); }
    // True when start-up ran to its end.
    bool startupCompleted() const { return startupCompleted_; }

    // ---- handlers
    void FormCreate() override;
    void FormShow();
    void FormKeyDown(platform::Word& Key, platform::TShiftState Shift);
    void FormClose(plugin::TCloseAction& Action) override;
    void btnAddClick();
    void btnInsertClick();
    void btnDeleteClick();
    void btnRefreshClick();
    void btnPreviewClick();
    void btnPrintClick();
    // The print command with its confirmation, the prepared pages going to `output`.
    void printTo(report::TRMReportOutput& output);
    void ToolButton1Click();
    void btnExitClick();
    void sgdAcountUnitArchivesKeyDown(platform::Word& Key, platform::TShiftState Shift);
    void sgdAcountUnitArchivesKeyPress(char32_t& Key);
    void sgdAcountUnitArchivesSelectCell(int ACol, int ARow, bool& CanSelect);

    // Hint of a tool button, also when the button does not show it as a tooltip.
    static QString hintOf(const QToolButton* button);

    // ---- ArchiveStoreSite
    plugin::ICoorDisp dataService() const override;
    platform::TClientDataSet& storeDataSet() override { return cdsMain; }
    platform::WindowHandle windowHandle() const override;
    platform::WindowHandle applicationWindow() const override;
    void clearRefusedRow() override;

    // ---- RowWorkflowSite
    bool windowShown() const override { return isVisible(); }
    platform::WindowHandle boxOwner() const override { return windowHandle(); }
    void focusGrid() override;

protected:
    void showEvent(QShowEvent* event) override;
    // The print command (btnPrintClick) with the prepared pages written into `path`.
    qintptr WMPrintToFile(quintptr format, const char* path) override;

private:
    enum class Form { Embedded, Dialog };
    TfrmAcountUnitArchives(QWidget* owner, Form form, const std::string& mode);

    void buildLayout();
    void buildToolBar();
    void buildGrid();
    void layoutToolBar();
    QToolButton* makeButton(const char* name, const char* caption, int image, const char* hint,
                            bool showHint, void (TfrmAcountUnitArchives::*handler)());
    void startUp();
    void setEditingButtonsVisible(bool visible);
    void storeReportVariables();
    void setTitleFontColor(platform::TColor color);

    Form form_;
    std::string mode_;
    std::unique_ptr<RowWorkflow> rows_;
    std::unique_ptr<TAcountUnitArchivesClass> store_;
    std::unique_ptr<plugin::TDreamClass> dream_;
    std::unique_ptr<platform::KeyPreview> keyPreview_;
    bool startupCompleted_ = false;
};

} // namespace archive
