#include "report/preview/RMReportPrinting.h"

#include "platform/EngineTexts.h"
#include "report/engine/model/RMUnits.h"
#include "report/preview/RMPrintForm.h"
#include "report/preview/RMPrintPages.h"
#include "report/print/RMPreparedPageSource.h"
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

// The report's OnProgress handler in the print run's place for a progress window.
class ReportProgress : public TRMProgress {
public:
    explicit ReportProgress(TRMReport& report)
        : report_(report) {}
    void setCaption(const std::string&) override {}
    void setLine(const std::string&) override {}
    void setPosition(int pageNo) override { report_.OnProgress(pageNo); }
    void processEvents() override {}
    bool cancelled() const override { return false; }
    void cancel() override {}

private:
    TRMReport& report_;
};

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

TRMPrintDialogSettings printDialogSettings(const TRMReport& report, bool fromPreview,
                                           int currentPage) {
    TRMPrintDialogSettings settings;
    settings.copies = report.DefaultCopies;
    settings.collate = report.DefaultCollate;
    settings.stationery = report.Taoda;
    settings.offsetTop = report.PrintOffsetTop;
    settings.offsetLeft = report.PrintOffsetLeft;
    settings.currentPageAllowed = fromPreview;
    settings.currentPage = currentPage;
    settings.jobTitle = printJobTitle(report);
    settings.reportTitle = report.ReportInfo.Title();
    return settings;
}

TRMPrintRunOptions defaultPrintOptions(const TRMReport& report) {
    TRMPrintRunOptions options;
    options.jobTitle = printJobTitle(report);
    options.reportTitle = report.ReportInfo.Title();
    options.copies = report.DefaultCopies;
    options.collate = report.DefaultCollate;
    options.stationery = report.Taoda;
    options.offsetLeft = report.PrintOffsetLeft;
    options.offsetTop = report.PrintOffsetTop;
    options.printBackColor = report.PrintBackColor;
    return options;
}

TRMPageSetting pageSettingFromReport(const TRMReport& report) {
    TRMPageSetting setting;
    setting.PrinterName = RMPrinter().DisplayName();
    setting.Title = report.ReportInfo.Title();
    setting.DoublePass = report.DoublePass;
    setting.Taoda = report.Taoda;
    setting.PrintBackColor = report.PrintBackColor;
    if (report.EMFPages.Count() > 0) {
        const TRMPageInfo page = report.EMFPages.pageInfo(0);
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

std::optional<TRMPrintRunOptions> askPrintOptions(QWidget* owner, TRMReport& report,
                                                  int currentPage) {
    if (!report.ShowPrintDialog)
        return defaultPrintOptions(report);
    TRMPrintRunOptions options;
    bool offsetsChanged = false;
    if (!ShowPrintForm(owner, printDialogSettings(report, currentPage > 0, currentPage), options,
                       &offsetsChanged))
        return std::nullopt;
    options.printBackColor = report.PrintBackColor;
    if (offsetsChanged) {
        report.PrintOffsetLeft = options.offsetLeft;
        report.PrintOffsetTop = options.offsetTop;
        report.SaveReportSetting();
    }
    return options;
}

TRMPrintResult printReportPages(QWidget* owner, TRMReport& report,
                                const TRMPrintRunOptions& options) {
    TRMPreparedPageSource pages(report.EMFPages);
    ReportProgress reportProgress(report);
    TRMPrintRequest request;
    request.options = options;
    request.showProgress = report.ShowProgress;
    if (report.OnProgress)
        request.progress = &reportProgress;
    request.terminated = &report.Terminated;
    report.Terminated = false;
    return PrintPages(owner, pages, request);
}

void PrintPreparedReport(TRMReport& report, QWidget* owner) {
    if (report.EMFPages.Count() == 0 || !RMPrinter().Printers().HasRealPrinter())
        return;
    if (const std::optional<TRMPrintRunOptions> options = askPrintOptions(owner, report))
        printReportPages(owner, report, *options);
}

} // namespace report
