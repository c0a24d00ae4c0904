#include "cli/guarded.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <ostream>

namespace trophex::cli {

int runGuarded(const std::function<int()>& command, std::ostream& errors)
{
    try {
        return command();
    } catch (const std::bad_alloc&) {
        errors << "trophex-cli: " << std::strerror(ENOMEM) << '\n';
    } catch (const std::exception& e) {
        errors << "trophex-cli: " << e.what() << '\n';
    }
    errors.flush();
    return 1;
}

}  // namespace trophex::cli
