#include "model/outputunits.h"

#include "model/names.h"
#include "model/results.h"

namespace trophex {

namespace {

struct Conversion {
    const char* unit;       // the unit's name in the selector
    Extended factor;     // from the model unit into this one
    NumberPattern pattern;  // how the converted value is shown
};

using P = NumberPattern;

// Rows in the order they are tried, each unit named in any letter case. Any other text, the
// model's unit included, shows the result as a calculation does.
const std::vector<Conversion>& conversionsOf(OutputResult result)
{
    static const std::vector<Conversion> AvgInTP = {{"mg/L", 0.001_x, P::ThreeDecimals}};
    static const std::vector<Conversion> PhosLoad = {{"lbs/yr", 2.2046_x, P::Whole}};
    static const std::vector<Conversion> CVtp = {{"mg/L", 0.001_x, P::ThreeDecimals}};
    static const std::vector<Conversion> OutVol = {
        {"ft3/sec", 1.119821_x, P::GroupedTwoDecimals}, {"m3/sec", 0.03171_x, P::GroupedTwoDecimals},
        {"L/day", 2739744.0_x, P::GroupedTwoDecimals},  {"L/hr", 114156.0_x, P::GroupedTwoDecimals},
        {"gal/day", 724800.0_x, P::GroupedTwoDecimals}, {"gal/hr", 30200.0_x, P::GroupedTwoDecimals}};
    static const std::vector<Conversion> ResTime = {{"hours", 8760.0_x, P::Whole}, {"days", 365.0_x, P::Whole}};
    static const std::vector<Conversion> WatLoad = {{"ft/yr", 3.28084_x, P::GroupedTwoDecimals},
                                                    {"in/day", 0.107863_x, P::GroupedTwoDecimals}};
    switch (result) {
    case OutputResult::AvgInTP:
        return AvgInTP;
    case OutputResult::PhosLoad:
        return PhosLoad;
    case OutputResult::CVtp:
        return CVtp;
    case OutputResult::OutVol:
        return OutVol;
    case OutputResult::ResTime:
        return ResTime;
    case OutputResult::WatLoad:
        return WatLoad;
    }
    return OutVol;
}

}  // namespace

const char* outputSelectorName(OutputResult result)
{
    static const std::array<const char*, 6> Names = {"AvgInTPunits",  "PhosLoadUnits", "CVtpUnits",
                                                     "OutVolUnits",   "ResTimeUnits",  "WatLoadUnits"};
    return Names[static_cast<int>(result)];
}

Extended outputResultValue(OutputResult result, const ModelState& s)
{
    switch (result) {
    case OutputResult::AvgInTP:
        return s.AvgInTP;
    case OutputResult::PhosLoad:
        return s.PhosLoad;
    case OutputResult::CVtp:
        return s.CVtp;
    case OutputResult::OutVol:
        return s.OutVol;
    case OutputResult::ResTime:
        return s.ResTime;
    case OutputResult::WatLoad:
        return s.WatLoad;
    }
    return 0;
}

const std::vector<const char*>& outputUnits(OutputResult result)
{
    static const std::array<std::vector<const char*>, 6> Units = {{
        {"ug/L", "mg/L"},
        {"kg/yr", "lbs/yr"},
        {"ug/L", "mg/L"},
        {"hm3/yr", "ft3/sec", "m3/sec", "L/day", "L/hr", "gal/day", "gal/hr"},
        {"years", "days", "hours"},
        {"m/yr", "ft/yr", "in/day"},
    }};
    return Units[static_cast<int>(result)];
}

std::string convertedResultText(OutputResult result, std::string_view unitText, const ModelState& state,
                                const NumberFormat& format)
{
    const ResultSpec& desc = resultSpec(resultOf(result));
    const Extended value = outputResultValue(result, state);
    if (desc.zeroText != nullptr && value == 0)
        return desc.zeroText;
    for (const Conversion& row : conversionsOf(result)) {
        if (sameNameIgnoringCase(unitText, row.unit))
            return formatNumber(value * row.factor, row.pattern, format);
    }
    return formatNumber(value, desc.pattern, format);
}

const char* shownUnit(OutputResult result, std::string_view unitText)
{
    const std::vector<const char*>& units = outputUnits(result);
    const std::optional<std::size_t> named = findName(units, unitText);
    return units[named.value_or(0)];
}

}  // namespace trophex
