#include "archive/TfrmAcountUnitArchives.h"

#include "archive/ArchiveReport.h"
#include "archive/ArchiveSql.h"
#include "archive/ReportVariables.h"
#include "archive/ToolBarImages.h"
#include "grid/TAdvStringGrid.h"
#include "platform/Gbk.h"
#include "platform/GdiObjects.h"
#include "platform/Guard.h"
#include "platform/MessageBox.h"
#include "plugin/HostContext.h"
#include "plugin/SharedHelpers.h"
#include "plugin/TDreamClass.h"
#include "plugin/plugin_abi.h"
#include "popup/TRopWin.h"
#include "report/engine/model/RMExportFilter.h"
#include "report/engine/model/RMReport.h"
#include "report/export/RMFileOutput.h"
#include "report/formreport/RMFormReport.h"
#include "report/preview/RMReportPrinting.h"

#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace archive {
namespace {

constexpr int kButtonWidth = 43;
constexpr int kButtonHeight = 35;
constexpr int kSeparatorWidth = 8;
constexpr const char* kHintProperty = "Hint";

// "MS Sans Serif", height -11, default character set: the title row and the shortcut note.
platform::TFont smallSansFont(platform::TColor color) {
    platform::TFont font;
    font.Name = "MS Sans Serif";
    font.Height = -11;
    font.Charset = platform::DEFAULT_CHARSET;
    font.Color = color;
    return font;
}

QFont songFont() {
    platform::TFont font; // "宋体", height -12, GB2312
    font.Color = platform::clBlack;
    return platform::toQFont(font);
}

} // namespace

TfrmAcountUnitArchives::TfrmAcountUnitArchives(QWidget* owner)
    : TfrmAcountUnitArchives(owner, Form::Embedded, {}) {}

TfrmAcountUnitArchives::TfrmAcountUnitArchives(QWidget* owner, const std::string& mode)
    : TfrmAcountUnitArchives(owner, Form::Dialog, mode) {}

TfrmAcountUnitArchives::TfrmAcountUnitArchives(QWidget* owner, Form form, const std::string& mode)
    : TFrmBase(owner, LayoutOnly{})
    , form_(form)
    , mode_(mode) {
    cdsMain.setTrimTrailingBlanks(false);
    buildLayout();
    FormCreate();
}

TfrmAcountUnitArchives::~TfrmAcountUnitArchives() = default;

// ---- layout

void TfrmAcountUnitArchives::buildLayout() {
    setObjectName("frmAcountUnitArchives");
    setWindowTitle("核算单位档案");
    PanelMain->resize(688, 457);

    for (int i = 0; i < kToolBarImageCount; ++i)
        imlToolBar.append(QPixmap::fromImage(toolBarImage(i)));

    RopHelp = new popup::TRopWin(this);
    RopHelp->setObjectName("RopHelp");
    RopHelp->Font = smallSansFont(platform::clWindowText);
    RopHelp->TimeClose = 0;
    RopHelp->xPos = 0;
    RopHelp->yPos = 0;
    RopHelp->Lines = {"快捷键：",
                      "",
                      "    增  加: Ctrl+A (增加一个核算单位项目)",
                      "    插  入: Ctrl+ I (插入一个核算单位项目)",
                      "    删  除: Ctrl+D (删除一个核算单位项目)",
                      "    刷  新: Ctrl+R",
                      "    预  览: Ctrl+V",
                      "    打  印: Ctrl+P",
                      "    退  出: ESC"};

    auto* column = new QVBoxLayout(PanelMain);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildToolBar();
    buildGrid();
    RMFormReport1 = new report::TRMFormReport(this);
    configureArchiveReport(*RMFormReport1, *sgdAcountUnitArchives);
    column->addWidget(tlbToolBar);
    column->addWidget(sgdAcountUnitArchives, 1);

    // Key preview: the window sees every key before the focused control.
    platform::KeyHandlers preview;
    preview.keyDown = [this](platform::Word& key, platform::TShiftState shift) {
        FormKeyDown(key, shift);
    };
    keyPreview_ = std::make_unique<platform::KeyPreview>(this, std::move(preview));
}

