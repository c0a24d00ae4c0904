#include "response/responseresults.h"

#include <utility>

namespace trophex {

namespace {

using F = ResponseField;
using P = NumberPattern;
using C = CurveColumn;

constexpr std::array<ResponseFieldSpec, ResponseFieldCount> FieldTable = {{
    {F::Mode, "", "mode", false, nullptr, "Mode", P::Whole, ""},
    {F::TargetKind, "target", "kind", false, nullptr, "Target kind", P::Whole, ""},
    {F::TargetValue, "target", "value", false, "target_value", "Target value", P::TwoDecimals, ""},
    {F::TargetText, "target", "text", false, "target", "Target", P::Whole, ""},
    {F::TargetBound, "target", "bound", true, nullptr, "Chlorophyll a level", P::TwoDecimals, "ug/L"},
    {F::WatershedLoad, "loads", "watershed_kg_yr", false, "watershed_load_kg_yr", "Watershed load", P::Whole, "kg/yr"},
    {F::AtmosphericLoad, "loads", "atmospheric_kg_yr", false, "atmospheric_load_kg_yr", "Atmospheric load", P::Whole,
     "kg/yr"},
    {F::TotalLoad, "loads", "total_kg_yr", false, nullptr, "Total load", P::Whole, "kg/yr"},
    {F::Status, "result", "status", false, "target_status", "Status", P::Whole, ""},
    {F::Reduction, "result", "reduction_pct", false, "reduction_pct", "Watershed load reduction", P::OneDecimal, "%"},
    {F::AllowableLoad, "result", "allowable_load_kg_yr", false, "allowable_load_kg_yr", "Allowable load", P::Whole,
     "kg/yr"},
    {F::AllowableWatershedLoad, "result", "allowable_watershed_load_kg_yr", false, "allowable_watershed_load_kg_yr",
     "Allowable watershed load", P::Whole, "kg/yr"},
    {F::ImpliedStreamP, "", "implied_stream_p_ug_L", false, "implied_stream_p_ug_L", "Implied stream P",
     P::OneDecimal, "ug/L"},
}};

constexpr std::array<CurveColumnSpec, CurveColumnCount> CurveTable = {{
    {C::ReductionPct, "reduction_pct", "Cut", "%", P::Whole, true},
    {C::Load, "load_kg_yr", "Load", "kg/yr", P::Whole, true},
    {C::TP, "tp", "TP", "ug/L", P::GroupedOneDecimal, true},
    {C::TPLow, "tp_low", "TP low", "ug/L", P::GroupedOneDecimal, false},
    {C::TPHigh, "tp_high", "TP high", "ug/L", P::GroupedOneDecimal, false},
    {C::ChlrA, "chla", "Chl a", "ug/L", P::GroupedOneDecimal, true},
    {C::ChlrALow, "chla_low", "Chl a low", "ug/L", P::GroupedOneDecimal, false},
    {C::ChlrAHigh, "chla_high", "Chl a high", "ug/L", P::GroupedOneDecimal, false},
    {C::Secchi, "secchi", "Secchi", "m", P::GroupedTwoDecimals, true},
    {C::SecchiLow, "secchi_low", "Secchi low", "m", P::GroupedTwoDecimals, false},
    {C::SecchiHigh, "secchi_high", "Secchi high", "m", P::GroupedTwoDecimals, false},
    {C::TsiTP, "tsi_tp", "TP TSI", "", P::OneDecimal, false},
    {C::TsiChlrA, "tsi_chla", "Chl a TSI", "", P::OneDecimal, false},
    {C::TsiSecchi, "tsi_secchi", "Secchi TSI", "", P::OneDecimal, false},
    {C::TsiAverage, "tsi_average", "Avg TSI", "", P::OneDecimal, true},
    {C::Over10, "chla_over_10_pct", "Chl a > 10", "%", P::Percent, false},
    {C::Over20, "chla_over_20_pct", "Chl a > 20", "%", P::Percent, false},
    {C::Over30, "chla_over_30_pct", "Chl a > 30", "%", P::Percent, false},
    {C::Over60, "chla_over_60_pct", "Chl a > 60", "%", P::Percent, false},
}};

static_assert([] {
    for (std::size_t i = 0; i < FieldTable.size(); ++i)
        if (static_cast<std::size_t>(FieldTable[i].field) != i)
            return false;
    for (std::size_t i = 0; i < CurveTable.size(); ++i)
        if (static_cast<std::size_t>(CurveTable[i].column) != i)
            return false;
    return true;
}(), "the load response tables follow the order of their enumerations");

bool answered(const GoalResult& goal)
{
    return goal.status != GoalStatus::Unreachable;
}

FieldValue numberOr(bool present, double value)
{
    return present ? FieldValue(value) : FieldValue();
}

std::string withUnit(const std::string& number, const char* unit)
{
    return std::string(unit).empty() ? number : number + " " + unit;
}

// A field's number as a reader sees it, with its unit.
std::string fieldText(ResponseField field, double value, const NumberFormat& format)
{
    const ResponseFieldSpec& desc = FieldTable[static_cast<int>(field)];
    return withUnit(formatNumber(value, desc.pattern, format), desc.unit);
}

// The pattern of the loads a reader sees, by the lake's load now: whole kilograms, grouped,
// from 100 kg/yr up, and below that as many decimals as keep three digits, so that the
// loads of a small lake and what a cut leaves of them do not all read 0 or 1.
NumberPattern loadPattern(double loadNow)
{
    if (loadNow >= 100)
        return NumberPattern::GroupedWhole;
    if (loadNow >= 10)
        return NumberPattern::OneDecimal;
    if (loadNow >= 1)
        return NumberPattern::TwoDecimals;
    return NumberPattern::ThreeDecimals;
}

std::string loadText(double load, const LoadResponse& r, const NumberFormat& format)
{
    return formatNumber(load, loadPattern(r.loads.total), format) + " kg/yr";
}

std::string columnHeading(const char* heading, const char* unit)
{
    return std::string(unit).empty() ? heading : std::string(heading) + " (" + unit + ")";
}

std::string reductionText(double percent, const NumberFormat& format)
{
    const std::string text = formatNumber(percent, FieldTable[static_cast<int>(F::Reduction)].pattern, format);
    if (percent > 0 && text == formatNumber(0, NumberPattern::OneDecimal, format))
        return "less than " + formatNumber(0.1, NumberPattern::OneDecimal, format) + " %";
    return text + " %";
}

std::string goalSentences(const LoadResponse& r, const NumberFormat& format)
{
    switch (r.goal.status) {
    case GoalStatus::Met:
        return "The target is met now: no cut in the watershed load is needed.";
    case GoalStatus::Needed:
        return "The watershed load must fall by " + reductionText(100 * r.goal.reduction, format) +
               " to meet the target: the lake can take " + loadText(r.goal.allowableLoad, r, format) + ", " +
               loadText(r.goal.allowableWatershedLoad, r, format) + " of it from the watershed.";
    case GoalStatus::Unreachable:
        return "Even without any watershed load the target is not met: the atmospheric load alone is too much.";
    }
    return {};
}

std::string streamPSentence(const LoadResponse& r, const NumberFormat& format)
{
    const auto oneDecimal = [&](Extended v) { return formatNumber(v, NumberPattern::OneDecimal, format); };
    switch (r.streamP.gap) {
    case StreamPGap::None:
        return "A stream phosphorus of " + fieldText(F::ImpliedStreamP, *r.streamP.streamP, format) + " (now " +
               oneDecimal(r.state.StreamP) + " ug/L) would make the predicted TP equal the observed " +
               oneDecimal(r.state.ObsTP) + " ug/L.";
    case StreamPGap::NoObservedTP:
        return "No stream phosphorus explains the observed TP: there is no observed TP.";
    case StreamPGap::NoWatershedWater:
        return "No stream phosphorus explains the observed TP: the watershed yields no water.";
    case StreamPGap::AtmosphereTooMuch:
        return "No stream phosphorus explains the observed TP: the atmospheric load alone already predicts more "
               "than was observed.";
    case StreamPGap::BeyondRange:
        return "No stream phosphorus explains the observed TP: the one needed is beyond the numbers the model "
               "holds.";
    }
    return {};
}

}  // namespace

const std::array<ResponseFieldSpec, ResponseFieldCount>& responseFieldTable()
{
    return FieldTable;
}

FieldValue responseFieldValue(const LoadResponse& r, ResponseField field, const NumberFormat& format)
{
    switch (field) {
    case F::Mode:
        return std::string(responseModeName(r.mode));
    case F::TargetKind:
        return std::string(targetKindName(r.target.kind));
    case F::TargetValue:
        return r.target.value;
    case F::TargetText:
        return targetDescription(r.target, format);
    case F::TargetBound:
        return numberOr(r.target.kind == TargetKind::Frequency, r.target.bound);
    case F::WatershedLoad:
        return r.loads.watershed;
    case F::AtmosphericLoad:
        return r.loads.atmospheric;
    case F::TotalLoad:
        return r.loads.total;
    case F::Status:
        return std::string(goalStatusName(r.goal.status));
    case F::Reduction:
        return numberOr(answered(r.goal), 100 * r.goal.reduction);
    case F::AllowableLoad:
        return numberOr(answered(r.goal), r.goal.allowableLoad);
    case F::AllowableWatershedLoad:
        return numberOr(answered(r.goal), r.goal.allowableWatershedLoad);
    case F::ImpliedStreamP:
        return r.streamP.streamP ? FieldValue(*r.streamP.streamP) : FieldValue();
    }
    return {};
}

const std::array<CurveColumnSpec, CurveColumnCount>& curveColumnTable()
{
    return CurveTable;
}

std::optional<double> curveValue(const ResponsePoint& p, CurveColumn column)
{
    if (column == C::ReductionPct)
        return p.reductionPct;
    if (column == C::Load)
        return p.load;
    if (!p.values)
        return std::nullopt;
    const PointValues& v = *p.values;
    switch (column) {
    case C::TP:
        return v.tp.value;
    case C::TPLow:
        return v.tp.low;
    case C::TPHigh:
        return v.tp.high;
    case C::ChlrA:
        return v.chlrA.value;
    case C::ChlrALow:
        return v.chlrA.low;
    case C::ChlrAHigh:
        return v.chlrA.high;
    case C::Secchi:
        return v.secchi.value;
    case C::SecchiLow:
        return v.secchi.low;
    case C::SecchiHigh:
        return v.secchi.high;
    case C::TsiTP:
        return v.tsiTP;
    case C::TsiChlrA:
        return v.tsiChlrA;
    case C::TsiSecchi:
        return v.tsiSecchi;
    case C::TsiAverage:
        return v.tsiAverage;
    case C::Over10:
    case C::Over20:
    case C::Over30:
    case C::Over60:
        if (!v.over)
            return std::nullopt;
        return (*v.over)[static_cast<int>(column) - static_cast<int>(C::Over10)];
    default:
        return std::nullopt;
    }
}

ResponseTable responseTable(const LoadResponse& r, const NumberFormat& format)
{
    const bool frequency = r.target.kind == TargetKind::Frequency;
    const std::string boundHeading = "Chl a > " + shortestNumberText(r.target.bound, format);
    ResponseTable table;
    for (const CurveColumnSpec& desc : CurveTable)
        if (desc.tabled)
            table.headings.push_back(columnHeading(desc.heading, desc.unit));
    if (frequency)
        table.headings.push_back(columnHeading(boundHeading.c_str(), "%"));
    const std::string notAvailable = "NA";
    for (std::size_t k = 0; k < r.curve.size(); k += TableEvery) {
        const ResponsePoint& point = r.curve[k];
        std::vector<std::string> row;
        for (const CurveColumnSpec& desc : CurveTable) {
            if (!desc.tabled)
                continue;
            const std::optional<double> value = curveValue(point, desc.column);
            const NumberPattern pattern = desc.column == C::Load ? loadPattern(r.loads.total) : desc.pattern;
            row.push_back(value ? formatNumber(*value, pattern, format) : notAvailable);
        }
        if (frequency)
            row.push_back(point.values ? formatNumber(point.values->overBound, NumberPattern::Percent, format)
                                       : notAvailable);
        table.rows.push_back(std::move(row));
    }
    return table;
}

ChartSeries chartSeries(const LoadResponse& r, const NumberFormat& format)
{
    ChartSeries series;
    series.target = r.target.value;
    series.banded = true;
    const auto pick = [&](const PointValues& v) -> Band {
        switch (r.target.kind) {
        case TargetKind::ChlrA:
            return v.chlrA;
        case TargetKind::Secchi:
            return v.secchi;
        case TargetKind::Tsi:
            return {v.tsiAverage, v.tsiAverage, v.tsiAverage};
        case TargetKind::Frequency:
            return {v.overBound, v.overBound, v.overBound};
        default:
            return v.tp;
        }
    };
    switch (r.target.kind) {
    case TargetKind::ChlrA:
        series.title = "Chlorophyll a (ug/L)";
        break;
    case TargetKind::Secchi:
        series.title = "Secchi depth (m)";
        series.risesWithCut = true;
        break;
    case TargetKind::Tsi:
        series.title = "Average TSI";
        series.scale = ChartScale::Free;
        series.banded = false;
        break;
    case TargetKind::Frequency:
        series.title = "Chl a above " + shortestNumberText(r.target.bound, format) + " ug/L (% of time)";
        series.scale = ChartScale::Percent;
        series.banded = false;
        break;
    default:
        series.title = "TP (ug/L)";
    }
    for (const ResponsePoint& point : r.curve) {
        series.percent.push_back(point.reductionPct);
        series.values.push_back(point.values ? std::optional<Band>(pick(*point.values)) : std::nullopt);
    }
    if (answered(r.goal))
        series.answerPercent = 100 * r.goal.reduction;
    return series;
}

std::vector<std::string> responseAnswer(const LoadResponse& r, const NumberFormat& format)
{
    return {"The phosphorus load now is " + loadText(r.loads.total, r, format) + ": " +
                loadText(r.loads.watershed, r, format) + " from the watershed and " +
                loadText(r.loads.atmospheric, r, format) + " from the atmosphere.",
            goalSentences(r, format), streamPSentence(r, format)};
}

const char* responseModeDescription(ResponseMode mode)
{
    return mode == ResponseMode::Anchored ? "anchored to observed values" : "model predictions";
}

const std::array<TargetChoice, 6>& targetChoices()
{
    static const std::array<TargetChoice, 6> Choices = {{
        {TargetKind::Ecoregion, "Ecoregion goal", "TP at most", "ug/L", "", {}},
        {TargetKind::TP, "Total phosphorus", "at most", "ug/L", "20", {"10", "20", "30", "50", "100"}},
        {TargetKind::ChlrA, "Chlorophyll a", "at most", "ug/L", "10", {"5", "10", "20", "30"}},
        {TargetKind::Secchi, "Secchi depth", "at least", "m", "2", {"1", "1.5", "2", "3", "4"}},
        {TargetKind::Tsi, "Average TSI", "at most", "", "50", {"40", "50", "60", "70"}},
        {TargetKind::Frequency, "Nuisance frequency", "Chl a above", "% of time", "10", {"5", "10", "25", "50"}},
    }};
    return Choices;
}

const std::array<const char*, 4>& frequencyBoundSuggestions()
{
    static const std::array<const char*, 4> Bounds = {"10", "20", "30", "60"};
    return Bounds;
}

std::string targetChoiceText(TargetKind kind, const std::string& value, const std::string& bound)
{
    if (kind == TargetKind::Ecoregion)
        return targetKindName(kind);
    std::string text = std::string(targetKindName(kind)) + '=';
    if (kind == TargetKind::Frequency)
        text += bound + ':';
    return text + value;
}

std::string unreadableTargetMessage(TargetKind kind)
{
    switch (kind) {
    case TargetKind::Tsi:
        return "Type the target index as a number, such as 50.";
    case TargetKind::Frequency:
        return "Type a chlorophyll a level above 0 ug/L and a percentage of the time from 0 to 100.";
    default:
        break;
    }
    for (const TargetChoice& choice : targetChoices())
        if (choice.kind == kind)
            return std::string("Type the target as a number above 0, such as ") + choice.firstValue + '.';
    return {};
}

}  // namespace trophex
