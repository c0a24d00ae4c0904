#include "response/responseresults.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace trophex {

namespace {

using F = ResponseField;
using P = NumberPattern;
using C = CurveColumn;

constexpr const char* NotAvailable = "NA";  // a value there is none of

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
    {F::Obstacle, "result", "reason", true, "unreachable_reason", "Why unreachable", P::Whole, ""},
    {F::Reduction, "result", "reduction_pct", false, "reduction_pct", "Watershed load reduction", P::OneDecimal, "%"},
    {F::AllowableLoad, "result", "allowable_load_kg_yr", false, "allowable_load_kg_yr", "Allowable load", P::Whole,
     "kg/yr"},
    {F::AllowableWatershedLoad, "result", "allowable_watershed_load_kg_yr", false, "allowable_watershed_load_kg_yr",
     "Allowable watershed load", P::Whole, "kg/yr"},
    {F::AnswerSecchiToBottom, "result", "secchi_to_bottom", false, "secchi_to_bottom", "Secchi to the bottom",
     P::Whole, ""},
    {F::AnswerIndexOutsideScale, "result", "tsi_outside_scale", false, "tsi_outside_scale",
     "TSI outside 0-100", P::Whole, ""},
    {F::ImpliedStreamP, "", "implied_stream_p_ug_L", false, "implied_stream_p_ug_L", "Implied stream P",
     P::OneDecimal, "ug/L"},
    {F::TPTtest, "fit", "tp_t_test", false, nullptr, "TP T-test", P::GroupedTwoDecimals, ""},
    {F::PoorFit, "fit", "poor", false, "poor_fit", "Poor fit", P::Whole, ""},
    {F::OtherModeStatus, "fit", "other_mode_status", true, "other_mode_status", "Status in the other mode",
     P::Whole, ""},
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

// The pattern of the loads from 0.1 kg/yr up; the table's load column takes the one of the
// load now, so that its numbers line up.
NumberPattern loadPattern(double load)
{
    const double size = std::abs(load);
    if (size >= 100)
        return NumberPattern::GroupedWhole;
    if (size >= 10)
        return NumberPattern::OneDecimal;
    if (size >= 1)
        return NumberPattern::TwoDecimals;
    return NumberPattern::ThreeDecimals;
}

constexpr int MaxLoadDecimals = 9;

std::string loadText(double load, const NumberFormat& format)
{
    return loadNumberText(load, format) + " kg/yr";
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
    // Short of the whole cut, so that the watershed load it leaves is not contradicted.
    if (percent < 100 && text == formatNumber(100, NumberPattern::OneDecimal, format))
        return "more than " + formatNumber(99.9, NumberPattern::OneDecimal, format) + " %";
    return text + " %";
}

std::string goalSentences(const LoadResponse& r, const NumberFormat& format)
{
    switch (r.goal.status) {
    case GoalStatus::Met:
        return "The target is met now: no cut in the watershed load is needed.";
    case GoalStatus::Needed:
        return "The watershed load must fall by " + reductionText(100 * r.goal.reduction, format) +
               " to meet the target: the lake can take " + loadText(r.goal.allowableLoad, format) + ", " +
               loadText(r.goal.allowableWatershedLoad, format) + " of it from the watershed.";
    case GoalStatus::Unreachable:
        if (r.goal.obstacle == GoalObstacle::LakeDepth)
            return "The target cannot be met: the lake is only " +
                   formatNumber(r.state.MeanDepth, NumberPattern::GroupedTwoDecimals, format) +
                   " m deep on average, and the water cannot be clear deeper than its bottom.";
        return "Even without any watershed load the target is not met: the atmospheric load alone is too much.";
    }
    return {};
}

std::string oneDecimal(Extended v, const NumberFormat& format)
{
    return formatNumber(v, NumberPattern::OneDecimal, format);
}

// Why no stream phosphorus explains the observed phosphorus.
std::string streamPGapReason(StreamPGap gap)
{
    switch (gap) {
    case StreamPGap::None:
        return {};
    case StreamPGap::NoObservedTP:
        return "there is no observed TP";
    case StreamPGap::NoWatershedWater:
        return "the watershed yields no water";
    case StreamPGap::AtmosphereTooMuch:
        return "the atmospheric load alone already predicts more than was observed";
    case StreamPGap::BeyondRange:
        return "the one needed is beyond the numbers the model holds";
    }
    return {};
}

std::string streamPSentence(const LoadResponse& r, const NumberFormat& format)
{
    if (r.streamP.gap != StreamPGap::None)
        return "No stream phosphorus explains the observed TP: " + streamPGapReason(r.streamP.gap) + ".";
    return "A stream phosphorus of " + fieldText(F::ImpliedStreamP, *r.streamP.streamP, format) + " (now " +
           oneDecimal(r.state.StreamP, format) + " ug/L) would make the predicted TP equal the observed " +
           oneDecimal(r.state.ObsTP, format) + " ug/L.";
}

std::string quoted(GoalStatus status)
{
    return std::string("\"") + goalStatusName(status) + "\"";
}

// What each mode answers, the one shown first.
std::string modesSentence(const LoadResponse& r)
{
    const GoalStatus other = *r.fit.otherModeStatus;
    const bool anchored = r.mode == ResponseMode::Anchored;
    const GoalStatus anchoredStatus = anchored ? r.goal.status : other;
    const GoalStatus modelStatus = anchored ? other : r.goal.status;
    if (anchoredStatus == modelStatus)
        return "The answer then depends on the mode, though here both modes reach " + quoted(modelStatus) + ".";
    return "The answer then depends on the mode, and here the modes differ: anchored to observed values it is " +
           quoted(anchoredStatus) + ", with model predictions " + quoted(modelStatus) + ".";
}

// The model does not explain the observed phosphorus: said with the likely reason, a stream
// phosphorus other than the one used.
std::vector<std::string> poorFitSentences(const LoadResponse& r, const NumberFormat& format)
{
    std::string reason = r.streamP.gap == StreamPGap::None
                             ? "Likely reason: the stream phosphorus; " +
                                   fieldText(F::ImpliedStreamP, *r.streamP.streamP, format) +
                                   " would explain the observed TP, against the " +
                                   oneDecimal(r.state.StreamP, format) + " ug/L used."
                             : "No stream phosphorus explains it: " + streamPGapReason(r.streamP.gap) + ".";
    return {"Caution: the model does not explain this lake (TP T-test " +
                formatNumber(*r.fit.tpTtest, NumberPattern::GroupedTwoDecimals, format) + ": observed " +
                oneDecimal(r.state.ObsTP, format) + " ug/L, predicted " + oneDecimal(r.fit.predictedTP, format) +
                " ug/L).",
            std::move(reason), modesSentence(r)};
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
    case F::Obstacle:
        if (r.goal.status != GoalStatus::Unreachable)
            return {};
        return std::string(goalObstacleName(r.goal.obstacle));
    case F::Reduction:
        return numberOr(answered(r.goal), 100 * r.goal.reduction);
    case F::AllowableLoad:
        return numberOr(answered(r.goal), r.goal.allowableLoad);
    case F::AllowableWatershedLoad:
        return numberOr(answered(r.goal), r.goal.allowableWatershedLoad);
    case F::AnswerSecchiToBottom:
        return r.answerPoint ? FieldValue(secchiToTheBottom(r.answerPoint->secchi.value, r.state)) : FieldValue();
    case F::AnswerIndexOutsideScale:
        return r.answerPoint ? FieldValue(anyIndexOutsideScale(*r.answerPoint)) : FieldValue();
    case F::ImpliedStreamP:
        return r.streamP.streamP ? FieldValue(*r.streamP.streamP) : FieldValue();
    case F::TPTtest:
        return r.fit.tpTtest ? FieldValue(*r.fit.tpTtest) : FieldValue();
    case F::PoorFit:
        return r.fit.poor;
    case F::OtherModeStatus:
        if (!r.fit.otherModeStatus)
            return {};
        return std::string(goalStatusName(*r.fit.otherModeStatus));
    }
    return {};
}

