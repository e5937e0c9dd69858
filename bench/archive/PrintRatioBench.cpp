// Printing against the obvious hand-written program, both in one run so that the ratios hold
// on a loaded machine:
// - Ctrl+P of the archive over 100,000 units onto the PDF printer until the file is complete,
//   beside a plain QPainter → QPdfWriter listing of the same pages (A4, 38-pixel margins,
//   the title with drawText, a framed two-column table of 49 rows a page with a drawRect and
//   a drawText per cell, the column titles on each page, three footer lines, the printout's
//   fonts, 600 dots per inch);
// - paintPage of the shared 500-page tabular document into QPdfWriter beside the raw loop
//   drawing the same rectangles and texts.
// The archive's Ctrl+P runs printing while preparing (the default, `overlapped:1`) and printing
// after preparing (`overlapped:0`); that one also with every text shaped (`shaped:1`), the
// path before glyph runs. The ratios are printed at the end, with the resident memory of the
// open window and the peak of its Ctrl+P (counters `window_RSS_MiB`, `peak_RSS_MiB`,
// `print_over_window_MiB`).

#include "archive/TfrmAcountUnitArchives.h"
#include "bench/report/engine/TablePages.h"
#include "host/CoorDispService.h"
#include "host/DemoDatabase.h"
#include "host/SqliteDatabase.h"
#include "platform/GdiObjects.h"
#include "platform/GlyphRuns.h"
#include "platform/GuiStartup.h"
#include "platform/MessageBox.h"
#include "plugin/HostContext.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMUnits.h"
#include "report/print/RMOverlappedPrint.h"
#include "report/print/RMPdfPrinter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <malloc.h>
#include <map>
#include <memory>

namespace {

QTemporaryDir* scratch = nullptr;
int units = 100000; // BENCH_UNITS=n for another size
constexpr int rowsPerPage = 49;

// Wall and CPU seconds per benchmark name (last iteration), for the ratios.
struct Seconds {
    double wall{0}, cpu{0};
};
std::map<std::string, Seconds>& seconds() {
    static std::map<std::string, Seconds> s;
    return s;
}
// Resident memory of the open window and the peak of its print run (MiB, last iteration).
struct Resident {
    double window{0}, peak{0};
};
std::map<std::string, Resident>& resident() {
    static std::map<std::string, Resident> r;
    return r;
}

// CPU seconds of the process, all its threads (an overlapped print has two): steadier than
// wall time on a loaded machine.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double statusMiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0)
            return std::stod(line.substr(length)) / 1024.0;
    return 0;
}
double peakResidentMiB() {
    return statusMiB("VmHWM:");
}
// What the process holds now, after the heap gave back what it keeps free (the database
// set-up's statements), so that it is the open window's own memory.
double residentMiB() {
    malloc_trim(0);
    return statusMiB("VmRSS:");
}
void resetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

std::string unitCode(int i) {
    char code[16];
    std::snprintf(code, sizeof code, "%06d", i);
    return code;
}
std::string unitName(int i) {
    return "核算单位第" + std::to_string(i) + "号";
}

platform::DispatchRef& archiveService() {
    static std::shared_ptr<host::SqliteDatabase> db;
    static platform::DispatchRef service;
    if (db)
        return service;
    const std::string path = (scratch->path() + "/units.sqlite").toStdString();
    host::createDemoDatabase(path);
    db = std::make_shared<host::SqliteDatabase>(path, host::SqliteDatabase::OpenMode::ExistingOnly);
    std::string sql = "delete from tbHsdwda; begin;";
    for (int i = 1; i <= units; ++i)
        sql += "insert into tbHsdwda values('" + unitCode(i) + "','" + unitName(i) + "');";
    sql += "commit;";
    db->executeOrThrow(sql);
    service = host::CoorDispService::create(db);
    return service;
}

