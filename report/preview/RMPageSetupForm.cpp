#include "report/preview/RMPageSetupForm.h"

#include "platform/EngineTexts.h"
#include "platform/Guard.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "report/preview/RMEngineFont.h"
#include "report/preview/RMPageImage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace report {

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

// A sheet with the letter A, upright or turned, beside the orientation buttons.
QPixmap orientationPicture(bool landscape) {
    QPixmap pixmap(40, 40);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QRect sheet = landscape ? QRect(4, 10, 32, 22) : QRect(9, 4, 22, 32);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    QFont font = engineFont();
    font.setPixelSize(16);
    font.setBold(true);
    p.setFont(font);
    p.drawText(sheet, Qt::AlignCenter, QStringLiteral("A"));
    return pixmap;
}

QDoubleSpinBox* centimetres(QWidget* parent, int decimals, const char* name) {
    auto* edit = new QDoubleSpinBox(parent);
    edit->setObjectName(name);
    edit->setDecimals(decimals);
    edit->setRange(0, 9999);
    edit->setSingleStep(decimals == 1 ? 0.1 : 0.01);
    return edit;
}

template <class Fn>
auto slot(QWidget* owner, Fn fn) {
    return [owner, fn] { platform::guarded(owner, fn); };
}

} // namespace

TRMPageSetupForm::TRMPageSetupForm(TRMCustomPrinter& printer, TRMPageSetting& setting,
                                   QWidget* owner)
    : QDialog(owner)
    , model_(printer, setting) {
    setObjectName("RMPageSetupForm");
    setWindowTitle(engineQText(45390));
    applyEngineFont(*this);
    PageControl1 = new QTabWidget(this);

    // Paper.
    auto* TabSheet1 = new QWidget;
    cmbPrinterNames = new QComboBox(TabSheet1);
    cmbPrinterNames->setObjectName("cmbPrinterNames");
    edtTitle = new QLineEdit(TabSheet1);
    edtTitle->setObjectName("edtTitle");
    cmbPaperNames = new QComboBox(TabSheet1);
    cmbPaperNames->setObjectName("cmbPaperNames");
    edtWidth = centimetres(TabSheet1, 2, "edtWidth");
    edtHeight = centimetres(TabSheet1, 2, "edtHeight");
    auto* GroupBox2 = new QGroupBox(engineQText(45392), TabSheet1);
    rdbPortrait = new QRadioButton(engineQText(45393), GroupBox2);
    rdbPortrait->setObjectName("rdbPortrait");
    rdbLandscape = new QRadioButton(engineQText(45394), GroupBox2);
    rdbLandscape->setObjectName("rdbLandscape");
    imgPortrait = new QLabel(GroupBox2);
    imgPortrait->setPixmap(orientationPicture(false));
    imgLandscape = new QLabel(GroupBox2);
    imgLandscape->setPixmap(orientationPicture(true));
    auto* orientationLayout = new QHBoxLayout(GroupBox2);
    orientationLayout->addWidget(imgPortrait);
    orientationLayout->addWidget(rdbPortrait);
    orientationLayout->addWidget(imgLandscape);
    orientationLayout->addWidget(rdbLandscape);
    chkUnlimitedHeight = new QCheckBox(engineQText(45413), TabSheet1);
    chkUnlimitedHeight->setObjectName("chkUnlimitedHeight");
    auto* paperForm = new QFormLayout(TabSheet1);
    paperForm->addRow(engineQText(45371), cmbPrinterNames);
    paperForm->addRow(engineQText(45372), edtTitle);
    paperForm->addRow(engineQText(45395), cmbPaperNames);
    auto* size = new QHBoxLayout;
    size->addWidget(new QLabel(engineQText(45396), TabSheet1));
    size->addWidget(edtWidth);
    size->addWidget(new QLabel(engineQText(45397), TabSheet1));
    size->addWidget(edtHeight);
    paperForm->addRow(size);
    paperForm->addRow(GroupBox2);
    paperForm->addRow(chkUnlimitedHeight);
    PageControl1->addTab(TabSheet1, engineQText(45391));

    // Source.
    auto* TabSheet4 = new QWidget;
    lstBinNames = new QListWidget(TabSheet4);
    lstBinNames->setObjectName("lstBinNames");
    auto* binLayout = new QVBoxLayout(TabSheet4);
    binLayout->addWidget(new QLabel(engineQText(45412), TabSheet4));
    binLayout->addWidget(lstBinNames);
    PageControl1->addTab(TabSheet4, engineQText(45411));

    // Margins.
    auto* TabSheet2 = new QWidget;
    edtLeft = centimetres(TabSheet2, 1, "edtLeft");
    edtTop = centimetres(TabSheet2, 1, "edtTop");
    edtRight = centimetres(TabSheet2, 1, "edtRight");
    edtBottom = centimetres(TabSheet2, 1, "edtBottom");
    auto* marginForm = new QFormLayout(TabSheet2);
    marginForm->addRow(engineQText(45400), edtLeft);
    marginForm->addRow(engineQText(45401), edtTop);
    marginForm->addRow(engineQText(45402), edtRight);
    marginForm->addRow(engineQText(45403), edtBottom);
    PageControl1->addTab(TabSheet2, engineQText(45398));

    // Other.
    auto* TabSheet3 = new QWidget;
    auto* GroupBox1 = new QGroupBox(engineQText(45406), TabSheet3);
    chkPrintToPrevPage = new QCheckBox(engineQText(45407), GroupBox1);
    chkDoublePass = new QCheckBox(engineQText(45374), GroupBox1);
    chkDoublePass->setObjectName("chkDoublePass");
    chkTaoda = new QCheckBox(engineQText(45375), GroupBox1);
    chkTaoda->setObjectName("chkTaoda");
    chkPrintBackColor = new QCheckBox(engineQText(45369), GroupBox1);
    auto* options = new QVBoxLayout(GroupBox1);
    for (QCheckBox* box : {chkPrintToPrevPage, chkDoublePass, chkTaoda, chkPrintBackColor})
        options->addWidget(box);
    auto* GroupBox5 = new QGroupBox(engineQText(45408), TabSheet3);
    edtColumns = new QSpinBox(GroupBox5);
    edtColumns->setObjectName("edtColumns");
    edtColumns->setRange(0, 99);
    edtColumnGap = centimetres(GroupBox5, 1, "edtColumnGap");
    auto* columns = new QFormLayout(GroupBox5);
    columns->addRow(engineQText(45409), edtColumns);
    columns->addRow(engineQText(45410), edtColumnGap);
    auto* otherLayout = new QVBoxLayout(TabSheet3);
    otherLayout->addWidget(GroupBox1);
    otherLayout->addWidget(GroupBox5);
    otherLayout->addStretch();
    PageControl1->addTab(TabSheet3, engineQText(45405));

    auto* grbPreview = new QGroupBox(engineQText(45399), this);
    PageImage = new TRMPageImage(grbPreview);
    auto* previewLayout = new QVBoxLayout(grbPreview);
    previewLayout->addWidget(PageImage);

    btnOK = new QPushButton(engineQText(47000), this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton(engineQText(47001), this);
    btnCancel->setObjectName("btnCancel");
    auto* body = new QHBoxLayout;
    body->addWidget(PageControl1, 1);
    body->addWidget(grbPreview);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(buttons);

    // Fill from the setting.
    filling_ = true;
    const TRMPageSetting& s = model_.Setting();
    for (const std::string& name : model_.PrinterItems())
        cmbPrinterNames->addItem(q(name));
    cmbPrinterNames->setCurrentIndex(model_.PrinterItem());
    edtTitle->setText(q(s.Title));
    (s.Orientation() == 1 ? rdbLandscape : rdbPortrait)->setChecked(true);
    chkUnlimitedHeight->setChecked(s.UnlimitedHeight);
    edtLeft->setValue(s.MarginLeft() / 10);
    edtTop->setValue(s.MarginTop() / 10);
    edtRight->setValue(s.MarginRight() / 10);
    edtBottom->setValue(s.MarginBottom() / 10);
    chkPrintToPrevPage->setChecked(s.PrintToPrevPage);
    chkDoublePass->setChecked(s.DoublePass);
    chkTaoda->setChecked(s.Taoda);
    chkPrintBackColor->setChecked(s.PrintBackColor);
    edtColumns->setValue(s.PageColumns());
    edtColumnGap->setValue(s.ColumnGap() / 10);
    filling_ = false;
    showPrinter();

    connect(cmbPrinterNames, &QComboBox::activated, this,
            slot(this, [this] { cmbPrinterNamesChange(); }));
    connect(cmbPaperNames, &QComboBox::activated, this,
            slot(this, [this] { cmbPaperNamesChange(); }));
    connect(rdbPortrait, &QRadioButton::clicked, this, slot(this, [this] { orientationClick(); }));
    connect(rdbLandscape, &QRadioButton::clicked, this, slot(this, [this] { orientationClick(); }));
    for (QDoubleSpinBox* edit : {edtWidth, edtHeight})
        connect(edit, &QDoubleSpinBox::valueChanged, this, slot(this, [this] { sizeChange(); }));
    for (QDoubleSpinBox* edit : {edtLeft, edtTop, edtRight, edtBottom})
        connect(edit, &QDoubleSpinBox::valueChanged, this, slot(this, [this] { marginsChange(); }));
    connect(lstBinNames, &QListWidget::currentRowChanged, this, slot(this, [this] {
                if (!filling_)
                    model_.ChooseBin(lstBinNames->currentRow());
            }));
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TRMPageSetupForm::showPrinter() {
    filling_ = true;
    cmbPaperNames->clear();
    for (const std::string& name : model_.PaperItems())
        cmbPaperNames->addItem(q(name));
    lstBinNames->clear();
    for (const std::string& name : model_.BinItems())
        lstBinNames->addItem(q(name));
    lstBinNames->setCurrentRow(model_.BinItem());
    filling_ = false;
    showPaper();
}

void TRMPageSetupForm::showPaper() {
    filling_ = true;
    cmbPaperNames->setCurrentIndex(model_.PaperItem());
    edtWidth->setValue(model_.WidthCm());
    edtHeight->setValue(model_.HeightCm());
    edtWidth->setEnabled(model_.SizeEditable());
    edtHeight->setEnabled(model_.SizeEditable());
    filling_ = false;
    marginsChange();
}

void TRMPageSetupForm::cmbPrinterNamesChange() {
    std::string error;
    if (!model_.ChoosePrinter(cmbPrinterNames->currentIndex(), &error)) {
        cmbPrinterNames->setCurrentIndex(model_.PrinterItem());
        platform::MessageBox(this, platform::engineText(47210) + "\n" + error,
                             platform::engineText(47206), platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    showPrinter();
}

void TRMPageSetupForm::cmbPaperNamesChange() {
    model_.ChoosePaper(cmbPaperNames->currentIndex());
    showPaper();
}

void TRMPageSetupForm::orientationClick() {
    model_.SetOrientation(rdbLandscape->isChecked() ? 1 : 0);
    showPaper();
}

void TRMPageSetupForm::sizeChange() {
    if (filling_)
        return;
    model_.SetWidthCm(edtWidth->value());
    model_.SetHeightCm(edtHeight->value());
    marginsChange();
}

void TRMPageSetupForm::marginsChange() {
    if (filling_)
        return;
    const TRMPageSetting& s = model_.Setting();
    PageImage->SetPage(s.PaperWidth, s.PaperHeight, edtLeft->value() * 10, edtTop->value() * 10,
                       edtRight->value() * 10, edtBottom->value() * 10);
}

void TRMPageSetupForm::takeFromWidgets() {
    TRMPageSetting& s = model_.Setting();
    s.Title = edtTitle->text().toStdString();
    s.UnlimitedHeight = chkUnlimitedHeight->isChecked();
    s.SetMarginLeft(edtLeft->value() * 10);
    s.SetMarginTop(edtTop->value() * 10);
    s.SetMarginRight(edtRight->value() * 10);
    s.SetMarginBottom(edtBottom->value() * 10);
    s.PrintToPrevPage = chkPrintToPrevPage->isChecked();
    s.DoublePass = chkDoublePass->isChecked();
    s.Taoda = chkTaoda->isChecked();
    s.PrintBackColor = chkPrintBackColor->isChecked();
    s.SetPageColumns(edtColumns->value());
    s.SetColumnGap(edtColumnGap->value() * 10);
}

void TRMPageSetupForm::accept() {
    platform::guarded(this, [this] {
        takeFromWidgets();
        std::string error;
        const bool accepted = model_.Accept(
            [this] {
                return platform::MessageBox(
                           this, platform::engineText(45213), platform::engineText(47437),
                           platform::MB_YESNO | platform::MB_ICONWARNING) == platform::IDYES;
            },
            &error);
        if (!accepted) {
            platform::MessageBox(this, platform::engineText(47210), platform::engineText(47206),
                                 platform::MB_OK | platform::MB_ICONERROR);
            return;
        }
        QDialog::accept();
    });
}

bool ShowPageSetupForm(QWidget* owner, TRMPageSetting& setting) {
    TRMPageSetupForm form(RMPrinter(), setting, owner);
    return platform::execModal(form) == QDialog::Accepted;
}

} // namespace report
