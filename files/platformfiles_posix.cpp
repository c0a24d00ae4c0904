#include "files/platformfiles.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trophex {

namespace {

std::string systemError(int error)
{
    return std::strerror(error);
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A symbolic link is saved through: the file it points to is replaced, not the link.
std::string resolvedTarget(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved))
            return resolved;
    }
    return path;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates a new temporary file beside the target, with the permissions a plain new file
// would get; returns its descriptor or -1 with errno set. The target's name is shortened
// so that the temporary name stays within the file system's limit.
int createTemporaryBeside(const std::string& target, std::string& tempPath)
{
    constexpr std::size_t MaxNameKept = 200;
    const std::string name = target.substr(target.rfind('/') + 1, MaxNameKept);
    const std::string base = folderOf(target) + "/." + name + ".tmp";
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = base + std::to_string(::getpid()) + "_" + std::to_string(attempt);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

std::optional<std::string> errorText(int error)
{
    if (error == 0)
        return std::nullopt;
    return systemError(error);
}

// Closes a file descriptor when it goes out of scope, unless closed before.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { close(); }
    int get() const { return fd_; }

    // Closes the file now: 0, or the error number of a failed close (a late write error).
    int close()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }

private:
    int fd_;  // the open file, or -1
};

// The temporary file of a save, beside its target. Whatever way the save ends short of
// taking the target's place (a failure, or a writer that throws), the file is closed and
// removed; while it exists, a signal handler may remove it (removeUnfinishedFiles).
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target) : file_(createTemporaryBeside(target, path_))
    {
        if (file_.get() >= 0)
            note_.emplace(path_);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        file_.close();
        if (note_ && !moved_)
            ::unlink(path_.c_str());
    }

    // False with errno set when no file could be created.
    bool created() const { return note_.has_value(); }
    int descriptor() const { return file_.get(); }
    const std::string& path() const { return path_; }
    int close() { return file_.close(); }

    // Puts the closed file in the target's place: 0, or the error number.
    int moveTo(const std::string& target)
    {
        if (::rename(path_.c_str(), target.c_str()) != 0)
            return errno;
        moved_ = true;
        return 0;
    }

private:
    std::string path_;                        // of the temporary file
    FileDescriptor file_;                     // open until closed
    std::optional<UnfinishedFileNote> note_;  // from its creation on
    bool moved_ = false;                      // it took the target's place
};

// A device or a pipe is written into, as any program writing to it would; renaming a new
// file over it would replace the device node itself.
std::optional<std::string> writeInPlace(const std::string& target, const FileContents& contents)
{
    FileDescriptor file(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        return systemError(errno);
    const int fd = file.get();
    const int error = writeContents(contents, [fd](std::string_view bytes) { return writeAll(fd, bytes); });
    const int closeError = file.close();
    return errorText(error != 0 ? error : closeError);
}

void syncFolder(const std::string& folder)
{
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

}  // namespace

void removeNativeFile(const char* path) noexcept
{
    ::unlink(path);
}

bool readRegularFile(const std::string& path, const FileBlockTaker& take, Error& error)
{
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        error = {ErrorCode::System, systemError(errno)};
        return false;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? Error{ErrorCode::System, systemError(EISDIR)}
                                      : Error{ErrorCode::InvalidFile, {}};
        return false;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = {ErrorCode::System, systemError(errno)};
            return false;
        }
        if (!take(std::string_view(buffer, static_cast<std::size_t>(n)), static_cast<std::uint64_t>(info.st_size)))
            return true;
    }
}

std::optional<std::string> replaceFile(const std::string& path, const FileContents& contents, const BeforeRename& beforeRename)
{
    const std::string target = resolvedTarget(path);
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode))
        return systemError(EISDIR);
    // A file the user may not write is not replaced, even where the folder would allow it.
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return systemError(errno);

    if (exists && !S_ISREG(info.st_mode))
        return writeInPlace(target, contents);

    TemporaryFile temp(target);
    if (!temp.created())
        return systemError(errno);
    const int fd = temp.descriptor();
    if (exists)
        ::fchmod(fd, info.st_mode & 07777);

    int error = writeContents(contents, [fd](std::string_view bytes) { return writeAll(fd, bytes); });
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    const int closeError = temp.close();
    if (error == 0)
        error = closeError;
    if (error == 0 && beforeRename)
        beforeRename(temp.path());
    if (error == 0)
        error = temp.moveTo(target);
    if (error != 0)
        return systemError(error);
    syncFolder(folderOf(target));
    return std::nullopt;
}

}  // namespace trophex
