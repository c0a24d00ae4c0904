#include "cli/guarded.h"

#include "model/errors.h"

#include <exception>
#include <ostream>

namespace trophex::cli {

int runGuarded(const std::function<int()>& command, std::ostream& errors)
{
    try {
        return command();
    } catch (const std::exception& e) {
        errors << "trophex-cli: " << exceptionMessage(e) << '\n';
    }
    errors.flush();
    return 1;
}

}  // namespace trophex::cli
