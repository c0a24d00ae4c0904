#pragma once
// Byte encodings of data files. Texts in memory are UTF-8. A file is read as UTF-8 when
// its bytes are valid UTF-8, else as Windows-1252; it is written in Windows-1252 when
// every character fits and the bytes cannot be mistaken for UTF-8, else in UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace trophex {

bool isValidUtf8(std::string_view bytes);
std::string windows1252ToUtf8(std::string_view bytes);
// nullopt when a character has no Windows-1252 byte.
std::optional<std::string> utf8ToWindows1252(std::string_view utf8);

// Valid UTF-8 with every invalid sequence replaced by U+FFFD.
std::string sanitizeUtf8(std::string_view bytes);

std::string encodeFileText(std::string_view utf8);

}  // namespace trophex
