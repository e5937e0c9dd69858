// Speed of the drawing the grid and the preview do on every paint: a screen of grid cells
// (clipped text rectangles and one poly-polyline per axis) drawn directly, recorded, and
// replayed at preview zoom; text measuring; JPEG decoding.

#include "platform/Canvas.h"
#include "platform/GuiStartup.h"
#include "platform/Jpeg.h"
#include "platform/Metafile.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>

namespace {

using namespace platform;

constexpr int Cols = 8;
constexpr int Rows = 40;
constexpr int ColWidth = 100;
constexpr int RowHeight = 18;

void paintGridScreen(TCanvas& c) {
    c.Font.Name = "宋体";
    c.Font.Height = -12;
    std::vector<QPoint> points;
    std::vector<int> counts;
    for (int col = 1; col <= Cols; ++col) {
        points.push_back({col * (ColWidth + 1) - 1, 0});
        points.push_back({col * (ColWidth + 1) - 1, Rows * (RowHeight + 1)});
        counts.push_back(2);
    }
    c.Pen.Color = clGreen;
    c.polyPolyline(points, counts);
    points.clear();
    counts.clear();
    for (int row = 1; row <= Rows; ++row) {
        points.push_back({0, row * (RowHeight + 1) - 1});
        points.push_back({Cols * (ColWidth + 1), row * (RowHeight + 1) - 1});
        counts.push_back(2);
    }
    c.polyPolyline(points, counts);
    c.Brush.Color = 0x00DEFEFB;
    for (int row = 0; row < Rows; ++row)
        for (int col = 0; col < Cols; ++col) {
            const TRect r =
                Bounds(col * (ColWidth + 1), row * (RowHeight + 1), ColWidth, RowHeight);
            c.textRect(r, r.Left + 2, r.Top + 2, "核算单位 " + std::to_string(row * Cols + col));
        }
}

void BM_GridScreenDirect(benchmark::State& state) {
    QImage image(Cols * (ColWidth + 1), Rows * (RowHeight + 1), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        TCanvas canvas(painter);
        paintGridScreen(canvas);
    }
    state.SetItemsProcessed(state.iterations() * Rows * Cols);
}
BENCHMARK(BM_GridScreenDirect)->Unit(benchmark::kMillisecond);

void BM_GridScreenRecord(benchmark::State& state) {
    for (auto _ : state) {
        TMetafile mf(Cols * (ColWidth + 1), Rows * (RowHeight + 1));
        TMetafileCanvas canvas(mf);
        paintGridScreen(canvas);
        benchmark::DoNotOptimize(mf.records().size());
    }
    state.SetItemsProcessed(state.iterations() * Rows * Cols);
}
BENCHMARK(BM_GridScreenRecord)->Unit(benchmark::kMillisecond);

void BM_GridScreenReplayZoom150(benchmark::State& state) {
    TMetafile mf(Cols * (ColWidth + 1), Rows * (RowHeight + 1));
    {
        TMetafileCanvas canvas(mf);
        paintGridScreen(canvas);
    }
    QImage image(int(mf.width() * 1.5), int(mf.height() * 1.5), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        TCanvas canvas(painter);
        mf.play(canvas, QPointF(0, 0), 1.5, 1.5);
    }
    state.SetItemsProcessed(state.iterations() * Rows * Cols);
}
BENCHMARK(BM_GridScreenReplayZoom150)->Unit(benchmark::kMillisecond);

void BM_TextWidth(benchmark::State& state) {
    QImage image(1, 1, QImage::Format_RGB32);
    QPainter painter(&image);
    TCanvas canvas(painter);
    canvas.Font.Name = "宋体";
    canvas.Font.Height = -12;
    int total = 0;
    for (auto _ : state)
        total += canvas.textWidth("核算单位名称 Accounting unit 0001");
    benchmark::DoNotOptimize(total);
}
BENCHMARK(BM_TextWidth);

void BM_JpegDecode640x480(benchmark::State& state) {
    QImage source(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            source.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    const QByteArray jpeg = encodeJpeg(source, 85);
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeJpeg(jpeg));
}
BENCHMARK(BM_JpegDecode640x480)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("TEST_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    platform::startGui();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
