#include "files/platformfiles.h"

#include "arithmetic/windowsapi.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

namespace trophex {

namespace {

// Paths are UTF-8 everywhere in the program; Windows takes them as UTF-16.
std::wstring widePath(const std::string& path)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(), n);
    return wide;
}

// The C library's texts, the same words the program shows on other systems.
std::string systemError(int error)
{
    return std::strerror(error);
}

// The errno that stands for a Windows error of moving a file.
int errnoOf(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    default:
        return EIO;
    }
}

bool writeAll(int fd, std::string_view bytes)
{
    constexpr std::size_t Chunk = 1 << 30;  // _write counts in unsigned int
    while (!bytes.empty()) {
        const int n = _write(fd, bytes.data(), static_cast<unsigned>(std::min(bytes.size(), Chunk)));
        if (n < 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
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

    // Closes the file now: 0, or the error number of a failed close.
    int close()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd >= 0 && _close(fd) != 0 ? errno : 0;
    }

private:
    int fd_;  // the open file, or -1
};

// A device is written into, as any program writing to it would.
std::optional<std::string> writeInPlace(const std::wstring& target, const FileContents& contents)
{
    FileDescriptor file(_wopen(target.c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT));
    if (file.get() < 0)
        return systemError(errno);
    const int fd = file.get();
    const int error = writeContents(contents, [fd](std::string_view bytes) { return writeAll(fd, bytes); });
    const int closeError = file.close();
    return errorText(error != 0 ? error : closeError);
}

// Creates a new temporary file beside the target, named as on other systems
// (".NAME.tmpPID_N", the name shortened to stay within the file system's limit); returns
// its descriptor or -1 with errno set.
int createTemporaryBeside(const std::string& target, std::string& tempPath)
{
    constexpr std::size_t MaxNameKept = 200;
    const std::size_t separator = target.find_last_of("/\\");
    const std::string folder = separator == std::string::npos ? std::string() : target.substr(0, separator + 1);
    const std::string name = target.substr(separator == std::string::npos ? 0 : separator + 1, MaxNameKept);
    const std::string base = folder + "." + name + ".tmp";
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = base + std::to_string(_getpid()) + "_" + std::to_string(attempt);
        const int fd = _wopen(widePath(tempPath).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                              _S_IREAD | _S_IWRITE);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// The temporary file of a save, beside its target. Whatever way the save ends short of
// taking the target's place (a failure, or a writer that throws), the file is closed and
// removed; while it exists, a signal handler may remove it (removeUnfinishedFiles).
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target) : file_(createTemporaryBeside(target, path_))
    {
        if (file_.get() >= 0) {
            widePath_ = widePath(path_);
            note_.emplace(widePath_);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        file_.close();
        if (note_ && !moved_)
            _wunlink(widePath_.c_str());
    }

    // False with errno set when no file could be created.
    bool created() const { return note_.has_value(); }
    int descriptor() const { return file_.get(); }
    const std::string& path() const { return path_; }
    int close() { return file_.close(); }

    // Puts the closed file in the target's place, on the disk once this returns: 0, or the
    // error number.
    int moveTo(const std::wstring& target)
    {
        if (!MoveFileExW(widePath_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return errnoOf(GetLastError());
        moved_ = true;
        return 0;
    }

private:
    std::string path_;                        // of the temporary file, UTF-8
    std::wstring widePath_;                   // the same, as the system takes it
    FileDescriptor file_;                     // open until closed
    std::optional<UnfinishedFileNote> note_;  // from its creation on
    bool moved_ = false;                      // it took the target's place
};

}  // namespace

void removeNativeFile(const wchar_t* path) noexcept
{
    _wunlink(path);
}

bool readRegularFile(const std::string& path, const FileBlockTaker& take, Error& error)
{
    const std::wstring wide = widePath(path);
    const int fd = _wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) {
        // Windows opens no folder as a file: say what it is, as on other systems.
        struct _stat64 named {};
        const bool folder = _wstat64(wide.c_str(), &named) == 0 && (named.st_mode & _S_IFDIR) != 0;
        error = {ErrorCode::System, systemError(folder ? EISDIR : errno)};
        return false;
    }
    struct _stat64 info {};
    bool ok = true;
    if (_fstat64(fd, &info) != 0 || (info.st_mode & _S_IFREG) == 0) {
        error = {ErrorCode::InvalidFile, {}};  // a device such as NUL or CON
        ok = false;
    }
    char buffer[65536];
    while (ok) {
        const int n = _read(fd, buffer, sizeof buffer);
        if (n < 0) {
            error = {ErrorCode::System, systemError(errno)};
            ok = false;
        }
        if (n <= 0 || !take(std::string_view(buffer, static_cast<std::size_t>(n)), static_cast<std::uint64_t>(info.st_size)))
            break;
    }
    _close(fd);
    return ok;
}

// The new file takes the target's place with MoveFileExW, which replaces an existing file
// in one step and, with MOVEFILE_WRITE_THROUGH, returns only once the move is on the disk;
// the file's own bytes were flushed before (_commit).
std::optional<std::string> replaceFile(const std::string& path, const FileContents& contents, const BeforeRename& beforeRename)
{
    const std::wstring target = widePath(path);
    struct _stat64 info {};
    const bool exists = _wstat64(target.c_str(), &info) == 0;
    if (exists && (info.st_mode & _S_IFDIR) != 0)
        return systemError(EISDIR);
    // A read-only file is not replaced, even where the folder would allow it.
    if (exists && _waccess(target.c_str(), 2) != 0)
        return systemError(errno);
    if (exists && (info.st_mode & _S_IFREG) == 0)
        return writeInPlace(target, contents);

    TemporaryFile temp(path);
    if (!temp.created())
        return systemError(errno);
    const int fd = temp.descriptor();
    int error = writeContents(contents, [fd](std::string_view bytes) { return writeAll(fd, bytes); });
    if (error == 0 && _commit(fd) != 0)
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
    return std::nullopt;
}

}  // namespace trophex
