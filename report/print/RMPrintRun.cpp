#include "report/print/RMPrintRun.h"

#include "platform/EngineTexts.h"
#include "platform/Metafile.h"
#include "report/engine/model/RMUnits.h"
#include "report/print/RMPageList.h"

#include <cmath>

namespace report {

namespace {

int pagePixels(std::int32_t tenthsMm) {
    return static_cast<int>(std::lround(RMToScreenPixels(tenthsMm / 10.0, rmutMillimeters)));
}

int rounded(double value) {
    return static_cast<int>(std::lround(value));
}

} // namespace

TRMPrintRun::TRMPrintRun(TRMPageSource& source, TRMCustomPrinter& printer, TRMPrintDevice& device)
    : source_(source)
    , printer_(printer)
    , device_(device) {}

TRMPrintResult TRMPrintRun::Execute(const TRMPrintRunOptions& options) {
    options_ = options;
    result_ = {};
    const int count = source_.PageCount();
    try {
        pages_ = parsePageList(options.pageList, count);
    } catch (const EConvertError& e) {
        result_.status = TRMPrintStatus::BadPageList;
        result_.message = e.what();
        return result_;
    }
    const int copies = std::max(1, options.copies);
    if (Progress != nullptr)
        Progress->setCaption(platform::engineText(47203) +
                             (options.reportTitle.empty() ? "" : " - " + options.reportTitle));
    if (OnPrintReport)
        OnPrintReport();

    try {
        if (!options.pageOrder.empty()) {
            for (std::size_t i = 0; i < options.pageOrder.size() && !cancelled(); ++i) {
                const int index = options.pageOrder[i];
                if (index < 0 || index >= count)
                    throw Failure{"报表没有第 " + std::to_string(index + 1) + " 页"};
                printPage(index);
                endOfPage(index);
            }
        } else if (options.collate) {
            for (int copy = 0; copy < copies && !cancelled(); ++copy)
                for (int i = 0; i < count && !cancelled(); ++i) {
                    if (!inList(i + 1))
                        continue;
                    printPage(i);
                    endOfPage(i);
                }
        } else {
            for (int i = 0; i < count && !cancelled(); ++i) {
                if (!inList(i + 1))
                    continue;
                for (int copy = 0; copy < copies && !cancelled(); ++copy)
                    printPage(i);
                endOfPage(i);
            }
        }
        finishRun();
    } catch (const Failure& failure) {
        fail(failure);
    }
    result_.outputs = device_.Outputs();
    return result_;
}

TRMPrintResult TRMPrintRun::ExecuteInOrder(const TRMPrintRunOptions& options,
                                           const std::function<bool(int)>& pageReady) {
    options_ = options;
    options_.pageList.clear();
    options_.pageOrder.clear();
    result_ = {};
    pages_.clear();
    if (OnPrintReport)
        OnPrintReport();
    try {
        for (int i = 0; !cancelled() && pageReady(i); ++i) {
            printPage(i);
            endOfPage(i);
        }
        finishRun();
    } catch (const Failure& failure) {
        fail(failure);
    }
    result_.outputs = device_.Outputs();
    return result_;
}

void TRMPrintRun::fail(const Failure& failure) {
    device_.Abort();
    printer_.SetPrinting(false);
    result_.status = TRMPrintStatus::Failed;
    result_.message = failure.message;
}

void TRMPrintRun::finishRun() {
    if (cancelled()) {
        device_.Abort();
        printer_.SetPrinting(false);
        result_.status = TRMPrintStatus::Cancelled;
        return;
    }
    if (device_.Printing())
        endJob();
    result_.status = result_.pagesPrinted > 0 ? TRMPrintStatus::Printed : TRMPrintStatus::Nothing;
}

TRMPaperRequest TRMPrintRun::paperFor(const TRMPageInfo& page) const {
    if (!options_.scalePaper)
        return paperRequestOf(page);
    // Every page lands on the scale paper, turned like the page itself.
    const TRMScalePaper& paper = *options_.scalePaper;
    return {paper.code, paper.width, paper.height, page.Orientation, -1};
}

void TRMPrintRun::startJob(const TRMPaperRequest& paper) {
    printer_.SetPrinting(false);
    printer_.SetPrinterInfo(paper.size, paper.width, paper.height, paper.orientation, paper.bin);
    const TRMPrintJob job = printer_.CurrentJob(options_.jobTitle);
    geometry_ = job.geometry;
    dpiX_ = job.dpiX;
    dpiY_ = job.dpiY;
    if (!device_.BeginDoc(job))
        throw Failure{device_.ErrorText()};
    printer_.SetPrinting(true);
}

void TRMPrintRun::endJob() {
    printer_.SetPrinting(false);
    if (!device_.EndDoc())
        throw Failure{device_.ErrorText()};
    ++result_.jobs;
}

void TRMPrintRun::printPage(int index) {
    const int pageNo = index + 1;
    if ((options_.parity == 1 && pageNo % 2 == 0) || (options_.parity == 2 && pageNo % 2 == 1))
        return;
    const TRMPageInfo page = source_.Page(index);
    const TRMPaperRequest paper = paperFor(page);
    if (device_.Printing()) {
        if (!printer_.SamePaper(paper.size, paper.width, paper.height, paper.orientation,
                                paper.bin)) {
            endJob();
            startJob(paper);
        } else if (!device_.NewPage()) {
            throw Failure{device_.ErrorText()};
        }
    } else {
        startJob(paper);
    }
    if (options_.scalePaper)
        drawScaled(index, page);
    else
        drawPage(index);
    ++result_.pagesPrinted;
    if (Progress != nullptr) {
        Progress->setLine(platform::engineText(47208) + std::to_string(pageNo));
        Progress->setPosition(pageNo);
        Progress->processEvents();
    }
}

void TRMPrintRun::endOfPage(int index) {
    if (!OnEndPrintPage || cancelled())
        return;
    if (device_.Printing())
        endJob();
    int pg = index;
    OnEndPrintPage(pg);
}

void TRMPrintRun::drawBackground(int index, platform::TCanvas& canvas, double fx, double fy, int dx,
                                 int dy) {
    if (options_.stationery)
        return;
    const std::optional<TRMSourceBackground> background = source_.Background(index);
    if (!background || background->picture == nullptr || background->picture->isEmpty())
        return;
    const platform::Picture& picture = *background->picture;
    const int width = background->width >= 0 ? background->width : picture.width();
    const int height = background->height >= 0 ? background->height : picture.height();
    const platform::TRect rect{rounded(background->left * fx) - dx,
                               rounded(background->top * fy) - dy,
                               rounded((background->left + width) * fx) - dx,
                               rounded((background->top + height) * fy) - dy};
    canvas.stretchDraw(rect, picture);
}

TRMDrawContext TRMPrintRun::context(int scalePercent) const {
    TRMDrawContext c = TRMDrawContext::printer(dpiX_, dpiY_);
    c.PrintScale = scalePercent;
    c.Taoda = options_.stationery;
    c.PrintBackColor = options_.printBackColor;
    return c;
}

void TRMPrintRun::drawPage(int index) {
    const TRMPageGeometry& g = geometry_;
    platform::TCanvas& canvas = device_.Canvas();
    const double fx = g.paperWidth > 0 ? static_cast<double>(g.pageWidthPx) / g.paperWidth : 1.0;
    const double fy = g.paperHeight > 0 ? static_cast<double>(g.pageHeightPx) / g.paperHeight : 1.0;
    drawBackground(index, canvas, fx, fy, g.printableLeftPx, g.printableTopPx);
    // The printer's origin is the corner of its printable area: the sheet starts before it.
    platform::TRect rect{-g.printableLeftPx, -g.printableTopPx, g.pageWidthPx - g.printableLeftPx,
                         g.pageHeightPx - g.printableTopPx};
    if (options_.offsetLeft != 0 || options_.offsetTop != 0) {
        const int dx =
            g.paperWidth > 0
                ? rounded(options_.offsetLeft * (static_cast<double>(rect.width()) / g.paperWidth))
                : 0;
        const int dy =
            g.paperHeight > 0
                ? rounded(options_.offsetTop * (static_cast<double>(rect.height()) / g.paperHeight))
                : 0;
        rect = rect.offset(dx, dy);
    }
    source_.DrawPage(index, canvas, rect, context(options_.scalePercent));
}

void TRMPrintRun::drawScaled(int index, const TRMPageInfo& page) {
    const int width = page.Width > 0 ? page.Width : pagePixels(page.PaperWidth);
    const int height = page.Height > 0 ? page.Height : pagePixels(page.PaperHeight);
    platform::TMetafile metafile(width, height);
    {
        platform::TMetafileCanvas canvas(metafile);
        canvas.Brush.Color = platform::clWhite;
        canvas.Brush.Style = platform::bsSolid;
        canvas.fillRect({0, 0, width, height});
        drawBackground(index, canvas, 1.0, 1.0, 0, 0);
        // Printed at page scale; the percentage is applied once, by the placement below.
        source_.DrawPage(index, canvas, {0, 0, width, height}, context(100));
    }
    // Placement: from the printer's origin, the printer page scaled by the percentage.
    const TRMPageGeometry& g = geometry_;
    const int percent = options_.scalePercent > 0 ? options_.scalePercent : 100;
    device_.Canvas().stretchDraw(
        {0, 0, rounded(g.pageWidthPx * percent / 100.0), rounded(g.pageHeightPx * percent / 100.0)},
        metafile);
}

} // namespace report
