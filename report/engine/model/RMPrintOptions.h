#pragma once

// Preview and print options of a report, kept apart from the template and the prepared
// pages so that a print run or a preview can take them alone.

#include "report/engine/model/RMDrawContext.h"

#include <cstdint>

namespace report {

enum TRMPreviewZoom { pzDefault, pzPageWidth, pzOnePage, pzTwoPages };
enum TRMReportType { rtSimple, rtMultiple };
namespace previewbutton {
inline constexpr std::uint16_t pbZoom = 1, pbLoad = 2, pbSave = 4, pbPrint = 8, pbFind = 16,
                               pbPageSetup = 32, pbExit = 64, pbDesign = 128, pbSaveToXLS = 256,
                               pbSuperExp = 512;
}

struct TRMPrintOptions {
    std::int32_t PrintOffsetLeft = 0;
    std::int32_t PrintOffsetTop = 0;
    bool PrintBackColor = true;
    bool Taoda = false; // pre-printed stationery
    bool PrintPagePerPage = false;
    int DefaultCopies = 1;
    bool DefaultCollate = true;
    int InitialZoom = pzDefault;
    bool MDIPreview = false;
    bool ModalPreview = true;
    std::uint16_t PreviewButtons = 383;
    bool ShowPrintDialog = true;
    bool ShowProgress = true;

    // Context for drawing pages onto a printer of that resolution at `scale` percent.
    TRMDrawContext printContext(int dpiX, int dpiY, int scale = 100) const {
        TRMDrawContext c = TRMDrawContext::printer(dpiX, dpiY);
        c.PrintScale = scale;
        c.Taoda = Taoda;
        c.PrintBackColor = PrintBackColor;
        return c;
    }
};

} // namespace report
