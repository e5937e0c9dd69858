// Speed of the preview on a 2,500-page prepared report of bordered tables: from showing
// the window to the first page painted, paging with a repaint at 100 % and at page width,
// and finding a word that only the last page holds.

#include "platform/GuiStartup.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMUnits.h"
#include "report/preview/RMPreview.h"
#include "report/preview/RMPreviewForm.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace report;

namespace {

constexpr int pageCount = 2500, rows = 40, cols = 6, cellW = 115, cellH = 22, left = 48, top = 80;

const char* const cellTexts[] = {
    "核算单位档案",         "北京分公司 Beijing Branch",   "0001",       "财务部（会计核算中心）",
    "Accounting unit 12",   "上海市浦东新区世纪大道100号", "2026-12-09", "张三、李四",
    "ABC-123 研发中心二部",
};

// The prepared report, built once; every run takes its pages and gives them back.
TRMReport& tableReport() {
    static TRMReport report;
    if (report.EMFPages.Count() > 0)
        return report;
    TRMPage templatePage;
    for (int p = 0; p < pageCount; ++p) {
        TRMEMFPage* page = report.EMFPages.AddPage(templatePage);
        TRMMemoView memo;
        memo.Font.Name = "宋体";
        memo.Font.Size = 14;
        memo.StreamMode = smPrepared;
        memo.setAlignment(2);
        memo.SetBounds(left, 40, cols * cellW, 30);
        memo.Memo1 = {"核算单位档案"};
        TRMEMFPages::WriteView(page->Stream, memo);
        memo.Font.Size = 9;
        memo.setAlignment(0);
        memo.setFrameTyp(15);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                memo.SetBounds(left + c * cellW, top + r * cellH, cellW, cellH);
                memo.Memo1 = {cellTexts[(p + r * 7 + c) % 9]};
                TRMEMFPages::WriteView(page->Stream, memo);
            }
        memo.setFrameTyp(0);
        memo.setAlignment(2);
        memo.SetBounds(left, top + rows * cellH + 20, cols * cellW, 20);
        memo.Memo1 = {p + 1 == pageCount ? std::string("合计终点 Sentinel")
                                         : "第" + std::to_string(p + 1) + "页"};
        TRMEMFPages::WriteView(page->Stream, memo);
    }
    return report;
}

struct Window {
    explicit Window(TRMReport& report)
        : report_(report) {
        form.resize(1000, 800);
        form.Show_Report(report);
        form.show();
        form.setWindowState(Qt::WindowNoState);
        form.resize(1000, 800);
    }
    ~Window() {
        report_.EMFPages.swapPages(*form.Preview()->pages());
        form.hide();
    }
    // Paints the pages' view as the screen would get it (the offscreen platform exposes
    // nothing, so the view is rendered into an image of its size).
    void paint() {
        QWidget* view = form.Preview()->viewport();
        if (image.size() != view->size())
            image = QImage(view->size(), QImage::Format_ARGB32_Premultiplied);
        view->render(&image);
    }
    TRMReport& report_;
    TRMPreviewForm form;
    QImage image;
};

void BM_ShowToFirstPagePainted(benchmark::State& state) {
    TRMReport& report = tableReport();
    for (auto _ : state) {
        Window w(report);
        w.paint();
        if (w.form.Preview()->model().pagesWithImages().empty())
            state.SkipWithError("the first page was not painted");
    }
    state.counters["pages"] = pageCount;
}
BENCHMARK(BM_ShowToFirstPagePainted)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// Next page and a repaint, at 100 % (arg 0) or page width (arg 1).
void BM_PageAndRepaint(benchmark::State& state) {
    TRMReport& report = tableReport();
    Window w(report);
    TRMPreview& preview = *w.form.Preview();
    if (state.range(0) == 0)
        preview.Zoom(100);
    else
        preview.PageWidth();
    w.paint();
    for (auto _ : state) {
        if (preview.CurPage() == preview.PageCount())
            preview.First();
        preview.Next();
        w.paint();
    }
    state.SetLabel(state.range(0) == 0 ? "100 %" : "page width");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PageAndRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FindWordOnTheLastPage(benchmark::State& state) {
    TRMReport& report = tableReport();
    Window w(report);
    TRMPreview& preview = *w.form.Preview();
    for (auto _ : state) {
        if (!preview.FindText("sentinel", false, true, true) || preview.CurPage() != pageCount)
            state.SkipWithError("the word was not found on the last page");
    }
    state.counters["pages"] = pageCount;
}
BENCHMARK(BM_FindWordOnTheLastPage)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The window stores its placement; keep that out of the user's settings.
    QTemporaryDir config;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    platform::startGui();
    setScreenPixelsPerInch(96, 96);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
