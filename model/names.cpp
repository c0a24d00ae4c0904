#include "model/names.h"

namespace trophex {

namespace {

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool sameNameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

std::optional<std::size_t> findName(const char* const* names, std::size_t count, std::string_view text)
{
    for (std::size_t i = 0; i < count; ++i)
        if (sameNameIgnoringCase(text, names[i]))
            return i;
    return std::nullopt;
}

}  // namespace trophex
