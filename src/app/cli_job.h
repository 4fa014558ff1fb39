// What the command line asks for (its options, the merge they describe) and each command's run.
#pragma once

#include "cli.h"
#include "files/file_system.h"
#include "operations/merge.h"
#include "terminal_prompter.h"

#include <optional>
#include <string>
#include <utility>

namespace brikmux::cli {

// Exit statuses.
inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsage = 2;

// What the command line asked for.
struct Options {
    std::string command;
    std::string operand;
    std::optional<std::string> datDir;
    std::optional<std::string> mpdDir;
    std::optional<std::string> ldraw;
    std::optional<std::string> author;
    std::optional<std::string> mpd;
    TerminalPrompter::Answer answer = TerminalPrompter::Answer::Ask;
    bool datOnly = false;
    bool pack = false;
    bool json = false;
    bool verbose = false;
    // render's
    std::optional<std::string> output;
    int width = 800;
    int height = 600;
    double latitude = 30;
    double longitude = 45;
    bool perspective = false;
    std::optional<std::string> background;
};

// A command line that asks for something it cannot: its text says what.
class UsageError {
public:
    explicit UsageError(std::string text) : m_text(std::move(text)) {}
    const std::string& text() const { return m_text; }

private:
    std::string m_text;
};

// True when the file at path holds MPD blocks, whatever its name's extension.
bool isMpdFile(FileSystem& fileSystem, const std::string& path);
// A folder given on the command line, ending in one separator; the empty text is the current folder.
std::string folderField(const std::string& folder);
// Splits path into its folder (ending in a separator) and its last component.
std::pair<std::string, std::string> splitPath(const std::string& path);
// The LDraw library that options and the environment give; empty when there is none.
std::string libraryPath(const Options& options, const CliEnvironment& environment);
// The merge that options describe; mainName becomes the main file's name in the DAT folder.
// Throws UsageError where no library is given.
MergeJob mergeJob(const Options& options, const CliEnvironment& environment, std::string& mainName,
                  FileSystem& fileSystem);

// Each command's run: its exit status.
int merge(const Options& options, CliEnvironment& environment, Prompter& prompter);
int split(const Options& options, Prompter& prompter);
int check(const Options& options, CliEnvironment& environment);
int render(const Options& options, CliEnvironment& environment);

} // namespace brikmux::cli