void BM_ArchiveCtrlPToPdf(benchmark::State& state) {
    const bool shaped = state.range(0) != 0;
    const bool overlapped = state.range(1) != 0;
    report::setOverlappedPrint(overlapped);
    plugin::HostContext& context = plugin::hostContext();
    context.DataService = plugin::ICoorDisp(archiveService());
    context.OperatorCode = "0001";
    const QString folder = scratch->path() + (shaped ? "/pdf-shaped" : "/pdf-runs") +
                           (overlapped ? "" : "-sequential");
    report::setPdfOutputFolder(folder.toStdString());
    platform::ScriptedMessageBoxes boxes;
    auto* window = new archive::TfrmAcountUnitArchives(nullptr, "cm");
    window->show();
    platform::setPlainTextGlyphRuns(!shaped);
    Resident memory;
    Seconds took;
    for (auto _ : state) {
        QDir(folder).removeRecursively();
        boxes.clear();
        memory.window = residentMiB();
        resetPeakResident();
        const double cpu = cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        window->btnPrintClick();
        took = {static_cast<double>(clock.nsecsElapsed()) / 1e9, cpuSeconds() - cpu};
        memory.peak = peakResidentMiB();
        if (QDir(folder).entryInfoList({"*.pdf"}, QDir::Files).size() != 1 || boxes.count() != 2)
            state.SkipWithError("no PDF file");
    }
    platform::setPlainTextGlyphRuns(true);
    report::setOverlappedPrint(true);
    const std::string run =
        std::string(shaped ? "archive shaped" : "archive") + (overlapped ? "" : " sequential");
    seconds()[run] = took;
    resident()[run] = memory;
    state.counters["window_RSS_MiB"] = memory.window;
    state.counters["peak_RSS_MiB"] = memory.peak;
    state.counters["print_over_window_MiB"] = memory.peak - memory.window;
    delete window;
}
BENCHMARK(BM_ArchiveCtrlPToPdf)
    ->ArgNames({"shaped", "overlapped"})
    ->Args({0, 1})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// The listing as a hand-written program draws it (geometry of the printout in page pixels,
