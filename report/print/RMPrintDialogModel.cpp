#include "report/print/RMPrintDialogModel.h"

#include "platform/EngineTexts.h"
#include "report/engine/model/RMUnits.h"
#include "report/print/RMPageList.h"

#include <charconv>
#include <cmath>

namespace report {

namespace {

double pixelsToMm(int pixels) {
    return std::round(RMFromScreenPixels(pixels, rmutMillimeters) * 10) / 10;
}

int mmToPixels(double mm) {
    return static_cast<int>(std::lround(RMToScreenPixels(mm, rmutMillimeters)));
}

} // namespace

TRMPrintDialogModel::TRMPrintDialogModel(TRMCustomPrinter& printer,
                                         const TRMPrintDialogSettings& settings)
    : Copies(std::max(1, settings.copies))
    , Collate(settings.collate)
    , Stationery(settings.stationery)
    , OffsetTopMm(pixelsToMm(settings.offsetTop))
    , OffsetLeftMm(pixelsToMm(settings.offsetLeft))
    , printer_(printer)
    , settings_(settings)
    , openedWith_(printer.PrinterIndex()) {
    rebuildScalePapers();
}

std::vector<std::string> TRMPrintDialogModel::PrinterItems() const {
    TRMPrinterList& list = printer_.Printers();
    std::vector<std::string> items{list.Name(0)};
    for (int i = 2; i < list.Count(); ++i)
        items.push_back(list.Name(i));
    return items;
}

int TRMPrintDialogModel::PrinterItem() const {
    const int index = printer_.PrinterIndex();
    return index <= 1 ? 0 : index - 1;
}

bool TRMPrintDialogModel::SelectPrinterItem(int item, std::string* error) {
    if (!printer_.SelectIndex(PositionOfItem(item), error))
        return false;
    rebuildScalePapers();
    return true;
}

TRMPrinterDetails TRMPrintDialogModel::Details() const {
    return printerDetails(printer_.Printers(), printer_.PrinterIndex());
}

void TRMPrintDialogModel::rebuildScalePapers() {
    scaleItems_ = {platform::engineText(46862)};
    scaleCodes_.clear();
    const TRMPrinterInfo& info = printer_.Info();
    for (std::size_t i = 0; i + 1 < info.PaperCodes.size(); ++i) {
        scaleItems_.push_back(info.PaperNames[i]);
        scaleCodes_.push_back(static_cast<int>(i));
    }
    ScalePaperItem = 0;
}

bool TRMPrintDialogModel::SetPageText(const std::string& text) {
    if (!isPageListText(text))
        return false;
    pageText_ = text;
    PageChoice = pcNumbers;
    return true;
}

int TRMPrintDialogModel::ScalePercent() const {
    int value = 0;
    const char* end = ScaleText.data() + ScaleText.size();
    const auto [ptr, ec] = std::from_chars(ScaleText.data(), end, value);
    if (ScaleText.empty() || ec != std::errc() || ptr != end)
        return 100;
    return std::max(1, value);
}

int TRMPrintDialogModel::OffsetTopPixels() const {
    return mmToPixels(OffsetTopMm);
}

int TRMPrintDialogModel::OffsetLeftPixels() const {
    return mmToPixels(OffsetLeftMm);
}

bool TRMPrintDialogModel::OffsetsChanged() const {
    return OffsetTopPixels() != settings_.offsetTop || OffsetLeftPixels() != settings_.offsetLeft;
}

TRMPrintRunOptions TRMPrintDialogModel::Options() const {
    TRMPrintRunOptions options;
    options.jobTitle = settings_.jobTitle;
    options.reportTitle = settings_.reportTitle;
    options.stationery = Stationery;
    if (ScalePaperItem > 0 && ScalePaperItem <= static_cast<int>(scaleCodes_.size())) {
        const TRMPrinterInfo& info = printer_.Info();
        const auto i = static_cast<std::size_t>(scaleCodes_[ScalePaperItem - 1]);
        options.scalePaper =
            TRMScalePaper{info.PaperCodes[i], info.PaperWidths[i], info.PaperHeights[i]};
    }
    options.scalePercent = ScalePercent();
    options.offsetTop = OffsetTopPixels();
    options.offsetLeft = OffsetLeftPixels();
    switch (PageChoice) {
    case pcAll:
        break;
    case pcCurrent:
        options.pageList = std::to_string(settings_.currentPage);
        break;
    case pcNumbers:
        options.pageList = pageText_;
        break;
    }
    options.copies = Copies;
    options.parity = Parity;
    options.collate = Collate;
    return options;
}

void TRMPrintDialogModel::Cancel() {
    if (printer_.PrinterIndex() != openedWith_)
        printer_.SelectIndex(openedWith_);
}

} // namespace report
