#include "archive/ArchiveReport.h"

#include "archive/ArchiveCaptions.h"
#include "archive/ReportVariables.h"
#include "grid/TAdvStringGrid.h"
#include "report/engine/model/RMTextScan.h"
#include "report/formreport/RMFormReport.h"

namespace archive {

void configureArchiveReport(report::TRMFormReport& r, grid::TAdvStringGrid& grid) {
    using namespace report;
    r.setObjectName("RMFormReport1");
    r.ReportOptions = {rmgoStretch, rmgoWordWrap, rmgoGridLines};
    TRMPageLayout& layout = r.PageLayout();
    layout.LeftMargin = layout.TopMargin = layout.RightMargin = layout.BottomMargin = 38;
    layout.Columns = 1;
    layout.Height = 2970;
    layout.Width = 2100;
    layout.pgBin = 0;
    layout.PrinterName = "默认打印机";
    layout.DoublePass = true;
    layout.PrintBackColor = false;
    // The window caption as the title, and the footer lines with print date and time,
    // operator and page x of y; their brackets are expanded when the report is prepared.
    r.PageHeader().setCaptionText(ArchivePageHeaderCaption);
    r.PageHeader().setHeight(0);
    r.PageFooter().setCaptionText(ArchivePageFooterCaption);
    r.PageFooter().setHeight(0);
    r.ColumnFooter().setCaptionText(ArchiveColumnFooterCaption);
    r.ColumnFooter().setHeight(0);
    r.GridNumOptions().Text = "No";
    platform::TFont font;
    font.Name = "MS Sans Serif";
    font.Height = -11;
    font.Charset = platform::DEFAULT_CHARSET;
    font.Color = platform::clWindowText;
    font.Style = 0;
    r.GridFontOptions().Font = font;
    // The title row is white on the grid's blue; it prints black whatever the screen shows.
    r.GridFontOptions().TitleFontColor = platform::clBlack;
    r.InitialZoom = pzDefault;
    r.PreviewButtons = previewbutton::pbZoom | previewbutton::pbLoad | previewbutton::pbSave |
                       previewbutton::pbPrint | previewbutton::pbFind | previewbutton::pbPageSetup |
                       previewbutton::pbExit | previewbutton::pbSaveToXLS;
    r.ShowPrintDialog = false;
    r.Groups().Clear();
    r.PrintControl = &grid;
    r.PageHeaderOnly1 = true;
    // The footer prints the date and time the server sent, which the window stored for it;
    // the engine's own "Date" and "Time" (the workstation's clock) would hide them.
    r.OnGetValue = [](const std::string& name, platform::Variant& value) {
        if (sameText(name, "Date") || sameText(name, "Time"))
            value = platform::Variant(reportVariable(name));
    };
}

} // namespace archive
