#pragma once

// The print dialog without its widgets: printer choice (selected in the printer layer at
// once, given back on cancel), copies, collation, page choice, parity, scaling and print
// offsets, and the print options they make.

#include "report/print/RMPrintRun.h"
#include "report/print/RMPrinterStatus.h"

#include <string>
#include <vector>

namespace report {

// What the caller fills the dialog with (from the report and the preview).
struct TRMPrintDialogSettings {
    int copies = 1;          // the report's DefaultCopies
    bool collate = true;     // DefaultCollate
    bool stationery = false; // the report's pre-printed-stationery switch
    int offsetTop = 0;       // the report's print offsets, page pixels
    int offsetLeft = 0;
    bool currentPageAllowed = false; // opened from a preview
    int currentPage = 1;
    std::string jobTitle = "Untitled";
    std::string reportTitle;
};

class TRMPrintDialogModel {
public:
    TRMPrintDialogModel(TRMCustomPrinter& printer, const TRMPrintDialogSettings& settings);

    enum TPageChoice { pcAll, pcCurrent, pcNumbers };

    // cmbPrinters: item 0 the default-printer entry, item i >= 1 list position i + 1.
    std::vector<std::string> PrinterItems() const;
    int PrinterItem() const;
    static int PositionOfItem(int item) { return item == 0 ? 0 : item + 1; }
    // Selects the printer at once and rebuilds the scale papers; false (selection kept)
    // when the printer cannot be described.
    bool SelectPrinterItem(int item, std::string* error = nullptr);
    TRMPrinterDetails Details() const;

    // "无缩放" followed by the printer's papers except the last (custom) one.
    const std::vector<std::string>& ScalePaperItems() const { return scaleItems_; }
    int ScalePaperItem = 0;

    int Copies;
    bool Collate;
    bool Stationery;
    TPageChoice PageChoice = pcAll;
    bool CurrentPageAllowed() const { return settings_.currentPageAllowed; }
    const std::string& PageText() const { return pageText_; }
    // Takes the text only when it holds digits, "," and "-" alone; taking it chooses pcNumbers.
    bool SetPageText(const std::string& text);
    int Parity = 0; // 0 all, 1 odd, 2 even
    // Scale percentage as typed: not a number gives 100, below 1 gives 1.
    std::string ScaleText = "100";
    int ScalePercent() const;
    // Print offsets in millimetres (shown in centimetres with one decimal).
    double OffsetTopMm;
    double OffsetLeftMm;
    int OffsetTopPixels() const;
    int OffsetLeftPixels() const;
    bool OffsetsChanged() const;

    // OK: the options to print with.
    TRMPrintRunOptions Options() const;
    // Closing without OK: the printer selected when the dialog opened comes back.
    void Cancel();

private:
    void rebuildScalePapers();

    TRMCustomPrinter& printer_;
    TRMPrintDialogSettings settings_;
    int openedWith_;
    std::vector<std::string> scaleItems_;
    std::vector<int> scaleCodes_; // parallel to scaleItems_ from item 1
    std::string pageText_;
};

} // namespace report
