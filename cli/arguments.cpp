#include "cli/arguments.h"

namespace trophex::cli {

std::optional<std::uint64_t> parseCount(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 18)
        return std::nullopt;
    return std::stoull(text);
}

}  // namespace trophex::cli
