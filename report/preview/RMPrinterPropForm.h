#pragma once

// The printer's own settings for the next job: paper (media), tray, orientation and
// two-sided printing, as the print system offers them for that printer.

#include "report/print/RMPrinter.h"

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QPushButton;
class QRadioButton;

namespace report {

class TRMPrinterPropModel {
public:
    explicit TRMPrinterPropModel(TRMCustomPrinter& printer);

    // Papers without the custom entry (its size is set in the page setup).
    const std::vector<std::string>& PaperItems() const { return papers_; }
    const std::vector<std::string>& BinItems() const { return printer_.Info().BinNames; }
    const std::vector<std::string>& DuplexItems() const { return duplexNames_; }
    int PaperItem = 0;
    int BinItem = 0;
    int Orientation = 0;
    int DuplexItem = 0;

    // Writes the choices into the printer's device settings.
    void Apply();

private:
    TRMCustomPrinter& printer_;
    std::vector<std::string> papers_;
    std::vector<std::string> duplexNames_;
};

class TRMPrinterPropForm : public QDialog {
    Q_OBJECT
public:
    TRMPrinterPropForm(TRMCustomPrinter& printer, QWidget* owner = nullptr);

    TRMPrinterPropModel& Model() { return model_; }

    QComboBox* cmbPapers;
    QComboBox* cmbBins;
    QRadioButton *rdbPortrait, *rdbLandscape;
    QComboBox* cmbDuplex;
    QPushButton *btnOK, *btnCancel;

protected:
    void accept() override;

private:
    TRMPrinterPropModel model_;
};

// Shows the properties of the selected printer; true when the user chose OK.
bool ShowPrinterPropForm(QWidget* owner, TRMCustomPrinter& printer);

} // namespace report
