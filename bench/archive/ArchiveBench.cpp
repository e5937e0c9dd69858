// Start-up and first fill of the archive window over a SQLite table of 10,000 and 100,000
// units through the host's data service: construction (server time, operator, parameters),
// show (query, packet, dataset, Records, grid), until the grid holds every row. Reports the
// heap the filled window holds. Also: one row save on a large table; the archive's report
// built and prepared; Ctrl+V until the preview shows its first page and Ctrl+P until the
// PDF printer's file is complete, each with the process's peak resident memory.

#include "archive/TfrmAcountUnitArchives.h"
#include "grid/TAdvStringGrid.h"
#include "host/CoorDispService.h"
#include "host/DemoDatabase.h"
#include "host/SqliteDatabase.h"
#include "platform/GuiStartup.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "plugin/HostContext.h"
#include "report/engine/model/RMReport.h"
#include "report/formreport/RMFormReport.h"
#include "report/print/RMPdfPrinter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <map>
#include <memory>

namespace {

QTemporaryDir* scratch = nullptr;

struct Archive {
    std::shared_ptr<host::SqliteDatabase> database;
    platform::DispatchRef service;
};

// One database per size, built once.
Archive& archiveOf(int units) {
    static std::map<int, Archive> built;
    auto it = built.find(units);
    if (it != built.end())
        return it->second;
    const std::string path =
        (scratch->path() + QString("/units-%1.sqlite").arg(units)).toStdString();
    host::createDemoDatabase(path);
    auto db =
        std::make_shared<host::SqliteDatabase>(path, host::SqliteDatabase::OpenMode::ExistingOnly);
    std::string sql = "delete from tbHsdwda; begin;";
    for (int i = 1; i <= units; ++i) {
        char row[96];
        std::snprintf(row, sizeof row, "insert into tbHsdwda values('%06d','核算单位第%d号');", i,
                      i);
        sql += row;
    }
    sql += "commit;";
    db->executeOrThrow(sql);
    Archive a{db, host::CoorDispService::create(db)};
    return built.emplace(units, std::move(a)).first->second;
}

// Heap bytes in use (freed blocks that malloc keeps are not counted).
double heapMiB() {
    return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

// Peak resident memory of the process since the last resetPeakResident, MiB.
void resetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}
double peakResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0; // kB
    return 0;
}

void useService(Archive& archive) {
    plugin::HostContext& context = plugin::hostContext();
    context.DataService = plugin::ICoorDisp(archive.service);
    context.OperatorCode = "0001";
}

