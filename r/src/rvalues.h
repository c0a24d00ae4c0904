#pragma once
// Results handed to R: a data frame built column by column on the calling thread, and the
// numbers of the engine's results as R holds them.

#include "model/results.h"

#include <cpp11.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace trophex::r {

// A result as a number in its model unit: NA where the batch writes "NA" for it.
inline double shownAsNumber(const ResultSpec& row, Extended value)
{
    return row.zeroText != nullptr && value == 0 ? NA_REAL : value.toDouble();
}

// An optional number as R holds it.
inline double numberOrNA(const std::optional<double>& value)
{
    return value ? *value : NA_REAL;
}

enum class ColumnKind { Text, Number, Flag };

class TableBuilder {
public:
    // Columns of the kinds given, in order, and of texts after them; rows long. Each
    // column is allocated once, in its kind.
    TableBuilder(std::vector<std::string> names, std::size_t rows, const std::vector<ColumnKind>& kinds = {});

    void setText(std::size_t column, std::size_t row, std::string_view text);
    void setString(std::size_t column, std::size_t row, SEXP string);  // an R string kept elsewhere
    void setNumber(std::size_t column, std::size_t row, double value);
    void setFlag(std::size_t column, std::size_t row, bool value);
    void setMissing(std::size_t column, std::size_t row);

    // The data frame.
    cpp11::list finish();

private:
    struct Column {
        cpp11::sexp values;   // the R vector
        double* numbers;      // its numbers, for a column of numbers
        int* flags;           // its flags, for a column of flags
        std::string lastText; // the text set last, whose R string is
        SEXP lastString;      // kept to be given again
    };

    void allocate(Column& column, ColumnKind kind);

    std::vector<std::string> names_;  // of the columns
    std::size_t rows_;                // of every column
    std::vector<Column> columns_;
};

// An R string in UTF-8.
SEXP utf8String(std::string_view text);

}  // namespace trophex::r
