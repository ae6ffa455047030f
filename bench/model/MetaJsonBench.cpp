// JSON write and read of a model of 10,000 tables with 20 columns each.
#include "bench/model/ModelBuilder.hpp"

#include "Model/MetaJson.hpp"

#include <benchmark/benchmark.h>

namespace {

using namespace Dizezida;
using namespace Dizezida::Dovodarud::MetaModel;

constexpr std::size_t k_tables = 10'000;
constexpr std::size_t k_columns = 20;

const std::shared_ptr<MetaDatabase>& model() {
    static const auto database = Bench::build_model(k_tables, k_columns);
    return database;
}

const std::string& model_text() {
    static const std::string text = to_json_text(*model());
    return text;
}

void set_counters(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes * state.iterations()));
    state.counters["json_MiB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
    state.counters["peak_rss_MiB"] = Bench::peak_rss_mib();
}

void BM_WriteJson(benchmark::State& state) {
    const auto& database = model();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text = to_json_text(*database);
        bytes = text.size();
        benchmark::DoNotOptimize(text);
    }
    set_counters(state, bytes);
}

void BM_ReadJson(benchmark::State& state) {
    const std::string& text = model_text();
    for (auto _ : state) {
        auto back = from_json_text<MetaDatabase>(text);
        if (!back || (*back)->get_schemas().empty())
            state.SkipWithError("the model did not read back");
        benchmark::DoNotOptimize(back);
    }
    set_counters(state, text.size());
}

BENCHMARK(BM_WriteJson)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_ReadJson)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
