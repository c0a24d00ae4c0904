#include "model/ecoregion.h"

#include "model/names.h"

namespace trophex {

std::optional<Ecoregion> ecoregionCode(std::string_view text)
{
    if (const auto index = findName(EcoregionCodes, text))
        return static_cast<Ecoregion>(*index);
    return std::nullopt;
}

Ecoregion ecoregionOf(std::string_view text)
{
    return ecoregionCode(text).value_or(Ecoregion::NGP);
}

CalibrationTexts calibrationDefaults(std::string_view ecoregionText)
{
    static const std::array<std::array<const char*, 5>, 4> EcoregionDefaults = {{
        {"52", "0.74", "0.61", "0.23", "15"},
        {"148", "0.75", "0.71", "0.13", "30"},
        {"570", "0.80", "0.74", "0.13", "30"},
        {"1500", "0.64", "0.76", "0.05", "30"},
    }};
    static const std::array<const char*, 10> ErrorTermDefaults = {
        "0.01", "0.202", "0.04", "0.126", "0.038", "0.027", "0.071", "0.019", "0.48", "0.20"};

    CalibrationTexts texts;
    const auto& row = EcoregionDefaults[static_cast<int>(ecoregionOf(ecoregionText))];
    for (int i = 0; i < 5; ++i)
        texts[i] = row[i];
    for (int i = 0; i < 10; ++i)
        texts[5 + i] = ErrorTermDefaults[i];
    return texts;
}

TsiRanges ecoregionTsiRanges(std::string_view ecoregionText, RangeUse use)
{
    static const std::array<TsiRanges, 4> Ranges = {{
        {{{45, 51}, {42, 52}, {20, 53}, {38, 47}}},
        {{{46, 59}, {49, 61}, {47, 61}, {43, 54}}},
        {{{63, 73}, {64, 76}, {64, 74}, {60, 70}}},
        {{{66, 77}, {74, 84}, {64, 70}, {60, 77}}},
    }};
    const Ecoregion region = ecoregionOf(ecoregionText);
    TsiRanges ranges = Ranges[static_cast<int>(region)];
    if (region == Ecoregion::NLF && use == RangeUse::Report)
        ranges[2].low = 0;
    return ranges;
}

}  // namespace trophex
