// Preparation of a tabular report: title, page header, a column header of 6 titles, a
// master-data band of 6 framed, stretched memo cells bound to a data source, a group
// footer with a total, and a page footer "第[Page#]页/共[TotalPages#]页", in two passes.
// Counters: pages per second (both passes are one preparation), bytes the prepared pages
// hold per page, rows per second (linear growth: the same at every size), layouts made per cell
// (the final pass reuses the first pass's), and the process's peak resident memory.

#include "platform/MessageBox.h"
#include "report/engine/data/RMRowCursor.h"
#include "report/engine/layout/RMLayoutCache.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMDBDataSet.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMUnits.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace report;

namespace {

constexpr int cellCount = 6;

// Rows generated on demand: a 100,000-row data source costs no memory of its own.
class TableCursor : public TRMRowCursor {
public:
    explicit TableCursor(int rows)
        : rows_(rows) {}
    int fieldCount() const override { return 6; }
    std::string fieldName(int index) const override {
        static const char* const names[] = {"code", "name", "qty", "price", "amount", "grp"};
        return names[index];
    }
    platform::Variant fieldValue(int index) const override {
        const int r = currentRow();
        switch (index) {
        case 0:
            return "A" + std::to_string(100000 + r);
        case 1:
            return std::string("核算单位") + std::to_string(r % 97);
        case 2:
            return r % 50 + 1;
        case 3:
            return 10.5 + r % 13;
        case 4:
            return (r % 50 + 1) * (10.5 + r % 13);
        default:
            return r / 40;
        }
    }

protected:
    int rowCount() const override { return rows_; }

private:
    int rows_;
};

const char* const fields[cellCount] = {"code", "name", "qty", "price", "amount", "code"};
const char* const titles[cellCount] = {"编号", "名称", "数量", "单价", "金额", "备注"};

TRMMemoView& addMemo(TRMPage& page, int left, int top, int width, int height, std::string text,
                     bool framed) {
    auto memo = std::make_unique<TRMMemoView>();
    memo->Name = "Memo" + std::to_string(page.Objects().size() + 1);
    memo->SetBounds(left, top, width, height);
    memo->Font.Name = "宋体";
    memo->Font.Size = 9;
    memo->Memo = {std::move(text)};
    if (framed)
        memo->setFrameTyp(15);
    return static_cast<TRMMemoView&>(*page.addView(std::move(memo)));
}

TRMBandView& addBand(TRMPage& page, int type, int top, int height, const std::string& name) {
    auto band = std::make_unique<TRMBandView>();
    band->setBandType(type);
    band->Name = name;
    band->SetBounds(0, top, 700, height);
    return static_cast<TRMBandView&>(*page.addView(std::move(band)));
}

void buildTable(TRMReport& report) {
    setScreenPixelsPerInch(96, 96);
    TRMPage& page = *report.Pages.Add();
    const int left = page.marginsInPixels().left;
    const int cellWidth = 110;
    addBand(page, rmbtReportTitle, 0, 40, "Title");
    addMemo(page, left, 0, 600, 40, "核算单位档案", false).Font.Size = 16;
    addBand(page, rmbtPageHeader, 50, 20, "PageHeader");
    addMemo(page, left, 50, 600, 20, "制表日期:[Date]", false);
    addBand(page, rmbtColumnHeader, 80, 20, "ColumnHeader");
    for (int c = 0; c < cellCount; ++c)
        addMemo(page, left + c * cellWidth, 80, cellWidth, 20, titles[c], true);
    auto& group = addBand(page, rmbtGroupHeader, 110, 0, "Group");
    group.DisplayFormatText = "[RMDialogForm.BenchRows.\"grp\"]";
    auto& data = addBand(page, rmbtMasterData, 120, 20, "MasterData1");
    data.DisplayFormatText = "RMDialogForm.BenchRows";
    data.setBandFlag(bandflag::Stretched, true);
    for (int c = 0; c < cellCount; ++c) {
        auto& cell = addMemo(page, left + c * cellWidth, 120, cellWidth, 20,
                             std::string("[RMDialogForm.BenchRows.\"") + fields[c] + "\"]", true);
        cell.setFlag(flag::Stretched, true);
        cell.setFlag(flag::Wordwrap, true);
    }
    addBand(page, rmbtGroupFooter, 150, 20, "GroupFooter");
    addMemo(page, left, 150, 300, 20, "小计: [SUM([RMDialogForm.BenchRows.\"amount\"])]", true);
    addBand(page, rmbtPageFooter, 180, 20, "PageFooter");
    addMemo(page, left, 180, 300, 20, "第[Page#]页/共[TotalPages#]页", false);
    report.DoublePass = true;
}

long peakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_PrepareTable(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    TableCursor cursor(rows);
    TRMDBDataSet data("BenchRows");
    data.setDataSet(&cursor);
    TRMReport report;
    report.Datasets.Add(data, "RMDialogForm");
    report.ShowProgress = false;
    buildTable(report);
    int pages = 0;
    std::size_t layouts = 0;
    for (auto _ : state) {
        const std::size_t before = TRMLayoutCache::layoutsMade();
        if (!report.PrepareReport())
            state.SkipWithError("preparation failed");
        layouts = TRMLayoutCache::layoutsMade() - before;
        pages = report.EMFPages.Count();
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["pages"] = pages;
    state.counters["pages/s"] = benchmark::Counter(pages * iterations, benchmark::Counter::kIsRate);
    state.counters["rows/s"] = benchmark::Counter(rows * iterations, benchmark::Counter::kIsRate);
    state.counters["bytes/page"] =
        static_cast<double>(report.EMFPages.heldBytes()) / std::max(1, pages);
    state.counters["layouts/cell"] = static_cast<double>(layouts) / (rows * double(cellCount));
    state.counters["peakRSS_MB"] = peakResidentKb() / 1024.0;
    // PREPARE_BENCH_SAVE=dir keeps the prepared pages of each size as dir/table-N.rmp, for
    // comparing the output of two builds byte for byte.
    if (const char* dir = std::getenv("PREPARE_BENCH_SAVE"))
        report.SavePreparedReport(std::string(dir) + "/table-" + std::to_string(rows) + ".rmp");
}
BENCHMARK(BM_PrepareTable)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    platform::ScriptedMessageBoxes boxes;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
