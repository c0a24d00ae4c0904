#pragma once
// The trophic class of a lake, by its average trophic state index.

#include <array>
#include <optional>

namespace trophex {

enum class TrophicClass { Oligotrophic, Mesotrophic, Eutrophic, Hypereutrophic };

inline constexpr std::array<const char*, 4> TrophicClassNames = {"oligotrophic", "mesotrophic", "eutrophic",
                                                                 "hypereutrophic"};

// Oligotrophic below 40, mesotrophic from 40 to below 50, eutrophic from 50 to below 70,
// hypereutrophic from 70; nullopt for an index that is not a number.
std::optional<TrophicClass> trophicClassOf(double averageIndex);

inline const char* trophicClassName(TrophicClass trophicClass)
{
    return TrophicClassNames[static_cast<int>(trophicClass)];
}

}  // namespace trophex
