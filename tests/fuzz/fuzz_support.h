#pragma once
// Helpers of the fuzz targets. A broken invariant aborts, which the fuzzer reports as a
// crash together with the input that caused it.

#include "model/inputs.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace trophex::fuzz {

inline void require(bool holds, const char* invariant)
{
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", invariant);
    std::abort();
}

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// Takes the next line-feed-terminated text off the front of the input (all of the rest
// when there is no line feed left).
inline std::string_view takeLine(std::string_view& input)
{
    const std::size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return line;
}

// The 31 input texts, one per line of the input in data-file order; missing ones are empty.
inline InputTexts takeInputTexts(std::string_view& input)
{
    InputTexts texts;
    for (std::string& text : texts.texts)
        text = takeLine(input);
    return texts;
}

}  // namespace trophex::fuzz
