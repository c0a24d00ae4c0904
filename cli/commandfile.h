#pragma once
// The files a command of trophex-cli names: opened for reading or writing, "-" for the
// standard streams, with messages that name the file and the system's reason; outputs
// written whole or not at all.

#include "batch/batchpipeline.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace trophex::cli {

// "WHAT PATH: the system's reason", from errno.
std::string systemError(const std::string& what, const std::string& path);

// A file named on the command line, or a standard stream for "-".
class CommandFile {
public:
    // Throws std::runtime_error ("cannot open PATH: reason") when the file cannot be opened.
    CommandFile(const std::string& path, bool forWriting);
    CommandFile(const CommandFile&) = delete;
    CommandFile& operator=(const CommandFile&) = delete;
    ~CommandFile();

    std::FILE* get() const { return file_; }
    const std::string& name() const { return path_; }

    // Flushes and, for a named file, closes it, reporting a late write failure.
    void finish();

private:
    std::string path_;            // as shown in messages
    std::FILE* file_ = nullptr;   // the open stream
    bool owned_ = false;          // closed by this object
};


// Reads and writes of the file for the engine's table readers; they throw
// std::runtime_error with the system's reason. The reader holds the file: a read still
// blocked when a failed run returns ends later.
batch::ReadFunction readerOf(std::shared_ptr<const CommandFile> file);
batch::WriteFunction writerOf(const CommandFile& file);

// Writes what produce gives to the output: the standard output as it comes for "-", or a
// named file through replaceFile, so that a run that fails or is interrupted (SIGINT,
// SIGTERM) leaves a file that was there exactly as it was, and no temporary file.
void writeOutput(const std::string& output, const std::function<void(const batch::WriteFunction&)>& produce);

}  // namespace trophex::cli
