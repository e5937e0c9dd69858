#pragma once

// Papers and page geometry as the engine sees them. The printer layer implements
// TRMPrinterPort for real printers; without one the engine uses the virtual printer,
// whose papers come from the built-in table.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace report {

inline constexpr int rmCustomPaperSize = 256;

struct TRMPaperInfo {
    int code;
    std::int32_t width;  // tenths of a millimetre
    std::int32_t height; // tenths of a millimetre
};

// Standard paper codes 1-68 (the two reserved codes 48 and 49 have no size and are left
// out) with their portrait sizes, in code order.
std::span<const TRMPaperInfo> builtinPapers();
// Entry of the table, or nullptr.
const TRMPaperInfo* findBuiltinPaper(int code);
// The five sizes a printer's paper list gets before its custom entry, in order:
// 800 16开, 801 32开, 802 大32开, 803 宽行连续纸, 804 窄行连续纸 (engine texts 47490-47494).
std::span<const TRMPaperInfo> extraPapers();
// Display name: engine text 47008 + code, 47482 for the custom size, 47490 + (code - 800)
// for the extra sizes.
std::string paperName(int code);

// Twelve int32 filled by a printer for the current paper (also stored with each
// prepared page). Printer pixels are device dots; page pixels are view-geometry pixels.
struct TRMPageGeometry {
    std::int32_t pageWidthPx = 0;       // 1: page width in printer pixels
    std::int32_t pageHeightPx = 0;      // 2
    std::int32_t paperWidth = 0;        // 3: paper width in page pixels
    std::int32_t paperHeight = 0;       // 4
    std::int32_t printableLeftPx = 0;   // 5
    std::int32_t printableTopPx = 0;    // 6
    std::int32_t printableLeft = 0;     // 7: in page pixels
    std::int32_t printableTop = 0;      // 8
    std::int32_t printableWidthPx = 0;  // 9
    std::int32_t printableHeightPx = 0; // 10
    std::int32_t printableWidth = 0;    // 11: in page pixels
    std::int32_t printableHeight = 0;   // 12
    bool operator==(const TRMPageGeometry&) const = default;
};

// The paper a page asks for.
struct TRMPaperRequest {
    int size = 9;              // paper code; 256 custom
    std::int32_t width = 2100; // tenths of a millimetre (portrait sizes)
    std::int32_t height = 2970;
    std::uint8_t orientation = 0; // 0 portrait, 1 landscape
    std::int32_t bin = -1;
};

// What the engine needs from the printer layer.
class TRMPrinterPort {
public:
    virtual ~TRMPrinterPort() = default;
    // Name as written into files: "Default Printer", "Virtual Printer" or a printer name.
    virtual std::string printerName() const = 0;
    // Selects by name; false (and nothing changes) when the printer cannot be selected.
    virtual bool selectPrinter(const std::string& name) = 0;
    // Sets the paper and returns its geometry. `geometry` holds the previous values:
    // a virtual printer fills only the page-pixel fields.
    virtual void applyPaper(const TRMPaperRequest& paper, TRMPageGeometry& geometry) = 0;
    // Size of a paper code on this printer (tenths of a millimetre), false when unknown.
    virtual bool paperSize(int code, std::int32_t& width, std::int32_t& height) const = 0;
};

// No device: papers from the built-in table, printable area inset by 18 pixels.
class TRMVirtualPrinter : public TRMPrinterPort {
public:
    std::string printerName() const override { return name_; }
    bool selectPrinter(const std::string& printer) override;
    void applyPaper(const TRMPaperRequest& paper, TRMPageGeometry& geometry) override;
    bool paperSize(int code, std::int32_t& width, std::int32_t& height) const override;

private:
    std::string name_ = "Virtual Printer";
};

// The printer the engine lays pages out for; the virtual printer until the printer layer
// installs its own (the engine does not own an installed port).
TRMPrinterPort& currentPrinter();
void installPrinter(TRMPrinterPort* port);

} // namespace report
