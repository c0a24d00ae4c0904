#pragma once
// Named locales for tests of locale-dependent texts: en_US.UTF-8, de_DE.UTF-8 ("," decimal
// point) and fr_FR.UTF-8 (U+202F, three bytes, between groups of digits).

#include "tests/disk_helpers.h"

#include <string>

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <locale.h>
#include <unistd.h>
#endif

namespace trophex::testing {

#if defined(_WIN32)

// Windows has its locales built in; the POSIX names are read as Windows names.
inline bool testLocalesAvailable()
{
    return true;
}

#elif defined(__EMSCRIPTEN__)

// WebAssembly's C library has the C locale only: every name reads as "." and ",".
inline bool testLocalesAvailable()
{
    return false;
}

#else

inline bool localeKnown(const std::string& name)
{
    const locale_t l = newlocale(LC_NUMERIC_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (l != static_cast<locale_t>(nullptr))
        freelocale(l);
    return l != static_cast<locale_t>(nullptr);
}

// Makes the three locales available: installed already, or compiled into a folder of this
// test process that LOCPATH then points at (needs the system's locale sources). The C
// library remembers a locale it did not find in a folder, so every name is looked up in the
// new folder only after all were compiled there. localedef's exit status also counts
// warnings, so the locales themselves are what is checked.
inline bool testLocalesAvailable()
{
    static const bool available = [] {
        const char* const names[][2] = {{"en_US.UTF-8", "en_US"}, {"de_DE.UTF-8", "de_DE"}, {"fr_FR.UTF-8", "fr_FR"}};
        const auto allKnown = [&] {
            for (const auto& name : names) {
                if (!localeKnown(name[0]))
                    return false;
            }
            return true;
        };
        if (allKnown())
            return true;
        static const struct Folder {
            std::filesystem::path path = disk::freshFolder("locales");
            ~Folder() { std::filesystem::remove_all(path); }
        } compiled;
        const std::filesystem::path& folder = compiled.path;
        for (const auto& name : names) {
            const std::string command =
                std::string("localedef -i ") + name[1] + " -f UTF-8 " + (folder / name[0]).string() + " 2>/dev/null";
            [[maybe_unused]] const int status = std::system(command.c_str());
        }
        setenv("LOCPATH", folder.c_str(), 1);
        return allKnown();
    }();
    return available;
}

#endif

}  // namespace trophex::testing
