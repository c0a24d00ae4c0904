#pragma once
// The last line of defence of trophex-cli: no command ends the program on an exception.

#include <functional>
#include <iosfwd>

namespace trophex::cli {

// Runs a command and returns its exit status. An exception that escapes the command is
// reported in one line on errors ("trophex-cli: " and what went wrong) and gives status 1.
int runGuarded(const std::function<int()>& command, std::ostream& errors);

}  // namespace trophex::cli
