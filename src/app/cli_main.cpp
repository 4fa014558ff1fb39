#include "cli.h"
#include "settings/settings_store.h"

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define BRIKMUX_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define BRIKMUX_ISATTY(fd) isatty(fd)
#endif

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<std::string> ldrawDir;
    if (const char* value = std::getenv("LDRAWDIR")) {
        ldrawDir = value;
    }
    // The LDraw folder and the author name that the window remembers stand in for missing options.
    const brikmux::SettingsStore store;
    std::optional<std::string> ldrawPath = store.GetSetting(brikmux::kAppName, "Paths", "LDrawPath", "");
    if (ldrawPath->empty()) {
        ldrawPath.reset();
    }
    const std::string authorName = store.GetSetting(brikmux::kAppName, "Settings", "AuthorName", "Brikmux");
    brikmux::CliEnvironment environment{std::cin, std::cout, std::cerr, BRIKMUX_ISATTY(0) != 0,
                                        ldrawDir, ldrawPath, authorName};
    return brikmux::runCli(args, environment);
}
