// Fuzzes the data-file reader with arbitrary bytes: a file opens exactly when its first
// line (after a UTF-8 byte-order mark, ended by CR, or by LF where no CR comes before the
// 32nd LF) is the header; its texts are valid UTF-8 with no line end or end-of-file mark in
// them; and writing those texts and reading the result gives the same texts again, and
// the same bytes when written once more. The same bytes, taken as 31 texts a window could
// hold (valid UTF-8, one per line, without CR or end-of-file mark), survive a save and an
// open unchanged, whatever bytes follow the saved file's 32 lines.

#include "files/datafile.h"
#include "files/textencoding.h"
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>
#include <string>

using trophex::fuzz::require;

namespace {

constexpr char EndOfFileMark = 0x1A;

void checkTexts(const trophex::InputTexts& texts)
{
    for (const std::string& text : texts.texts) {
        require(trophex::isValidUtf8(text), "texts read from a file are valid UTF-8");
        require(text.find('\r') == std::string::npos && text.find(EndOfFileMark) == std::string::npos,
                "a text holds no line end and no end-of-file mark");
    }
}

void checkWrittenFile(const std::string& written)
{
    require(std::count(written.begin(), written.end(), '\r') == 32, "a written file has 32 lines");
    require(written.size() >= 2 && written.compare(written.size() - 2, 2, "\r\n") == 0,
            "a written file ends with CR LF");
}

// A text a window's box could hold: valid UTF-8, without CR and without the end-of-file mark.
std::string windowText(std::string_view bytes)
{
    std::string text = trophex::sanitizeUtf8(bytes);
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == EndOfFileMark; }),
               text.end());
    return text;
}

// The first line as the reader takes it, written out here the plain way.
std::string_view firstLineOf(std::string_view bytes)
{
    std::string_view readable = bytes.substr(0, bytes.find(EndOfFileMark));
    if (readable.substr(0, 3) == "\xEF\xBB\xBF")
        readable.remove_prefix(3);
    std::size_t thirtySecondLf = 0;
    for (int lf = 0; lf < 32 && thirtySecondLf != std::string_view::npos; ++lf)
        thirtySecondLf = readable.find('\n', lf == 0 ? 0 : thirtySecondLf + 1);
    const bool crFirst = readable.substr(0, thirtySecondLf).find('\r') != std::string_view::npos;
    return readable.substr(0, readable.find(crFirst ? '\r' : '\n'));
}

void checkSaveAndOpen(std::string_view input)
{
    trophex::InputTexts typed = trophex::fuzz::takeInputTexts(input);
    for (std::string& text : typed.texts)
        text = windowText(text);
    const std::string saved = trophex::serializeDataFile(typed);
    const std::optional<trophex::InputTexts> opened = trophex::parseDataFile(saved);
    require(opened && opened->texts == typed.texts, "typed texts survive a save and an open");
    const std::optional<trophex::InputTexts> followed = trophex::parseDataFile(saved + std::string(input));
    require(followed && followed->texts == typed.texts, "bytes after the 32nd line change no text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = trophex::fuzz::bytesOf(data, size);
    checkSaveAndOpen(bytes);
    const std::optional<trophex::InputTexts> texts = trophex::parseDataFile(bytes);
    require(texts.has_value() == (firstLineOf(bytes) == trophex::DataFileHeader),
            "a file opens exactly when its first line is the header");
    if (!texts)
        return 0;
    checkTexts(*texts);

    const std::string written = trophex::serializeDataFile(*texts);
    checkWrittenFile(written);
    const std::optional<trophex::InputTexts> again = trophex::parseDataFile(written);
    require(again && again->texts == texts->texts, "written texts read back unchanged");
    require(trophex::serializeDataFile(*again) == written, "writing the texts read back gives the same bytes");
    return 0;
}
