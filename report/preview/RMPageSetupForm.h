#pragma once

// The page setup dialog "页面设置": paper, source, margins and other options on four tabs
// beside the paper picture. A thin window over TRMPageSetupModel; created for one use.

#include "report/print/RMPageSetupModel.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace report {

class TRMPageImage;

class TRMPageSetupForm : public QDialog {
    Q_OBJECT
public:
    TRMPageSetupForm(TRMCustomPrinter& printer, TRMPageSetting& setting, QWidget* owner = nullptr);

    TRMPageSetupModel& Model() { return model_; }

    QTabWidget* PageControl1;
    QComboBox* cmbPrinterNames;
    QLineEdit* edtTitle;
    QComboBox* cmbPaperNames;
    QDoubleSpinBox *edtWidth, *edtHeight;
    QRadioButton *rdbPortrait, *rdbLandscape;
    QLabel *imgPortrait, *imgLandscape;
    QCheckBox* chkUnlimitedHeight;
    QListWidget* lstBinNames;
    QDoubleSpinBox *edtLeft, *edtTop, *edtRight, *edtBottom;
    QCheckBox *chkPrintToPrevPage, *chkDoublePass, *chkTaoda, *chkPrintBackColor;
    QSpinBox* edtColumns;
    QDoubleSpinBox* edtColumnGap;
    TRMPageImage* PageImage;
    QPushButton *btnOK, *btnCancel;

protected:
    void accept() override;

private:
    void cmbPrinterNamesChange();
    void cmbPaperNamesChange();
    void orientationClick();
    void sizeChange();
    void marginsChange();
    void showPrinter();
    void showPaper();
    void takeFromWidgets();

    TRMPageSetupModel model_;
    bool filling_ = false;
};

// Shows the page setup for `setting`; true when the user chose OK (the setting then holds
// the choices and the printer layer has the chosen printer and paper).
bool ShowPageSetupForm(QWidget* owner, TRMPageSetting& setting);

} // namespace report
