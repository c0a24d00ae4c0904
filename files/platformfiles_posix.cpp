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

// A device or a pipe is written into, as any program writing to it would; renaming a new
// file over it would replace the device node itself.
std::optional<std::string> writeInPlace(const std::string& target, const FileContents& contents)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return systemError(errno);
    int error = writeContents(contents, [fd](std::string_view bytes) { return writeAll(fd, bytes); });
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return errorText(error);
}

void syncFolder(const std::string& folder)
{
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

// Closes a file descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;  // the open file, or -1
};

}  // namespace

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

    std::string tempPath;
    const int fd = createTemporaryBeside(target, tempPath);
    if (fd < 0)
        return systemError(errno);
    if (exists)
        ::fchmod(fd, info.st_mode & 07777);

    int error = writeContents(contents, [fd](std::string_view bytes) { return writeAll(fd, bytes); });
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && beforeRename)
        beforeRename(tempPath);
    if (error == 0 && ::rename(tempPath.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(tempPath.c_str());
        return systemError(error);
    }
    syncFolder(folderOf(target));
    return std::nullopt;
}

}  // namespace trophex
