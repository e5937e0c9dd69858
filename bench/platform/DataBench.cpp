// Speed of the data path the archive and the report engine use: packets, datasets,
// Variant conversions and calls through the dispatch ABI.

#include "platform/ClientDataSet.h"
#include "platform/Dispatch.h"

#include <benchmark/benchmark.h>

namespace {

platform::DataPacket unitPacket(int rows) {
    platform::DataPacket packet;
    packet.fields = {"f_Hsdwh", "f_Hsdwmc"};
    for (int i = 0; i < rows; ++i) {
        char code[16];
        std::snprintf(code, sizeof code, "%06d", i);
        packet.rows.push_back({std::string(code) + "  ", "核算单位名称 " + std::to_string(i)});
    }
    return packet;
}

void BM_EncodePacket(benchmark::State& state) {
    auto packet = unitPacket(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::encodeDataPacket(packet));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EncodePacket)->Arg(10000);

void BM_DecodePacket(benchmark::State& state) {
    auto bytes = platform::encodeDataPacket(unitPacket(int(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::decodeDataPacket(bytes));
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * std::int64_t(bytes.size()));
}
BENCHMARK(BM_DecodePacket)->Arg(10000);

// Loading the archive: every row's two fields read as text.
void BM_DataSetWalk(benchmark::State& state) {
    auto packet = platform::dataPacketVariant(unitPacket(int(state.range(0))));
    platform::TClientDataSet cds("cdsMain");
    cds.setTrimTrailingBlanks(false);
    for (auto _ : state) {
        cds.setData(packet);
        auto& code = cds.FieldByName("f_Hsdwh");
        auto& name = cds.FieldByName("f_Hsdwmc");
        for (cds.First(); !cds.Eof(); cds.Next()) {
            benchmark::DoNotOptimize(code.AsString());
            benchmark::DoNotOptimize(name.AsString());
        }
        cds.Close();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DataSetWalk)->Arg(10000);

void BM_LocateIgnoringCase(benchmark::State& state) {
    platform::TClientDataSet cds("Cdset");
    cds.setData(unitPacket(int(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(cds.Locate("f_hsdwmc", "核算单位名称 999999", true));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LocateIgnoringCase)->Arg(1000);

void BM_VariantToString(benchmark::State& state) {
    const platform::Variant values[] = {platform::Variant(1234.5678), platform::Variant(42),
                                        platform::Variant(platform::DateTime{46000.75}),
                                        platform::Variant(platform::Currency{123456789})};
    for (auto _ : state) {
        for (const auto& value : values)
            benchmark::DoNotOptimize(value.toString());
    }
    state.SetItemsProcessed(state.iterations() * 4);
}
BENCHMARK(BM_VariantToString);

void BM_VariantCompare(benchmark::State& state) {
    const platform::Variant a("0001"), b(1.0), c(std::int64_t{7}), d("核算");
    for (auto _ : state) {
        benchmark::DoNotOptimize(a.compare(b));
        benchmark::DoNotOptimize(b.compare(c));
        benchmark::DoNotOptimize(a.compare(d));
    }
    state.SetItemsProcessed(state.iterations() * 3);
}
BENCHMARK(BM_VariantCompare);

class EchoService : public platform::DispatchObject {
protected:
    platform::Variant invoke(std::int32_t, platform::DispatchArgs& args) override {
        args.set(1, args[0]);
        return true;
    }
};

// One OpenQuery-shaped call: SQL by value, a by-reference result written back.
void BM_DispatchCall(benchmark::State& state) {
    auto service = platform::makeDispatch<EchoService>();
    const platform::Variant sql("select f_Hsdwh, f_Hsdwmc from tbHsdwda order by f_Hsdwh");
    platform::Variant data;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            service.invoke(PLATFORM_DISPID_OPEN_QUERY, {sql, platform::byRef(data)}));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DispatchCall);

} // namespace

BENCHMARK_MAIN();
