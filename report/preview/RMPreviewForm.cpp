#include "report/preview/RMPreviewForm.h"

#include "platform/EngineTexts.h"
#include "platform/Guard.h"
#include "platform/Keys.h"
#include "platform/Modal.h"
#include "report/engine/model/RMReport.h"
#include "report/preview/RMEngineFont.h"
#include "report/preview/RMPreview.h"
#include "report/preview/RMPreviewIcons.h"
#include "report/preview/RMPreviewSettings.h"
#include "report/preview/RMReportPrinting.h"
#include "report/preview/RMSuperExpForm.h"
#include "report/print/RMPrinterList.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

namespace report {

namespace {

using platform::ShiftFlag;
using platform::TShiftState;

// Zoom box entries after the percentages, with the mode each stands for.
constexpr int zoomPercents[] = {200, 150, 100, 75, 50, 25, 10};
constexpr int zoomBoxPageWidth = 7, zoomBoxOnePage = 8, zoomBoxTwoPages = 9, zoomBoxPrinter = 10;

// Whole number of a typed text ("75", "75%"), nullopt otherwise.
std::optional<int> wholeNumber(QString text) {
    text = text.trimmed();
    if (text.endsWith('%'))
        text.chop(1);
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// Pops ProcMenu up on a right click of the pages.
class ContextMenuFilter : public QObject {
public:
    explicit ContextMenuFilter(TRMPreviewForm& form)
        : QObject(&form)
        , form_(form) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::ContextMenu)
            return false;
        const QPoint at = static_cast<QContextMenuEvent*>(event)->globalPos();
        platform::guarded(&form_, [&] {
            form_.updateProcMenu();
            form_.ProcMenu()->popup(at);
        });
        return true;
    }

private:
    TRMPreviewForm& form_;
};

} // namespace

TRMPreviewForm::TRMPreviewForm(QWidget* owner)
    : QDialog(owner) {
    setObjectName(SettingsClass);
    setWindowTitle("Print Preview");
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    resize(800, 600);

    // A main window inside the dialog gives the tool bar its docking edges; the dialog
    // itself keeps the modal loop that tests and callers drive.
    frame_ = new QMainWindow(this);
    frame_->setWindowFlags(Qt::Widget); // QMainWindow always makes itself a window
    frame_->setObjectName("frame");
    preview_ = new TRMPreview(frame_);
    frame_->setCentralWidget(preview_);
    lblStatus_ = new QLabel(frame_);
    lblStatus_->setObjectName("lblStatus");
    frame_->statusBar()->addWidget(lblStatus_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame_);

    buildToolBar();
    buildProcMenu();
    preview_->viewport()->installEventFilter(new ContextMenuFilter(*this));
    applyEngineFont(*this);

    preview_->OnStatusChange = [this] { updatePageControls(); };
    preview_->OnZoomChange = [this] {
        rememberZoom();
        updateZoomControls();
    };
    preview_->OnCaptionChange = [this](const std::string& caption) {
        setWindowTitle(QString::fromStdString(caption));
    };
    keyPreview_ = std::make_unique<platform::KeyPreview>(
        this, platform::KeyHandlers{[this](platform::Word& key, TShiftState shift) {
                                        formKeyDown(key, shift.bits());
                                    },
                                    {},
                                    {}});
}

TRMPreviewForm::~TRMPreviewForm() {
    keyPreview_.reset();
}

