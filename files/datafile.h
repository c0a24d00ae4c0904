#pragma once
// The model-run data file: 32 lines ending in CR LF, the header "TROPHEX 1.0 Data File"
// and then the 31 input texts exactly as shown, in InputTexts order.
//
// Reading: a leading UTF-8 byte-order mark is skipped; a line ends at CR (an LF right after
// it belongs to the line end; a lone LF stays in the text), or at LF in a file whose 32
// lines hold no CR; the byte 0x1A or the physical end ends the file; missing lines read as
// empty texts; lines after the 32nd are never read. The 32 lines are read as UTF-8 when
// they are valid UTF-8, else as Windows-1252. Files are written with CR LF and no mark.

#include "model/errors.h"
#include "model/inputs.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace trophex {

inline constexpr const char* DataFileHeader = "TROPHEX 1.0 Data File";
// The most a file's 32 lines may take together, up to the CR of the 32nd. A longer file is
// refused as invalid, so that opening any file needs bounded memory; single lines of a
// hundred megabytes still open.
inline constexpr std::size_t MaxReadableBytes = std::size_t{256} << 20;

// The file's texts, or nullopt when its first line is not the header.
std::optional<InputTexts> parseDataFile(std::string_view bytes);
std::string serializeDataFile(const InputTexts& texts);

struct DataFileRead {
    std::optional<InputTexts> texts;  // set when the file was read and its header matched
    Error error;                      // ErrorCode::InvalidFile, or System with the system's text
    bool ok() const { return texts.has_value(); }
};

// Reads the file up to the end of its 32nd line or its end-of-file mark, and no further,
// before anything is decided; nothing is changed on failure. A file whose 32 lines take
// more than maxReadableBytes is refused as invalid. Never throws: a lack of memory is
// reported as ErrorCode::OutOfMemory.
DataFileRead readDataFile(const std::string& path, std::size_t maxReadableBytes = MaxReadableBytes);

// The same for a file's contents already in memory.
DataFileRead readDataFileBytes(std::string_view bytes, std::size_t maxReadableBytes = MaxReadableBytes);

// Called with the temporary file's path once it is complete and synced, just before it
// replaces the target: the moment tests interrupt a save at.
using BeforeRename = std::function<void(const std::string& tempPath)>;

// Writes a temporary file beside the target, flushes and syncs it, then renames it over
// the target, so that a failure leaves any earlier file intact. A device or pipe is
// written into instead, and an existing file the user may not write is left alone.
// Returns the system's error text on failure, nullopt on success.
std::optional<std::string> writeDataFile(const std::string& path, const InputTexts& texts,
                                         const BeforeRename& beforeRename = {});

// Writes bytes to the file being saved; false once writing failed, and the rest is not written.
using ByteWriter = std::function<bool(std::string_view bytes)>;
// Gives the whole contents of a file, in as many pieces as it likes.
using FileContents = std::function<void(const ByteWriter& write)>;

// Saves any file as writeDataFile saves a data file, so that a file too large to be held
// at once is saved complete or not at all.
std::optional<std::string> replaceFile(const std::string& path, const FileContents& contents,
                                       const BeforeRename& beforeRename = {});

// Removes the temporary file of every replaceFile still writing one, so that a program
// ended by a signal leaves none behind. Async-signal-safe: for a handler of SIGINT or
// SIGTERM, which then ends the program (the saves in progress can no longer succeed).
void removeUnfinishedFiles() noexcept;

}  // namespace trophex
