#include "cli/runner.h"

#include <iostream>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    return trophex::cli::runRunner(args, std::cout, std::cerr, trophex::NumberFormat::fromSystemLocale());
}
