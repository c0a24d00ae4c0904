// read_tpx() and write_tpx(): model-run data files through the engine, their 31 texts as
// the columns of a batch table.

#include "cells.h"
#include "rvalues.h"

#include "engine/engine.h"

#include <cpp11.hpp>

#include <stdexcept>
#include <string>
#include <vector>

using namespace trophex;

[[cpp11::register]] cpp11::list read_tpx_(cpp11::strings paths)
{
    const auto columns = engine::inputColumnNames();
    r::TableBuilder table(std::vector<std::string>(columns.begin(), columns.end()), paths.size());
    for (R_xlen_t row = 0; row < paths.size(); ++row) {
        const std::string path(r::utf8Text(paths[row]));
        const engine::Assessment file = engine::assessDataFile(path);
        if (!file.inputs)
            throw std::invalid_argument(path + ": " + file.error.message);
        for (int input = 0; input < InputCount; ++input)
            table.setText(input, row, file.inputs->texts[input]);
    }
    return table.finish();
}

[[cpp11::register]] void write_tpx_(cpp11::list lakes, cpp11::strings names, cpp11::strings paths)
{
    const r::LakeCells cells(lakes, names);
    if (cells.rows() != static_cast<std::size_t>(paths.size()))
        throw std::invalid_argument("`path` must name one file for every lake.");
    batch::CsvRecord record;
    InputTexts texts;
    for (std::size_t row = 0; row < cells.rows(); ++row) {
        cells.row(row, record);
        const std::string path(r::utf8Text(paths[row]));
        const trophex::Error rowError = batch::rowInputs(record, cells.layout(), texts);
        if (rowError.failed())
            throw std::invalid_argument(path + ": " + engine::errorOf(rowError).message);
        const engine::Error saved = engine::saveDataFile(path, texts);
        if (saved.failed())
            throw std::invalid_argument(path + ": " + saved.message);
    }
}
