// Speed of the engine core: bracket expansion of a memo line, expression parse and
// evaluation, script parse and script loops (with and without the progress window's
// cancel check), and template writing and reading (10,000 views).

#include "platform/MessageBox.h"
#include "report/engine/expressions/RMDateTime.h"
#include "report/engine/expressions/RMParser.h"
#include "report/engine/expressions/RMScriptParser.h"
#include "report/engine/model/RMBandView.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMReportOutput.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>

using namespace report;

namespace {

void setUpReport(TRMReport& report) {
    GlobalVariables().SetVariable("Title", "核算单位档案");
    GlobalVariables().SetVariable("Oper", "张三");
    report.State.StartDateTime = encodeDate(2026, 12, 9) + encodeTime(9, 0, 0);
    report.State.PageNo = 4;
    report.State.TotalPages = 12;
}

void BM_ExpandMemoLine(benchmark::State& state) {
    TRMReport report;
    setUpReport(report);
    TRMMemoView memo;
    report.CurrentView = &memo;
    const std::string line =
        "[Title]  制表人:[Oper]  日期:[Date #Dyyyy'年'mm'月'dd'日']  第[Page#]页/共[TotalPages#]页";
    for (auto _ : state)
        benchmark::DoNotOptimize(report.ExpandVariables(line));
    state.SetItemsProcessed(state.iterations() * 5); // brackets per line
    state.SetLabel("items = bracket expansions");
}
BENCHMARK(BM_ExpandMemoLine);

void BM_ParseAndEvaluate(benchmark::State& state) {
    TRMParser parser;
    parser.OnGetValue = [](const std::string&) { return platform::Variant(7); };
    const std::string expression =
        "IF((x * 2 + 3) / 4 > 1, ROUND(x * 1.5 + 2), 0) + COPY('abcdef', 2, 3)";
    for (auto _ : state)
        benchmark::DoNotOptimize(parser.Calc(expression));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseAndEvaluate);

const char* const kScript = R"(
{ stars for the row, a running total, a colour by amount }
if [Line#] > 2 then
begin
  Note.Memo := 'more';
  Note.FillColor := $FF
end
else
  Note.Memo := 'first';
s := ''; i := 0
while i < [Line#] do
begin
  s := s + '*';
  i := i + 1
end;
for k := 1 to 3 do total := total + k;
Stars.Memo := s + STR(total)
)";

void BM_ScriptParse(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(TRMScriptParser::parse(kScript, "OnBeforePrint"));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::strlen(kScript)));
}
BENCHMARK(BM_ScriptParse);

// A band's script counting to 100,000 in one preparation; with Arg 1 a progress window is
// shown, so every 16 statements the loop reads the clock for the cancel check.
void BM_ScriptLoop(benchmark::State& state) {
    constexpr int rounds = 100000;
    if (state.range(0) == 1) {
        TRMReportWindows windows;
        windows.ProgressWindow = [](const std::string&) -> std::unique_ptr<TRMProgress> {
            return std::make_unique<TRMHeadlessProgress>();
        };
        installReportWindows(windows);
    }
    TRMReport report;
    TRMPage& page = *report.Pages.Add();
    auto band = std::make_unique<TRMBandView>();
    band->setBandType(rmbtReportTitle);
    band->SetBounds(0, page.marginsInPixels().top, 300, 20);
    band->OnBeforePrint = {"i := 0", "while i < " + std::to_string(rounds) + " do i := i + 1"};
    page.addView(std::move(band));
    for (auto _ : state)
        report.PrepareReport();
    installReportWindows({});
    state.SetItemsProcessed(state.iterations() * rounds);
    state.SetLabel("items = loop rounds (one statement each)");
}
BENCHMARK(BM_ScriptLoop)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void buildLargeReport(TRMReport& report, int views) {
    TRMPage* page = report.Pages.Add();
    for (int i = 0; i < views; ++i) {
        auto memo = std::make_unique<TRMMemoView>();
        memo->Name = "Memo" + std::to_string(i + 1);
        memo->Memo = {"[Title] 第" + std::to_string(i) + "行", "核算单位编码"};
        memo->SetBounds(i % 7 * 100, i / 7 * 20, 100, 20);
        memo->setFrameTyp(15);
        page->addView(std::move(memo));
    }
}

void BM_WriteTemplate10000Views(benchmark::State& state) {
    TRMReport report;
    buildLargeReport(report, 10000);
    std::size_t bytes = 0;
    for (auto _ : state) {
        RMStream stream;
        report.SaveToStream(stream);
        bytes = stream.size();
        benchmark::DoNotOptimize(stream.bytes().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_WriteTemplate10000Views)->Unit(benchmark::kMillisecond);

void BM_ReadTemplate10000Views(benchmark::State& state) {
    TRMReport source;
    buildLargeReport(source, 10000);
    RMStream stream;
    source.SaveToStream(stream);
    const std::string bytes = stream.takeBytes();
    for (auto _ : state) {
        TRMReport report;
        RMStream in(bytes);
        benchmark::DoNotOptimize(report.LoadFromStream(in));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadTemplate10000Views)->Unit(benchmark::kMillisecond);

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