QToolButton* TfrmAcountUnitArchives::makeButton(const char* name, const char* caption, int image,
                                                const char* hint, bool showHint,
                                                void (TfrmAcountUnitArchives::*handler)()) {
    auto* button = new QToolButton(tlbToolBar);
    button->setObjectName(name);
    button->setText(QString::fromUtf8(caption));
    button->setIcon(QIcon(imlToolBar.at(image)));
    button->setIconSize(QSize(16, 16));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true); // flat
    button->setFixedSize(kButtonWidth, kButtonHeight);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFont(songFont());
    button->setProperty(kHintProperty, QString::fromUtf8(hint));
    if (showHint && *hint)
        button->setToolTip(QString::fromUtf8(hint));
    connect(button, &QToolButton::clicked, this,
            [this, handler] { platform::guarded(this, [&] { (this->*handler)(); }); });
    return button;
}

void TfrmAcountUnitArchives::buildToolBar() {
    tlbToolBar = new QWidget(PanelMain);
    tlbToolBar->setObjectName("tlbToolBar");
    tlbToolBar->setFixedHeight(kButtonHeight);
    tlbToolBar->setFont(songFont());
    auto separator = [this](const char* name) {
        auto* s = new QWidget(tlbToolBar);
        s->setObjectName(name);
        s->setFixedSize(kSeparatorWidth, kButtonHeight);
        return s;
    };
    using W = TfrmAcountUnitArchives;
    btnAdd = makeButton("btnAdd", "增  行", 0, "增加一行 Ctrl+A", true, &W::btnAddClick);
    btnInsert = makeButton("btnInsert", "插  行", 1, "插入一行 Ctrl+I", true, &W::btnInsertClick);
    btnDelete = makeButton("btnDelete", "删  行", 2, "删除一行 Ctrl+D", true, &W::btnDeleteClick);
    btnRefresh = makeButton("btnRefresh", "刷  新", 5, "Ctrl+R", true, &W::btnRefreshClick);
    ToolButton4 = separator("ToolButton4");
    btnPreview = makeButton("btnPreview", "预  览", 3, "Ctrv+V", true, &W::btnPreviewClick);
    // The tool bar itself shows no hints; only buttons with their own setting do.
    btnPrint = makeButton("btnPrint", "打  印", 4, "Ctrl+P", false, &W::btnPrintClick);
    ToolButton7 = separator("ToolButton7");
    ToolButton1 = makeButton("ToolButton1", "助  手", 7, "", false, &W::ToolButton1Click);
    btnExit = makeButton("btnExit", "退  出", 6, "", false, &W::btnExitClick);
    layoutToolBar();
}

// Visible buttons sit side by side from the left, as a tool bar arranges them.
void TfrmAcountUnitArchives::layoutToolBar() {
    int left = 0;
    for (QWidget* item :
         {static_cast<QWidget*>(btnAdd), static_cast<QWidget*>(btnInsert),
          static_cast<QWidget*>(btnDelete), static_cast<QWidget*>(btnRefresh), ToolButton4,
          static_cast<QWidget*>(btnPreview), static_cast<QWidget*>(btnPrint), ToolButton7,
          static_cast<QWidget*>(ToolButton1), static_cast<QWidget*>(btnExit)}) {
        if (item->isHidden())
            continue;
        item->move(left, 0);
        left += item->width();
    }
}

void TfrmAcountUnitArchives::setEditingButtonsVisible(bool visible) {
    btnAdd->setVisible(visible);
    btnInsert->setVisible(visible);
    btnDelete->setVisible(visible);
    layoutToolBar();
}

QString TfrmAcountUnitArchives::hintOf(const QToolButton* button) {
    return button->property(kHintProperty).toString();
}

void TfrmAcountUnitArchives::buildGrid() {
    auto* g = new grid::TAdvStringGrid(PanelMain);
    sgdAcountUnitArchives = g;
    g->setObjectName("sgdAcountUnitArchives");
    RowWorkflow::configureGrid(*g);
    rows_ = std::make_unique<RowWorkflow>(*g, *this);
    g->OnKeyDown = [this](QObject*, platform::Word& key, platform::TShiftState shift) {
        sgdAcountUnitArchivesKeyDown(key, shift);
    };
    g->OnKeyPress = [this](QObject*, char32_t& key) { sgdAcountUnitArchivesKeyPress(key); };
    g->OnSelectCell = [this](QObject*, int col, int row, bool& canSelect) {
        sgdAcountUnitArchivesSelectCell(col, row, canSelect);
    };
}

// ---- start-up

