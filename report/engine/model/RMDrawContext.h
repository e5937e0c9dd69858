#pragma once

// What a drawer tells the views about the output: everything drawing depends on besides
// the canvas and the page itself. Passed by value into every draw call, never kept.

namespace report {

class TRMExportFilter;

struct TRMDrawContext {
    // Device resolution of the canvas (pixels per inch).
    int DpiX = 96;
    int DpiY = 96;
    // The output goes to a printer: wide lines are not squeezed, and with PrintBackColor
    // off nothing is filled.
    bool IsPrinting = false;
    // Print-dialog scale in percent (only while IsPrinting).
    int PrintScale = 100;
    // Pre-printed stationery run: views without PrintVisible are skipped and frames of
    // views without PrintFrame are not drawn (only while IsPrinting).
    bool Taoda = false;
    bool PrintBackColor = true;
    // First pass of a two-pass preparation: neither fill nor frames.
    bool FirstPass = false;
    // Designer look: white backgrounds, corner marks, placeholders for empty pictures.
    bool Designer = false;
    // Export mode: text views hand their lines to this filter instead of drawing them.
    TRMExportFilter* Export = nullptr;

    static TRMDrawContext screen(int dpi = 96) { return {dpi, dpi}; }
    static TRMDrawContext printer(int dpiX, int dpiY) {
        TRMDrawContext c{dpiX, dpiY};
        c.IsPrinting = true;
        return c;
    }
};

} // namespace report
