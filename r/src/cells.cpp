#include "cells.h"

#include "arithmetic/shortestnumber.h"

#include <stdexcept>

namespace trophex::r {

namespace {

batch::CsvRecord headerRecord(cpp11::strings names)
{
    batch::CsvRecord header;
    header.clear();
    for (R_xlen_t i = 0; i < names.size(); ++i) {
        if (names[i] != NA_STRING) {
            const std::string_view name = utf8Text(names[i]);
            header.append(name.data(), name.size());
        }
        header.endField();
    }
    return header;
}

bool allMissing(SEXP column)
{
    const int* cells = LOGICAL(column);
    for (R_xlen_t i = 0; i < Rf_xlength(column); ++i)
        if (cells[i] != NA_LOGICAL)
            return false;
    return true;
}

std::vector<std::string_view> textsOf(SEXP strings)
{
    std::vector<std::string_view> texts(Rf_xlength(strings));
    for (R_xlen_t i = 0; i < Rf_xlength(strings); ++i) {
        SEXP text = STRING_ELT(strings, i);
        texts[i] = text == NA_STRING ? std::string_view{} : utf8Text(text);
    }
    return texts;
}

[[noreturn]] void refuseColumn(const std::string& name, const std::string& why)
{
    throw std::invalid_argument("Column `" + name + "` " + why);
}

CellColumn cellColumn(SEXP column, const std::string& name)
{
    CellColumn cells;
    if (Rf_isFactor(column)) {
        cells.kind = CellColumn::Kind::Factor;
        cells.integers = INTEGER(column);
        cells.strings = Rf_getAttrib(column, R_LevelsSymbol);
        cells.texts = textsOf(cells.strings);
        return cells;
    }
    if (Rf_isObject(column) || Rf_isArray(column))
        refuseColumn(name, "holds objects of another class; an input column holds numbers or texts.");
    switch (TYPEOF(column)) {
    case STRSXP:
        cells.kind = CellColumn::Kind::Text;
        cells.strings = column;
        cells.texts = textsOf(column);
        return cells;
    case REALSXP:
        cells.kind = CellColumn::Kind::Double;
        cells.doubles = REAL(column);
        return cells;
    case INTSXP:
        cells.kind = CellColumn::Kind::Integer;
        cells.integers = INTEGER(column);
        return cells;
    case LGLSXP:
        if (allMissing(column))
            return cells;
        refuseColumn(name, "holds TRUE or FALSE; an input column holds numbers or texts.");
    default:
        refuseColumn(name, std::string("is of type ") + Rf_type2char(TYPEOF(column)) +
                               "; an input column holds numbers or texts.");
    }
}

}  // namespace

std::string_view utf8Text(SEXP text)
{
    const char* bytes = cpp11::safe[Rf_translateCharUTF8](text);
    return {bytes, std::char_traits<char>::length(bytes)};
}

LakeCells::LakeCells(cpp11::list lakes, cpp11::strings names)
{
    const batch::HeaderReading header = batch::readHeader(headerRecord(names));
    if (!header.layout)
        throw std::invalid_argument(header.error);
    layout_ = *header.layout;
    columns_.resize(layout_.fieldCount);
    rows_ = lakes.size() > 0 ? static_cast<std::size_t>(Rf_xlength(lakes[0])) : 0;
    for (int field : layout_.columnOf) {
        if (field < 0)
            continue;
        SEXP column = lakes[field];
        const std::string name = names[field] == NA_STRING ? std::string{} : std::string(utf8Text(names[field]));
        if (static_cast<std::size_t>(Rf_xlength(column)) != rows_)
            refuseColumn(name, "is not as long as the other columns.");
        columns_[field] = cellColumn(column, name);
    }
}

void LakeCells::row(std::size_t index, batch::CsvRecord& record) const
{
    record.clear();
    for (const CellColumn& column : columns_) {
        appendCell(column, index, record);
        record.endField();
    }
}

SEXP LakeCells::sameString(Input input, std::size_t row, std::string_view text) const
{
    const int field = layout_.columnOf[static_cast<int>(input)];
    if (field < 0)
        return nullptr;
    const CellColumn& column = columns_[field];
    R_xlen_t index = static_cast<R_xlen_t>(row);
    if (column.kind == CellColumn::Kind::Factor)
        index = column.integers[row] == NA_INTEGER ? -1 : column.integers[row] - 1;
    else if (column.kind != CellColumn::Kind::Text)
        return nullptr;
    if (index < 0 || column.texts[index] != text)
        return nullptr;
    // Shared only when R holds the cell in UTF-8 already: its text was not translated.
    SEXP cell = STRING_ELT(column.strings, index);
    return cell != NA_STRING && column.texts[index].data() == CHAR(cell) ? cell : nullptr;
}

void LakeCells::appendCell(const CellColumn& column, std::size_t index, batch::CsvRecord& record) const
{
    switch (column.kind) {
    case CellColumn::Kind::Empty:
        return;
    case CellColumn::Kind::Text: {
        const std::string_view text = column.texts[index];
        if (!text.empty())
            record.append(text.data(), text.size());
        return;
    }
    case CellColumn::Kind::Factor: {
        const int code = column.integers[index];
        if (code != NA_INTEGER) {
            const std::string_view text = column.texts[code - 1];
            record.append(text.data(), text.size());
        }
        return;
    }
    case CellColumn::Kind::Integer: {
        const int number = column.integers[index];
        if (number != NA_INTEGER) {
            const std::string text = std::to_string(number);
            record.append(text.data(), text.size());
        }
        return;
    }
    case CellColumn::Kind::Double: {
        const double number = column.doubles[index];
        if (!ISNAN(number)) {
            thread_local std::string text;
            text.clear();
            appendShortestNumber(text, number);
            record.append(text.data(), text.size());
        }
        return;
    }
    }
}

}  // namespace trophex::r
