// Speed of the drawing path: memo cell layout (expand, wrap, CalcHeight) and prepared
// pages drawn through paintPage onto a PDF writer, against raw QPainter drawing the same
// rectangles and texts in the same run.

#include "platform/Canvas.h"
#include "platform/GuiStartup.h"
#include "report/engine/RMMemoView.h"
#include "report/engine/RMReport.h"
#include "report/engine/RMUnits.h"

#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace report;

namespace {

const char* const cellTexts[] = {
    "核算单位档案",
    "北京分公司 Beijing Branch",
    "0001",
    "财务部（会计核算中心）",
    "Accounting unit 12",
    "上海市浦东新区世纪大道100号环球金融中心",
    "2026-12-09",
    "张三、李四",
    "ABC-123 研发中心二部",
};

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
        report.Variables.SetVariable("cell", platform::Variant(std::string(cellTexts[i % 9])));
        benchmark::DoNotOptimize(memo.CalcHeight(report));
        lines += memo.Memo1.size();
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["lines/cell"] = static_cast<double>(lines) / static_cast<double>(i);
    state.SetLabel("items = cells");
}
BENCHMARK(BM_MemoCellLayout);

constexpr int tablePages = 500, rows = 40, cols = 6, cellW = 115, cellH = 22, left = 48, top = 80;

std::string cellText(int page, int row, int col) {
    return std::string(cellTexts[(page + row * 7 + col) % 9]).substr(0, col == 5 ? 18 : 36);
}

// 500 prepared pages of a bordered 40 × 6 table with a header and a page footer.
TRMReport& tableReport() {
    static TRMReport report;
    if (report.EMFPages.Count() > 0)
        return report;
    TRMPage templatePage;
    for (int p = 0; p < tablePages; ++p) {
        TRMEMFPage* page = report.EMFPages.AddPage(templatePage);
        TRMMemoView memo;
        memo.Font.Name = "宋体";
        memo.Font.Size = 9;
        memo.StreamMode = smPrepared;
        memo.SetBounds(left, 40, cols * cellW, 30);
        memo.setAlignment(2);
        memo.Font.Size = 14;
        memo.Memo1 = {"核算单位档案"};
        TRMEMFPages::WriteView(page->Stream, memo);
        memo.Font.Size = 9;
        memo.setAlignment(0);
        memo.setFrameTyp(15);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                memo.SetBounds(left + c * cellW, top + r * cellH, cellW, cellH);
                memo.Memo1 = {cellText(p, r, c)};
                TRMEMFPages::WriteView(page->Stream, memo);
            }
        memo.setFrameTyp(0);
        memo.setAlignment(2);
        memo.SetBounds(left, top + rows * cellH + 20, cols * cellW, 20);
        memo.Memo1 = {"第" + std::to_string(p + 1) + "页/共" + std::to_string(tablePages) + "页"};
        TRMEMFPages::WriteView(page->Stream, memo);
    }
    return report;
}

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
        QFont title(QStringLiteral("宋体"));
        title.setPixelSize(static_cast<int>(19 * s));
        QFont body(QStringLiteral("宋体"));
        body.setPixelSize(static_cast<int>(12 * s));
        QPen pen(Qt::black, s, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
        for (int p = 0; p < tablePages; ++p) {
            if (p > 0)
                pdf.newPage();
            painter.setFont(title);
            painter.drawText(QRectF(left * s, 40 * s, cols * cellW * s, 30 * s),
                             Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("核算单位档案"));
            painter.setFont(body);
            painter.setPen(pen);
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < cols; ++c) {
                    const QRectF cell((left + c * cellW) * s, (top + r * cellH) * s, cellW * s,
                                      cellH * s);
                    painter.drawRect(cell);
                    painter.drawText(cell.adjusted(2 * s, 2 * s, -2 * s, -2 * s),
                                     Qt::AlignLeft | Qt::AlignTop,
                                     QString::fromStdString(cellText(p, r, c)));
                }
            painter.drawText(
                QRectF(left * s, (top + rows * cellH + 20) * s, cols * cellW * s, 20 * s),
                Qt::AlignHCenter | Qt::AlignTop,
                QStringLiteral("第%1页/共%2页").arg(p + 1).arg(tablePages));
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
