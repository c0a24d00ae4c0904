#include "files/datafile.h"

#include "files/textencoding.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>
#include <string>

namespace trophex {

namespace {

constexpr char EndOfFile = 0x1A;
constexpr int LineCount = 1 + InputCount;

// The UTF-8 byte-order mark that some editors put before the first line.
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

std::string_view withoutByteOrderMark(std::string_view bytes)
{
    if (bytes.substr(0, ByteOrderMark.size()) == ByteOrderMark)
        bytes.remove_prefix(ByteOrderMark.size());
    return bytes;
}

// Lines end at CR. A file whose 32 lines hold no CR byte, as editors on Linux save it, ends
// its lines at LF: the line end is CR when a CR comes before the 32nd LF.
char lineEndOf(std::string_view bytes)
{
    std::size_t pos = 0;
    for (int line = 0; line < LineCount; ++line) {
        const std::size_t lf = bytes.find('\n', pos);
        const std::size_t end = lf == std::string_view::npos ? bytes.size() : lf;
        if (bytes.substr(pos, end - pos).find('\r') != std::string_view::npos)
            return '\r';
        if (lf == std::string_view::npos)
            break;
        pos = lf + 1;
    }
    return '\n';
}

// Splits the readable part into at most LineCount lines, each ending at lineEnd. An LF
// right after a CR belongs to that line end; in a file of CR line ends, a lone LF is part
// of the text. Returns the number of bytes the lines take, line ends included.
std::size_t splitLines(std::string_view bytes, char lineEnd, std::string_view* lines, int& count)
{
    count = 0;
    std::size_t pos = 0;
    while (pos < bytes.size() && count < LineCount) {
        const std::size_t found = bytes.find(lineEnd, pos);
        const std::size_t end = found == std::string_view::npos ? bytes.size() : found;
        lines[count++] = bytes.substr(pos, end - pos);
        pos = std::min(end + 1, bytes.size());
        if (lineEnd == '\r' && pos < bytes.size() && bytes[pos] == '\n')
            ++pos;
    }
    return pos;
}

// Finds where the readable part of a file ends while the file is read block by block:
// after the 32nd line end or at the end-of-file mark, whichever comes first. Line ends are
// LFs until a CR shows up before the 32nd LF; from then on they are the CRs (as lineEndOf
// decides).
class ReadablePartEnd {
public:
    // Where the readable part of bytes (the file read so far) ends, or npos when it goes on
    // past them. Each call looks only at the bytes added since the last one.
    std::size_t find(std::string_view bytes)
    {
        if (mark_ == std::string_view::npos) {
            mark_ = bytes.find(EndOfFile, markSearched_);
            markSearched_ = bytes.size();
        }
        const std::string_view beforeMark = bytes.substr(0, mark_);
        while (lineEndsSearched_ < beforeMark.size()) {
            const std::size_t found = beforeMark.find(lineEnd_, lineEndsSearched_);
            if (lineEnd_ == '\n' && beforeMark.substr(0, found).find('\r', lineEndsSearched_) != std::string_view::npos) {
                // No CR came before: the CRs from here on end the lines, counted from the start.
                lineEnd_ = '\r';
                lineEnds_ = 0;
                continue;
            }
            if (found == std::string_view::npos) {
                lineEndsSearched_ = beforeMark.size();
                break;
            }
            lineEndsSearched_ = found + 1;
            if (++lineEnds_ == LineCount)
                return lineEndsSearched_;
        }
        return mark_;
    }

private:
    std::size_t mark_ = std::string_view::npos;  // the first end-of-file mark, once found
    std::size_t markSearched_ = 0;               // bytes searched for it
    std::size_t lineEndsSearched_ = 0;           // bytes before the mark searched for line ends
    int lineEnds_ = 0;                           // line ends found among them
    char lineEnd_ = '\n';                        // LF, or CR once one came before the 32nd LF
};

// False once the bytes read so far show a first line that is not the header, so that a
// file of any size with another first line is refused after its first block.
bool mayStartWithHeader(std::string_view bytes)
{
    if (bytes.size() < ByteOrderMark.size() && ByteOrderMark.substr(0, bytes.size()) == bytes)
        return true;
    bytes = withoutByteOrderMark(bytes);
    const std::string_view header = DataFileHeader;
    const std::size_t compared = std::min(bytes.size(), header.size());
    if (bytes.substr(0, compared) != header.substr(0, compared))
        return false;
    if (bytes.size() <= header.size())
        return true;
    const char next = bytes[header.size()];
    return next == '\r' || next == '\n' || next == EndOfFile;
}

std::string systemError(int error)
{
    return std::strerror(error);
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

// The readable part of the file, or the system's error or an invalid file. Only a
// regular file is read: a pipe or a device could block or never end, so it is refused like
// a file of the wrong kind. Reading stops where the readable part ends, or as soon as the
// first line cannot be the header, so that only what counts is ever held in memory.
bool readReadablePart(const std::string& path, std::size_t maxReadableBytes, std::string& contents,
                      Error& error)
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
    contents.clear();
    contents.reserve(std::min(static_cast<std::size_t>(info.st_size), maxReadableBytes) + 1);
    ReadablePartEnd readableEnd;
    char buffer[65536];
    for (;;) {
        // One byte past the limit is enough to know that the readable part is too long.
        const std::size_t wanted = std::min(sizeof buffer, maxReadableBytes + 1 - contents.size());
        const ssize_t n = ::read(file.get(), buffer, wanted);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = {ErrorCode::System, systemError(errno)};
            return false;
        }
        contents.append(buffer, static_cast<std::size_t>(n));
        const std::size_t end = readableEnd.find(contents);
        if (end != std::string::npos)
            contents.resize(end);
        if (!mayStartWithHeader(contents) || contents.size() > maxReadableBytes) {
            error = {ErrorCode::InvalidFile, {}};
            return false;
        }
        if (end != std::string::npos)
            return true;
    }
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

// Writes the contents to the descriptor; the error number of the first write that failed,
// or 0.
int writeContents(int fd, const FileContents& contents)
{
    int error = 0;
    contents([&](std::string_view bytes) {
        if (error == 0 && !writeAll(fd, bytes))
            error = errno;
        return error == 0;
    });
    return error;
}

// A device or a pipe is written into, as any program writing to it would; renaming a new
// file over it would replace the device node itself.
std::optional<std::string> writeInPlace(const std::string& target, const FileContents& contents)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return systemError(errno);
    int error = writeContents(fd, contents);
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

}  // namespace

std::optional<InputTexts> parseDataFile(std::string_view bytes)
{
    bytes = withoutByteOrderMark(bytes.substr(0, bytes.find(EndOfFile)));
    std::string_view lines[LineCount];
    int count = 0;
    const std::size_t linesLength = splitLines(bytes, lineEndOf(bytes), lines, count);
    if (count == 0 || lines[0] != DataFileHeader)
        return std::nullopt;

    // Decided on the 32 lines alone: what follows them is never read.
    const bool utf8 = isValidUtf8(bytes.substr(0, linesLength));
    InputTexts texts;
    for (int i = 1; i < count; ++i)
        texts.texts[i - 1] = utf8 ? std::string(lines[i]) : windows1252ToUtf8(lines[i]);
    return texts;
}

std::string serializeDataFile(const InputTexts& texts)
{
    std::string text = DataFileHeader;
    text += "\r\n";
    for (const std::string& line : texts.texts) {
        text += line;
        text += "\r\n";
    }
    return encodeFileText(text);
}

DataFileRead readDataFile(const std::string& path, std::size_t maxReadableBytes)
{
    DataFileRead result;
    try {
        std::string contents;
        if (!readReadablePart(path, maxReadableBytes, contents, result.error))
            return result;
        result.texts = parseDataFile(contents);
        if (!result.texts)
            result.error.code = ErrorCode::InvalidFile;
    } catch (const std::bad_alloc&) {
        result.texts.reset();
        result.error = {ErrorCode::System, systemError(ENOMEM)};
    }
    return result;
}

std::optional<std::string> writeDataFile(const std::string& path, const InputTexts& texts,
                                         const BeforeRename& beforeRename)
{
    const std::string bytes = serializeDataFile(texts);
    return replaceFile(path, [&bytes](const ByteWriter& write) { write(bytes); }, beforeRename);
}

std::optional<std::string> replaceFile(const std::string& path, const FileContents& contents,
                                       const BeforeRename& beforeRename)
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

    int error = writeContents(fd, contents);
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
