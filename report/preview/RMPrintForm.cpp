#include "report/preview/RMPrintForm.h"

#include "platform/EngineTexts.h"
#include "platform/Guard.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "report/preview/RMEngineFont.h"
#include "report/preview/RMPrinterPropForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

namespace report {

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

// Two small stacks of sheets: each a whole set (1 on top) when collated, one page
// repeated per stack when not.
QPixmap collatePicture(bool collated) {
    QPixmap pixmap(96, 40);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    QFont font = engineFont();
    font.setPixelSize(9);
    p.setFont(font);
    for (int stack = 0; stack < 2; ++stack)
        for (int sheet = 2; sheet >= 0; --sheet) {
            const int number = collated ? sheet + 1 : stack + 1;
            const QRect r(4 + stack * 48 + sheet * 7, 4 + sheet * 4, 20, 26);
            p.setPen(Qt::black);
            p.setBrush(Qt::white);
            p.drawRect(r);
            p.drawText(r, Qt::AlignCenter, QString::number(number));
        }
    return pixmap;
}

template <class Fn>
void onSignal(QWidget* owner, Fn&& fn) {
    platform::guarded(owner, std::forward<Fn>(fn));
}

} // namespace

TRMPrintForm::TRMPrintForm(TRMCustomPrinter& printer, const TRMPrintDialogSettings& settings,
                           QWidget* owner)
    : QDialog(owner)
    , model_(std::make_unique<TRMPrintDialogModel>(printer, settings)) {
    setObjectName("RMPrintForm");
    setWindowTitle(engineQText(45040));
    applyEngineFont(*this);

    GroupBox1 = new QGroupBox(engineQText(45041), this);
    cmbPrinters = new QComboBox(GroupBox1);
    cmbPrinters->setObjectName("cmbPrinters");
    cmbPrinters->setMinimumWidth(240);
    btnPrinterProp = new QPushButton(engineQText(45042), GroupBox1);
    btnPrinterProp->setObjectName("btnPrinterProp");
    lblStatus = new QLabel(GroupBox1);
    lblType = new QLabel(GroupBox1);
    lblPosition = new QLabel(GroupBox1);
    lblCommon = new QLabel(GroupBox1);
    chkTaoda = new QCheckBox(engineQText(45375), GroupBox1);
    chkTaoda->setObjectName("chkTaoda");
    auto* printerGrid = new QGridLayout(GroupBox1);
    printerGrid->addWidget(new QLabel(engineQText(45041) + ":", GroupBox1), 0, 0);
    printerGrid->addWidget(cmbPrinters, 0, 1);
    printerGrid->addWidget(btnPrinterProp, 0, 2);
    const std::pair<int, QLabel*> details[] = {
        {45056, lblStatus}, {45057, lblType}, {45058, lblPosition}, {46831, lblCommon}};
    int row = 1;
    for (const auto& [id, label] : details) {
        printerGrid->addWidget(new QLabel(engineQText(id), GroupBox1), row, 0);
        printerGrid->addWidget(label, row++, 1, 1, 2);
    }
    printerGrid->addWidget(chkTaoda, row, 1, 1, 2);

    auto* GroupBox3 = new QGroupBox(engineQText(45043), this);
    edtCopies = new QSpinBox(GroupBox3);
    edtCopies->setObjectName("edtCopies");
    edtCopies->setRange(1, 9999);
    chkCollate = new QCheckBox(engineQText(45051), GroupBox3);
    chkCollate->setObjectName("chkCollate");
    imgCollate = new QLabel(GroupBox3);
    auto* copiesLayout = new QGridLayout(GroupBox3);
    copiesLayout->addWidget(new QLabel(engineQText(45050), GroupBox3), 0, 0);
    copiesLayout->addWidget(edtCopies, 0, 1);
    copiesLayout->addWidget(imgCollate, 1, 0);
    copiesLayout->addWidget(chkCollate, 1, 1);

    auto* GroupBox2 = new QGroupBox(engineQText(45044), this);
    rdbPrintAll = new QRadioButton(engineQText(45045), GroupBox2);
    rdbPrintAll->setObjectName("rdbPrintAll");
    rbdPrintCurPage = new QRadioButton(engineQText(45046), GroupBox2);
    rbdPrintCurPage->setObjectName("rbdPrintCurPage");
    rbdPrintPapges = new QRadioButton(engineQText(45047), GroupBox2);
    rbdPrintPapges->setObjectName("rbdPrintPapges");
    edtPages = new QLineEdit(GroupBox2);
    edtPages->setObjectName("edtPages");
    edtPages->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9,\\-]*")), edtPages));
    auto* pagesHint = new QLabel(engineQText(45048), GroupBox2);
    pagesHint->setWordWrap(true);
    auto* pagesLayout = new QGridLayout(GroupBox2);
    pagesLayout->addWidget(rdbPrintAll, 0, 0);
    pagesLayout->addWidget(rbdPrintCurPage, 1, 0);
    pagesLayout->addWidget(rbdPrintPapges, 2, 0);
    pagesLayout->addWidget(edtPages, 2, 1);
    pagesLayout->addWidget(pagesHint, 3, 0, 1, 2);

    cmbPrintAll = new QComboBox(this);
    cmbPrintAll->setObjectName("cmbPrintAll");
    for (int id : {45053, 45054, 45055})
        cmbPrintAll->addItem(engineQText(id));

    auto* GroupBox4 = new QGroupBox(engineQText(46860), this);
    cmbScalePapers = new QComboBox(GroupBox4);
    cmbScalePapers->setObjectName("cmbScalePapers");
    edtScale = new QSpinBox(GroupBox4);
    edtScale->setObjectName("edtScale");
    edtScale->setRange(1, 1000);
    edtScale->setSuffix(QStringLiteral("%"));
    auto* scaleLayout = new QFormLayout(GroupBox4);
    scaleLayout->addRow(engineQText(46861), cmbScalePapers);
    auto* lblScale = new QLabel(engineQText(46863), GroupBox4);
    scaleLayout->addRow(lblScale, edtScale);

    auto* GroupBox5 = new QGroupBox(engineQText(45414), this);
    edtOffsetTop = new QDoubleSpinBox(GroupBox5);
    edtOffsetTop->setObjectName("edtOffsetTop");
    edtOffsetLeft = new QDoubleSpinBox(GroupBox5);
    edtOffsetLeft->setObjectName("edtOffsetLeft");
    for (QDoubleSpinBox* edit : {edtOffsetTop, edtOffsetLeft}) {
        edit->setDecimals(1);
        edit->setRange(-100, 100);
        edit->setSingleStep(0.1);
    }
    auto* offsetLayout = new QFormLayout(GroupBox5);
    offsetLayout->addRow(engineQText(45370), edtOffsetTop);
    offsetLayout->addRow(engineQText(45404), edtOffsetLeft);

    btnOK = new QPushButton(engineQText(47000), this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton(engineQText(47001), this);
    btnCancel->setObjectName("btnCancel");

    auto* grid = new QGridLayout(this);
    grid->addWidget(GroupBox1, 0, 0, 1, 2);
    grid->addWidget(GroupBox2, 1, 0);
    grid->addWidget(GroupBox3, 1, 1);
    auto* parity = new QHBoxLayout;
    parity->addWidget(new QLabel(engineQText(45052), this));
    parity->addWidget(cmbPrintAll, 1);
    grid->addLayout(parity, 2, 0);
    grid->addWidget(GroupBox4, 3, 0);
    grid->addWidget(GroupBox5, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 4, 0, 1, 2);

    // Fill from the model.
    const TRMPrintDialogModel& m = *model_;
    for (const std::string& name : m.PrinterItems())
        cmbPrinters->addItem(q(name));
    cmbPrinters->setCurrentIndex(m.PrinterItem());
    edtCopies->setValue(m.Copies);
    chkCollate->setChecked(m.Collate);
    chkTaoda->setChecked(m.Stationery);
    rdbPrintAll->setChecked(true);
    rbdPrintCurPage->setEnabled(m.CurrentPageAllowed());
    edtScale->setValue(m.ScalePercent());
    edtOffsetTop->setValue(m.OffsetTopMm / 10);
    edtOffsetLeft->setValue(m.OffsetLeftMm / 10);
    refreshPrinter();
    refreshCollatePicture();

    connect(cmbPrinters, &QComboBox::activated, this,
            [this] { onSignal(this, [this] { cmbPrintersChange(); }); });
    connect(btnPrinterProp, &QPushButton::clicked, this,
            [this] { onSignal(this, [this] { btnPrinterPropClick(); }); });
    connect(chkCollate, &QCheckBox::toggled, this,
            [this] { onSignal(this, [this] { refreshCollatePicture(); }); });
    connect(edtPages, &QLineEdit::textEdited, this,
            [this] { onSignal(this, [this] { edtPagesChange(); }); });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TRMPrintForm::~TRMPrintForm() = default;

void TRMPrintForm::refreshPrinter() {
    const TRMPrinterDetails details = model_->Details();
    lblStatus->setText(q(details.status));
    lblType->setText(q(details.type));
    lblPosition->setText(q(details.position));
    lblCommon->setText(q(details.comment));
    cmbScalePapers->clear();
    for (const std::string& name : model_->ScalePaperItems())
        cmbScalePapers->addItem(q(name));
    cmbScalePapers->setCurrentIndex(model_->ScalePaperItem);
}

void TRMPrintForm::refreshCollatePicture() {
    imgCollate->setPixmap(collatePicture(chkCollate->isChecked()));
}

void TRMPrintForm::cmbPrintersChange() {
    std::string error;
    if (!model_->SelectPrinterItem(cmbPrinters->currentIndex(), &error)) {
        cmbPrinters->setCurrentIndex(model_->PrinterItem());
        platform::MessageBox(this, platform::engineText(47210) + "\n" + error,
                             platform::engineText(47206), platform::MB_OK | platform::MB_ICONERROR);
    }
    refreshPrinter();
}

void TRMPrintForm::btnPrinterPropClick() {
    ShowPrinterPropForm(this, RMPrinter());
    refreshPrinter();
}

void TRMPrintForm::edtPagesChange() {
    if (model_->SetPageText(edtPages->text().toStdString()))
        rbdPrintPapges->setChecked(true);
    else
        edtPages->setText(q(model_->PageText()));
}

void TRMPrintForm::takeFromWidgets() {
    TRMPrintDialogModel& m = *model_;
    m.Copies = edtCopies->value();
    m.Collate = chkCollate->isChecked();
    m.Stationery = chkTaoda->isChecked();
    m.PageChoice = rbdPrintCurPage->isChecked()  ? TRMPrintDialogModel::pcCurrent
                   : rbdPrintPapges->isChecked() ? TRMPrintDialogModel::pcNumbers
                                                 : TRMPrintDialogModel::pcAll;
    m.Parity = cmbPrintAll->currentIndex();
    m.ScalePaperItem = std::max(0, cmbScalePapers->currentIndex());
    m.ScaleText = edtScale->cleanText().toStdString();
    m.OffsetTopMm = edtOffsetTop->value() * 10;
    m.OffsetLeftMm = edtOffsetLeft->value() * 10;
}

void TRMPrintForm::accept() {
    platform::guarded(this, [this] {
        takeFromWidgets();
        QDialog::accept();
    });
}

void TRMPrintForm::reject() {
    platform::guarded(this, [this] { model_->Cancel(); });
    QDialog::reject();
}

bool ShowPrintForm(QWidget* owner, const TRMPrintDialogSettings& settings,
                   TRMPrintRunOptions& options, bool* offsetsChanged) {
    TRMPrintForm form(RMPrinter(), settings, owner);
    if (platform::execModal(form) != QDialog::Accepted)
        return false;
    options = form.Model().Options();
    if (offsetsChanged != nullptr)
        *offsetsChanged = form.Model().OffsetsChanged();
    return true;
}

} // namespace report