// 96 per inch, scaled to the PDF's 600).
void BM_RawArchiveListing(benchmark::State& state) {
    const double s = 600.0 / 96.0;
    const int pages = (units + rowsPerPage - 1) / rowsPerPage;
    const int left = 38, top = 38, width = 794 - 2 * 38;
    const int colLeft[2] = {38, 175}, colWidth[2] = {137, 155};
    const int headTop = 103, headHeight = 19, rowHeight = 18;
    QFont title(QStringLiteral("黑体"));
    title.setPixelSize(static_cast<int>(22.0 * 96 / 72 * s));
    platform::TFont cellFont;
    cellFont.Name = "MS Sans Serif";
    cellFont.Height = -11;
    const QFont cell = platform::toQFont(cellFont, s);
    QFont footer(QStringLiteral("宋体"));
    footer.setPixelSize(static_cast<int>(12 * s));
    const QPen frame(Qt::black, s, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    const QString heads[2] = {QStringLiteral("核算单位编码"), QStringLiteral("核算单位名称")};
    Seconds took;
    for (auto _ : state) {
        const double cpu = cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        {
            QPdfWriter pdf(scratch->path() + "/raw-archive.pdf");
            pdf.setResolution(600);
            pdf.setPageSize(QPageSize(QPageSize::A4));
            pdf.setPageMargins({0, 0, 0, 0});
            QPainter p(&pdf);
            p.setPen(frame);
            for (int page = 0; page < pages; ++page) {
                if (page > 0)
                    pdf.newPage();
                p.setFont(title);
                p.drawText(QRectF(left * s, top * s, width * s, 40 * s), Qt::AlignHCenter,
                           QStringLiteral("核算单位档案"));
                p.setFont(cell);
                int y = headTop;
                for (int c = 0; c < 2; ++c) {
                    const QRectF r(colLeft[c] * s, y * s, colWidth[c] * s, headHeight * s);
                    p.drawRect(r);
                    p.drawText(r.adjusted(2 * s, 2 * s, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                               heads[c]);
                }
                y += headHeight;
                const int first = page * rowsPerPage + 1;
                const int last = std::min(units, first + rowsPerPage - 1);
                for (int u = first; u <= last; ++u, y += rowHeight) {
                    const QString texts[2] = {QString::fromStdString(unitCode(u)),
                                              QString::fromStdString(unitName(u))};
                    for (int c = 0; c < 2; ++c) {
                        const QRectF r(colLeft[c] * s, y * s, colWidth[c] * s, rowHeight * s);
                        p.drawRect(r);
                        p.drawText(r.adjusted(2 * s, 2 * s, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                                   texts[c]);
                    }
                }
                p.setFont(footer);
                const QString lines[3] = {
                    QStringLiteral("打印日期:20261211  打印时间:050000"),
                    QStringLiteral("操 作 员:0001"),
                    QStringLiteral("页    数:第%1页/共%2页").arg(page + 1).arg(pages)};
                for (int i = 0; i < 3; ++i)
                    p.drawText(QPointF((left + 2) * s, (y + 2 + 12.66 * i + 10) * s), lines[i]);
            }
        }
        took = {static_cast<double>(clock.nsecsElapsed()) / 1e9, cpuSeconds() - cpu};
    }
    seconds()["raw archive"] = took;
    state.counters["pages"] = pages;
}
BENCHMARK(BM_RawArchiveListing)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_EnginePaintPageToPdf(benchmark::State& state) {
    const bool shaped = state.range(0) != 0;
    report::TRMReport& report = benchtable::tableReport();
    const report::TRMDrawContext context = report.printContext(600, 600);
    platform::setPlainTextGlyphRuns(!shaped);
    Seconds took;
    for (auto _ : state) {
        const double cpu = cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        {
            QPdfWriter pdf(scratch->path() + (shaped ? "/paint-shaped.pdf" : "/paint-runs.pdf"));
            pdf.setResolution(600);
            pdf.setPageSize(QPageSize(QPageSize::A4));
            pdf.setPageMargins({0, 0, 0, 0});
            QPainter painter(&pdf);
            const platform::TRect full =
                platform::TRect::fromQRect(pdf.pageLayout().fullRectPixels(600));
            for (int p = 0; p < benchtable::pageCount; ++p) {
                if (p > 0)
                    pdf.newPage();
                platform::TCanvas canvas(painter);
                report.EMFPages.paintPage(p, canvas, full, context);
            }
        }
        took = {static_cast<double>(clock.nsecsElapsed()) / 1e9, cpuSeconds() - cpu};
    }
    platform::setPlainTextGlyphRuns(true);
    seconds()[shaped ? "table shaped" : "table"] = took;
}
BENCHMARK(BM_EnginePaintPageToPdf)
    ->ArgName("shaped")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

void BM_RawTableToPdf(benchmark::State& state) {
    benchtable::tableReport();
    Seconds took;
    for (auto _ : state) {
        const double cpu = cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        {
            QPdfWriter pdf(scratch->path() + "/raw.pdf");
            pdf.setResolution(600);
            pdf.setPageSize(QPageSize(QPageSize::A4));
            pdf.setPageMargins({0, 0, 0, 0});
            QPainter painter(&pdf);
            benchtable::RawTablePainter raw(painter, 600.0 / 96.0);
            for (int p = 0; p < benchtable::pageCount; ++p) {
                if (p > 0)
                    pdf.newPage();
                raw.paint(p);
            }
        }
        took = {static_cast<double>(clock.nsecsElapsed()) / 1e9, cpuSeconds() - cpu};
    }
    seconds()["raw table"] = took;
}
BENCHMARK(BM_RawTableToPdf)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void printRatio(const char* what, const std::string& ours, const std::string& raw) {
    const auto& s = seconds();
    if (s.count(ours) && s.count(raw) && s.at(ours).wall > 0 && s.at(ours).cpu > 0)
        std::printf("%-40s %.2f x the raw loop's speed (wall), %.2f x (CPU)\n", what,
                    s.at(raw).wall / s.at(ours).wall, s.at(raw).cpu / s.at(ours).cpu);
}

void printMemory(const char* what, const std::string& run) {
    if (const auto it = resident().find(run); it != resident().end())
        std::printf("%-40s peak %.0f MiB, the open window %.0f MiB: %+.0f MiB (%d units)\n", what,
                    it->second.peak, it->second.window, it->second.peak - it->second.window, units);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir home;
    scratch = &home;
    // BENCH_KEEP_PDF=1 keeps the files (to compare the texts of both paths).
    if (qEnvironmentVariableIsSet("BENCH_KEEP_PDF")) {
        home.setAutoRemove(false);
        std::printf("files in %s\n", qPrintable(home.path()));
    }
    const QByteArray runtime = (home.path() + "/runtime").toLocal8Bit();
    QDir().mkpath(QString::fromLocal8Bit(runtime));
    QFile::setPermissions(QString::fromLocal8Bit(runtime),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("XDG_RUNTIME_DIR", runtime.constData(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit().constData(), 1);
    setenv("CUPS_SERVER", "/nonexistent/cups.sock", 1); // the PDF printer is the default
    if (const int n = qEnvironmentVariableIntValue("BENCH_UNITS"); n > 0)
        units = n;
    QApplication app(argc, argv);
    platform::startGui();
    report::setScreenPixelsPerInch(96, 96);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printRatio("archive Ctrl+P to PDF, glyph runs", "archive", "raw archive");
    printRatio("archive Ctrl+P to PDF, printed after preparing", "archive sequential",
               "raw archive");
    printRatio("archive Ctrl+P to PDF, all shaped, after preparing", "archive shaped sequential",
               "raw archive");
    printRatio("engine paintPage to PDF, glyph runs", "table", "raw table");
    printRatio("engine paintPage to PDF, all shaped", "table shaped", "raw table");
    printMemory("archive Ctrl+P resident memory", "archive");
    return 0;
}