void TRMPreviewForm::buildToolBar() {
    toolBar_ = new QToolBar(QString::fromStdString(platform::engineText(45011)), frame_);
    toolBar_->setObjectName("ToolBar1");
    toolBar_->setFloatable(false);
    toolBar_->setIconSize(QSize(16, 16));
    frame_->addToolBar(Qt::TopToolBarArea, toolBar_);

    auto command = [this](TRMPreviewIcon icon, int hintId, std::function<void()> run) {
        QAction* a = toolBar_->addAction(previewIcon(icon), {});
        if (hintId != 0)
            a->setToolTip(engineQText(hintId));
        connect(a, &QAction::triggered, this,
                [this, run] { platform::guarded(this, [&] { run(); }); });
        return a;
    };

    cmbZoom = new QComboBox(toolBar_);
    cmbZoom->setObjectName("cmbZoom");
    cmbZoom->setEditable(true);
    cmbZoom->setInsertPolicy(QComboBox::NoInsert);
    cmbZoom->setFixedWidth(90);
    cmbZoom->setToolTip(engineQText(45007));
    for (int percent : zoomPercents)
        cmbZoom->addItem(QString::number(percent) + "%");
    for (int id : {46857, 46858, 46859, 46870})
        cmbZoom->addItem(engineQText(id));
    connect(cmbZoom, &QComboBox::activated, this,
            [this](int index) { platform::guarded(this, [&] { cmbZoomActivated(index); }); });
    connect(cmbZoom->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { platform::guarded(this, [&] { cmbZoomEntered(); }); });
    btnZoom = toolBar_->addWidget(cmbZoom);

    btnMagnifier = command(TRMPreviewIcon::Magnifier, 45008, [this] {
        preview_->SetMagnifier(btnMagnifier->isChecked());
        rememberedPreview().magnifier = btnMagnifier->isChecked();
    });
    btnMagnifier->setCheckable(true);
    btnOnePage = command(TRMPreviewIcon::OnePage, 46858, [this] { zoomByTag(2); });
    btn100 = command(TRMPreviewIcon::Zoom100, 0, [this] { zoomByTag(100); });
    btnPageWidth = command(TRMPreviewIcon::PageWidth, 46857, [this] { zoomByTag(1); });
    for (QAction* a : {btnOnePage, btn100, btnPageWidth})
        a->setCheckable(true);
    toolBar_->addSeparator();

    btnFirst = command(TRMPreviewIcon::First, 45032, [this] { preview_->First(); });
    btnPrior = command(TRMPreviewIcon::Prior, 45033, [this] { preview_->Prev(); });
    edtPageNo = new QLineEdit(toolBar_);
    edtPageNo->setObjectName("edtPageNo");
    edtPageNo->setFixedWidth(40);
    edtPageNo->setAlignment(Qt::AlignRight);
    connect(edtPageNo, &QLineEdit::returnPressed, this,
            [this] { platform::guarded(this, [&] { edtPageNoEntered(); }); });
    btnPageNo = toolBar_->addWidget(edtPageNo);
    btnNext = command(TRMPreviewIcon::Next, 45034, [this] { preview_->Next(); });
    btnLast = command(TRMPreviewIcon::Last, 45035, [this] { preview_->Last(); });
    toolBar_->addSeparator();

    btnFind = command(TRMPreviewIcon::Find, 45028, [this] { preview_->Find(); });
    btnOpen = command(TRMPreviewIcon::Open, 45025, [this] { preview_->Load(); });
    btnSave = command(TRMPreviewIcon::Save, 45026, [this] { preview_->Save(); });
    btnSuperExp = command(TRMPreviewIcon::SuperExport, 0, [this] { btnSuperExpClick(); });
    btnSuperExp->setToolTip("超级数据格式转换");
    btnSaveToXLS = command(TRMPreviewIcon::Excel, 45009, [this] { preview_->SaveToXLS(); });
    toolBar_->addSeparator();

    btnPrint = command(TRMPreviewIcon::Print, 45027, [this] { btnPrintClick(); });
    btnPageSetup = command(TRMPreviewIcon::PageSetup, 45024, [this] { btnPageSetupClick(); });
    btnDesign = command(TRMPreviewIcon::Design, 45010, [] {});
    // This system has no designer: the button shows when asked for but cannot act.
    btnDesign->setEnabled(false);
    toolBar_->addSeparator();

    btnExit = command(TRMPreviewIcon::Close, 45023, [this] { accept(); });
}

