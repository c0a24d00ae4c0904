#pragma once
// JSON output of the runner: one object per data file, on one line.

#include "batch/fileassessment.h"

#include <string>
#include <string_view>

namespace trophex::cli {

using batch::FileAssessment;

// A JSON string literal; invalid UTF-8 becomes U+FFFD, so the output is always valid.
std::string jsonString(std::string_view text);

// {"file":..., "ok":true, "controls":{...}, "CompStringGrid":[...], "ChlrStringGrid":[...]}
// or {"file":..., "ok":false, "error":...}, with "field" after "error" naming the control of
// the input that caused it, when that is known.
std::string assessmentJson(const FileAssessment& assessment);

}  // namespace trophex::cli
