#pragma once
// Every text a calculation shows, for checks that look at all of them at once.

#include "model/calculation.h"
#include "model/fpu.h"

#include <string>
#include <vector>

namespace trophex {

inline std::vector<std::string> allResultTexts(const ResultTexts& r)
{
    std::vector<std::string> texts(r.outputs.begin(), r.outputs.end());
    texts.push_back(r.predictions.PhosRet);
    for (const auto& row : r.predictions.cells)
        texts.insert(texts.end(), row.begin(), row.end());
    for (const auto& row : r.frequencies)
        texts.insert(texts.end(), row.begin(), row.end());
    texts.insert(texts.end(), {r.tsi.AvgTSI, r.tsi.PhosTSI, r.tsi.ChlrATSI, r.tsi.SecchiTSI});
    return texts;
}

// True for a text that shows a NaN or an infinity in any spelling the formatting could use.
inline bool showsNanOrInfinity(const std::string& text)
{
    std::string lower;
    for (char c : text)
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower.find("nan") != std::string::npos || lower.find("inf") != std::string::npos;
}

// The messages a calculation can end with; empty when it completed.
inline bool isKnownCalculationError(const std::string& error)
{
    return error.empty() || error == InvalidInputMessage || error == faultMessage(FaultKind::DivisionByZero) ||
           error == faultMessage(FaultKind::InvalidOperation) || error == faultMessage(FaultKind::Overflow);
}

}  // namespace trophex
