#pragma once
// The shortest text that reads back as the same double, written as std::to_chars writes
// it without a format: the fixed or the scientific form, whichever is shorter (fixed on a
// tie). Where the C++ library has no floating-point to_chars (emscripten's), the digits
// come from the C library's correctly rounded printf and strtod.

#include <string>

namespace trophex {

void appendShortestNumber(std::string& out, double value);

// The same, built from printf and strtod whatever the library offers (tested against
// to_chars where it exists).
void appendShortestNumberFromPrintf(std::string& out, double value);

}  // namespace trophex
