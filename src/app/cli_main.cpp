#include "cli.h"

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
    brikmux::CliEnvironment environment{std::cin, std::cout,    std::cerr,   BRIKMUX_ISATTY(0) != 0,
                                        ldrawDir, std::nullopt, std::nullopt};
    return brikmux::runCli(args, environment);
}
