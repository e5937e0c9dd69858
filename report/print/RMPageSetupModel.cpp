#include "report/print/RMPageSetupModel.h"

#include <cmath>

namespace report {

TRMPageSetupModel::TRMPageSetupModel(TRMCustomPrinter& printer, TRMPageSetting& setting)
    : printer_(printer)
    , setting_(setting)
    , printerItem_(printer.PrinterIndex()) {
    if (!setting.PrinterName.empty()) {
        const int named = printer.Printers().IndexOfName(setting.PrinterName);
        if (printer.Printers().LoadInfo(named))
            printerItem_ = named;
    }
}

const TRMPrinterInfo& TRMPageSetupModel::info() const {
    return printer_.Printers().Info(printerItem_);
}

std::vector<std::string> TRMPageSetupModel::PrinterItems() const {
    std::vector<std::string> items;
    for (int i = 0; i < printer_.Printers().Count(); ++i)
        items.push_back(printer_.Printers().Name(i));
    return items;
}

bool TRMPageSetupModel::ChoosePrinter(int item, std::string* error) {
    if (item < 0 || item >= printer_.Printers().Count() ||
        !printer_.Printers().LoadInfo(item, error))
        return false;
    printerItem_ = item;
    setting_.PrinterName = printer_.Printers().Name(item);
    return true;
}

int TRMPageSetupModel::PaperItem() const {
    const TRMPrinterInfo& i = info();
    const int index = i.PaperIndex(setting_.PaperSize == 256 ? i.CustomCode() : setting_.PaperSize);
    return index >= 0 ? index : static_cast<int>(i.PaperCodes.size()) - 1;
}

void TRMPageSetupModel::ChoosePaper(int item) {
    const TRMPrinterInfo& i = info();
    if (item < 0 || item >= static_cast<int>(i.PaperCodes.size()))
        return;
    const auto p = static_cast<std::size_t>(item);
    setting_.PaperSize = i.PaperCodes[p];
    if (i.PaperWidths[p] <= 0 || i.PaperHeights[p] <= 0)
        return; // the custom entry: the size stays as typed
    const bool landscape = setting_.Orientation() == 1;
    setting_.PaperWidth = landscape ? i.PaperHeights[p] : i.PaperWidths[p];
    setting_.PaperHeight = landscape ? i.PaperWidths[p] : i.PaperHeights[p];
}

bool TRMPageSetupModel::SizeEditable() const {
    return info().IsCustomSize(setting_.PaperSize);
}

void TRMPageSetupModel::SetWidthCm(double cm) {
    setting_.PaperWidth = static_cast<std::int32_t>(std::lround(cm * 100));
}

void TRMPageSetupModel::SetHeightCm(double cm) {
    setting_.PaperHeight = static_cast<std::int32_t>(std::lround(cm * 100));
}

int TRMPageSetupModel::BinItem() const {
    return std::max(0, info().BinIndex(setting_.Bin));
}

void TRMPageSetupModel::ChooseBin(int item) {
    const TRMPrinterInfo& i = info();
    if (item >= 0 && item < static_cast<int>(i.BinCodes.size()))
        setting_.Bin = i.BinCodes[static_cast<std::size_t>(item)];
}

bool TRMPageSetupModel::Accept(const std::function<bool()>& raiseMargins, std::string* error) {
    if (!printer_.SelectIndex(printerItem_, error))
        return false;
    const bool landscape = setting_.Orientation() == 1;
    printer_.SetPrinterInfo(setting_.PaperSize,
                            landscape ? setting_.PaperHeight : setting_.PaperWidth,
                            landscape ? setting_.PaperWidth : setting_.PaperHeight,
                            setting_.Orientation(), setting_.Bin);
    const TRMCustomPrinter::Edges edges = printer_.UnprintableEdges();
    const bool outside = setting_.MarginLeft() < edges.left || setting_.MarginTop() < edges.top ||
                         setting_.MarginRight() < edges.right ||
                         setting_.MarginBottom() < edges.bottom;
    if (outside && raiseMargins && raiseMargins()) {
        // One decimal as the dialog shows it; still inside the printable area.
        auto raised = [](double margin, double edge) {
            return margin < edge ? std::round((edge + 0.5) * 10) / 10 : margin;
        };
        setting_.SetMarginLeft(raised(setting_.MarginLeft(), edges.left));
        setting_.SetMarginTop(raised(setting_.MarginTop(), edges.top));
        setting_.SetMarginRight(raised(setting_.MarginRight(), edges.right));
        setting_.SetMarginBottom(raised(setting_.MarginBottom(), edges.bottom));
    }
    return true;
}

} // namespace report
