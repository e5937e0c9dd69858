#include "report/print/RMPrinter.h"

#include "report/engine/model/RMUnits.h"
#include "report/print/RMCupsDevice.h"
#include "report/print/RMPdfPrinter.h"

#include <cmath>
#include <cstdlib>

namespace report {

namespace {

// Page pixels per printer inch, across and down (the system's conversion factors).
constexpr double kPagePixelsPerInchX = 93 / 1.022;
constexpr double kPagePixelsPerInchY = 93 / 1.015;

int toPagePixels(std::int32_t tenthsMm) {
    return static_cast<int>(std::lround(RMToScreenPixels(tenthsMm / 10.0, rmutMillimeters)));
}

int hundredthsMmToDots(int value, int dpi) {
    return static_cast<int>(std::lround(value / 2540.0 * dpi));
}

int dotsToPagePixels(int dots, int dpi, double factor) {
    return static_cast<int>(std::lround(dpi < 1 ? dots * factor : dots * factor / dpi));
}

// Edges of a portrait paper turned a quarter to the left for landscape.
TRMPaperMargins oriented(const TRMPaperMargins& m, std::uint8_t orientation) {
    if (orientation != 1)
        return m;
    return {m.top, m.right, m.bottom, m.left};
}

} // namespace

TRMCustomPrinter::TRMCustomPrinter(TRMPrinterList& list)
    : list_(list) {}

bool TRMCustomPrinter::SelectIndex(int index, std::string* error) {
    if (index < 0 || index >= list_.Count()) {
        if (error != nullptr)
            *error = "没有这个打印机";
        return false;
    }
    if (!list_.LoadInfo(index, error))
        return false;
    index_ = index;
    return true;
}

bool TRMCustomPrinter::SelectByName(const std::string& name, std::string* error) {
    return SelectIndex(list_.IndexOfName(name), error);
}

std::string TRMCustomPrinter::NameForFiles() const {
    if (index_ == 0)
        return "Default Printer";
    if (index_ == 1)
        return "Virtual Printer";
    return list_.Name(index_);
}

bool TRMCustomPrinter::SamePaper(int code, std::int32_t width, std::int32_t height,
                                 std::uint8_t orientation, int bin) const {
    const TRMPrinterInfo& info = Info();
    const TRMDeviceMode& mode = info.DeviceMode;
    if (code == rmCustomPaperSize)
        code = info.CustomCode();
    // A bin the printer does not have is never set (see SetPrinterInfo), so it asks for
    // nothing: it matches like -1. Otherwise every page of a report whose pages name such a
    // bin would end the document and start a new one.
    const bool anyBin = bin == -1 || info.BinIndex(bin) < 0;
    return mode.paperCode == code && mode.orientation == orientation &&
           (anyBin || bin == mode.bin) && std::abs(mode.paperWidth - width) <= 1 &&
           std::abs(mode.paperHeight - height) < 2;
}

void TRMCustomPrinter::SetPrinterInfo(int code, std::int32_t width, std::int32_t height,
                                      std::uint8_t orientation, int bin, bool force) {
    if (printing_)
        return;
    TRMPrinterInfo& info = Info();
    if (code == rmCustomPaperSize)
        code = info.CustomCode();
    if (!info.IsCustomSize(code) || width <= 0 || height <= 0) {
        const int index = info.PaperIndex(code);
        if (index >= 0 && info.PaperWidths[static_cast<std::size_t>(index)] > 0) {
            width = info.PaperWidths[static_cast<std::size_t>(index)];
            height = info.PaperHeights[static_cast<std::size_t>(index)];
        } else if (const TRMPaperInfo* table = findBuiltinPaper(code)) {
            width = table->width;
            height = table->height;
        }
    }
    if (!force && SamePaper(code, width, height, orientation, bin))
        return;
    TRMDeviceMode& mode = info.DeviceMode;
    mode.paperCode = code;
    mode.paperWidth = width;
    mode.paperHeight = height;
    mode.orientation = orientation == 1 ? 1 : 0;
    if (mode.duplex < 1)
        mode.duplex = 1;
    if (bin != -1 && info.BinIndex(bin) >= 0)
        mode.bin = bin;
}

void TRMCustomPrinter::FillGeometry(TRMPageGeometry& g) const {
    const TRMPrinterInfo& info = Info();
    const TRMDeviceMode& mode = info.DeviceMode;
    std::int32_t width = mode.paperWidth, height = mode.paperHeight;
    if (mode.orientation == 1)
        std::swap(width, height);
    g.paperWidth = toPagePixels(width);
    g.paperHeight = toPagePixels(height);
    if (!HasDevice()) {
        g.printableLeft = 18;
        g.printableTop = 18;
        g.printableWidth = g.paperWidth - 36;
        g.printableHeight = g.paperHeight - 36;
        return;
    }
    const TRMPaperMargins m = oriented(info.MarginsOf(mode.paperCode), mode.orientation);
    g.pageWidthPx = static_cast<std::int32_t>(std::lround(width / 254.0 * info.DpiX));
    g.pageHeightPx = static_cast<std::int32_t>(std::lround(height / 254.0 * info.DpiY));
    g.printableLeftPx = hundredthsMmToDots(m.left, info.DpiX);
    g.printableTopPx = hundredthsMmToDots(m.top, info.DpiY);
    g.printableWidthPx = g.pageWidthPx - g.printableLeftPx - hundredthsMmToDots(m.right, info.DpiX);
    g.printableHeightPx =
        g.pageHeightPx - g.printableTopPx - hundredthsMmToDots(m.bottom, info.DpiY);
    g.printableLeft = dotsToPagePixels(g.printableLeftPx, info.DpiX, kPagePixelsPerInchX);
    g.printableTop = dotsToPagePixels(g.printableTopPx, info.DpiY, kPagePixelsPerInchY);
    g.printableWidth = dotsToPagePixels(g.printableWidthPx, info.DpiX, kPagePixelsPerInchX);
    g.printableHeight = dotsToPagePixels(g.printableHeightPx, info.DpiY, kPagePixelsPerInchY);
}

TRMPageGeometry TRMCustomPrinter::Geometry() const {
    TRMPageGeometry g;
    FillGeometry(g);
    return g;
}

double TRMCustomPrinter::FactorX() const {
    const TRMPageGeometry g = Geometry();
    return HasDevice() && g.paperWidth > 0 ? static_cast<double>(g.pageWidthPx) / g.paperWidth
                                           : 1.0;
}

double TRMCustomPrinter::FactorY() const {
    const TRMPageGeometry g = Geometry();
    return HasDevice() && g.paperHeight > 0 ? static_cast<double>(g.pageHeightPx) / g.paperHeight
                                            : 1.0;
}

TRMCustomPrinter::Edges TRMCustomPrinter::UnprintableEdges() const {
    if (!HasDevice())
        return {};
    const TRMPageGeometry g = Geometry();
    const TRMPrinterInfo& info = Info();
    auto mm = [](int dots, int dpi) {
        return dpi < 1 ? 0.0 : dots / static_cast<double>(dpi) / 0.03937;
    };
    return {mm(g.printableLeftPx, info.DpiX), mm(g.printableTopPx, info.DpiY),
            mm(g.pageWidthPx - g.printableLeftPx - g.printableWidthPx, info.DpiX),
            mm(g.pageHeightPx - g.printableTopPx - g.printableHeightPx, info.DpiY)};
}

TRMPrintJob TRMCustomPrinter::CurrentJob(const std::string& title) const {
    const TRMPrinterInfo& info = Info();
    const TRMDeviceMode& mode = info.DeviceMode;
    TRMPrintJob job;
    job.title = title;
    job.paperCode = mode.paperCode;
    job.paperWidth = mode.orientation == 1 ? mode.paperHeight : mode.paperWidth;
    job.paperHeight = mode.orientation == 1 ? mode.paperWidth : mode.paperHeight;
    job.orientation = mode.orientation;
    job.bin = mode.bin;
    if (const int b = info.BinIndex(mode.bin); b >= 0)
        job.binKeyword = info.BinKeywords[static_cast<std::size_t>(b)];
    if (const int p = info.PaperIndex(mode.paperCode); p >= 0 && !info.IsCustomSize(mode.paperCode))
        job.media = info.PaperMedia[static_cast<std::size_t>(p)];
    job.duplex = mode.duplex;
    job.dpiX = info.DpiX;
    job.dpiY = info.DpiY;
    job.geometry = Geometry();
    return job;
}

TRMPrinter::TRMPrinter(TRMPrinterList& list)
    : TRMCustomPrinter(list) {
    Reset();
}

void TRMPrinter::Reset() {
    SetPrinting(false);
    if (!SelectIndex(0))
        SelectIndex(Printers().pdfIndex());
}

std::unique_ptr<TRMPrintDevice> TRMPrinter::CreateDevice() const {
    const TRMPrinterInfo& info = Info();
    switch (info.Kind) {
    case TRMPrinterKind::Pdf:
        return std::make_unique<TRMPdfFileDevice>();
    case TRMPrinterKind::Cups:
        return std::make_unique<TRMCupsDevice>(info.Device);
    case TRMPrinterKind::Virtual:
        break;
    }
    return nullptr;
}

void TRMPrinter::applyPaper(const TRMPaperRequest& paper, TRMPageGeometry& geometry) {
    SetPrinterInfo(paper.size, paper.width, paper.height, paper.orientation, paper.bin);
    FillGeometry(geometry);
}

bool TRMPrinter::paperSize(int code, std::int32_t& width, std::int32_t& height) const {
    const TRMPrinterInfo& info = Info();
    const int index = info.PaperIndex(code);
    if (index < 0 || info.PaperWidths[static_cast<std::size_t>(index)] <= 0)
        return false;
    width = info.PaperWidths[static_cast<std::size_t>(index)];
    height = info.PaperHeights[static_cast<std::size_t>(index)];
    return true;
}

TRMPrinter& RMPrinter() {
    static TRMPrinter printer(TRMPrinterList::instance());
    return printer;
}

void installPrinterLayer() {
    installPrinter(&RMPrinter());
}

} // namespace report
