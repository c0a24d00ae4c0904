// Batch assessment speed: one calculation from input texts to displayed texts, and a
// million lakes CSV to CSV through the batch command.
//
//   build/bench/batch_bench [--benchmark_filter=...]
//   build/bench/batch_bench batch IN.csv -o OUT.csv    (the batch command itself, for
//                                                       /usr/bin/time -v)

#include "cli/batch.h"
#include "cli/batchtable.h"
#include "cli/lakegenerator.h"
#include "model/calculation.h"

#include "tests/example_lake.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace trophex;
using namespace trophex::cli;
namespace fs = std::filesystem;

namespace {

// The input texts of the first synthetic lakes, as the batch reads them.
std::vector<InputTexts> syntheticLakes(std::size_t count)
{
    std::string table;
    writeSyntheticLakes(count, 1, [&](std::string_view bytes) { table += bytes; });
    CsvRecord record;
    std::size_t pos = scanCsvRecord(table, 0, true, &record);
    const ColumnLayout layout = *readHeader(record).layout;
    std::vector<InputTexts> lakes;
    while (pos < table.size()) {
        pos = scanCsvRecord(table, pos, true, &record);
        InputTexts texts;
        if (rowInputs(record, layout, texts).empty())
            lakes.push_back(texts);
    }
    return lakes;
}

void CalculationOfSyntheticLakes(benchmark::State& state)
{
    const std::vector<InputTexts> lakes = syntheticLakes(1024);
    const NumberFormat format;
    std::size_t i = 0;
    for (auto _ : state) {
        CalculationOutcome outcome = runCalculation(lakes[i++ % lakes.size()], format);
        benchmark::DoNotOptimize(outcome);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CalculationOfSyntheticLakes);

// The batch command on a table of synthetic lakes written beforehand, file to file.
void BatchEndToEnd(benchmark::State& state)
{
    const auto lakes = static_cast<std::uint64_t>(state.range(0));
    const fs::path dir = fs::temp_directory_path() / ("trophex_batch_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string in = (dir / "lakes.csv").string();
    const std::string out = (dir / "results.csv").string();
    {
        std::ofstream file(in, std::ios::binary);
        writeSyntheticLakes(lakes, 1, [&](std::string_view bytes) { file.write(bytes.data(), bytes.size()); });
    }
    std::vector<std::string> args = {in, "-o", out};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    for (auto _ : state) {
        if (runBatchCommand(static_cast<int>(argv.size()), argv.data()) != 0)
            state.SkipWithError("the batch command failed");
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lakes));
    fs::remove_all(dir);
}
BENCHMARK(BatchEndToEnd)->Arg(1000000)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "batch") == 0)
        return runBatchCommand(argc - 2, argv + 2);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
