#pragma once
// The lakes of a sample run: a batch input table without the observed columns, whose
// `sites` column lists each lake's site identifiers separated by ";".

#include "batch/batchpipeline.h"
#include "model/inputcontrols.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace trophex::samples {

struct LakeRecord {
    std::string name;                    // unique and not empty
    std::vector<std::string> batchTexts;  // the texts of LakesTable::columns, in that order
    std::string alkalinity;              // the table's alkalinity and its unit, possibly empty
    std::string alkalinityUnit;
};

struct LakesTable {
    std::vector<LakeRecord> lakes;                   // in table order
    std::vector<Input> columns;                      // the batch inputs the table gives, other than the
                                                     // name and the observed ones, in input order
    std::unordered_map<std::string, int> lakeOfSite;  // site identifier to index in lakes
};

struct LakesTableReading {
    std::optional<LakesTable> table;  // set when the table can be used
    std::string error;                // otherwise why not
};

LakesTableReading readLakesTable(const batch::ReadFunction& read);

// Whether a batch input is one of those the samples give (the observed values, their units
// and the name); such columns of a lakes table are not carried over.
bool isObservedInput(Input input);

}  // namespace trophex::samples
