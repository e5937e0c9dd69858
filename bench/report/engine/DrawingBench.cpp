// Speed of the drawing path: memo cell layout (expand, wrap, CalcHeight), the archive's
// rich captions prepared and drawn (with the view's cached document and parsed anew), and
// prepared pages drawn through paintPage onto a PDF writer, against raw QPainter drawing
// the same rectangles and texts in the same run.

#include "bench/report/engine/TablePages.h"
#include "platform/Canvas.h"
#include "platform/GuiStartup.h"
#include "tests/report/engine/ArchiveCaptions.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMRichView.h"
#include "report/engine/model/RMUnits.h"
#include "report/engine/model/RMVariables.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace report;

namespace {

void BM_MemoCellLayout(benchmark::State& state) {
    TRMReport report;
    TRMMemoView memo;
    memo.SetBounds(0, 0, 120, 20);
    memo.setFrameTyp(15);
    memo.Font.Name = "宋体";
    memo.Font.Size = 9;
    memo.setFlag(flag::Wordwrap, true);
    memo.Memo = {"[cell]"};
    std::size_t i = 0, lines = 0;
    for (auto _ : state) {
        report.Variables.SetVariable(
            "cell", platform::Variant(std::string(benchtable::cellTextAt(static_cast<int>(i)))));
        benchmark::DoNotOptimize(memo.CalcHeight(report));
        lines += memo.Memo1.size();
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["lines/cell"] = static_cast<double>(lines) / static_cast<double>(i);
    state.SetLabel("items = cells");
}
BENCHMARK(BM_MemoCellLayout);

// The column-footer caption of every page: expand, height search, write.
void BM_RichCaptionPrepare(benchmark::State& state) {
    TRMReport report;
    GlobalVariables().SetVariable("Oper", "张三");
    TRMRichView view;
    view.SetBounds(38, 0, 718, 0);
    view.RichText = std::string(ArchiveColumnFooterCaption);
    int page = 0;
    for (auto _ : state) {
        report.State.PageNo = page++;
        RMStream stream;
        view.Height = view.CalcHeight(report);
        benchmark::DoNotOptimize(view.PrintToStream(report, stream));
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("items = captions");
}
BENCHMARK(BM_RichCaptionPrepare);

// A page with the header and column-footer captions drawn on a 96-dpi image; `cached`
// draws one decoded page again and again, otherwise every draw decodes the page anew
// (each caption parsed and laid out once per draw).
void richCaptionDraw(benchmark::State& state, bool cached) {
    TRMReport report;
    GlobalVariables().SetVariable("Title", "核算单位档案");
    TRMPage templatePage;
    report.EMFPages.AddPage(templatePage);
    RMStream& stream = report.EMFPages[0]->Stream;
    TRMRichView header;
    header.SetBounds(38, 38, 718, 0);
    header.RichText = std::string(ArchivePageHeaderCaption);
    header.Height = header.CalcHeight(report);
    header.PrintToStream(report, stream);
    TRMRichView footer = header;
    footer.Top = 1000;
    footer.RichText = std::string(ArchiveColumnFooterCaption);
    footer.Height = footer.CalcHeight(report);
    footer.PrintToStream(report, stream);
    QImage image(794, 1123, QImage::Format_RGB32);
    for (auto _ : state) {
        if (!cached)
            report.EMFPages.releaseViews();
        QPainter painter(&image);
        platform::TCanvas canvas(painter);
        report.EMFPages.paintPage(0, canvas, platform::Bounds(0, 0, 794, 1123), {});
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("items = pages (2 captions)");
}
void BM_RichCaptionDraw(benchmark::State& state) {
    richCaptionDraw(state, true);
}
void BM_RichCaptionDrawUncached(benchmark::State& state) {
    richCaptionDraw(state, false);
}
BENCHMARK(BM_RichCaptionDraw);
BENCHMARK(BM_RichCaptionDrawUncached);

using benchtable::tableReport;
constexpr int tablePages = benchtable::pageCount;

void setUpPdf(QPdfWriter& pdf) {
    pdf.setResolution(600);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins({0, 0, 0, 0});
}

void BM_PdfPaintPage(benchmark::State& state) {
    TRMReport& report = tableReport();
    const TRMDrawContext ctx = report.printContext(600, 600);
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&out);
        setUpPdf(pdf);
        QPainter painter(&pdf);
        const platform::TRect full =
            platform::TRect::fromQRect(pdf.pageLayout().fullRectPixels(600));
        for (int p = 0; p < tablePages; ++p) {
            if (p > 0)
                pdf.newPage();
            platform::TCanvas canvas(painter);
            report.EMFPages.paintPage(p, canvas, full, ctx);
        }
        painter.end();
        state.counters["pdf MB"] = static_cast<double>(out.size()) / 1e6;
    }
    state.counters["pages/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * tablePages), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PdfPaintPage)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_PdfRawQPainter(benchmark::State& state) {
    tableReport();
    const double s = 600.0 / 96.0;
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&out);
        setUpPdf(pdf);
        QPainter painter(&pdf);
        benchtable::RawTablePainter raw(painter, s);
        for (int p = 0; p < tablePages; ++p) {
            if (p > 0)
                pdf.newPage();
            raw.paint(p);
        }
        painter.end();
        state.counters["pdf MB"] = static_cast<double>(out.size()) / 1e6;
    }
    state.counters["pages/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * tablePages), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PdfRawQPainter)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    platform::startGui();
    setScreenPixelsPerInch(96, 96);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
