#pragma once

// One entry of the printer list: who the printer is, and its papers and bins in the
// system's numbering (paper codes as on Windows, bin 65535 "缺省"), filled on first use.

#include <cstdint>
#include <string>
#include <vector>

namespace report {

enum class TRMPrinterKind { Virtual, Pdf, Cups };

// Unprintable edges of a paper, in hundredths of a millimetre (portrait).
struct TRMPaperMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const TRMPaperMargins&) const = default;
};

// A paper as a device reports it, before the system's numbering is applied.
struct TRMDeviceMedia {
    std::string name;   // device's media name ("iso_a4_210x297mm"), sent with jobs
    std::string label;  // shown when the size matches no paper code; may be empty
    std::int32_t width; // hundredths of a millimetre, portrait
    std::int32_t height;
    TRMPaperMargins margins;
};

// A tray as a device reports it ("auto", "manual", "tray-1").
struct TRMDeviceBin {
    std::string keyword;
    std::string label;
};

// Settings of a printer the next job uses (the device-mode record).
struct TRMDeviceMode {
    int paperCode = 9;
    std::int32_t paperWidth = 2100; // tenths of a millimetre, portrait
    std::int32_t paperHeight = 2970;
    std::uint8_t orientation = 0; // 0 portrait, 1 landscape
    int bin = 65535;
    int duplex = 1; // 1 one-sided, 2 long edge, 3 short edge
};

// What a device offers, as read from the print system.
struct TRMDeviceCapabilities {
    std::vector<TRMDeviceMedia> media;
    std::vector<TRMDeviceBin> bins;
    std::string defaultMedia;
    std::string defaultBin;
    std::uint8_t defaultOrientation = 0;
    std::vector<int> duplexModes{1}; // TRMDeviceMode::duplex values offered
    int dpiX = 600, dpiY = 600;
};

inline constexpr int rmDefaultBin = 65535;

class TRMPrinterInfo {
public:
    TRMPrinterInfo(TRMPrinterKind kind, std::string device);

    TRMPrinterKind Kind;
    std::string Device;  // queue name ("PDF" for the built-in printer)
    std::string Driver;  // make and model
    std::string Port;    // location
    std::string Comment; // description
    bool Loaded = false;

    std::vector<std::string> PaperNames;
    std::vector<int> PaperCodes;
    std::vector<std::int32_t> PaperWidths; // tenths of a millimetre, portrait
    std::vector<std::int32_t> PaperHeights;
    std::vector<std::string> BinNames;
    std::vector<int> BinCodes;

    // Parallel to the paper list: the device's media name ("" for sizes it was not
    // asked about) and unprintable edges.
    std::vector<std::string> PaperMedia;
    std::vector<TRMPaperMargins> PaperMargins;
    // Parallel to the bin list: the device's tray keyword ("" for "缺省").
    std::vector<std::string> BinKeywords;
    std::vector<int> DuplexModes{1};
    int DpiX = 600, DpiY = 600;
    // Settings used by the next job; read from the device's defaults when loaded.
    TRMDeviceMode DeviceMode;

    // Fills the lists from the built-in table (virtual and PDF printers) or from the
    // device's capabilities, then applies the completion rules.
    void loadBuiltin();
    void loadFrom(const TRMDeviceCapabilities& caps);

    // Code used for a custom size: the last paper code, 256 when there is none.
    int CustomCode() const;
    int PaperIndex(int code) const; // -1 when absent
    int BinIndex(int code) const;
    // Whether choosing this code sends its own width and height (the custom entry and the
    // sizes 800-804).
    bool IsCustomSize(int code) const;
    // Edges of a paper code (custom sizes: those of the default paper).
    TRMPaperMargins MarginsOf(int code) const;

private:
    void addPaper(int code, std::string name, std::int32_t width, std::int32_t height,
                  std::string media = {}, TRMPaperMargins margins = {});
    void completePapers();
    void completeBins();
};

// Paper code of a portrait size in tenths of a millimetre (within 1 mm), 0 when the
// built-in table has none. The first code of a size wins (9 for A4, not 10 or 55).
int paperCodeForSize(std::int32_t width, std::int32_t height);

} // namespace report
