#pragma once
// Synthetic lakes for benchmarks and tests: a batch table whose lakes look like those an
// agency keeps, with the four ecoregions, mixed units, names with commas and quotes, a
// few calibration overrides and a few rows with a missing observation.

#include "batch/batchpipeline.h"

#include "model/inputs.h"

#include <cstdint>
#include <vector>

namespace trophex::batch {

// Writes a header and count lakes, in pieces of bounded size. The same seed gives the
// same bytes.
void writeSyntheticLakes(std::uint64_t count, std::uint64_t seed, const WriteFunction& write);

// The input texts of the first count synthetic lakes, as the batch reads them; rows that
// the batch would not calculate are left out.
std::vector<InputTexts> syntheticLakeInputs(std::size_t count, std::uint64_t seed);

}  // namespace trophex::batch
