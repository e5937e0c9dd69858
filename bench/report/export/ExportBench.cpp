// Exporting the shared tabular pages (40 rows × 6 columns, title and footer) to an Excel
// workbook and to CSV at several page counts: pages per second, and the peak of the heap
// in use during a run above what it was before (malloc's own count, sampled after every
// page), which must not grow with the page count when rows are streamed.

#include "bench/report/engine/TablePages.h"
#include "platform/GuiStartup.h"
#include "report/engine/model/RMProgress.h"
#include "report/engine/model/RMUnits.h"
#include "report/export/RMCsvExportFilter.h"
#include "report/export/RMXlsxExportFilter.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <malloc.h>
#include <numeric>

using namespace report;

namespace {

std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Samples the heap after every page.
class HeapSampler : public TRMProgress {
public:
    HeapSampler()
        : base_(heapInUse())
        , peak_(base_) {}
    void setCaption(const std::string&) override {}
    void setLine(const std::string&) override { peak_ = std::max(peak_, heapInUse()); }
    void processEvents() override {}
    bool cancelled() const override { return false; }
    void cancel() override {}
    double peakMegabytes() const { return static_cast<double>(peak_ - base_) / 1e6; }

private:
    std::size_t base_, peak_;
};

QTemporaryDir& outputFolder() {
    static QTemporaryDir dir;
    return dir;
}

void exportPages(benchmark::State& state, TRMExportFilter& filter, const char* name) {
    TRMReport& report = benchtable::tableReport();
    const int pages = static_cast<int>(state.range(0));
    std::vector<int> indexes(static_cast<std::size_t>(pages));
    std::iota(indexes.begin(), indexes.end(), 0);
    const std::string file = outputFolder().filePath(name).toStdString();
    double peak = 0;
    for (auto _ : state) {
        HeapSampler sampler;
        const TRMExportResult result =
            exportReport(report.EMFPages, filter, file, indexes, &sampler);
        if (result.status != TRMExportStatus::Exported) {
            state.SkipWithError(result.message.c_str());
            break;
        }
        peak = std::max(peak, sampler.peakMegabytes());
    }
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(state.iterations() * pages),
                                                   benchmark::Counter::kIsRate);
    state.counters["peak heap MB"] = peak;
    state.counters["file MB"] =
        static_cast<double>(QFile(QString::fromStdString(file)).size()) / 1e6;
}

void BM_ExportXlsx(benchmark::State& state) {
    TRMXlsxExportFilter filter;
    exportPages(state, filter, "bench.xlsx");
    state.counters["streamed"] = filter.streamed() ? 1 : 0;
}
BENCHMARK(BM_ExportXlsx)
    ->Arg(50)
    ->Arg(100)
    ->Arg(250)
    ->Arg(500)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();

void BM_ExportXlsxSheetPerPage(benchmark::State& state) {
    TRMXlsxExportFilter filter;
    filter.Options.SheetPerPage = true;
    exportPages(state, filter, "bench-sheets.xlsx");
}
BENCHMARK(BM_ExportXlsxSheetPerPage)
    ->Arg(100)
    ->Arg(500)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();

void BM_ExportCsv(benchmark::State& state) {
    TRMCsvExportFilter filter;
    exportPages(state, filter, "bench.csv");
}
BENCHMARK(BM_ExportCsv)
    ->Arg(50)
    ->Arg(100)
    ->Arg(250)
    ->Arg(500)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("CUPS_SERVER", "/nonexistent/cups.sock", 1);
    QApplication app(argc, argv);
    platform::startGui();
    setScreenPixelsPerInch(96, 96);
    benchtable::tableReport();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