std::string responseFieldDisplayText(const FieldValue& value, ResponseField field, const NumberFormat& format)
{
    if (const auto* number = std::get_if<double>(&value)) {
        const ResponseFieldSpec& desc = FieldTable[static_cast<int>(field)];
        const bool load = std::string(desc.unit) == "kg/yr";
        return load ? loadNumberText(*number, format) : formatNumber(*number, desc.pattern, format);
    }
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? "true" : "false";
    return NotAvailable;
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

std::string loadNumberText(double load, const NumberFormat& format)
{
    const double size = std::abs(load);
    if (size >= 0.1 || !(size > 0))
        return formatNumber(load, loadPattern(load), format);
    // Below 0.1 kg/yr the patterns keep too few digits.
    const int decimals = std::min(MaxLoadDecimals, 2 - static_cast<int>(std::floor(std::log10(size))));
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, load);
    return typedNumberText(text, format);
}

const std::array<CurveFlagSpec, 2>& curveFlagTable()
{
    static constexpr std::array<CurveFlagSpec, 2> Flags = {{
        {CurveFlag::SecchiToBottom, "secchi_to_bottom"},
        {CurveFlag::OutsideScale, "tsi_outside_scale"},
    }};
    return Flags;
}

std::optional<bool> curveFlag(const LoadResponse& r, const ResponsePoint& p, CurveFlag flag)
{
    if (!p.values)
        return std::nullopt;
    if (flag == CurveFlag::SecchiToBottom)
        return secchiToTheBottom(p.values->secchi.value, r.state);
    return anyIndexOutsideScale(*p.values);
}

