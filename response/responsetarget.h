#pragma once
// The goal a load response is asked to meet: read from a short text such as "tp=20",
// "secchi=2.5", "freq=20:10" or "ecoregion", and made concrete for one lake.

#include "arithmetic/numberformat.h"

#include <optional>
#include <string>
#include <string_view>

namespace trophex {

enum class TargetKind {
    TP,         // lake total phosphorus at most the value, ug/L
    ChlrA,      // chlorophyll a at most the value, ug/L
    Secchi,     // Secchi depth at least the value, m
    Tsi,        // average trophic state index at most the value
    Frequency,  // chlorophyll a above the bound at most the value, % of the time
    Ecoregion,  // total phosphorus at most the top of the ecoregion's typical range
};

// "tp", "chla", "secchi", "tsi", "freq", "ecoregion": the words of the target texts.
const char* targetKindName(TargetKind kind);

struct TargetSpec {
    TargetKind kind = TargetKind::Ecoregion;  // what the goal is set on
    double value = 0;  // ug/L, m, index or % of the time, by kind; unused for Ecoregion
    double bound = 0;  // Frequency only: the chlorophyll a level, ug/L
    std::string valueText;  // the value as typed, trimmed; empty for Ecoregion
    std::string boundText;  // Frequency only: the level as typed, trimmed
};

struct TargetReading {
    std::optional<TargetSpec> target;  // set when the text could be read
    std::string error;                 // otherwise one sentence saying why not
};

// Reads "tp=V", "chla=V", "secchi=V", "tsi=V", "freq=B:P" or "ecoregion"; the word in any
// letter case, numbers with a full stop. A concentration, depth or level must be above 0,
// an index on Carlson's scale (0 to 100) and a percentage above 0 and at most 100: no lake
// has a frequency of exactly 0.
TargetReading readTargetSpec(std::string_view text);

// The target of one lake: the ecoregion goal turned into its concentration.
struct Target {
    TargetKind kind = TargetKind::Ecoregion;  // as asked
    double value = 0;      // ug/L, m, index or %; for Ecoregion the TP concentration, ug/L
    double bound = 0;      // Frequency only: the chlorophyll a level, ug/L
    std::string valueText; // the value as typed; empty for Ecoregion
    std::string boundText; // Frequency only: the level as typed
    int ecoregionTsi = 0;  // Ecoregion only: the top of the range's phosphorus index
    std::string ecoregion; // Ecoregion only: the code of the row taken
};

// An ecoregion text other than "NLF", "CHF" and "WCP" takes the NGP row, as the chart does.
Target resolveTarget(const TargetSpec& wanted, std::string_view ecoregionText);

// What the goal says, for a reader: "TP at most 20 ug/L".
std::string targetDescription(const Target& target, const NumberFormat& format);

// A typed number as a reader sees it: its digits as typed, the format's decimal separator.
std::string typedNumberText(const std::string& typed, const NumberFormat& format);

// The frequency target's chlorophyll a level as typed, for headings and titles.
std::string targetBoundText(const Target& target, const NumberFormat& format);

// The shortest text that reads back as the same double, with the format's decimal separator.
std::string shortestNumberText(double value, const NumberFormat& format);

}  // namespace trophex
