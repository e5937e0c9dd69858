#pragma once

// The selected printer and its paper: selection by position or by a report's printer
// name, paper matching, page geometry, and the device a print job goes to. One per
// process; it is the engine's printer port once installPrinterLayer() ran.

#include "report/engine/model/RMPaper.h"
#include "report/print/RMPrintDevice.h"
#include "report/print/RMPrinterList.h"

#include <memory>
#include <string>

namespace report {

class TRMCustomPrinter {
public:
    explicit TRMCustomPrinter(TRMPrinterList& list);
    virtual ~TRMCustomPrinter() = default;

    TRMPrinterList& Printers() { return list_; }
    int PrinterIndex() const { return index_; }
    TRMPrinterInfo& Info() { return list_.Info(index_); }
    const TRMPrinterInfo& Info() const { return list_.Info(index_); }
    // A device behind the selection (not the virtual printer).
    bool HasDevice() const { return Info().Kind != TRMPrinterKind::Virtual; }

    // Selects a position: loads its info on first use and takes its device settings.
    // False (selection unchanged) when the print system cannot describe the printer.
    bool SelectIndex(int index, std::string* error = nullptr);
    // By a report's printer name (TRMPrinterList::IndexOfName).
    bool SelectByName(const std::string& name, std::string* error = nullptr);
    // Name as written into report files.
    std::string NameForFiles() const;
    // Display name of the selected entry.
    const std::string& DisplayName() const { return list_.Name(index_); }

    // Current paper (the device-mode record of the selected printer).
    int PaperSize() const { return Info().DeviceMode.paperCode; }
    std::int32_t PaperWidth() const { return Info().DeviceMode.paperWidth; } // portrait
    std::int32_t PaperHeight() const { return Info().DeviceMode.paperHeight; }
    std::uint8_t Orientation() const { return Info().DeviceMode.orientation; }
    int Bin() const { return Info().DeviceMode.bin; }
    int Duplex() const { return Info().DeviceMode.duplex; }
    void SetDuplex(int duplex) { Info().DeviceMode.duplex = duplex < 1 ? 1 : duplex; }

    // Whether the printer already has this paper (code, orientation, bin -1 = any, width
    // within 1 and height within less than 2 tenths of a millimetre). Sizes portrait.
    bool SamePaper(int code, std::int32_t width, std::int32_t height, std::uint8_t orientation,
                   int bin) const;
    // Sets the paper unless it is the same (or `force`); ignored while a job is open.
    // Code 256 stands for the printer's custom-size code.
    void SetPrinterInfo(int code, std::int32_t width, std::int32_t height, std::uint8_t orientation,
                        int bin, bool force = false);
    // Geometry of the current paper. Without a device only the page-pixel fields 3, 4, 7,
    // 8, 11 and 12 are written; the others keep what `geometry` had.
    void FillGeometry(TRMPageGeometry& geometry) const;
    TRMPageGeometry Geometry() const;
    // Printer pixels per page pixel (fields 1 ÷ 3 and 2 ÷ 4); 1 without a device.
    double FactorX() const;
    double FactorY() const;
    // Unprintable edges in millimetres (device offset ÷ resolution ÷ 0.03937).
    struct Edges {
        double left = 0, top = 0, right = 0, bottom = 0;
    };
    Edges UnprintableEdges() const;

    // The job a device would get now.
    TRMPrintJob CurrentJob(const std::string& title) const;

    bool Printing() const { return printing_; }
    void SetPrinting(bool printing) { printing_ = printing; }

private:
    TRMPrinterList& list_;
    int index_ = 0;
    bool printing_ = false;
};

class TRMPrinter : public TRMCustomPrinter, public TRMPrinterPort {
public:
    explicit TRMPrinter(TRMPrinterList& list);

    // The device for the selected printer: PDF files or a CUPS queue; none for the
    // virtual printer.
    std::unique_ptr<TRMPrintDevice> CreateDevice() const;
    // Back to the default printer after the list was refreshed.
    void Reset();

    // TRMPrinterPort
    std::string printerName() const override { return NameForFiles(); }
    bool selectPrinter(const std::string& name) override { return SelectByName(name); }
    void applyPaper(const TRMPaperRequest& paper, TRMPageGeometry& geometry) override;
    bool paperSize(int code, std::int32_t& width, std::int32_t& height) const override;
};

// The process-wide printer over TRMPrinterList::instance().
TRMPrinter& RMPrinter();
// Makes RMPrinter() the engine's printer (idempotent).
void installPrinterLayer();

} // namespace report
