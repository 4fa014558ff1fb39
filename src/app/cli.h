#pragma once

#include <iosfwd>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brikmux {

// What the command line reads besides its arguments.
struct CliEnvironment {
    std::istream& input;
    std::ostream& output;
    std::ostream& errors;
    bool inputIsTerminal = false;
    std::optional<std::string> ldrawDir;   // LDRAWDIR
    std::optional<std::string> ldrawPath;  // the remembered LDraw folder, if any
    std::optional<std::string> authorName; // the remembered author name, if any
    // The first usual place that holds a library (library_places), asked only when the above give none.
    std::function<std::string()> usualLibrary;
};

// Runs "brikmux-cli" with args (without the program's name); returns the exit status:
// 0 when the operation ran to its end, 1 on a failure, 2 on a usage error.
int runCli(const std::vector<std::string>& args, CliEnvironment& environment);

} // namespace brikmux
