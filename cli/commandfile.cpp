#include "cli/commandfile.h"

#include "cli/systemio.h"
#include "files/datafile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

namespace trophex::cli {

using batch::ReadFunction;
using batch::WriteFunction;

namespace {

// While it lives, SIGINT and SIGTERM first remove the temporary file of the output being
// written, then end the program as they would have. A signal ignored (as SIGINT is for a
// command started in the background) stays ignored.
class UnfinishedOutputRemoval {
public:
    UnfinishedOutputRemoval() : interrupt_(handle(SIGINT)), terminate_(handle(SIGTERM)) {}
    UnfinishedOutputRemoval(const UnfinishedOutputRemoval&) = delete;
    UnfinishedOutputRemoval& operator=(const UnfinishedOutputRemoval&) = delete;
    ~UnfinishedOutputRemoval()
    {
        std::signal(SIGINT, interrupt_);
        std::signal(SIGTERM, terminate_);
    }

private:
    using Handler = void (*)(int);

    static Handler handle(int signal)
    {
        const Handler before = std::signal(signal, removeAndEnd);
        if (before == SIG_IGN)
            std::signal(signal, SIG_IGN);
        return before;
    }

    // Async-signal-safe, as a handler must be.
    static void removeAndEnd(int signal)
    {
        removeUnfinishedFiles();
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }

    Handler interrupt_;  // the handlers before
    Handler terminate_;
};


}  // namespace

std::string systemError(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}


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

ReadFunction readerOf(std::shared_ptr<const CommandFile> file)
{
    return [file](char* buffer, std::size_t capacity) {
        const std::size_t got = std::fread(buffer, 1, capacity, file->get());
        if (got == 0 && std::ferror(file->get()))
            throw std::runtime_error(systemError("cannot read", file->name()));
        return got;
    };
}

WriteFunction writerOf(const CommandFile& file)
{
    return [&file](std::string_view bytes) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
            throw std::runtime_error(systemError("cannot write", file.name()));
    };
}


void writeOutput(const std::string& output, const std::function<void(const WriteFunction&)>& produce)
{
    if (output == "-") {
        CommandFile out(output, true);
        produce(writerOf(out));
        out.finish();
        return;
    }
    const UnfinishedOutputRemoval removal;
    const std::optional<std::string> error = replaceFile(output, [&](const ByteWriter& write) {
        produce([&](std::string_view bytes) {
            if (!write(bytes))
                throw std::runtime_error(systemError("cannot write", output));
        });
    });
    if (error)
        throw std::runtime_error("cannot write " + output + ": " + *error);
}

}  // namespace trophex::cli