void TRMPreviewForm::buildProcMenu() {
    procMenu_ = new QMenu(this);
    procMenu_->setObjectName("ProcMenu");
    auto zoomItem = [this](const QString& caption, int tag) {
        QAction* a = procMenu_->addAction(caption);
        a->setCheckable(true);
        a->setData(tag);
        connect(a, &QAction::triggered, this,
                [this, tag] { platform::guarded(this, [&] { zoomByTag(tag); }); });
        return a;
    };
    itmScale200 = zoomItem("200%", 200);
    itmScale150 = zoomItem("150%", 150);
    itmScale100 = zoomItem("100%", 100);
    itmScaale75 = zoomItem("75%", 75);
    itmScale50 = zoomItem("50%", 50);
    itmScale25 = zoomItem("25%", 25);
    itmScale10 = zoomItem("10%", 10);
    itmPageWidth = zoomItem(engineQText(45020), 1);
    itmOnePage = zoomItem(engineQText(45021), 2);
    itmDoublePage = zoomItem(engineQText(45022), 3);
    procMenu_->addSeparator();
    itmPrint = procMenu_->addAction(engineQText(46866));
    connect(itmPrint, &QAction::triggered, this,
            [this] { platform::guarded(this, [&] { btnPrintClick(); }); });
    itmPrintCurrentPage = procMenu_->addAction(engineQText(45376));
    connect(itmPrintCurrentPage, &QAction::triggered, this,
            [this] { platform::guarded(this, [&] { btnPrintCurrentPageClick(); }); });
    procMenu_->addSeparator();
    QMenu* newPage = procMenu_->addMenu(engineQText(45030));
    itmNewPage = newPage->menuAction();
    InsertBefore1 = newPage->addAction(engineQText(46867));
    InsertAfter1 = newPage->addAction(engineQText(46868));
    Append1 = newPage->addAction(engineQText(46869));
    itmDeletePage = procMenu_->addAction(engineQText(45031));
    itmEditPage = procMenu_->addAction(engineQText(45029));
    // Page editing needs a designer, which this system does not have.
    for (QAction* a : {itmNewPage, itmDeletePage, itmEditPage})
        a->setVisible(false);
}

void TRMPreviewForm::Show_Report(TRMReport& report) {
    Show_Document(previewDocument(report));
}

void TRMPreviewForm::Show_Document(TRMPreviewDocument document) {
    const TRMPrintOptions options = document.Print.Options;
    preview_->ShowDocument(std::move(document));
    applyButtons(options.PreviewButtons);
    const TRMRememberedPreview remembered = rememberedPreview();
    switch (options.InitialZoom) {
    case pzPageWidth:
        zoomByTag(1);
        break;
    case pzOnePage:
        zoomByTag(2);
        break;
    default:
        if (remembered.mode == TRMScaleMode::Percent)
            preview_->Zoom(remembered.scale * 100);
        else
            preview_->model().setMode(remembered.mode);
        break;
    }
    btnMagnifier->setChecked(remembered.magnifier);
    preview_->SetMagnifier(remembered.magnifier);
    preview_->First();
    updateZoomControls();
    updatePageControls();
}

void TRMPreviewForm::applyButtons(std::uint16_t buttons) {
    using namespace previewbutton;
    btnZoom->setVisible(buttons & pbZoom);
    btnFind->setVisible(buttons & pbFind);
    btnOpen->setVisible(buttons & pbLoad);
    btnSave->setVisible(buttons & pbSave);
    btnSuperExp->setVisible(buttons & pbSuperExp);
    btnSaveToXLS->setVisible(buttons & pbSaveToXLS);
    btnPrint->setVisible(buttons & pbPrint);
    btnPageSetup->setVisible(buttons & pbPageSetup);
    btnDesign->setVisible(buttons & pbDesign);
    btnExit->setVisible(buttons & pbExit);
    itmPrint->setVisible(buttons & pbPrint);
    itmPrintCurrentPage->setVisible(buttons & pbPrint);
    const bool printers = TRMPrinterList::instance().HasRealPrinter();
    btnPrint->setEnabled(printers);

    // A separator shows only when something of the group behind it does.
    const QList<QAction*> actions = toolBar_->actions();
    for (int i = 0; i < actions.size(); ++i) {
        if (!actions[i]->isSeparator())
            continue;
        bool groupShown = false;
        for (int j = i + 1; j < actions.size() && !actions[j]->isSeparator(); ++j)
            groupShown = groupShown || actions[j]->isVisible();
        actions[i]->setVisible(groupShown);
    }
}

QString TRMPreviewForm::zoomText() const {
    const TRMPreviewModel& model = preview_->model();
    switch (model.mode()) {
    case TRMScaleMode::PageWidth:
        return cmbZoom->itemText(zoomBoxPageWidth);
    case TRMScaleMode::OnePage:
        return cmbZoom->itemText(zoomBoxOnePage);
    case TRMScaleMode::TwoPages:
        return cmbZoom->itemText(zoomBoxTwoPages);
    case TRMScaleMode::PrinterResolution:
        return cmbZoom->itemText(zoomBoxPrinter);
    case TRMScaleMode::Percent:
        break;
    }
    return QString::number(std::lround(model.scale() * 100)) + "%";
}

