// The engine from its public header alone: assesses a lake and prints its JSON line.
//   engine_example            the example lake, its inputs given by column name
//   engine_example FILE.tpx   a model-run data file
#include "engine/engine.h"

#include <cstdio>

int main(int argc, char** argv)
{
    using namespace trophex::engine;
    const Assessment lake =
        argc > 1 ? assessDataFile(argv[1])
                 : assessLake({{"name", "Example Lake"}, {"ecoregion", "NLF"}, {"watershed_area", "10"},
                               {"lake_area", "1"}, {"mean_depth", "5"}, {"total_phosphorus", "30"},
                               {"chlorophyll_a", "10"}, {"secchi_depth", "2"}, {"alkalinity", "1"}});
    const Text json = assessmentJson(lake);
    std::puts(json.ok() ? json.text.c_str() : json.error.message.c_str());
    return lake.ok() && json.ok() ? 0 : 1;
}
