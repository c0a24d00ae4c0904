// assess_lakes(): every lake of a data frame through the batch's reading of a row and the
// engine's calculation, with the batch's columns and texts.

#include "cells.h"
#include "parallel.h"
#include "rvalues.h"

#include "engine/engine.h"

#include <cpp11.hpp>

#include <array>
#include <string>
#include <vector>

namespace trophex::r {
namespace {

// What one lake gives: its name and status, and its results as numbers or texts.
struct LakeOutcome {
    std::string name;                          // as the batch writes it
    std::string status;                        // "ok" or why the lake has no results
    std::array<double, ResultCount> values{};  // numbers in model units; NA where the batch writes "NA"
    ResultTexts texts;                         // the batch's texts; empty when the lake failed
};

void assessRow(const LakeCells& cells, std::size_t row, bool wantTexts, LakeOutcome& outcome)
{
    thread_local batch::CsvRecord record;
    thread_local InputTexts texts;
    cells.row(row, record);
    const trophex::Error rowError = batch::rowInputs(record, cells.layout(), texts);
    outcome.name = texts[Input::NameEditBox];
    outcome.values.fill(NA_REAL);
    outcome.texts = {};
    if (rowError.failed()) {
        outcome.status = engine::errorOf(rowError).message;
        return;
    }
    engine::AssessOptions options;
    options.resultTexts = wantTexts;
    const engine::Assessment lake = engine::assessTexts(texts, options);
    if (!lake.ok()) {
        outcome.status = lake.error.message;
        return;
    }
    outcome.status = batch::SuccessStatus;
    for (int i = 0; i < ResultCount; ++i)
        outcome.values[i] = shownAsNumber(resultTable()[i], lake.values.values[i]);
    if (wantTexts)
        outcome.texts = lake.results;
}

std::vector<std::string> resultColumnNames()
{
    std::vector<std::string> names{"name"};
    for (const ResultSpec& result : resultTable())
        names.emplace_back(result.batchColumn);
    names.emplace_back("status");
    return names;
}

}  // namespace
}  // namespace trophex::r

using namespace trophex;

[[cpp11::register]] cpp11::list assess_lakes_(cpp11::list lakes, cpp11::strings names, bool text, int threads)
{
    const r::LakeCells cells(lakes, names);
    const std::size_t rows = cells.rows();
    std::vector<r::ColumnKind> kinds(ResultCount + 1, text ? r::ColumnKind::Text : r::ColumnKind::Number);
    kinds.front() = r::ColumnKind::Text;  // the name; the status follows the results
    r::TableBuilder table(r::resultColumnNames(), rows, kinds);

    constexpr std::size_t BlockRows = 1 << 14;  // lakes held at once before they go to R
    r::computeAndDeliver<r::LakeOutcome>(
        rows, BlockRows, r::threadCount(threads),
        [&](std::size_t row, r::LakeOutcome& lake) { r::assessRow(cells, row, text, lake); },
        [&](std::size_t row, const r::LakeOutcome& lake) {
            if (SEXP input = cells.sameString(Input::NameEditBox, row, lake.name))
                table.setString(0, row, input);
            else
                table.setText(0, row, lake.name);
            for (std::size_t i = 0; i < ResultCount; ++i) {
                if (text)
                    table.setText(i + 1, row, lake.texts.texts[i]);
                else
                    table.setNumber(i + 1, row, lake.values[i]);
            }
            table.setText(ResultCount + 1, row, lake.status);
        });
    return table.finish();
}
