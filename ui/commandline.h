#pragma once
// The desktop program's command line: at most one data file to open once the start-up
// screen has gone. Anything else is ignored with one line of explanation each, and the
// program starts all the same.

#include <QString>
#include <QStringList>

namespace trophex::ui {

inline constexpr const char* ProgramUsage = "usage: trophex [FILE.tpx]";

struct CommandLine {
    QString file;          // the data file to open; empty for none
    QStringList warnings;  // one line for each argument that is ignored
    bool help = false;     // --help or -h: print the usage and end
    bool version = false;  // --version: print the version and end
};

// Reads the arguments that follow the program's name, after the windowing library has
// taken its own. "--" makes every later argument a file name.
CommandLine parseCommandLine(const QStringList& arguments);

}  // namespace trophex::ui