void TRMPreviewForm::updateZoomControls() {
    const TRMPreviewModel& model = preview_->model();
    btnOnePage->setChecked(model.mode() == TRMScaleMode::OnePage);
    btnPageWidth->setChecked(model.mode() == TRMScaleMode::PageWidth);
    btn100->setChecked(model.mode() == TRMScaleMode::Percent &&
                       std::abs(model.scale() - 1.0) < 1e-9);
    const QString text = zoomText();
    const int index = cmbZoom->findText(text);
    if (index >= 0)
        cmbZoom->setCurrentIndex(index);
    cmbZoom->setEditText(text);
}

void TRMPreviewForm::updatePageControls() {
    const TRMPreviewModel& model = preview_->model();
    if (!edtPageNo->hasFocus() || edtPageNo->text().isEmpty())
        edtPageNo->setText(QString::number(model.currentPage()));
    lblStatus_->setText(QString::fromStdString(model.statusText()));
}

void TRMPreviewForm::rememberZoom() {
    TRMRememberedPreview& remembered = rememberedPreview();
    remembered.mode = preview_->model().mode();
    remembered.scale = preview_->model().scale();
}

void TRMPreviewForm::zoomByTag(int tag) {
    switch (tag) {
    case 1:
        preview_->PageWidth();
        break;
    case 2:
        preview_->OnePage();
        break;
    case 3:
        preview_->TwoPages();
        break;
    default:
        preview_->Zoom(tag);
        break;
    }
    rememberZoom();
    updateZoomControls();
}

void TRMPreviewForm::cmbZoomActivated(int index) {
    if (index < 0)
        return;
    if (index < zoomBoxPageWidth) {
        zoomByTag(zoomPercents[index]);
        return;
    }
    switch (index) {
    case zoomBoxPageWidth:
        zoomByTag(1);
        break;
    case zoomBoxOnePage:
        zoomByTag(2);
        break;
    case zoomBoxTwoPages:
        zoomByTag(3);
        break;
    default:
        preview_->PrinterZoom();
        rememberZoom();
        updateZoomControls();
        break;
    }
}

void TRMPreviewForm::cmbZoomEntered() {
    const QString text = cmbZoom->currentText();
    const int index = cmbZoom->findText(text);
    if (index >= 0) {
        cmbZoomActivated(index);
        return;
    }
    zoomByTag(wholeNumber(text).value_or(100));
}

void TRMPreviewForm::edtPageNoEntered() {
    if (const std::optional<int> page = wholeNumber(edtPageNo->text()))
        preview_->GoToPage(*page);
    edtPageNo->setText(QString::number(preview_->CurPage()));
}

void TRMPreviewForm::updateProcMenu() {
    // The entry of the zoom box's choice is checked; a typed value checks 100 %.
    const QString text = cmbZoom->currentText();
    QAction* checked = itmScale100;
    const TRMScaleMode mode = preview_->model().mode();
    if (mode == TRMScaleMode::PageWidth)
        checked = itmPageWidth;
    else if (mode == TRMScaleMode::OnePage)
        checked = itmOnePage;
    else if (mode == TRMScaleMode::TwoPages)
        checked = itmDoublePage;
    else
        for (QAction* a : {itmScale200, itmScale150, itmScale100, itmScaale75, itmScale50,
                           itmScale25, itmScale10})
            if (a->text() == text)
                checked = a;
    for (QAction* a : procMenu_->actions())
        if (a->isCheckable())
            a->setChecked(a == checked);
    const bool printers = TRMPrinterList::instance().HasRealPrinter();
    itmPrint->setEnabled(printers);
    itmPrintCurrentPage->setEnabled(printers);
}

void TRMPreviewForm::btnPrintClick() {
    if (btnPrint->isEnabled())
        preview_->Print();
}

void TRMPreviewForm::btnPrintCurrentPageClick() {
    if (btnPrint->isEnabled())
        preview_->PrintCurrentPage();
}

void TRMPreviewForm::btnPageSetupClick() {
    preview_->PageSetup();
}

void TRMPreviewForm::btnSuperExpClick() {
    if (preview_->hasPages())
        ShowSuperExpForm(this, preview_->pages(), preview_->document().Print.ReportTitle);
}

