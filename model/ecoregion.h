#pragma once
// Ecoregions and the per-ecoregion tables: calibration defaults and typical TSI ranges.
// A table row is chosen by the ecoregion text compared, in any ASCII letter case, with
// "NLF", "CHF" and "WCP"; any other text, "NGP" included, takes the fourth row.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace trophex {

enum class Ecoregion { NLF, CHF, WCP, NGP };

inline constexpr std::array<const char*, 4> EcoregionCodes = {"NLF", "CHF", "WCP", "NGP"};

// The ecoregion whose code the text spells in any letter case, or nullopt.
std::optional<Ecoregion> ecoregionCode(std::string_view text);
// The table row a text chooses: its ecoregion, or NGP for a text that spells no code.
Ecoregion ecoregionOf(std::string_view text);

// The fifteen calibration texts, in file order: stream P, precipitation, evaporation,
// runoff, atmospheric load, V1..V8, S1, S2.
inline constexpr int CalibrationCount = 15;
using CalibrationTexts = std::array<std::string, CalibrationCount>;
CalibrationTexts calibrationDefaults(std::string_view ecoregionText);

struct TsiRange {
    int low;   // whole TSI value
    int high;  // whole TSI value
};

// Rows in chart order: average, total phosphorus, chlorophyll a, Secchi depth.
using TsiRanges = std::array<TsiRange, 4>;

// The chart and the printed report differ only in the NLF chlorophyll low bound (20 and 0).
enum class RangeUse { Chart, Report };
TsiRanges ecoregionTsiRanges(std::string_view ecoregionText, RangeUse use);

}  // namespace trophex
