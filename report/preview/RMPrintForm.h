#pragma once

// The print dialog "打印": a thin window over TRMPrintDialogModel. Created for one use.

#include "report/print/RMPrintDialogModel.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace report {

class TRMPrintForm : public QDialog {
    Q_OBJECT
public:
    TRMPrintForm(TRMCustomPrinter& printer, const TRMPrintDialogSettings& settings,
                 QWidget* owner = nullptr);
    ~TRMPrintForm() override;

    TRMPrintDialogModel& Model() { return *model_; }

    QGroupBox* GroupBox1;
    QComboBox* cmbPrinters;
    QLabel *lblStatus, *lblType, *lblPosition, *lblCommon;
    QPushButton* btnPrinterProp;
    QCheckBox* chkTaoda;
    QSpinBox* edtCopies;
    QCheckBox* chkCollate;
    QLabel* imgCollate;
    QRadioButton *rdbPrintAll, *rbdPrintCurPage, *rbdPrintPapges;
    QLineEdit* edtPages;
    QComboBox* cmbPrintAll;
    QComboBox* cmbScalePapers;
    QSpinBox* edtScale;
    QDoubleSpinBox *edtOffsetTop, *edtOffsetLeft;
    QPushButton *btnOK, *btnCancel;

protected:
    void accept() override;
    void reject() override;

private:
    void cmbPrintersChange();
    void btnPrinterPropClick();
    void edtPagesChange();
    void refreshPrinter();
    void refreshCollatePicture();
    void takeFromWidgets();

    std::unique_ptr<TRMPrintDialogModel> model_;
};

// Shows the print dialog; on OK fills `options` (and tells whether the print offsets
// changed, so that the caller stores them with the report). False when cancelled.
bool ShowPrintForm(QWidget* owner, const TRMPrintDialogSettings& settings,
                   TRMPrintRunOptions& options, bool* offsetsChanged = nullptr);

} // namespace report
