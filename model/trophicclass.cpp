#include "model/trophicclass.h"

#include <cmath>

namespace trophex {

std::optional<TrophicClass> trophicClassOf(double averageIndex)
{
    if (std::isnan(averageIndex))
        return std::nullopt;
    if (averageIndex < 40)
        return TrophicClass::Oligotrophic;
    if (averageIndex < 50)
        return TrophicClass::Mesotrophic;
    if (averageIndex < 70)
        return TrophicClass::Eutrophic;
    return TrophicClass::Hypereutrophic;
}

}  // namespace trophex
