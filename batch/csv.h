#pragma once
// Comma-separated tables as spreadsheets export them, and the semicolon- and tab-separated
// ones that spreadsheets save where the comma is the decimal separator.
//
// A record ends at LF, CR LF or a lone CR, or at the end of the data. A field that starts
// with a double quote runs to the next lone double quote; inside it a doubled quote stands
// for one quote, and commas and line ends are part of the text. Anything after the closing
// quote up to the next comma is kept as it stands, and a quote anywhere else is an
// ordinary character, so that no input is rejected by the reader itself.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace trophex::batch {

// The fields of one record, unescaped. Reused from record to record without reallocating.
class CsvRecord {
public:
    std::size_t size() const { return spans_.size(); }
    std::string_view operator[](std::size_t i) const
    {
        return std::string_view(text_).substr(spans_[i].first, spans_[i].second);
    }
    // Set when the data ended inside a quoted field.
    bool unterminatedQuote() const { return unterminatedQuote_; }
    // True for a blank line and for a record whose every field is empty.
    bool isBlank() const { return text_.empty(); }

    void clear();
    void append(const char* bytes, std::size_t count) { text_.append(bytes, count); }
    void append(char c) { text_ += c; }
    void endField();
    void markUnterminated() { unterminatedQuote_ = true; }

private:
    std::string text_;  // the field texts one after another
    std::vector<std::pair<std::size_t, std::size_t>> spans_;  // offset and length in text_ per field
    std::size_t fieldStart_ = 0;                             // offset in text_ of the field being read
    bool unterminatedQuote_ = false;
};

// How a table separates its fields. In a semicolon-separated table numbers are written with
// a decimal comma, as the spreadsheets that save such tables write them.
struct CsvDialect {
    char separator = ',';
    bool decimalComma() const { return separator == ';'; }
};

// The dialect of a table whose header row starts at data[start]: the separator among comma,
// semicolon and tab that the row holds most often outside quotes (the comma when none).
CsvDialect detectCsvDialect(std::string_view data, std::size_t start);

// Where the record that starts at data[start] ends: the position after its line end, or
// npos when the data stops before the record is complete. With atEnd the end of the data
// completes the record. When a record is given, it receives the fields.
std::size_t scanCsvRecord(std::string_view data, std::size_t start, bool atEnd, CsvRecord* record,
                          char separator = ',');

// Appends a field, quoted when it holds the separator, a double quote or a line end.
void appendCsvField(std::string& out, std::string_view text, char separator = ',');

// Appends fields between separators, each quoted as appendCsvField quotes it.
void appendCsvFields(std::string& out, const std::string_view* fields, std::size_t count, char separator = ',');

}  // namespace trophex::batch
