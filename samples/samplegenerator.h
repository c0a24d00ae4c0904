#pragma once
// Generated monitoring samples for tests and benchmarks: a Water-Quality-Portal-shaped
// result table with the mess real downloads have (quality-control rows, non-detects, deep
// samples and profiles, both chlorophyll methods and probe readings, other
// characteristics, mixed units, odd and unreadable dates), and the lakes table that
// matches its sites.

#include "batch/batchpipeline.h"

#include <cstdint>

namespace trophex::samples {

// Writes about rows result rows after a header, in pieces of bounded size, and the lakes
// table when lakes is given. The same seed gives the same bytes.
void writeGeneratedSamples(std::uint64_t rows, std::uint64_t seed, const batch::WriteFunction& samples,
                           const batch::WriteFunction& lakes);

}  // namespace trophex::samples
