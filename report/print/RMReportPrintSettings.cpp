#include "report/print/RMReportPrintSettings.h"

#include "platform/EngineTexts.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMUnits.h"
#include "report/print/RMPrinter.h"

#include <cmath>
#include <filesystem>

namespace report {

namespace {

double pixelsToMm(int pixels) {
    return std::round(RMFromScreenPixels(pixels, rmutMillimeters) * 10) / 10;
}

int mmToPixels(double mm) {
    return static_cast<int>(std::lround(RMToScreenPixels(mm, rmutMillimeters)));
}

} // namespace

std::string printJobTitle(const TRMReport& report) {
    if (!report.ReportInfo.Title().empty())
        return report.ReportInfo.Title();
    if (!report.FileName.empty()) {
        const std::string name = std::filesystem::path(report.FileName).filename().string();
        if (!name.empty())
            return name;
    }
    return platform::engineText(47209, "Untitled");
}

TRMReportPrintSettings printSettingsOf(const TRMReport& report) {
    TRMReportPrintSettings settings;
    settings.Options = report;
    settings.JobTitle = printJobTitle(report);
    settings.ReportTitle = report.ReportInfo.Title();
    return settings;
}

TRMPrintDialogSettings printDialogSettings(const TRMReportPrintSettings& s, bool fromPreview,
                                           int currentPage) {
    TRMPrintDialogSettings settings;
    settings.copies = s.Options.DefaultCopies;
    settings.collate = s.Options.DefaultCollate;
    settings.stationery = s.Options.Taoda;
    settings.offsetTop = s.Options.PrintOffsetTop;
    settings.offsetLeft = s.Options.PrintOffsetLeft;
    settings.currentPageAllowed = fromPreview;
    settings.currentPage = currentPage;
    settings.jobTitle = s.JobTitle;
    settings.reportTitle = s.ReportTitle;
    return settings;
}

TRMPrintRunOptions defaultPrintOptions(const TRMReportPrintSettings& s) {
    TRMPrintRunOptions options;
    options.jobTitle = s.JobTitle;
    options.reportTitle = s.ReportTitle;
    options.copies = s.Options.DefaultCopies;
    options.collate = s.Options.DefaultCollate;
    options.stationery = s.Options.Taoda;
    options.offsetLeft = s.Options.PrintOffsetLeft;
    options.offsetTop = s.Options.PrintOffsetTop;
    options.printBackColor = s.Options.PrintBackColor;
    return options;
}

TRMPageSetting pageSettingFromReport(const TRMReport& report, const TRMEMFPages& pages) {
    TRMPageSetting setting;
    setting.PrinterName = RMPrinter().DisplayName();
    setting.Title = report.ReportInfo.Title();
    setting.DoublePass = report.DoublePass;
    setting.Taoda = report.Taoda;
    setting.PrintBackColor = report.PrintBackColor;
    if (pages.Count() > 0) {
        const TRMPageInfo page = pages.pageInfo(0);
        setting.PaperSize = page.PaperSize;
        setting.SetOrientation(page.Orientation); // the sizes below are already oriented
        setting.PaperWidth = page.PaperWidth;
        setting.PaperHeight = page.PaperHeight;
        setting.Bin = page.Bin;
        setting.SetMarginLeft(pixelsToMm(page.LeftMargin));
        setting.SetMarginTop(pixelsToMm(page.TopMargin));
        setting.SetMarginRight(pixelsToMm(page.RightMargin));
        setting.SetMarginBottom(pixelsToMm(page.BottomMargin));
    } else if (report.Pages.Count() > 0) {
        const TRMPage& page = *report.Pages[0];
        const TRMPage::PixelRect margins = page.marginsInPixels();
        setting.PaperSize = page.Size;
        setting.SetOrientation(page.Orientation);
        setting.PaperWidth = page.widthTenths();
        setting.PaperHeight = page.heightTenths();
        setting.Bin = page.PageBin;
        setting.SetMarginLeft(pixelsToMm(margins.left));
        setting.SetMarginTop(pixelsToMm(margins.top));
        setting.SetMarginRight(pixelsToMm(margins.right));
        setting.SetMarginBottom(pixelsToMm(margins.bottom));
    }
    if (report.Pages.Count() > 0) {
        const TRMPage& page = *report.Pages[0];
        setting.SetPageColumns(page.Columns);
        setting.SetColumnGap(page.ColumnGap / 1000.0);
    }
    return setting;
}

bool applyPageSetting(TRMReport& report, const TRMPageSetting& setting) {
    if (!setting.PrinterName.empty() && setting.PrinterName != RMPrinter().DisplayName() &&
        !report.ChangePrinter(setting.PrinterName))
        return false;
    report.ReportInfo.Strings[0] = setting.Title;
    report.DoublePass = setting.DoublePass;
    report.Taoda = setting.Taoda;
    report.PrintBackColor = setting.PrintBackColor;
    const TRMPage::PixelRect margins{
        mmToPixels(setting.MarginLeft()), mmToPixels(setting.MarginTop()),
        mmToPixels(setting.MarginRight()), mmToPixels(setting.MarginBottom())};
    const bool landscape = setting.Orientation() == 1;
    for (int i = 0; i < report.Pages.Count(); ++i) {
        TRMPage& page = *report.Pages[i];
        if (page.IsSubReport)
            continue;
        page.setMarginsInPixels(margins);
        page.Columns = setting.PageColumns();
        page.ColumnGap = static_cast<std::int32_t>(std::lround(setting.ColumnGap() * 1000));
        page.ChangePaper(setting.PaperSize, landscape ? setting.PaperHeight : setting.PaperWidth,
                         landscape ? setting.PaperWidth : setting.PaperHeight, setting.Bin,
                         setting.Orientation());
    }
    report.SaveReportSetting();
    return true;
}

} // namespace report
