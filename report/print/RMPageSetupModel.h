#pragma once

// The page setup dialog without its widgets: printer and paper choice, size, orientation,
// bin, margins and columns on a TRMPageSetting, and the margin check against the chosen
// printer's unprintable edge when the user confirms.

#include "report/print/RMPageSetting.h"
#include "report/print/RMPrinter.h"

#include <functional>
#include <string>
#include <vector>

namespace report {

class TRMPageSetupModel {
public:
    TRMPageSetupModel(TRMCustomPrinter& printer, TRMPageSetting& setting);

    TRMPageSetting& Setting() { return setting_; }

    // cmbPrinterNames: the whole printer list.
    std::vector<std::string> PrinterItems() const;
    int PrinterItem() const { return printerItem_; }
    // Shows that printer's papers and bins; false when it cannot be described.
    bool ChoosePrinter(int item, std::string* error = nullptr);

    const std::vector<std::string>& PaperItems() const { return info().PaperNames; }
    int PaperItem() const;
    // Takes the paper's code and size (turned for landscape); the custom entry keeps the
    // size being edited.
    void ChoosePaper(int item);
    // Width and height are typed for custom sizes only.
    bool SizeEditable() const;
    // Centimetres as shown (size ÷ 100); typing stores the value × 100.
    double WidthCm() const { return setting_.PaperWidth / 100.0; }
    double HeightCm() const { return setting_.PaperHeight / 100.0; }
    void SetWidthCm(double cm);
    void SetHeightCm(double cm);
    void SetOrientation(std::uint8_t orientation) { setting_.SetOrientation(orientation); }

    const std::vector<std::string>& BinItems() const { return info().BinNames; }
    int BinItem() const;
    void ChooseBin(int item);

    // OK: selects the chosen printer, sets its paper, and asks `raiseMargins` when a margin
    // lies in the unprintable edge; Yes raises every such margin to the edge + 0.5 mm.
    // False (nothing changed) when the printer cannot be selected.
    bool Accept(const std::function<bool()>& raiseMargins, std::string* error = nullptr);

private:
    const TRMPrinterInfo& info() const;

    TRMCustomPrinter& printer_;
    TRMPageSetting& setting_;
    int printerItem_;
};

} // namespace report
