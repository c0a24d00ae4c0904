#include "cli/commandfile.h"

#include "cli/systemio.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace trophex::cli {

namespace {

std::string systemError(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

CommandFile::CommandFile(const std::string& path, bool forWriting)
    : path_(path == "-" ? (forWriting ? "standard output" : "standard input") : path)
{
    if (path == "-") {
        file_ = forWriting ? stdout : stdin;
        return;
    }
    file_ = openFile(path, forWriting ? "wb" : "rb");
    owned_ = file_ != nullptr;
    if (!file_)
        throw std::runtime_error(systemError(forWriting ? "cannot write" : "cannot open", path));
}

CommandFile::~CommandFile()
{
    if (owned_)
        std::fclose(file_);
}

void CommandFile::finish()
{
    const bool failed = std::fflush(file_) != 0 || (owned_ && std::fclose(file_) != 0);
    owned_ = false;
    if (failed)
        throw std::runtime_error(systemError("cannot write", path_));
}

batch::ReadFunction readerOf(const CommandFile& file)
{
    return [&file](char* buffer, std::size_t capacity) {
        const std::size_t got = std::fread(buffer, 1, capacity, file.get());
        if (got == 0 && std::ferror(file.get()))
            throw std::runtime_error(systemError("cannot read", file.name()));
        return got;
    };
}

batch::WriteFunction writerOf(const CommandFile& file)
{
    return [&file](std::string_view bytes) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
            throw std::runtime_error(systemError("cannot write", file.name()));
    };
}

}  // namespace trophex::cli
