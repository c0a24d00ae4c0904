#pragma once
// Every text a calculation shows, for checks that look at all of them at once, and errors
// written readably in test messages.

#include "model/calculation.h"

#include <ostream>
#include <string>
#include <vector>

namespace trophex {

inline std::vector<std::string> allResultTexts(const ResultTexts& r)
{
    return {r.texts.begin(), r.texts.end()};
}

// True for a text that shows a NaN or an infinity in any spelling the formatting could use.
inline bool showsNanOrInfinity(const std::string& text)
{
    std::string lower;
    for (char c : text)
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower.find("nan") != std::string::npos || lower.find("inf") != std::string::npos;
}

// The errors a calculation can end with; None when it completed.
inline bool isCalculationError(ErrorCode code)
{
    return code == ErrorCode::None || code == ErrorCode::InvalidInput || code == ErrorCode::DivisionByZero ||
           code == ErrorCode::InvalidOperation || code == ErrorCode::Overflow;
}

inline std::ostream& operator<<(std::ostream& out, const Error& error)
{
    return out << '"' << errorMessage(error) << '"';
}

}  // namespace trophex
