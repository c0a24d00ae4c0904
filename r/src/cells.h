#pragma once
// The cells of a data frame of lakes as the texts of a batch table's fields: read from R
// on the calling thread, then given out as texts on any thread without calling R.

#include "batch/batchtable.h"
#include "batch/csv.h"

#include <cpp11.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace trophex::r {

// One column that feeds an input. NA is an empty cell, as in a batch table.
struct CellColumn {
    enum class Kind { Empty, Text, Double, Integer, Factor };
    Kind kind = Kind::Empty;
    std::vector<std::string_view> texts;  // Text: the cells in UTF-8; Factor: the levels
    const double* doubles = nullptr;      // Double: the column's numbers
    const int* integers = nullptr;        // Integer: the numbers; Factor: the level codes
    SEXP strings = R_NilValue;            // Text: the cells; Factor: the levels (as R holds them)
};

class LakeCells {
public:
    // Reads the header the column names make as a batch reads its table's header, and the
    // columns that feed inputs. Throws std::invalid_argument, naming the column, for a
    // header the batch would refuse or a column that cannot hold an input.
    LakeCells(cpp11::list lakes, cpp11::strings names);

    std::size_t rows() const { return rows_; }
    const batch::ColumnLayout& layout() const { return layout_; }

    // The fields of one lake's row, as the batch's reader would give them.
    void row(std::size_t index, batch::CsvRecord& record) const;

    // The R string of an input's cell in a row when it holds exactly text in UTF-8, so that
    // a result repeating the cell shares it; nullptr otherwise. Calling thread only.
    SEXP sameString(Input input, std::size_t row, std::string_view text) const;

private:
    void appendCell(const CellColumn& column, std::size_t index, batch::CsvRecord& record) const;

    std::size_t rows_ = 0;               // lakes in the data frame
    batch::ColumnLayout layout_;         // which field feeds which input
    std::vector<CellColumn> columns_;    // one per field; Empty for fields that feed nothing
};

// Texts in UTF-8 that R keeps alive for the rest of the call.
std::string_view utf8Text(SEXP text);

}  // namespace trophex::r
