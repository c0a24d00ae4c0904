// Fuzzes the runner's JSON line with arbitrary texts: the input's first line is the file
// name, the next 31 the input texts and the next six the output unit selectors' texts.
// Whatever they hold, the line is one strict JSON object, and the file name, the input
// texts and the error message read back from it as written (invalid UTF-8 replaced).

#include "engine/engine.h"
#include "files/textencoding.h"
#include "tests/fuzz/fuzz_support.h"

#include <vector>

using namespace trophex;
using trophex::fuzz::require;

namespace {

// A strict JSON reader that keeps every string it decodes, keys included, in order.
class JsonReader {
public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    bool readDocument()
    {
        skipSpace();
        if (!readValue(0))
            return false;
        skipSpace();
        return pos_ == text_.size();
    }
    const std::vector<std::string>& strings() const { return strings_; }

private:
    static constexpr int MaxDepth = 64;

    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }
    bool take(char c)
    {
        if (atEnd() || text_[pos_] != c)
            return false;
        ++pos_;
        return true;
    }
    bool takeWord(std::string_view word)
    {
        if (text_.substr(pos_, word.size()) != word)
            return false;
        pos_ += word.size();
        return true;
    }
    void skipSpace()
    {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r'))
            ++pos_;
    }

    bool readValue(int depth)
    {
        if (depth > MaxDepth)
            return false;
        switch (peek()) {
        case '{':
            return readObject(depth);
        case '[':
            return readArray(depth);
        case '"':
            return readString();
        case 't':
            return takeWord("true");
        case 'f':
            return takeWord("false");
        case 'n':
            return takeWord("null");
        default:
            return readNumber();
        }
    }

    template <typename ReadMember>
    bool readSequence(char close, ReadMember readMember)
    {
        ++pos_;
        skipSpace();
        if (take(close))
            return true;
        do {
            skipSpace();
            if (!readMember())
                return false;
            skipSpace();
        } while (take(','));
        return take(close);
    }

    bool readObject(int depth)
    {
        return readSequence('}', [&] {
            if (peek() != '"' || !readString())
                return false;
            skipSpace();
            if (!take(':'))
                return false;
            skipSpace();
            return readValue(depth + 1);
        });
    }

    bool readArray(int depth)
    {
        return readSequence(']', [&] { return readValue(depth + 1); });
    }

    bool readDigits()
    {
        const std::size_t start = pos_;
        while (peek() >= '0' && peek() <= '9')
            ++pos_;
        return pos_ > start;
    }

    bool readNumber()
    {
        take('-');
        if (!take('0') && !(peek() >= '1' && peek() <= '9' && readDigits()))
            return false;
        if (take('.') && !readDigits())
            return false;
        if (take('e') || take('E')) {
            if (!take('+'))
                take('-');
            return readDigits();
        }
        return true;
    }

    bool readHex4(char32_t& unit)
    {
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = peek();
            const int digit = c >= '0' && c <= '9' ? c - '0'
                            : c >= 'a' && c <= 'f' ? c - 'a' + 10
                            : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                   : -1;
            if (digit < 0)
                return false;
            unit = unit * 16 + static_cast<char32_t>(digit);
            ++pos_;
        }
        return true;
    }

    // A \u escape, with a surrogate pair as one code point; a lone surrogate is refused.
    bool readUnicodeEscape(std::string& out)
    {
        char32_t cp = 0;
        if (!readHex4(cp) || (cp >= 0xDC00 && cp <= 0xDFFF))
            return false;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            char32_t low = 0;
            if (!takeWord("\\u") || !readHex4(low) || low < 0xDC00 || low > 0xDFFF)
                return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        }
        appendUtf8(out, cp);
        return true;
    }

    bool readEscape(std::string& out)
    {
        const char c = peek();
        ++pos_;
        static constexpr std::string_view Plain = "\"\\/bfnrt";
        static constexpr std::string_view Meant = "\"\\/\b\f\n\r\t";
        const std::size_t i = Plain.find(c);
        if (i != std::string_view::npos) {
            out += Meant[i];
            return true;
        }
        return c == 'u' && readUnicodeEscape(out);
    }

    bool readString()
    {
        ++pos_;
        std::string value;
        for (;;) {
            if (atEnd())
                return false;
            const auto c = static_cast<unsigned char>(text_[pos_]);
            if (c == '"')
                break;
            if (c < 0x20)
                return false;
            if (c == '\\') {
                ++pos_;
                if (!readEscape(value))
                    return false;
            } else if (!copyUtf8Character(value)) {
                return false;
            }
        }
        ++pos_;
        strings_.push_back(std::move(value));
        return true;
    }

    // Copies one well-formed UTF-8 character: no overlong form, surrogate or code point
    // beyond U+10FFFF.
    bool copyUtf8Character(std::string& out)
    {
        const auto lead = static_cast<unsigned char>(text_[pos_]);
        const int length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4                   ? 4
                                                                         : 0;
        if (length == 0 || pos_ + static_cast<std::size_t>(length) > text_.size())
            return false;
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (int i = 1; i < length; ++i) {
            const auto b = static_cast<unsigned char>(text_[pos_ + static_cast<std::size_t>(i)]);
            if ((b & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        static constexpr char32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < Smallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        out.append(text_, pos_, static_cast<std::size_t>(length));
        pos_ += static_cast<std::size_t>(length);
        return true;
    }

    static void appendUtf8(std::string& out, char32_t cp)
    {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            return;
        }
        const int length = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
        static constexpr unsigned char LeadMarks[] = {0, 0, 0xC0, 0xE0, 0xF0};
        out += static_cast<char>(LeadMarks[length] | (cp >> (6 * (length - 1))));
        for (int i = length - 2; i >= 0; --i)
            out += static_cast<char>(0x80 | ((cp >> (6 * i)) & 0x3F));
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::vector<std::string> strings_;
};

engine::Assessment assessmentFrom(std::string_view input)
{
    engine::Assessment a;
    a.source = trophex::fuzz::takeLine(input);
    a.inputs = trophex::fuzz::takeInputTexts(input);
    for (std::string& unit : a.unitTexts)
        unit = trophex::fuzz::takeLine(input);
    CalculationOutcome outcome = runCalculation(*a.inputs, NumberFormat{});
    a.error = engine::errorOf(outcome.error);
    a.results = std::move(outcome.texts);
    return a;
}

// The decoded strings start with "file", the name, "ok", then either "error" and the
// message or "controls" and the 31 pairs of control name and input text.
void checkStringsReadBack(const std::vector<std::string>& strings, const engine::Assessment& a)
{
    require(strings.size() >= 5 && strings[1] == sanitizeUtf8(a.source), "the file name reads back");
    if (!a.ok()) {
        require(strings[3] == "error" && strings[4] == a.error.message, "the error message reads back");
        return;
    }
    require(strings.size() >= 4 + 2 * InputCount, "every input text is written");
    for (int i = 0; i < InputCount; ++i)
        require(strings[5 + 2 * i] == sanitizeUtf8(a.inputs->texts[i]), "every input text reads back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const engine::Assessment assessment = assessmentFrom(trophex::fuzz::bytesOf(data, size));
    const engine::Text json = engine::assessmentJson(assessment);
    require(json.ok(), "the JSON output is written");
    const std::string& line = json.text;
    require(line.find('\n') == std::string::npos, "the JSON output is one line");
    JsonReader reader(line);
    require(line.front() == '{' && reader.readDocument(), "the JSON output is one valid JSON object");
    checkStringsReadBack(reader.strings(), assessment);
    return 0;
}
