// carlson_tsi() and trophic_class(): Carlson's indices of observed values and the trophic
// class of an average index, from the model.

#include "rvalues.h"

#include "arithmetic/fpu.h"
#include "model/tsi.h"
#include "model/trophicclass.h"

#include <cpp11.hpp>

#include <optional>

using namespace trophex;

namespace {

// An index of one value; none for a missing value or one the index has no logarithm of.
std::optional<Real48> indexOf(Real48 (*index)(double), double value)
{
    if (ISNAN(value))
        return std::nullopt;
    try {
        return index(value);
    } catch (const FloatFault&) {
        return std::nullopt;
    }
}

double numberOf(const std::optional<Real48>& index)
{
    return index ? index->doubleValue() : NA_REAL;
}

}  // namespace

[[cpp11::register]] cpp11::list carlson_tsi_(cpp11::doubles tp, cpp11::doubles chla, cpp11::doubles secchi)
{
    const std::size_t rows = tp.size();
    r::TableBuilder table({resultSpec(Result::AvgTSI).batchColumn, resultSpec(Result::PhosTSI).batchColumn,
                           resultSpec(Result::ChlrATSI).batchColumn, resultSpec(Result::SecchiTSI).batchColumn},
                          rows, std::vector<r::ColumnKind>(4, r::ColumnKind::Number));
    for (std::size_t row = 0; row < rows; ++row) {
        const auto phosphorus = indexOf(phosphorusTsi, tp[row]);
        const auto chlorophyll = indexOf(chlorophyllTsi, chla[row]);
        const auto transparency = indexOf(secchiTsi, secchi[row]);
        const std::optional<Real48> average =
            phosphorus && chlorophyll && transparency
                ? std::optional<Real48>(averageTsi(*phosphorus, *chlorophyll, *transparency))
                : std::nullopt;
        table.setNumber(0, row, numberOf(average));
        table.setNumber(1, row, numberOf(phosphorus));
        table.setNumber(2, row, numberOf(chlorophyll));
        table.setNumber(3, row, numberOf(transparency));
    }
    return table.finish();
}

[[cpp11::register]] cpp11::strings trophic_class_names_()
{
    return cpp11::writable::strings(std::vector<std::string>(TrophicClassNames.begin(), TrophicClassNames.end()));
}

// 1-based codes into trophic_class_names_(); NA for an index that is not a number.
[[cpp11::register]] cpp11::integers trophic_class_(cpp11::doubles tsi)
{
    cpp11::writable::integers codes(tsi.size());
    for (R_xlen_t i = 0; i < tsi.size(); ++i) {
        const std::optional<TrophicClass> trophicClass = trophicClassOf(tsi[i]);
        codes[i] = trophicClass ? static_cast<int>(*trophicClass) + 1 : NA_INTEGER;
    }
    return codes;
}
