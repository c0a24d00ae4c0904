#include "rvalues.h"

namespace trophex::r {

SEXP utf8String(std::string_view text)
{
    return cpp11::safe[Rf_mkCharLenCE](text.data(), static_cast<int>(text.size()), CE_UTF8);
}

TableBuilder::TableBuilder(std::vector<std::string> names, std::size_t rows, const std::vector<ColumnKind>& kinds)
    : names_(std::move(names)), rows_(rows), columns_(names_.size())
{
    for (std::size_t i = 0; i < columns_.size(); ++i)
        allocate(columns_[i], i < kinds.size() ? kinds[i] : ColumnKind::Text);
}

void TableBuilder::allocate(Column& c, ColumnKind kind)
{
    const SEXPTYPE type = kind == ColumnKind::Number ? REALSXP : kind == ColumnKind::Flag ? LGLSXP : STRSXP;
    c.values = cpp11::safe[Rf_allocVector](type, rows_);
    c.numbers = kind == ColumnKind::Number ? REAL(c.values) : nullptr;
    c.flags = kind == ColumnKind::Flag ? LOGICAL(c.values) : nullptr;
    c.lastText.clear();
    c.lastString = R_BlankString;
}

void TableBuilder::setText(std::size_t column, std::size_t row, std::string_view text)
{
    Column& c = columns_[column];
    if (text != c.lastText) {
        c.lastString = utf8String(text);
        c.lastText = text;
    }
    SET_STRING_ELT(c.values, row, c.lastString);
}

void TableBuilder::setString(std::size_t column, std::size_t row, SEXP string)
{
    SET_STRING_ELT(columns_[column].values, row, string);
}

void TableBuilder::setNumber(std::size_t column, std::size_t row, double value)
{
    columns_[column].numbers[row] = value;
}

void TableBuilder::setFlag(std::size_t column, std::size_t row, bool value)
{
    columns_[column].flags[row] = value ? TRUE : FALSE;
}

void TableBuilder::setMissing(std::size_t column, std::size_t row)
{
    Column& c = columns_[column];
    if (c.numbers != nullptr)
        c.numbers[row] = NA_REAL;
    else if (c.flags != nullptr)
        c.flags[row] = NA_LOGICAL;
    else
        SET_STRING_ELT(c.values, row, NA_STRING);
}

cpp11::list TableBuilder::finish()
{
    cpp11::writable::list table(columns_.size());
    cpp11::writable::strings names(columns_.size());
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        table[i] = columns_[i].values;
        names[i] = names_[i];
    }
    table.names() = names;
    table.attr("row.names") = cpp11::writable::integers({NA_INTEGER, -static_cast<int>(rows_)});
    table.attr("class") = "data.frame";
    return table;
}

}  // namespace trophex::r
