#include "model/results.h"

#include <utility>

namespace trophex {

namespace {

using P = NumberPattern;
using Page = ResultPage;

constexpr ResultSpec box(Result r, const char* control, const char* batchColumn, const char* label, P pattern,
                         const char* unit, const char* zeroText = nullptr)
{
    return {r, Page::Output, control, 0, 0, batchColumn, label, pattern, unit, zeroText};
}

constexpr ResultSpec prediction(Result r, int column, int row, const char* batchColumn, const char* label,
                                P pattern, const char* unit)
{
    return {r, Page::Predictions, "CompStringGrid", column, row, batchColumn, label, pattern, unit, nullptr};
}

constexpr ResultSpec frequency(Result r, int column, int row, const char* batchColumn, const char* label)
{
    return {r, Page::ChlrA, "ChlrStringGrid", column, row, batchColumn, label, P::Percent, "%", nullptr};
}

constexpr ResultSpec index(Result r, const char* control, const char* batchColumn, const char* label)
{
    return {r, Page::Tsi, control, 0, 0, batchColumn, label, P::Whole, "", nullptr};
}

using R = Result;

// The labels of the "Output" page are its captions; "Chiadudani/Vighi TP" is spelled as
// the program has always spelled it.
constexpr std::array<ResultSpec, ResultCount> Table = {{
    box(R::OutVol, "OutVolEditBox", "outflow_hm3_yr", "Lake Outflow", P::GroupedTwoDecimals, "hm3/yr"),
    box(R::WatLoad, "WatLoadEditBox", "areal_water_load_m_yr", "Areal Water Load", P::GroupedTwoDecimals, "m/yr"),
    box(R::ResTime, "ResTimeEditBox", "residence_time_yr", "Residence Time", P::OneDecimal, "years"),
    box(R::PhosLoad, "PhosLoadEditBox", "p_load_kg_yr", "TP Load", P::Whole, "kg/yr"),
    box(R::AvgInTP, "AvgInTPEditBox", "inflow_tp_ug_L", "Average TP Inflow", P::Whole, "ug/L"),
    box(R::CVtp, "CVtpEditBox", "cv_tp_ug_L", "Chiadudani/Vighi TP", P::OneDecimal, "ug/L", "NA"),
    box(R::PhosRet, "PhosRetEditBox", "p_retention", "Phos Retention Coef", P::GroupedTwoDecimals, ""),
    prediction(R::TPObserved, 1, 1, "tp_observed_ug_L", "TP Observed", P::Whole, "ug/L"),
    prediction(R::TPPredicted, 2, 1, "tp_predicted_ug_L", "TP Predicted", P::Whole, "ug/L"),
    prediction(R::TPStdError, 3, 1, "tp_std_error_ug_L", "TP Std Error", P::Whole, "ug/L"),
    prediction(R::TPResidual, 4, 1, "tp_residual_log10", "TP Residual", P::TwoDecimals, "log10"),
    prediction(R::TPTtest, 5, 1, "tp_t_test", "TP T-test", P::GroupedTwoDecimals, ""),
    prediction(R::ChlrAObserved, 1, 2, "chla_observed_ug_L", "Chlr a Observed", P::GroupedOneDecimal, "ug/L"),
    prediction(R::ChlrAPredicted, 2, 2, "chla_predicted_ug_L", "Chlr a Predicted", P::GroupedOneDecimal, "ug/L"),
    prediction(R::ChlrAStdError, 3, 2, "chla_std_error_ug_L", "Chlr a Std Error", P::GroupedOneDecimal, "ug/L"),
    prediction(R::ChlrAResidual, 4, 2, "chla_residual_log10", "Chlr a Residual", P::GroupedTwoDecimals, "log10"),
    prediction(R::ChlrATtest, 5, 2, "chla_t_test", "Chlr a T-test", P::GroupedTwoDecimals, ""),
    prediction(R::SechiObserved, 1, 3, "secchi_observed_m", "Secchi Observed", P::GroupedOneDecimal, "m"),
    prediction(R::SechiPredicted, 2, 3, "secchi_predicted_m", "Secchi Predicted", P::GroupedOneDecimal, "m"),
    prediction(R::SechiStdError, 3, 3, "secchi_std_error_m", "Secchi Std Error", P::GroupedOneDecimal, "m"),
    prediction(R::SechiResidual, 4, 3, "secchi_residual_log10", "Secchi Residual", P::GroupedTwoDecimals, "log10"),
    prediction(R::SechiTtest, 5, 3, "secchi_t_test", "Secchi T-test", P::GroupedTwoDecimals, ""),
    frequency(R::Over10Observed, 1, 1, "chla_over_10_observed_pct", "Chlr a > 10 ppb, Observed"),
    frequency(R::Over10CaseA, 2, 1, "chla_over_10_case_a_pct", "Chlr a > 10 ppb, Case A"),
    frequency(R::Over10CaseB, 3, 1, "chla_over_10_case_b_pct", "Chlr a > 10 ppb, Case B"),
    frequency(R::Over10CaseC, 4, 1, "chla_over_10_case_c_pct", "Chlr a > 10 ppb, Case C"),
    frequency(R::Over20Observed, 1, 2, "chla_over_20_observed_pct", "Chlr a > 20 ppb, Observed"),
    frequency(R::Over20CaseA, 2, 2, "chla_over_20_case_a_pct", "Chlr a > 20 ppb, Case A"),
    frequency(R::Over20CaseB, 3, 2, "chla_over_20_case_b_pct", "Chlr a > 20 ppb, Case B"),
    frequency(R::Over20CaseC, 4, 2, "chla_over_20_case_c_pct", "Chlr a > 20 ppb, Case C"),
    frequency(R::Over30Observed, 1, 3, "chla_over_30_observed_pct", "Chlr a > 30 ppb, Observed"),
    frequency(R::Over30CaseA, 2, 3, "chla_over_30_case_a_pct", "Chlr a > 30 ppb, Case A"),
    frequency(R::Over30CaseB, 3, 3, "chla_over_30_case_b_pct", "Chlr a > 30 ppb, Case B"),
    frequency(R::Over30CaseC, 4, 3, "chla_over_30_case_c_pct", "Chlr a > 30 ppb, Case C"),
    frequency(R::Over60Observed, 1, 4, "chla_over_60_observed_pct", "Chlr a > 60 ppb, Observed"),
    frequency(R::Over60CaseA, 2, 4, "chla_over_60_case_a_pct", "Chlr a > 60 ppb, Case A"),
    frequency(R::Over60CaseB, 3, 4, "chla_over_60_case_b_pct", "Chlr a > 60 ppb, Case B"),
    frequency(R::Over60CaseC, 4, 4, "chla_over_60_case_c_pct", "Chlr a > 60 ppb, Case C"),
    index(R::AvgTSI, "AvgTSIeditBox", "tsi_average", "Average TSI"),
    index(R::PhosTSI, "PhosTSIeditBox", "tsi_tp", "TPhos TSI"),
    index(R::ChlrATSI, "ChlrATSIeditBox", "tsi_chla", "Chlor a TSI"),
    index(R::SecchiTSI, "SecchiTSIeditBox", "tsi_secchi", "Secchi TSI"),
}};

static_assert([] {
    for (std::size_t i = 0; i < Table.size(); ++i)
        if (static_cast<std::size_t>(Table[i].result) != i)
            return false;
    return true;
}(), "the result table follows the order of Result");

constexpr std::array<Result, 6> SelectorResults = {R::AvgInTP, R::PhosLoad, R::CVtp, R::OutVol, R::ResTime,
                                                   R::WatLoad};

}  // namespace

const std::array<ResultSpec, ResultCount>& resultTable()
{
    return Table;
}

Result resultOf(OutputResult selector)
{
    return SelectorResults[static_cast<int>(selector)];
}

std::optional<OutputResult> selectorOf(Result r)
{
    for (OutputResult selector : AllOutputResults)
        if (resultOf(selector) == r)
            return selector;
    return std::nullopt;
}

std::string resultText(const ResultSpec& desc, Extended value, const NumberFormat& format)
{
    if (desc.zeroText != nullptr && value == 0)
        return desc.zeroText;
    return formatNumber(value, desc.pattern, format);
}

namespace {

// Each text is built in its place in the array, none moved into it afterwards.
template <std::size_t... I>
ResultTexts formatEach(const ResultValues& values, const NumberFormat& format, std::index_sequence<I...>)
{
    return {{resultText(Table[I], values.values[I], format)...}};
}

}  // namespace

ResultTexts formatResults(const ResultValues& values, const NumberFormat& format)
{
    return formatEach(values, format, std::make_index_sequence<ResultCount>());
}

GridTexts gridTexts(ResultPage grid, const ResultTexts& texts)
{
    GridTexts cells;
    for (const ResultSpec& desc : Table) {
        if (desc.page != grid)
            continue;
        if (cells.size() < static_cast<std::size_t>(desc.gridRow))
            cells.resize(desc.gridRow);
        std::vector<std::string>& row = cells[desc.gridRow - 1];
        if (row.size() < static_cast<std::size_t>(desc.gridColumn))
            row.resize(desc.gridColumn);
        row[desc.gridColumn - 1] = texts[desc.result];
    }
    return cells;
}

}  // namespace trophex
