#pragma once
// The files a command of trophex-cli names: opened for reading or writing, "-" for the
// standard streams, with messages that name the file and the system's reason.

#include "batch/batchpipeline.h"

#include <cstdio>
#include <string>

namespace trophex::cli {

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

// Reads and writes of the file for the batch and sample engines; they throw
// std::runtime_error with the system's reason.
batch::ReadFunction readerOf(const CommandFile& file);
batch::WriteFunction writerOf(const CommandFile& file);

}  // namespace trophex::cli
