#include "cli/arguments.h"

namespace trophex::cli {

std::optional<std::string> optionValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
                                       std::string& error)
{
    const std::string& arg = args[i];
    if (arg.rfind(name + "=", 0) == 0)
        return arg.substr(name.size() + 1);
    if (arg != name)
        return std::nullopt;
    if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return std::nullopt;
    }
    return args[++i];
}

bool isFlag(const std::vector<std::string>& args, std::size_t i, const std::string& name, std::string& error)
{
    if (args[i].rfind(name + "=", 0) == 0)
        error = name + " takes no value";
    return args[i] == name;
}

bool walkArguments(const std::vector<std::string>& args, std::vector<std::string>& files, bool& help,
                   const std::function<bool(std::size_t& i)>& takeOption, std::string& error)
{
    bool onlyFiles = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            files.push_back(arg);
        } else if (arg == "--") {
            onlyFiles = true;
        } else if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        } else if (!takeOption(i)) {
            if (error.empty())
                error = "unknown option " + arg;
            return false;
        }
    }
    return true;
}

std::optional<std::uint64_t> parseCount(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 18)
        return std::nullopt;
    return std::stoull(text);
}

}  // namespace trophex::cli