void BM_StartUpAndFirstFill(benchmark::State& state) {
    const int units = static_cast<int>(state.range(0));
    Archive& archive = archiveOf(units);
    useService(archive);
    platform::ScriptedMessageBoxes boxes;
    double added = 0;
    for (auto _ : state) {
        const double before = heapMiB();
        auto* window = new archive::TfrmAcountUnitArchives(nullptr, "cm");
        window->show(); // FormShow fills the grid
        if (window->sgdAcountUnitArchives->RowCount() != units + 1 || boxes.count() != 0)
            state.SkipWithError("grid not filled");
        state.PauseTiming();
        added = heapMiB() - before;
        delete window;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["units"] = units;
    state.counters["heap_MiB"] = added;
}
BENCHMARK(BM_StartUpAndFirstFill)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// One row save on a large table: the renamed row is written with one statement.
void BM_RowSave(benchmark::State& state) {
    Archive& archive = archiveOf(100000);
    useService(archive);
    platform::ScriptedMessageBoxes boxes;
    auto* window = new archive::TfrmAcountUnitArchives(nullptr, "cm");
    window->show();
    auto* grid = window->sgdAcountUnitArchives;
    int n = 0;
    for (auto _ : state) {
        grid->setCells(1, 50000, "改名" + std::to_string(++n));
        grid->setModifed(true);
        if (!window->rows().SaveRow())
            state.SkipWithError("save refused");
    }
    delete window;
}
BENCHMARK(BM_RowSave)->Unit(benchmark::kMicrosecond);

// The archive's report built from the window and prepared in two passes (no output).
void BM_BuildAndPrepare(benchmark::State& state) {
    const int units = static_cast<int>(state.range(0));
    Archive& archive = archiveOf(units);
    useService(archive);
    platform::ScriptedMessageBoxes boxes;
    auto* window = new archive::TfrmAcountUnitArchives(nullptr, "cm");
    window->show();
    report::TRMFormReport& r = *window->RMFormReport1;
    r.ShowProgress = false;
    for (auto _ : state) {
        r.RebuildFromControls();
        if (!r.ReportEngine().PrepareReport())
            state.SkipWithError("not prepared");
    }
    state.counters["pages"] = r.ReportEngine().EMFPages.Count();
    delete window;
}
BENCHMARK(BM_BuildAndPrepare)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

// Ctrl+V on the archive: both preparation passes until the preview window shows its first
// page (the modal hook runs once the window is up and its event loop runs).
void BM_PreviewFirstPage(benchmark::State& state) {
    const int units = static_cast<int>(state.range(0));
    Archive& archive = archiveOf(units);
    useService(archive);
    platform::ScriptedMessageBoxes boxes;
    auto* window = new archive::TfrmAcountUnitArchives(nullptr, "cm");
    window->show();
    QElapsedTimer clock;
    double seconds = 0, peak = 0;
    platform::ModalHook hook([&](QWidget* preview) {
        seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        peak = peakResidentMiB();
        preview->close();
    });
    for (auto _ : state) {
        resetPeakResident();
        clock.start();
        window->btnPreviewClick();
        if (hook.count() == 0 || boxes.count() != 0)
            state.SkipWithError("no preview");
        state.SetIterationTime(seconds);
    }
    state.counters["units"] = units;
    state.counters["peak_RSS_MiB"] = peak;
    delete window;
}
BENCHMARK(BM_PreviewFirstPage)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(2);

// Ctrl+P on the archive, answered OK: the default printer (here the PDF printer) until its
// file is complete.
void BM_PrintToPdf(benchmark::State& state) {
    const int units = static_cast<int>(state.range(0));
    Archive& archive = archiveOf(units);
    useService(archive);
    const QString folder = scratch->path() + "/pdf";
    report::setPdfOutputFolder(folder.toStdString());
    platform::ScriptedMessageBoxes boxes; // OK to the confirmation and the file's notice
    auto* window = new archive::TfrmAcountUnitArchives(nullptr, "cm");
    window->show();
    double peak = 0, megabytes = 0;
    for (auto _ : state) {
        QDir(folder).removeRecursively();
        boxes.clear();
        resetPeakResident();
        window->btnPrintClick();
        peak = peakResidentMiB();
        const QFileInfoList files = QDir(folder).entryInfoList({"*.pdf"}, QDir::Files);
        if (files.size() != 1 || boxes.count() != 2)
            state.SkipWithError("no PDF file");
        else
            megabytes = static_cast<double>(files[0].size()) / (1024.0 * 1024.0);
    }
    state.counters["units"] = units;
    state.counters["peak_RSS_MiB"] = peak;
    state.counters["pdf_MiB"] = megabytes;
    delete window;
}
BENCHMARK(BM_PrintToPdf)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir home;
    scratch = &home;
    const QByteArray runtime = (home.path() + "/runtime").toLocal8Bit();
    QDir().mkpath(QString::fromLocal8Bit(runtime));
    QFile::setPermissions(QString::fromLocal8Bit(runtime),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("XDG_RUNTIME_DIR", runtime.constData(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit().constData(), 1);
    setenv("CUPS_SERVER", "/nonexistent/cups.sock", 1); // the PDF printer is the default
    QApplication app(argc, argv);
    platform::startGui();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
