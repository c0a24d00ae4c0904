#pragma once
// Unit names and ecoregion codes as the user types them: recognised in any ASCII letter
// case ("ha", "ACRES", "Ft", "mg/l", "nlf"), whole text against whole text. The window, the
// runner and the batch all recognise names through this one function.

#include <cstddef>
#include <optional>
#include <string_view>

namespace trophex {

// Whether the two texts are equal when ASCII letters are compared without their case.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

// The position of the name that text spells in any ASCII letter case among the count names,
// or nullopt when it spells none of them.
std::optional<std::size_t> findName(const char* const* names, std::size_t count, std::string_view text);

// The same for an array or vector of names.
template <typename Names>
std::optional<std::size_t> findName(const Names& names, std::string_view text)
{
    return findName(names.data(), names.size(), text);
}

}  // namespace trophex
