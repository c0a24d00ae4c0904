// Time of one whole calculation, from the 31 input texts to every displayed text, and
// the runner's throughput on a folder of data files.
//
//   build/bench/calculation_bench [--benchmark_filter=...]

#include "engine/engine.h"
#include "engine/json.h"
#include "cli/runner.h"
#include "files/datafile.h"
#include "model/calculation.h"

#include "examples/examplelake.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <sstream>

using namespace trophex;
namespace fs = std::filesystem;

namespace {

InputTexts exampleLakeNumber(int variant)
{
    InputTexts t = exampleLake();
    t[Input::NameEditBox] = "Lake " + std::to_string(variant);
    t[Input::WareaEditBox] = std::to_string(10 + variant % 90);
    return t;
}

void WholeCalculation(benchmark::State& state)
{
    const InputTexts lake = exampleLake();
    const NumberFormat format;
    for (auto _ : state) {
        CalculationOutcome outcome = runCalculation(lake, format);
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(WholeCalculation);

// Opens, calculates and writes the JSON line of every file in a folder of data files.
void RunnerThroughput(benchmark::State& state)
{
    const auto count = static_cast<int>(state.range(0));
    const fs::path dir = fs::temp_directory_path() / ("trophex_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        files.push_back((dir / ("lake" + std::to_string(i) + ".tpx")).string());
        writeDataFile(files.back(), exampleLakeNumber(i));
    }
    const NumberFormat format;
    for (auto _ : state) {
        std::ostringstream out;
        for (const std::string& file : files)
            out << engine::assessmentJson(engine::assessDataFile(file, {{}, format})).text << '\n';
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations() * count);
    fs::remove_all(dir);
}
BENCHMARK(RunnerThroughput)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
