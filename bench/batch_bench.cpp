// Batch assessment speed: one calculation from input texts to displayed texts, and a
// million lakes CSV to CSV through the batch pipeline.
//
//   build/bench/batch_bench [--benchmark_filter=...]

#include "batch/batchpipeline.h"
#include "batch/batchtable.h"
#include "batch/lakegenerator.h"
#include "model/calculation.h"

#include "examples/examplelake.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>
#include <vector>

using namespace trophex;
using namespace trophex::batch;
namespace fs = std::filesystem;

namespace {

void CalculationOfSyntheticLakes(benchmark::State& state)
{
    const std::vector<InputTexts> lakes = syntheticLakeInputs(1024, 1);
    const NumberFormat format;
    std::size_t i = 0;
    for (auto _ : state) {
        CalculationOutcome outcome = runCalculation(lakes[i++ % lakes.size()], format);
        benchmark::DoNotOptimize(outcome);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CalculationOfSyntheticLakes);

// A file to file batch run on every processor, as trophex-cli batch makes it, with the load
// response columns when asked.
bool assessTableFile(const std::string& in, const std::string& out, std::optional<ResponseSettings> response)
{
    std::FILE* input = std::fopen(in.c_str(), "rb");
    std::FILE* output = std::fopen(out.c_str(), "wb");
    BatchSettings settings;
    settings.workers = std::max(1u, std::thread::hardware_concurrency());
    settings.response = response;
    const bool ok = input && output
        && runBatch([input](char* buffer, std::size_t capacity) { return std::fread(buffer, 1, capacity, input); },
                    [output](std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), output); },
                    settings)
               .ok();
    for (std::FILE* file : {input, output})
        if (file)
            std::fclose(file);
    return ok;
}

// The batch pipeline on a table of synthetic lakes written beforehand, file to file; the
// second argument 1 adds the load response columns of the ecoregion goal (--target ecoregion).
void BatchEndToEnd(benchmark::State& state)
{
    const std::optional<ResponseSettings> response =
        state.range(1) ? std::optional<ResponseSettings>(ResponseSettings{}) : std::nullopt;
    const auto lakes = static_cast<std::uint64_t>(state.range(0));
    const fs::path dir = fs::temp_directory_path() / ("trophex_batch_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string in = (dir / "lakes.csv").string();
    const std::string out = (dir / "results.csv").string();
    {
        std::ofstream file(in, std::ios::binary);
        writeSyntheticLakes(lakes, 1, [&](std::string_view bytes) { file.write(bytes.data(), bytes.size()); });
    }
    for (auto _ : state) {
        if (!assessTableFile(in, out, response))
            state.SkipWithError("the batch run failed");
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lakes));
    fs::remove_all(dir);
}
BENCHMARK(BatchEndToEnd)
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
