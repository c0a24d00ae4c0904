#pragma once
// The data file's dealings with the operating system, behind one seam: reading a regular
// file whole, and replacing a file (replaceFile of files/datafile.h) so that a failure never
// destroys the earlier one.
// POSIX systems in platformfiles_posix.cpp, Windows in platformfiles_windows.cpp.

#include "files/datafile.h"
#include "model/errors.h"

#include <cerrno>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace trophex {

// File names as the system takes them: UTF-8 bytes on POSIX systems, UTF-16 on Windows.
#if defined(_WIN32)
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif

// Removes a file by its system name; async-signal-safe (unlink, or _wunlink).
void removeNativeFile(const NativeChar* path) noexcept;

// While it lives, the temporary file it names is one that removeUnfinishedFiles removes.
// Noting and forgetting take no lock and no memory, so that a signal handler may run
// removeUnfinishedFiles at any moment. A name too long for a note, or a note beyond the few
// saves that may run at once, is not noted.
class UnfinishedFileNote {
public:
    explicit UnfinishedFileNote(std::basic_string_view<NativeChar> path) noexcept;
    ~UnfinishedFileNote();
    UnfinishedFileNote(const UnfinishedFileNote&) = delete;
    UnfinishedFileNote& operator=(const UnfinishedFileNote&) = delete;

private:
    int slot_;  // where the name is noted, or -1
};

// Takes the next block of a file being read, with the file's size; returns false to stop.
using FileBlockTaker = std::function<bool(std::string_view block, std::uint64_t fileSize)>;

// Reads the file block by block until the taker stops or the file ends (true), or gives
// the system's error text (false). Only a regular file is read: a pipe or a device could
// block or never end, so it is refused like a file of the wrong kind (ErrorCode::InvalidFile).
bool readRegularFile(const std::string& path, const FileBlockTaker& take, Error& error);

// Writes the contents piece by piece with writeAll (false with errno set on failure); the
// error number of the first piece that failed, or 0. Nothing is written after a failure.
template <class WriteAll>
int writeContents(const FileContents& contents, WriteAll writeAll)
{
    int error = 0;
    contents([&](std::string_view bytes) {
        if (error == 0 && !writeAll(bytes))
            error = errno;
        return error == 0;
    });
    return error;
}

}  // namespace trophex