void TRMPreviewForm::formKeyDown(std::uint16_t& key, std::uint8_t shiftBits) {
    using namespace platform;
    const TShiftState shift = TShiftState::fromBits(shiftBits);
    const bool ctrl = shift.contains(ShiftFlag::Ctrl);
    const bool alt = shift.contains(ShiftFlag::Alt);
    const bool editing = qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr;
    TRMPreviewModel& model = preview_->model();
    QScrollBar* vertical = preview_->verticalScrollBar();
    QScrollBar* horizontal = preview_->horizontalScrollBar();
    auto focusBar = [](QScrollBar* bar) {
        if (bar->isEnabled() && bar->isVisible())
            bar->setFocus();
    };
    auto consume = [&key] { key = 0; };

    switch (key) {
    case VK_UP:
    case VK_DOWN:
        model.scrollBy(0, key == VK_UP ? -model.smallStep() : model.smallStep());
        focusBar(vertical);
        return consume();
    case VK_LEFT:
    case VK_RIGHT:
        if (editing)
            return;
        model.scrollBy(key == VK_LEFT ? -model.smallStep() : model.smallStep(), 0);
        focusBar(horizontal);
        return consume();
    case VK_PRIOR:
    case VK_NEXT:
        if (ctrl) {
            key == VK_PRIOR ? preview_->Prev() : preview_->Next();
        } else {
            model.scrollBy(0, key == VK_PRIOR ? -model.largeStepY() : model.largeStepY());
            focusBar(vertical);
        }
        return consume();
    case VK_HOME:
        if (ctrl) {
            model.scrollTo(model.offsetX(), 0);
            return consume();
        }
        return;
    case VK_END:
        if (ctrl) {
            preview_->Last();
            return consume();
        }
        return;
    case VK_ESCAPE:
        accept();
        return consume();
    case VK_F3:
        preview_->FindNext();
        return consume();
    default:
        break;
    }
    if (!ctrl)
        return;
    switch (key) {
    case VK_A + ('O' - 'A'):
        if (btnOpen->isVisible())
            preview_->Load();
        return consume();
    case VK_A + ('S' - 'A'):
        if (btnSave->isVisible())
            preview_->Save();
        return consume();
    case VK_A + ('P' - 'A'):
        if (alt)
            btnPrintCurrentPageClick();
        else
            btnPrintClick();
        return consume();
    case VK_A + ('F' - 'A'):
        if (btnFind->isVisible())
            preview_->Find();
        return consume();
    case VK_A + ('E' - 'A'):
        // Edit page: its menu entry shows only with a designer.
        return consume();
    default:
        return;
    }
}

void TRMPreviewForm::showEvent(QShowEvent* event) {
    if (!placementRestored_) {
        placementRestored_ = true;
        platform::guarded(this, [&] {
            restoreFormPlacement(*this, SettingsClass);
            restoreToolBarPlacement(*frame_, *toolBar_);
        });
    }
    QDialog::showEvent(event);
}

void TRMPreviewForm::done(int result) {
    platform::guarded(this, [&] {
        if (placementRestored_) {
            saveFormPlacement(*this, SettingsClass);
            saveToolBarPlacement(*frame_, *toolBar_);
        }
    });
    QDialog::done(result);
}

void TRMPreviewForm::reject() {
    // Closing the window (Esc, its close box) ends it with the OK result.
    accept();
}

} // namespace report

namespace report {

void ShowPreviewWindow(TRMReport& report, QWidget* owner, const std::string& caption) {
    if (report.EMFPages.pageCount() == 0)
        return;
    ShowPreviewWindow(previewDocument(report), owner,
                      caption.empty() ? report.previewCaption() : caption);
}

void ShowPreviewWindow(TRMPreviewDocument document, QWidget* owner, const std::string& caption) {
    if (document.Pages == nullptr || document.Pages->pageCount() == 0)
        return;
    const QString title = QString::fromStdString(caption);
    if (document.Print.Options.ModalPreview && !document.Print.Options.MDIPreview) {
        TRMPreviewForm form(owner);
        form.setWindowTitle(title);
        form.Show_Document(std::move(document));
        platform::execModal(form);
        return;
    }
    auto* form = new TRMPreviewForm(owner);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->setWindowTitle(title);
    form->Show_Document(std::move(document));
    form->show();
}

void TRMPreviewWindowOutput::Deliver(TRMReport& report) {
    QWidget* owner = owner_;
    if (owner == nullptr)
        owner = QApplication::activeModalWidget() != nullptr ? QApplication::activeModalWidget()
                                                             : QApplication::activeWindow();
    ShowPreviewWindow(report, owner);
    QCoreApplication::processEvents();
}

} // namespace report