void TfrmAcountUnitArchives::FormCreate() {
    TFrmBase::FormCreate();
    if (form_ == Form::Dialog && mode_ == "cm") {
        setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint);
        setFixedSize(644, 500);
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect desktop = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
        move(desktop.center() - QPoint(644 / 2, 500 / 2));
    }
    setEditingButtonsVisible(false);
    // Any failure is shown and ends the start-up early; the window is shown all the same.
    platform::guarded(this, [&] { startUp(); });
}

void TfrmAcountUnitArchives::startUp() {
    plugin::HostContext& context = plugin::hostContext();
    const plugin::ICoorDisp service(context.DataService);
    const platform::WindowHandle self = platform::handleOf(this);
    std::string joined;

    dream_ = std::make_unique<plugin::TDreamClass>(service, self);

    platform::Variant statement;
    if (!service.GetServerDateTime(statement)) {
        plugin::ShowMessageList(self, statement, {}, joined);
        return;
    }
    const std::string now = statement.toString();
    ServerDate = now.substr(0, std::min<std::size_t>(8, now.size()));
    ServerTime = now.size() > 8 ? now.substr(8, 6) : std::string();

    statement = platform::Variant();
    if (!service.OpenQuery(sql::selectOperatorName(context.OperatorCode), statement)) {
        plugin::ShowMessageList(self, statement, {}, joined);
        return;
    }
    Cdset.setData(statement);
    OperatorName = Cdset.IsEmpty() ? context.OperatorCode : Cdset.FieldByName("f_zymc").AsString();
    Cdset.Close();

    statement = platform::Variant();
    if (!service.GetSysParams(statement)) {
        plugin::ShowMessageList(self, statement, {}, joined);
        return;
    }
    Cdset.setData(statement);
    if (!Cdset.Locate("f_Csmc", "dwlx", true)) {
        Cdset.Close();
        platform::MessageBox(self, "没有可利用的单位类型！", "错误",
                             platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    UnitType = Cdset.FieldByName("f_csz").AsString();
    HeadOfficeCode = Cdset.Locate("f_Csmc", "zbbm", true) ? Cdset.FieldByName("f_csz").AsString()
                                                          : std::string();
    DchyFlag = Cdset.Locate("f_Csmc", "dchy", true) && Cdset.FieldByName("f_csz").AsString() == "1";
    Cdset.Close();

    if (UnitType == "00" && DchyFlag && context.JobFlag == "job")
        UnitType = "01";
    if (UnitType == "00" && plugin::IsHeadOffice(HeadOfficeCode))
        setEditingButtonsVisible(true);

    store_ = std::make_unique<TAcountUnitArchivesClass>(*this);
    rows_->attach(store_.get(), UnitType == "00");
    startupCompleted_ = true;
}

// ---- showing, keys, closing

void TfrmAcountUnitArchives::showEvent(QShowEvent* event) {
    TFrmBase::showEvent(event);
    if (event->spontaneous())
        return; // restored by the window system, not shown by the program
    platform::guarded(this, [&] { FormShow(); });
}

void TfrmAcountUnitArchives::FormShow() {
    rows_->reloadOnShow();
}

void TfrmAcountUnitArchives::FormKeyDown(platform::Word& Key, platform::TShiftState Shift) {
    if (Shift.contains(platform::ShiftFlag::Ctrl)) {
        switch (Key) {
        case 'A':
            btnAddClick();
            break;
        case 'D':
            btnDeleteClick();
            break;
        case 'I':
            btnInsertClick();
            break;
        case 'P':
            btnPrintClick();
            break;
        case 'R':
            btnRefreshClick();
            break;
        case 'V':
            btnPreviewClick();
            break;
        default:
            break;
        }
    }
    if (Key == platform::VK_ESCAPE)
        btnExitClick();
}

void TfrmAcountUnitArchives::btnExitClick() {
    close();
}

void TfrmAcountUnitArchives::ToolButton1Click() {
    RopHelp->ApplicationWindow = plugin::applicationWindow();
    RopHelp->ShowPopup();
}

void TfrmAcountUnitArchives::FormClose(plugin::TCloseAction& Action) {
    // Typed input is written (or the close refused) before the window goes.
    if (!rows_->mayClose()) {
        Action = plugin::TCloseAction::caNone;
        return;
    }
    rows_->detach();
    store_.reset();
    TFrmBase::FormClose(Action);
    dream_.reset();
}

// ---- commands and grid handlers: the row workflow's

void TfrmAcountUnitArchives::btnAddClick() {
    rows_->addRow();
}

void TfrmAcountUnitArchives::btnInsertClick() {
    rows_->insertRow();
}

void TfrmAcountUnitArchives::btnDeleteClick() {
    rows_->deleteRow();
}

void TfrmAcountUnitArchives::btnRefreshClick() {
    rows_->refresh();
}

void TfrmAcountUnitArchives::sgdAcountUnitArchivesKeyDown(platform::Word& Key,
                                                          platform::TShiftState Shift) {
    rows_->keyDown(Key, Shift);
}

void TfrmAcountUnitArchives::sgdAcountUnitArchivesKeyPress(char32_t& Key) {
    rows_->keyPress(Key);
}

void TfrmAcountUnitArchives::sgdAcountUnitArchivesSelectCell(int ACol, int ARow, bool& CanSelect) {
    rows_->selectCell(ACol, ARow, CanSelect);
}

// ---- preview and print

void TfrmAcountUnitArchives::storeReportVariables() {
    setReportVariable("Oper", OperatorName);
    setReportVariable("Date", ServerDate);
    setReportVariable("Time", ServerTime);
    setReportVariable("Title", windowTitle().toStdString());
}

// The window turns its title row black for the time of a preview or print and white again
// after; an error on the way leaves it black (the window's guard shows the error). The
// printout's black titles come from the report's grid option, not from this.
void TfrmAcountUnitArchives::setTitleFontColor(platform::TColor color) {
    platform::TFont font = sgdAcountUnitArchives->TitleFont();
    font.Color = color;
    sgdAcountUnitArchives->setTitleFont(font);
}

void TfrmAcountUnitArchives::btnPreviewClick() {
    storeReportVariables();
    setTitleFontColor(platform::clBlack);
    RMFormReport1->PreviewFromControls();
    setTitleFontColor(platform::clWhite);
    sgdAcountUnitArchives->Refresh();
}

void TfrmAcountUnitArchives::btnPrintClick() {
    report::TRMPrinterOutput printer;
    printTo(printer);
}

void TfrmAcountUnitArchives::printTo(report::TRMReportOutput& output) {
    if (platform::MessageBox(platform::handleOf(this), "请准备好打印机，进行打印!", "提示",
                             platform::MB_OKCANCEL | platform::MB_ICONINFORMATION) !=
        platform::IDOK)
        return;
    storeReportVariables();
    setTitleFontColor(platform::clBlack);
    RMFormReport1->PrintFromControls(output);
    setTitleFontColor(platform::clWhite);
    sgdAcountUnitArchives->Refresh();
}

qintptr TfrmAcountUnitArchives::WMPrintToFile(quintptr format, const char* path) {
    const char* mask = format == HSDW_PRINT_FILE_PDF    ? "*.pdf"
                       : format == HSDW_PRINT_FILE_XLSX ? "*.xlsx"
                                                        : nullptr;
    report::TRMFileFormat* filter = nullptr;
    for (report::TRMFileFormat* f : report::exportFilters())
        if (mask != nullptr && f->fileMask() == mask) {
            filter = f;
            break;
        }
    if (filter == nullptr || *path == '\0')
        return HSDW_PRINT_FILE_REFUSED;

    // The print command with the file as its output, in place of the printer.
    const std::string fileName(path);
    report::TRMFileOutput file(*filter, fileName);
    printTo(file);
    if (!file.Delivered())
        return HSDW_PRINT_FILE_NOTHING;
    const report::TRMExportResult& done = file.Result();
    if (done.status == report::TRMExportStatus::Exported)
        return HSDW_PRINT_FILE_WRITTEN;
    platform::MessageBox(platform::handleOf(this),
                         done.message.empty() ? "无法写入 " + fileName : done.message, "提示",
                         platform::MB_OK | platform::MB_ICONERROR);
    return HSDW_PRINT_FILE_FAILED;
}

// ---- store site

plugin::ICoorDisp TfrmAcountUnitArchives::dataService() const {
    return plugin::ICoorDisp(plugin::hostContext().DataService);
}

platform::WindowHandle TfrmAcountUnitArchives::windowHandle() const {
    return platform::handleOf(const_cast<TfrmAcountUnitArchives*>(this));
}

platform::WindowHandle TfrmAcountUnitArchives::applicationWindow() const {
    return plugin::applicationWindow();
}

void TfrmAcountUnitArchives::clearRefusedRow() {
    rows_->clearRefusedRow();
}

void TfrmAcountUnitArchives::focusGrid() {
    sgdAcountUnitArchives->SetFocus();
}

} // namespace archive
