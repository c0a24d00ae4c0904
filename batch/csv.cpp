#include "batch/csv.h"

#include <cstring>

namespace trophex::batch {

void CsvRecord::clear()
{
    text_.clear();
    spans_.clear();
    fieldStart_ = 0;
    unterminatedQuote_ = false;
}

void CsvRecord::endField()
{
    spans_.emplace_back(fieldStart_, text_.size() - fieldStart_);
    fieldStart_ = text_.size();
}

namespace {

constexpr std::size_t Incomplete = std::string_view::npos;

bool endsUnquotedText(char c, char separator)
{
    return c == separator || c == '\n' || c == '\r';
}

// Reads the quoted part of a field that opens at data[pos]; returns the position after
// its closing quote, data.size() when it runs to the end, or Incomplete.
std::size_t scanQuoted(std::string_view data, std::size_t pos, bool atEnd, CsvRecord* record)
{
    const char* bytes = data.data();
    const std::size_t size = data.size();
    ++pos;
    for (;;) {
        const void* quote = std::memchr(bytes + pos, '"', size - pos);
        if (quote == nullptr) {
            if (!atEnd)
                return Incomplete;
            if (record) {
                record->append(bytes + pos, size - pos);
                record->markUnterminated();
            }
            return size;
        }
        const auto at = static_cast<std::size_t>(static_cast<const char*>(quote) - bytes);
        if (record)
            record->append(bytes + pos, at - pos);
        if (at + 1 == size && !atEnd)
            return Incomplete;  // a doubled quote may follow in the next data
        if (at + 1 < size && bytes[at + 1] == '"') {
            if (record)
                record->append('"');
            pos = at + 2;
            continue;
        }
        return at + 1;
    }
}

}  // namespace

CsvDialect detectCsvDialect(std::string_view data, std::size_t start)
{
    std::size_t commas = 0;
    std::size_t semicolons = 0;
    std::size_t tabs = 0;
    bool quoted = false;
    for (std::size_t i = start; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '"') {
            quoted = !quoted;  // a doubled quote toggles twice
            continue;
        }
        if (quoted)
            continue;
        if (c == '\n' || c == '\r')
            break;
        commas += c == ',';
        semicolons += c == ';';
        tabs += c == '\t';
    }
    CsvDialect dialect;
    if (semicolons > commas && semicolons >= tabs)
        dialect.separator = ';';
    else if (tabs > commas && tabs > semicolons)
        dialect.separator = '\t';
    return dialect;
}

std::size_t scanCsvRecord(std::string_view data, std::size_t start, bool atEnd, CsvRecord* record, char separator)
{
    if (record)
        record->clear();
    const char* bytes = data.data();
    const std::size_t size = data.size();
    std::size_t pos = start;
    for (;;) {
        if (pos < size && bytes[pos] == '"') {
            pos = scanQuoted(data, pos, atEnd, record);
            if (pos == Incomplete)
                return Incomplete;
        }
        std::size_t end = pos;
        while (end < size && !endsUnquotedText(bytes[end], separator))
            ++end;
        if (end == size && !atEnd)
            return Incomplete;
        if (record) {
            record->append(bytes + pos, end - pos);
            record->endField();
        }
        if (end == size)
            return size;
        if (bytes[end] == separator) {
            pos = end + 1;
            continue;
        }
        if (bytes[end] == '\n')
            return end + 1;
        if (end + 1 < size)
            return bytes[end + 1] == '\n' ? end + 2 : end + 1;
        return atEnd ? end + 1 : Incomplete;  // an LF may follow the CR in the next data
    }
}

namespace {

char* writeQuotedCsvField(char* p, std::string_view text)
{
    *p++ = '"';
    for (char c : text) {
        if (c == '"')
            *p++ = '"';
        *p++ = c;
    }
    *p++ = '"';
    return p;
}

// Writes a field at p, quoted when it needs it; returns the position after it. Needs room
// for twice the text plus two quotes. The usual field, a short one that needs no quotes,
// is checked and copied in the same pass.
char* writeCsvField(char* p, std::string_view text, char separator)
{
    const auto needsQuotes = [separator](char c) { return endsUnquotedText(c, separator) || c == '"'; };
    char* const start = p;
    for (char c : text) {
        if (needsQuotes(c))
            return writeQuotedCsvField(start, text);
        *p++ = c;
    }
    return p;
}

}  // namespace

void appendCsvField(std::string& out, std::string_view text, char separator)
{
    appendCsvFields(out, &text, 1, separator);
}

void appendCsvFields(std::string& out, const std::string_view* fields, std::size_t count, char separator)
{
    // The row is written into room made once for the worst case, then trimmed.
    const std::size_t start = out.size();
    std::size_t room = count;  // the commas, and one to spare
    for (std::size_t i = 0; i < count; ++i)
        room += 2 * fields[i].size() + 2;
    out.resize(start + room);
    char* const first = out.data() + start;
    char* p = first;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            *p++ = separator;
        p = writeCsvField(p, fields[i], separator);
    }
    out.resize(start + static_cast<std::size_t>(p - first));
}

}  // namespace trophex::batch
