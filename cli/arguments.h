#pragma once
// Option values of the commands of trophex-cli.

#include <cstdint>
#include <optional>
#include <string>

namespace trophex::cli {

// A whole number of at most 18 digits, nothing else.
std::optional<std::uint64_t> parseCount(const std::string& text);

}  // namespace trophex::cli
