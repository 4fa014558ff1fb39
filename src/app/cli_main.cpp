#include "cli.h"
#include "files/file_system.h"
#include "library/library_places.h"
#include "remembered_settings.h"

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include "files/wide_text.h"

#include <windows.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace {

// The arguments as UTF-8: on Windows argv is in the ANSI code page, which cannot hold every name.
std::vector<std::string> arguments(int argc, char** argv)
{
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        args.push_back(brikmux::fromWide(wide[i]));
    }
    LocalFree(wide);
    return args;
#else
    return {argv + 1, argv + argc};
#endif
}

std::optional<std::string> environmentVariable(const char* name)
{
#ifdef _WIN32
    const wchar_t* value = _wgetenv(brikmux::toWide(name).c_str());
    return value != nullptr ? std::optional<std::string>(brikmux::fromWide(value)) : std::nullopt;
#else
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
#endif
}

// True when a person can answer on standard input.
bool inputIsTerminal()
{
#ifdef _WIN32
    // _isatty is true for every character device, NUL included; only a console has a mode.
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
#else
    return isatty(0) != 0;
#endif
}

} // namespace

int main(int argc, char** argv)
{
    // The LDraw folder and the author name that the window remembers stand in for missing options.
    // (An empty one is none: the job looks further.)
    const std::optional<std::string> ldrawPath = brikmux::rememberedSetting("Paths", "LDrawPath", "");
    const std::string authorName = brikmux::rememberedSetting("Settings", "AuthorName", "Brikmux");
    brikmux::CliEnvironment environment{
        std::cin, std::cout, std::cerr, inputIsTerminal(), environmentVariable("LDRAWDIR"), ldrawPath, authorName, [] {
            brikmux::NativeFileSystem fileSystem;
            return brikmux::findLibrary(fileSystem, brikmux::usualLibraryFolders([](const char* name) {
                                            return environmentVariable(name).value_or("");
                                        }));
        }};
    return brikmux::runCli(arguments(argc, argv), environment);
}
