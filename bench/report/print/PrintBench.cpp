// Printing 500 tabular prepared pages to the built-in PDF printer (print run, page source
// over paintPage, PDF-file device at 600 dpi), against raw QPainter onto a QPdfWriter file
// drawing the same rectangles and texts, in the same run.

#include "bench/report/engine/TablePages.h"
#include "platform/GuiStartup.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMUnits.h"
#include "report/print/RMPdfPrinter.h"
#include "report/print/RMPreparedPageSource.h"
#include "report/print/RMPrintRun.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace report;

namespace {

using benchtable::pageCount;

QTemporaryDir& outputFolder() {
    static QTemporaryDir dir;
    return dir;
}

void clearOutput() {
    QDir folder(outputFolder().path());
    for (const QString& name : folder.entryList({"*.pdf"}, QDir::Files))
        folder.remove(name);
}

void BM_PrintToPdfPrinter(benchmark::State& state) {
    TRMReport& report = benchtable::tableReport();
    TRMPreparedPageSource source(report.EMFPages);
    RMPrinter().SelectByName(rmPdfPrinterName);
    qint64 bytes = 0;
    for (auto _ : state) {
        TRMPdfFileDevice device(outputFolder().path().toStdString());
        TRMPrintRun run(source, RMPrinter(), device);
        TRMPrintRunOptions options;
        options.jobTitle = "bench";
        const TRMPrintResult result = run.Execute(options);
        if (result.status != TRMPrintStatus::Printed || result.pagesPrinted != pageCount) {
            state.SkipWithError(result.message.c_str());
            break;
        }
        bytes = QFile(QString::fromStdString(result.outputs.at(0))).size();
        state.PauseTiming();
        clearOutput();
        state.ResumeTiming();
    }
    state.counters["pdf MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["pages/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * pageCount), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PrintToPdfPrinter)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The drawing call alone onto the same kind of file: what the print run adds is the
// difference to BM_PrintToPdfPrinter.
void BM_PaintPageToPdfFile(benchmark::State& state) {
    TRMReport& report = benchtable::tableReport();
    const TRMDrawContext context = report.printContext(600, 600);
    for (auto _ : state) {
        const QString path = outputFolder().filePath("paint.pdf");
        {
            QPdfWriter pdf(path);
            pdf.setResolution(600);
            pdf.setPageSize(QPageSize(QPageSize::A4));
            pdf.setPageMargins({0, 0, 0, 0});
            QPainter painter(&pdf);
            const platform::TRect full =
                platform::TRect::fromQRect(pdf.pageLayout().fullRectPixels(600));
            for (int p = 0; p < pageCount; ++p) {
                if (p > 0)
                    pdf.newPage();
                platform::TCanvas canvas(painter);
                report.EMFPages.paintPage(p, canvas, full, context);
            }
        }
        state.PauseTiming();
        clearOutput();
        state.ResumeTiming();
    }
    state.counters["pages/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * pageCount), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PaintPageToPdfFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_RawQPainterToPdfFile(benchmark::State& state) {
    benchtable::tableReport();
    const double s = 600.0 / 96.0;
    qint64 bytes = 0;
    for (auto _ : state) {
        const QString path = outputFolder().filePath("raw.pdf");
        {
            QPdfWriter pdf(path);
            pdf.setResolution(600);
            pdf.setPageSize(QPageSize(QPageSize::A4));
            pdf.setPageMargins({0, 0, 0, 0});
            QPainter painter(&pdf);
            benchtable::RawTablePainter raw(painter, s);
            for (int p = 0; p < pageCount; ++p) {
                if (p > 0)
                    pdf.newPage();
                raw.paint(p);
            }
        }
        bytes = QFile(path).size();
        state.PauseTiming();
        clearOutput();
        state.ResumeTiming();
    }
    state.counters["pdf MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["pages/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * pageCount), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RawQPainterToPdfFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Only the built-in PDF printer: no print server is asked.
    setenv("CUPS_SERVER", "/nonexistent/cups.sock", 1);
    QApplication app(argc, argv);
    platform::startGui();
    setScreenPixelsPerInch(96, 96);
    installPrinterLayer();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
