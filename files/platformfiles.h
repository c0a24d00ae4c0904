#pragma once
// The data file's dealings with the operating system, behind one seam: reading a regular
// file whole, and replacing a file so that a failure never destroys the earlier one.
// POSIX systems in platformfiles_posix.cpp, Windows in platformfiles_windows.cpp.

#include "files/datafile.h"
#include "model/errors.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace trophex {

// Takes the next block of a file being read, with the file's size; returns false to stop.
using FileBlockTaker = std::function<bool(std::string_view block, std::uint64_t fileSize)>;

// Reads the file block by block until the taker stops or the file ends (true), or gives
// the system's error text (false). Only a regular file is read: a pipe or a device could
// block or never end, so it is refused like a file of the wrong kind (ErrorCode::InvalidFile).
bool readRegularFile(const std::string& path, const FileBlockTaker& take, Error& error);

// Writes the bytes into a new temporary file beside the target, flushes it to the disk and
// puts it in the target's place in one step. A device or pipe is written into instead, and
// an existing file the user may not write is left alone. The system's error text on
// failure, nullopt on success.
std::optional<std::string> replaceFile(const std::string& path, std::string_view bytes, const BeforeRename& beforeRename);

}  // namespace trophex