namespace {

// A cell of the table: the value in its pattern, unless it passes what its quantity can be.
std::string tableCell(const LoadResponse& r, const ResponsePoint& point, const CurveColumnSpec& desc,
                      const NumberFormat& format)
{
    const std::optional<double> value = curveValue(point, desc.column);
    if (!value)
        return NotAvailable;
    if (desc.column == C::Secchi && secchiToTheBottom(*value, r.state))
        return "to the bottom";
    if (desc.column == C::TsiAverage && outsideCarlsonScale(*value))
        return *value < 0 ? "below 0" : "above 100";
    const NumberPattern pattern = desc.column == C::Load ? loadPattern(r.loads.total) : desc.pattern;
    return formatNumber(*value, pattern, format);
}

}  // namespace

ResponseTable responseTable(const LoadResponse& r, const NumberFormat& format)
{
    const bool frequency = r.target.kind == TargetKind::Frequency;
    const std::string boundHeading = "Chl a > " + targetBoundText(r.target, format);
    ResponseTable table;
    for (const CurveColumnSpec& desc : CurveTable)
        if (desc.tabled)
            table.headings.push_back(columnHeading(desc.heading, desc.unit));
    if (frequency)
        table.headings.push_back(columnHeading(boundHeading.c_str(), "%"));
    for (std::size_t k = 0; k < r.curve.size(); k += TableEvery) {
        const ResponsePoint& point = r.curve[k];
        std::vector<std::string> row;
        for (const CurveColumnSpec& desc : CurveTable)
            if (desc.tabled)
                row.push_back(tableCell(r, point, desc, format));
        if (frequency)
            row.push_back(point.values ? formatNumber(point.values->overBound, NumberPattern::Percent, format)
                                       : NotAvailable);
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
        series.title = "Chl a above " + targetBoundText(r.target, format) + " ug/L (% of time)";
        series.scale = ChartScale::Percent;
        series.banded = false;
        break;
    default:
        series.title = "TP (ug/L)";
    }
    if (r.target.kind == TargetKind::Secchi)
        series.bottom = r.state.MeanDepth.doubleValue();
    // Light reaches no deeper than the bottom: a Secchi depth and its band stop there.
    const auto atMostBottom = [&](Band b) {
        if (series.bottom)
            b = {std::min(b.value, *series.bottom), std::min(b.low, *series.bottom), std::min(b.high, *series.bottom)};
        return b;
    };
    for (const ResponsePoint& point : r.curve) {
        series.percent.push_back(point.reductionPct);
        series.values.push_back(point.values ? std::optional<Band>(atMostBottom(pick(*point.values))) : std::nullopt);
    }
    if (answered(r.goal))
        series.answerPercent = 100 * r.goal.reduction;
    return series;
}

std::vector<std::string> responseAnswer(const LoadResponse& r, const NumberFormat& format)
{
    std::vector<std::string> sentences = {
        "The phosphorus load now is " + loadText(r.loads.total, format) + ": " + loadText(r.loads.watershed, format) +
            " from the watershed and " + loadText(r.loads.atmospheric, format) + " from the atmosphere.",
        goalSentences(r, format)};
    if (!r.fit.poor) {
        sentences.push_back(streamPSentence(r, format));
        return sentences;
    }
    for (std::string& sentence : poorFitSentences(r, format))
        sentences.push_back(std::move(sentence));
    return sentences;
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

}  // namespace trophex
