#include "report/preview/RMPrinterPropForm.h"

#include "platform/Guard.h"
#include "platform/Modal.h"
#include "report/preview/RMEngineFont.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace report {

namespace {

const char* duplexName(int mode) {
    switch (mode) {
    case 2:
        return "双面打印（长边翻转）";
    case 3:
        return "双面打印（短边翻转）";
    default:
        return "单面打印";
    }
}

} // namespace

TRMPrinterPropModel::TRMPrinterPropModel(TRMCustomPrinter& printer)
    : printer_(printer) {
    const TRMPrinterInfo& info = printer.Info();
    for (std::size_t i = 0; i + 1 < info.PaperNames.size(); ++i)
        papers_.push_back(info.PaperNames[i]);
    for (int mode : info.DuplexModes)
        duplexNames_.emplace_back(duplexName(mode));
    PaperItem = std::max(
        0, std::min(info.PaperIndex(printer.PaperSize()), static_cast<int>(papers_.size()) - 1));
    BinItem = std::max(0, info.BinIndex(printer.Bin()));
    Orientation = printer.Orientation();
    const auto duplex =
        std::find(info.DuplexModes.begin(), info.DuplexModes.end(), printer.Duplex());
    DuplexItem =
        duplex == info.DuplexModes.end() ? 0 : static_cast<int>(duplex - info.DuplexModes.begin());
}

void TRMPrinterPropModel::Apply() {
    const TRMPrinterInfo& info = printer_.Info();
    if (PaperItem >= 0 && PaperItem < static_cast<int>(papers_.size())) {
        const auto i = static_cast<std::size_t>(PaperItem);
        const int bin = BinItem >= 0 && BinItem < static_cast<int>(info.BinCodes.size())
                            ? info.BinCodes[static_cast<std::size_t>(BinItem)]
                            : -1;
        printer_.SetPrinterInfo(info.PaperCodes[i], info.PaperWidths[i], info.PaperHeights[i],
                                Orientation == 1 ? 1 : 0, bin, true);
    }
    if (DuplexItem >= 0 && DuplexItem < static_cast<int>(info.DuplexModes.size()))
        printer_.SetDuplex(info.DuplexModes[static_cast<std::size_t>(DuplexItem)]);
}

TRMPrinterPropForm::TRMPrinterPropForm(TRMCustomPrinter& printer, QWidget* owner)
    : QDialog(owner)
    , model_(printer) {
    setObjectName("RMPrinterPropForm");
    setWindowTitle(QString::fromStdString(printer.DisplayName()) + " - " + engineQText(45042));
    applyEngineFont(*this);
    cmbPapers = new QComboBox(this);
    cmbPapers->setObjectName("cmbPapers");
    for (const std::string& name : model_.PaperItems())
        cmbPapers->addItem(QString::fromStdString(name));
    cmbPapers->setCurrentIndex(model_.PaperItem);
    cmbBins = new QComboBox(this);
    cmbBins->setObjectName("cmbBins");
    for (const std::string& name : model_.BinItems())
        cmbBins->addItem(QString::fromStdString(name));
    cmbBins->setCurrentIndex(model_.BinItem);
    auto* orientation = new QGroupBox(engineQText(45392), this);
    rdbPortrait = new QRadioButton(engineQText(45393), orientation);
    rdbLandscape = new QRadioButton(engineQText(45394), orientation);
    (model_.Orientation == 1 ? rdbLandscape : rdbPortrait)->setChecked(true);
    auto* orientationLayout = new QHBoxLayout(orientation);
    orientationLayout->addWidget(rdbPortrait);
    orientationLayout->addWidget(rdbLandscape);
    cmbDuplex = new QComboBox(this);
    cmbDuplex->setObjectName("cmbDuplex");
    for (const std::string& name : model_.DuplexItems())
        cmbDuplex->addItem(QString::fromStdString(name));
    cmbDuplex->setCurrentIndex(model_.DuplexItem);

    auto* form = new QFormLayout;
    form->addRow(engineQText(45395), cmbPapers);
    form->addRow(engineQText(45412), cmbBins);
    form->addRow(QStringLiteral("双面打印:"), cmbDuplex);
    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(engineQText(47000), QDialogButtonBox::AcceptRole);
    btnCancel = buttons->addButton(engineQText(47001), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(orientation);
    layout->addWidget(buttons);
}

void TRMPrinterPropForm::accept() {
    platform::guarded(this, [this] {
        model_.PaperItem = cmbPapers->currentIndex();
        model_.BinItem = cmbBins->currentIndex();
        model_.Orientation = rdbLandscape->isChecked() ? 1 : 0;
        model_.DuplexItem = cmbDuplex->currentIndex();
        model_.Apply();
        QDialog::accept();
    });
}

bool ShowPrinterPropForm(QWidget* owner, TRMCustomPrinter& printer) {
    TRMPrinterPropForm form(printer, owner);
    return platform::execModal(form) == QDialog::Accepted;
}

} // namespace report
