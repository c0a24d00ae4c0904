#pragma once
// The one argument grammar of every trophex-cli command: "--opt value" and "--opt=value"
// alike, "--" ends the options, "-" is a file (the standard stream), --help or -h asks for
// the usage.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace trophex::cli {

// Walks the arguments: a word that is not an option (or "-") is a file, "--" makes every
// word after it a file, --help or -h sets help and ends the walk. Any other option at
// args[i] goes to takeOption, which takes it (and its value, moving i on) or returns false,
// with an error where it knows one; an option nobody takes is unknown. False when an option
// could not be taken.
bool walkArguments(const std::vector<std::string>& args, std::vector<std::string>& files, bool& help,
                   const std::function<bool(std::size_t& i)>& takeOption, std::string& error);

// The value of "--name VALUE" or "--name=VALUE" at args[i] (advancing i past it), or
// nullopt when args[i] is another option; a missing value sets error.
std::optional<std::string> optionValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
                                       std::string& error);

// Whether args[i] is the flag "--name"; a value given to it ("--name=...") sets error.
bool isFlag(const std::vector<std::string>& args, std::size_t i, const std::string& name, std::string& error);

// A whole number of at most 18 digits, nothing else.
std::optional<std::uint64_t> parseCount(const std::string& text);

}  // namespace trophex::cli
