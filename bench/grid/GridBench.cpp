// Costs of the string grid: sparse storage, painting, bulk writes and row operations.
// Runs on the offscreen platform: QT_QPA_PLATFORM=offscreen ./grid_bench

#include "grid/TAdvStringGrid.h"
#include "platform/Canvas.h"
#include "platform/GuiStartup.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <malloc.h>
#include <memory>
#include <string>

namespace {

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

std::string codeText(int i) {
    std::string s = std::to_string(i);
    return std::string(s.size() < 6 ? 6 - s.size() : 0, '0') + s;
}

const std::string kName = "北京市朝阳区分公司"; // 27 bytes: stored on the heap

// 1,000,000 x 2 grid with 100,000 written rows; `stride` 1 writes the first rows, 10
// spreads them over the whole grid.
void sparseStorage(benchmark::State& state) {
    const int stride = static_cast<int>(state.range(0));
    double bytesPerCell = 0;
    for (auto _ : state) {
        auto g = std::make_unique<grid::GridControl>();
        g->setColCount(2);
        g->setRowCount(1000000);
        const std::size_t before = heapInUse();
        for (int i = 0; i < 100000; ++i) {
            g->setCells(0, 1 + i * stride, codeText(i));
            g->setCells(1, 1 + i * stride, kName);
        }
        const std::size_t after = heapInUse();
        bytesPerCell = static_cast<double>(after - before) / 200000.0;
        benchmark::DoNotOptimize(g.get());
    }
    state.counters["bytes_per_cell"] = bytesPerCell;
    state.counters["text_bytes_per_cell"] = (6.0 + static_cast<double>(kName.size())) / 2.0;
}
BENCHMARK(sparseStorage)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(1);

// One full paint of an 800 x 600 grid with the archive's look.
void fullPaint(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    grid::TAdvStringGrid g;
    g.resize(800, 600);
    g.setColCount(2);
    g.setFixedCols(0);
    g.setDefaultRowHeight(18);
    g.Columns().Add().setTitleCaption("核算单位编码");
    g.Columns().Add().setTitleCaption("核算单位名称");
    g.setColWidths(0, 137);
    g.setColWidths(1, 155);
    g.setRowCount(rows);
    for (int r = 1; r < std::min(rows, 100); ++r) {
        g.setCells(0, r, codeText(r));
        g.setCells(1, r, kName);
    }
    g.setClientSize(800, 600);
    QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        platform::TCanvas canvas(painter);
        g.draw(canvas, g.viewState());
    }
}
BENCHMARK(fullPaint)->Arg(100)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Writing 100,000 rows x 2 cells into a grid that already has the rows.
void writeRows(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto g = std::make_unique<grid::TAdvStringGrid>();
        g->setColCount(2);
        g->setRowCount(100001);
        state.ResumeTiming();
        for (int r = 1; r <= 100000; ++r) {
            g->setCells(0, r, codeText(r));
            g->setCells(1, r, kName);
        }
        state.PauseTiming();
        g.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(writeRows)->Unit(benchmark::kMillisecond);

std::unique_ptr<grid::TAdvStringGrid> filledGrid() {
    auto g = std::make_unique<grid::TAdvStringGrid>();
    g->resize(688, 422);
    g->setColCount(2);
    g->setFixedCols(0);
    g->setRowCount(100001);
    for (int r = 1; r <= 100000; ++r) {
        g->setCells(0, r, codeText(r));
        g->setCells(1, r, kName);
    }
    g->setRow(50000);
    return g;
}

void deleteRowInTheMiddle(benchmark::State& state) {
    auto g = filledGrid();
    for (auto _ : state) {
        g->DeleteRow(50000);
        state.PauseTiming();
        g->setRowCount(100001);
        state.ResumeTiming();
    }
}
BENCHMARK(deleteRowInTheMiddle)->Unit(benchmark::kMicrosecond);

void insertRowInTheMiddle(benchmark::State& state) {
    auto g = filledGrid();
    for (auto _ : state) {
        g->InsertRow(50000);
        state.PauseTiming();
        g->setRowCount(100001);
        state.ResumeTiming();
    }
}
BENCHMARK(insertRowInTheMiddle)->Unit(benchmark::kMicrosecond);

void appendRow(benchmark::State& state) {
    auto g = filledGrid();
    for (auto _ : state) {
        g->AppendRow();
        state.PauseTiming();
        g->setRowCount(100001);
        state.ResumeTiming();
    }
}
BENCHMARK(appendRow)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    platform::startGui();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
