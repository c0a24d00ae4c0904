#include "files/datafile.h"

#include "files/platformfiles.h"
#include "files/textencoding.h"

#include <algorithm>
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

// The readable part of the file, or the system's error or an invalid file. Only a
// regular file is read: a pipe or a device could block or never end, so it is refused like
// a file of the wrong kind. Reading stops where the readable part ends, or as soon as the
// first line cannot be the header, so that only what counts is ever held in memory.
bool readReadablePart(const std::string& path, std::size_t maxReadableBytes, std::string& contents,
                      Error& error)
{
    contents.clear();
    ReadablePartEnd readableEnd;
    const auto takeBlock = [&](std::string_view block, std::uint64_t fileSize) {
        if (contents.empty())
            contents.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, maxReadableBytes)) + 1);
        // One byte past the limit is enough to know that the readable part is too long.
        contents.append(block.substr(0, maxReadableBytes + 1 - contents.size()));
        const std::size_t end = readableEnd.find(contents);
        if (end != std::string::npos)
            contents.resize(end);
        if (!mayStartWithHeader(contents) || contents.size() > maxReadableBytes) {
            error = {ErrorCode::InvalidFile, {}};
            return false;
        }
        return end == std::string::npos;
    };
    return readRegularFile(path, takeBlock, error) && !error.failed();
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

namespace {

// The texts of a readable part, or an invalid file; a lack of memory as the system's text.
template <typename ReadPart>
DataFileRead readWith(const ReadPart& readPart)
{
    DataFileRead result;
    try {
        std::string_view contents;
        std::string storage;
        if (!readPart(storage, contents, result.error))
            return result;
        result.texts = parseDataFile(contents);
        if (!result.texts)
            result.error.code = ErrorCode::InvalidFile;
    } catch (const std::bad_alloc&) {
        result.texts.reset();
        result.error = {ErrorCode::OutOfMemory, {}};
    }
    return result;
}

}  // namespace

DataFileRead readDataFile(const std::string& path, std::size_t maxReadableBytes)
{
    return readWith([&](std::string& storage, std::string_view& contents, Error& error) {
        if (!readReadablePart(path, maxReadableBytes, storage, error))
            return false;
        contents = storage;
        return true;
    });
}

DataFileRead readDataFileBytes(std::string_view bytes, std::size_t maxReadableBytes)
{
    return readWith([&](std::string&, std::string_view& contents, Error& error) {
        contents = bytes.substr(0, ReadablePartEnd().find(bytes));
        if (contents.size() > maxReadableBytes) {
            error = {ErrorCode::InvalidFile, {}};
            return false;
        }
        return true;
    });
}

std::optional<std::string> writeDataFile(const std::string& path, const InputTexts& texts,
                                         const BeforeRename& beforeRename)
{
    const std::string bytes = serializeDataFile(texts);
    return replaceFile(path, [&bytes](const ByteWriter& write) { write(bytes); }, beforeRename);
}

}  // namespace trophex
