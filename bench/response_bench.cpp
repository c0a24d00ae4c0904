// Speed of the load response: one evaluation with its curve, goal seek and back-calculated
// stream phosphorus (what the page and `trophex-cli response` compute for a lake), the goal
// alone as the batch computes it for each row, and the JSON line of the runner.
//
//   build/bench/response_bench [--benchmark_filter=...]

#include "batch/lakegenerator.h"
#include "cli/response.h"
#include "model/calculation.h"
#include "response/responseresults.h"

#include "examples/examplelake.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace trophex;

namespace {

std::vector<ModelState> syntheticStates(std::size_t count)
{
    std::vector<ModelState> states;
    for (const InputTexts& lake : batch::syntheticLakeInputs(count, 1)) {
        const CalculationOutcome outcome = evaluateInputs(lake);
        if (outcome.ok())
            states.push_back(outcome.state);
    }
    return states;
}

const Target& ecoregionGoal()
{
    static const Target Goal = resolveTarget(TargetSpec{}, "NLF");
    return Goal;
}

// The argument 1 adds the frequencies over the four nuisance levels to every point, as the
// JSON output has them; 0 is the response the page, the readable page and the report show.
void ResponseOfTheWorkedExample(benchmark::State& state)
{
    const ModelState lake = evaluateInputs(exampleLake()).state;
    const NuisanceLevels levels = state.range(0) ? NuisanceLevels::Included : NuisanceLevels::Left;
    for (auto _ : state) {
        LoadResponse response = evaluateLoadResponse(lake, ecoregionGoal(), ResponseMode::Anchored, levels);
        benchmark::DoNotOptimize(response);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ResponseOfTheWorkedExample)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void ResponseOfSyntheticLakes(benchmark::State& state)
{
    const std::vector<ModelState> lakes = syntheticStates(1024);
    const auto mode = static_cast<ResponseMode>(state.range(0));
    std::size_t i = 0;
    for (auto _ : state) {
        LoadResponse response = evaluateLoadResponse(lakes[i++ % lakes.size()], ecoregionGoal(), mode);
        benchmark::DoNotOptimize(response);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ResponseOfSyntheticLakes)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// What a batch row with --target ecoregion adds to the calculation.
void GoalOfSyntheticLakes(benchmark::State& state)
{
    const std::vector<ModelState> lakes = syntheticStates(1024);
    std::size_t i = 0;
    for (auto _ : state) {
        LoadResponse response = evaluateGoal(lakes[i++ % lakes.size()], ecoregionGoal(), ResponseMode::Anchored);
        benchmark::DoNotOptimize(response);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(GoalOfSyntheticLakes);

void ResponseJsonOfTheWorkedExample(benchmark::State& state)
{
    engine::ResponseAssessment assessment;
    assessment.lake.source = "example.tpx";
    assessment.response = evaluateLoadResponse(evaluateInputs(exampleLake()).state, ecoregionGoal(),
                                               ResponseMode::Anchored);
    for (auto _ : state) {
        std::string line = engine::responseJson(assessment).text;
        benchmark::DoNotOptimize(line);
    }
}
BENCHMARK(ResponseJsonOfTheWorkedExample)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
