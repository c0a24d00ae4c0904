#pragma once
// The three shapes of a sample table, told apart by the header: the Water Quality Portal's
// result table (one result per row), the long form (site, date, depth, parameter, value,
// unit, flag) and the wide form (site, date, depth and a column per parameter, each with its
// unit column). Column names are compared ignoring letter case and surrounding spaces.

#include "batch/csv.h"
#include "samples/samplerules.h"

#include <array>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trophex::samples {

enum class TableShape { WaterQualityPortal, Long, Wide };

// Field index of each column the shape reads; -1 when the table lacks it.
struct SampleLayout {
    TableShape shape = TableShape::Long;
    int site = -1;
    int date = -1;
    int activityType = -1;
    int characteristic = -1;
    int fraction = -1;
    int value = -1;
    int unit = -1;
    int detectionCondition = -1;
    int limitValue = -1;
    int limitUnit = -1;
    int depth = -1;
    int depthUnit = -1;
    int topDepth = -1;
    int topDepthUnit = -1;
    int bottomDepth = -1;
    int bottomDepthUnit = -1;
    int relativeDepth = -1;
    int flag = -1;
    std::array<int, ParameterCount> parameterValue{-1, -1, -1, -1};  // the wide form's columns
    std::array<int, ParameterCount> parameterUnit{-1, -1, -1, -1};
};

struct SampleHeaderReading {
    std::optional<SampleLayout> layout;  // set when the header is one of the shapes
    std::string error;                   // otherwise why not
};

SampleHeaderReading readSampleHeader(const batch::CsvRecord& header);

// A field's text without surrounding spaces and tabs.
std::string_view trimmedField(std::string_view text);

// A text in UTF-8: the bytes themselves when they are UTF-8, else read as Windows-1252
// into scratch.
std::string_view decodedText(std::string_view bytes, std::string& scratch);

// The results of one row: its site and date, and one result (up to four in the wide form).
struct SampleRow {
    std::string_view site;
    std::string_view date;
    std::vector<SampleFields> results;
};

// Cuts records into rows. The views point into the record or into the reader's own
// scratch texts, valid until the next read.
class SampleRowReader {
public:
    explicit SampleRowReader(const SampleLayout& layout) : layout_(layout) {}
    // The row's site, date and results, of which only the texts that identify a result
    // (activity type, characteristic, fraction) until readValueTexts is called: most rows
    // of a download are other characteristics, which need no more.
    const SampleRow& read(const batch::CsvRecord& record);
    // The rest of a result of the row read last.
    void readValueTexts(SampleFields& fields);

private:
    // The trimmed, decoded text of the field, empty for an absent column or field.
    std::string_view field(int column);
    void readWideResults();

    const SampleLayout& layout_;
    const batch::CsvRecord* record_ = nullptr;  // the row read last
    SampleRow row_;
    std::deque<std::string> scratch_;   // decoded texts, one per field read; a deque keeps them in place
    std::size_t scratchUsed_ = 0;       // of them in this row
};

}  // namespace trophex::samples
