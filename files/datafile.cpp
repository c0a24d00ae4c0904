#include "files/datafile.h"

#include "files/platformfiles.h"
#include "files/textencoding.h"

#include <string>

namespace trophex {

namespace {

constexpr char EndOfFile = 0x1A;
constexpr int LineCount = 1 + InputCount;

// Splits the readable part into at most LineCount lines. A line ends at CR, and an LF
// right after a CR belongs to that line end; a lone LF is part of the text.
int splitLines(std::string_view bytes, std::string_view* lines)
{
    int count = 0;
    std::size_t pos = 0;
    while (pos < bytes.size() && count < LineCount) {
        const std::size_t cr = bytes.find('\r', pos);
        const std::size_t end = cr == std::string_view::npos ? bytes.size() : cr;
        lines[count++] = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (pos < bytes.size() && bytes[pos] == '\n')
            ++pos;
    }
    return count;
}

}  // namespace

std::optional<InputTexts> parseDataFile(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find(EndOfFile));
    std::string_view lines[LineCount];
    const int count = splitLines(bytes, lines);
    if (count == 0 || lines[0] != DataFileHeader)
        return std::nullopt;

    const bool utf8 = isValidUtf8(bytes);
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

DataFileRead readDataFile(const std::string& path)
{
    DataFileRead result;
    std::string contents;
    if (!readRegularFile(path, contents, result.error))
        return result;
    result.texts = parseDataFile(contents);
    if (!result.texts)
        result.error.code = ErrorCode::InvalidFile;
    return result;
}

std::optional<std::string> writeDataFile(const std::string& path, const InputTexts& texts,
                                         const BeforeRename& beforeRename)
{
    return replaceFile(path, serializeDataFile(texts), beforeRename);
}

}  // namespace trophex
