#pragma once
// What the runner needs of the operating system beyond standard C++, on POSIX systems and
// on Windows: arguments and file names in UTF-8, standard streams that pass bytes as they
// are, and the facts about open files that the batch command checks.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace trophex::cli {

// The command-line arguments after the program's name, in UTF-8 (Windows gives them in
// UTF-16), and the standard input and output set to pass bytes unchanged (Windows would
// turn LF into CR LF).
std::vector<std::string> startProgram(int argc, char** argv);

// std::fopen for a UTF-8 file name.
std::FILE* openFile(const std::string& path, const char* mode);

// Whether the open stream is the regular file that path names.
bool isSameRegularFile(std::FILE* stream, const std::string& path);

// The size of the regular file the stream reads, 0 for anything else (a pipe, a terminal).
std::uint64_t regularFileSize(std::FILE* stream);

// Whether the stream is a terminal.
bool isTerminal(std::FILE* stream);

}  // namespace trophex::cli
