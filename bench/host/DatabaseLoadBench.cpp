// Eight operators on one archive: host data-service calls per second (the plug-in's duplicate
// checks and statements) on PostgreSQL and on one SQLite file in WAL mode, in the same run.
// Two load_client processes of four clients each; each iteration starts on a fresh copy of
// the demo archive and is checked like the load test (a wrong table aborts the run).
//
// The PostgreSQL cluster is this run's own, with fsync and synchronous commit on; the SQLite
// file keeps its default synchronous mode (every commit reaches the disk) and the host's busy
// time-out.

#include "host/DemoDatabase.h"
#include "host/PostgresDatabase.h"
#include "host/SqliteDatabase.h"
#include "tests/host/LoadClient.h"
#include "tests/support/PgCluster.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

constexpr int kOperations = 200; // per client

void report(benchmark::State& state, const loadtest::LoadRun& run, double& calls, double& seconds) {
    if (!run.problems.empty()) {
        state.SkipWithError(run.problems.front().c_str());
        return;
    }
    calls += double(run.calls);
    seconds += run.seconds;
    state.SetIterationTime(run.seconds);
}

void finish(benchmark::State& state, double calls, double seconds, long busy) {
    state.counters["calls"] = calls;
    state.counters["calls_per_s"] = seconds > 0 ? calls / seconds : 0;
    state.counters["busy"] = double(busy);
}

void BM_EightOperatorsPostgreSql(benchmark::State& state) {
    double calls = 0, seconds = 0;
    for (auto _ : state) {
        testsupport::PgTestDatabase db;
        const auto before = loadtest::units(db.admin());
        const loadtest::LoadRun run =
            loadtest::runLoadProcesses(QStringLiteral(HSDW_LOAD_CLIENT_PATH),
                                       {db.operatorUri(1), db.operatorUri(2)}, kOperations);
        report(state, run, calls, seconds);
        if (!loadtest::verify(db.admin(), run.outcomes, before).empty())
            state.SkipWithError("the table does not match the successful statements");
    }
    finish(state, calls, seconds, 0);
}

void BM_EightOperatorsSqliteWal(benchmark::State& state) {
    double calls = 0, seconds = 0;
    long busy = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        const std::string path = (dir.path() + "/shared.sqlite").toStdString();
        host::createDemoDatabase(path);
        host::SqliteDatabase db(path, host::SqliteDatabase::OpenMode::ExistingOnly);
        const auto before = loadtest::units(db);
        const loadtest::LoadRun run = loadtest::runLoadProcesses(
            QStringLiteral(HSDW_LOAD_CLIENT_PATH), {path, path}, kOperations);
        report(state, run, calls, seconds);
        busy += run.busy;
        if (!loadtest::verify(db, run.outcomes, before).empty())
            state.SkipWithError("the table does not match the successful statements");
    }
    finish(state, calls, seconds, busy);
}

BENCHMARK(BM_EightOperatorsPostgreSql)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);
BENCHMARK(BM_EightOperatorsSqliteWal)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        testsupport::PgCluster::Options durable;
        durable.durable = true;
        testsupport::PgCluster::startPrivate(durable);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "host_load_bench: no PostgreSQL cluster: %s\n", e.what());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
