#include "cli.h"

#include "brikmux/version.h"
#include "files/file_system.h"
#include "files/paths.h"
#include "ldraw/model_text.h"
#include "ldraw/mpd_model.h"
#include "operations/merge.h"
#include "operations/messages.h"
#include "operations/mpd_check.h"
#include "operations/split.h"
#include "terminal_prompter.h"

#include <nlohmann/json.hpp>

#include <map>
#include <optional>
#include <ostream>
#include <string_view>

namespace brikmux {

namespace {

// True when the file at path holds MPD blocks, whatever its name's extension.
bool isMpdFile(FileSystem& fileSystem, const std::string& path)
{
    std::unique_ptr<InputFile> file;
    return openFileForReading(fileSystem, path, file) && holdsMpdBlocks(*file);
}

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

constexpr std::string_view kUsageText =
    "Usage:\n"
    "  brikmux-cli merge [--dat-dir DIR] [--mpd-dir DIR] [--ldraw DIR] [--author TEXT]\n"
    "                    [--mpd NAME] [--ldr] [--pack] [--yes|--no] [--verbose] MAIN\n"
    "  brikmux-cli split [--mpd-dir DIR] [--dat-dir DIR] [--yes|--no] [--verbose] MPD\n"
    "  brikmux-cli check [--dat-dir DIR] [--ldraw DIR] [--ldr] [--pack] [--json] MAIN|MPD\n"
    "  brikmux-cli --help | --version\n";

constexpr std::string_view kHelpText =
    "Merge an LDraw model and its custom sub-files into one .mpd file, or split an .mpd file\n"
    "back into .dat files.\n"
    "\n"
    "merge: MAIN is the main .dat file's name in the DAT folder; without --dat-dir it may be a\n"
    "path, whose folder becomes the DAT folder. Every sub-file it references, directly or through\n"
    "other sub-files, that the LDraw library's parts and p folders do not hold is read from the\n"
    "DAT folder, or else from the library's Unofficial/parts and Unofficial/p folders (parts not\n"
    "yet official, which readers' libraries lack), and written as a section of the .mpd file.\n"
    "The images that their !TEXMAP lines name follow as 0 !DATA blocks (base64), looked up\n"
    "in the DAT folder, in its textures folder, in the library's parts/textures and\n"
    "p/textures (left to the library, as library files are) and in its Unofficial textures\n"
    "folders (embedded).\n"
    "  --dat-dir DIR   folder of the .dat files\n"
    "  --mpd-dir DIR   folder of the .mpd file (default: the DAT folder)\n"
    "  --ldraw DIR     the LDraw library: a folder holding parts and p, or LDraw's complete.zip\n"
    "                  (or library.bin), with ldrawunf.zip for unofficial parts (default:\n"
    "                  $LDRAWDIR, the window's LDraw folder, then the first usual place that\n"
    "                  holds one: see the README)\n"
    "  --author TEXT   author name for the header (default: the window's author name, or Brikmux)\n"
    "  --mpd NAME      name of the .mpd file (default: MAIN up to its first \".\", plus .mpd)\n"
    "  --ldr           also follow references to .ldr files\n"
    "  --pack          embed every file the model uses, library parts and primitives\n"
    "                  included, named by their library paths (parts/3001.dat), with the\n"
    "                  library's colours and images: the .mpd file opens with no library, in web\n"
    "                  viewers too\n"
    "A referenced sub-file or image that is found in none of these folders is not found:\n"
    "the merge asks once whether to create the .mpd file without those files (their references\n"
    "stay in the model) and names each on standard error. Yes exits with 0, No with 1.\n"
    "\n"
    "check: walks MAIN as merge would (options as merge's) and lists every file and image it\n"
    "reaches, grouped by kind: the main file, custom sub-files and unofficial parts with their\n"
    "paths, the library files they reference, the images, files found nowhere and files that\n"
    "cannot be read (with the reason), each with the files that reference it. It writes and\n"
    "asks nothing.\n"
    "  --json          one JSON object instead: {\"main\": NAME, \"files\": [{\"name\", \"type\",\n"
    "                  \"kind\", \"path\", \"referencedBy\", \"reason\"}]}, type model or image,\n"
    "                  kind one of main, custom, unofficial, library, not found, unreadable\n"
    "Exit status of check: 0 when a merge would find and read every file and image, 1 otherwise.\n"
    "\n"
    "check on an MPD (a file with 0 FILE sections, whatever its extension) checks the MPD\n"
    "itself and reports each problem with its code, severity, section and line:\n"
    "  errors    not-found          a reference names no section and no library file\n"
    "            duplicate-section  a second 0 FILE or 0 !DATA block of one name (letter case aside)\n"
    "            cycle              a section reaches itself (the chain is named)\n"
    "            malformed-line     a line of type 1 to 5 with too few fields or a non-number\n"
    "            not-first          a line of type 1 to 5 before the first 0 FILE line\n"
    "            image-not-found    a !TEXMAP image with no 0 !DATA block and no library image\n"
    "  warnings  shadows-library    a section named like an official library file\n"
    "            case-differs       a reference matches its section only ignoring letter case\n"
    "            name-differs       a 0 Name: line names another file than its 0 FILE line\n"
    "            unused             a section or image nothing reached from the first one uses\n"
    "            empty-section      a section with no line of type 1 to 5\n"
    "            unofficial-not-embedded  an Unofficial part referenced, not embedded\n"
    "Without a library, names that are no section are listed as unresolved instead. Example:\n"
    "  Section \"town.ldr\" (line 1):\n"
    "    line 4: error not-found: \"3001x.dat\" is neither a section of this file nor a library\n"
    "    file.\n"
    "  1 error, 0 warnings\n"
    "  --json          {\"file\", \"library\" (null without one), \"sections\": [{\"name\", \"line\",\n"
    "                  \"kind\" (model or image), \"referencedBy\"}], \"problems\": [{\"code\",\n"
    "                  \"severity\", \"section\", \"line\", \"name\", \"message\"}], \"unresolved\"}, e.g.\n"
    "                  {\"code\": \"not-found\", \"severity\": \"error\", \"section\": \"town.ldr\",\n"
    "                  \"line\": 4, \"name\": \"3001x.dat\", \"message\": \"...\"}\n"
    "Exit status: 0 without an error (warnings allowed), 1 with one or when the file cannot be read.\n"
    "\n"
    "merge on an MPD: its first section is the main model; its sections and images are looked up\n"
    "first, then the DAT folder and the library. What the main model reaches is written to\n"
    "NAME_Packed.mpd (--pack) or NAME_Merged.mpd beside it; never onto the input itself.\n"
    "\n"
    "split: MPD is the .mpd file's name in the MPD folder; without --mpd-dir it may be a path,\n"
    "whose folder becomes the MPD folder. Every section becomes a .dat file in the DAT folder,\n"
    "every 0 !DATA block its image, decoded; a block whose data is not valid base64 is not\n"
    "written, and the split ends as a failure that names it.\n"
    "  --mpd-dir DIR   folder of the .mpd file\n"
    "  --dat-dir DIR   folder the .dat files are written to (default: the MPD folder)\n"
    "\n"
    "Both:\n"
    "  --yes, --no     answer every question Yes or No (default: ask on the\n"
    "                  terminal; with no terminal, No)\n"
    "  --verbose       list the files written after the completion message\n"
    "\n"
    "Exit status: 0 when the operation ran to its end (declined overwrites included), 1 on a\n"
    "failure or when a merge without the files not found was declined, 2 on a usage error.\n";

struct Options {
    std::string command;
    std::map<std::string, std::string, std::less<>> values; // --dat-dir, --mpd-dir, ...
    std::vector<std::string> operands;
    TerminalPrompter::Answer answer = TerminalPrompter::Answer::Ask;
    bool ldr = false;
    bool pack = false;
    bool json = false;
    bool verbose = false;
};

class UsageError {
public:
    explicit UsageError(std::string text) : m_text(std::move(text)) {}
    const std::string& text() const { return m_text; }

private:
    std::string m_text;
};

bool takesValue(std::string_view command, std::string_view option)
{
    if (option == "--dat-dir" || option == "--mpd-dir") {
        return true;
    }
    if (command == "check") {
        return option == "--ldraw";
    }
    return command == "merge" && (option == "--ldraw" || option == "--author" || option == "--mpd");
}

Options parse(const std::vector<std::string>& args)
{
    Options options;
    options.command = args.front();
    bool answered = false;
    bool operandsOnly = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (operandsOnly || arg.size() < 2 || arg[0] != '-') {
            options.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            operandsOnly = true;
            continue;
        }
        const auto equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (takesValue(options.command, name)) {
            if (equals != std::string::npos) {
                options.values[name] = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                options.values[name] = args[++i];
            } else {
                throw UsageError(name + " needs a value");
            }
        } else if ((arg == "--yes" || arg == "--no") && options.command != "check") {
            if (answered) {
                throw UsageError("give --yes or --no, not both");
            }
            answered = true;
            options.answer = arg == "--yes" ? TerminalPrompter::Answer::AlwaysYes : TerminalPrompter::Answer::AlwaysNo;
        } else if (arg == "--ldr" && options.command != "split") {
            options.ldr = true;
        } else if (arg == "--pack" && options.command != "split") {
            options.pack = true;
        } else if (arg == "--json" && options.command == "check") {
            options.json = true;
        } else if ((arg == "--verbose" || arg == "-v") && options.command != "check") {
            options.verbose = true;
        } else {
            throw UsageError("unknown option " + arg + " for " + options.command);
        }
    }
    if (options.operands.size() != 1) {
        throw UsageError(options.operands.empty() ? options.command + " needs a file name"
                                                  : options.command + " takes one file name");
    }
    return options;
}

const std::string* value(const Options& options, std::string_view name)
{
    const auto found = options.values.find(name);
    return found == options.values.end() ? nullptr : &found->second;
}

// A folder given on the command line, ending in one separator; the empty text is the current folder.
std::string folderField(const std::string& folder)
{
    return withTrailingSeparator(folder.empty() ? std::string(".") : folder);
}

// Splits path into its folder (ending in a separator) and its last component.
std::pair<std::string, std::string> splitPath(const std::string& path)
{
#ifdef _WIN32
    const auto separator = path.find_last_of("\\/");
#else
    const auto separator = path.find_last_of('/');
#endif
    if (separator == std::string::npos) {
        return {folderField(""), path};
    }
    return {folderField(path.substr(0, separator + 1)), path.substr(separator + 1)};
}

std::string lastComponent(const std::string& name)
{
    const auto separator = name.find_last_of("\\/");
    return separator == std::string::npos ? name : name.substr(separator + 1);
}

// The LDraw library that options and the environment give; empty when there is none.
std::string libraryPath(const Options& options, const CliEnvironment& environment)
{
    if (const auto* ldraw = value(options, "--ldraw")) {
        return folderField(*ldraw);
    }
    if (environment.ldrawDir && !environment.ldrawDir->empty()) {
        return folderField(*environment.ldrawDir);
    }
    if (environment.ldrawPath && !environment.ldrawPath->empty()) {
        return folderField(*environment.ldrawPath);
    }
    return environment.usualLibrary ? environment.usualLibrary() : std::string();
}

// The merge that options describe; mainName becomes the main file's name in the DAT folder.
MergeJob mergeJob(const Options& options, const CliEnvironment& environment, std::string& mainName,
                  FileSystem& fileSystem)
{
    MergeJob job;
    mainName = options.operands.front();
    if (const auto* datDir = value(options, "--dat-dir")) {
        job.datPath = folderField(*datDir);
    } else {
        std::tie(job.datPath, mainName) = splitPath(mainName);
    }
    const auto* mpdDir = value(options, "--mpd-dir");
    job.mpdPath = mpdDir != nullptr ? folderField(*mpdDir) : job.datPath;
    if (const auto* mpdName = value(options, "--mpd")) {
        job.mpdName = *mpdName;
    } else if (isMpdFile(fileSystem, joinPath(job.datPath, mainName))) {
        job.mpdName = mergedMpdName(mainName, options.pack);
    } else {
        job.mpdName = mpdNameFor(lastComponent(mainName));
    }
    job.ldrawPath = libraryPath(options, environment);
    if (job.ldrawPath.empty()) {
        throw UsageError("no LDraw library: give --ldraw DIR, set LDRAWDIR, or choose one in the window");
    }
    const auto* author = value(options, "--author");
    job.authorName = author != nullptr ? *author : environment.authorName.value_or("Brikmux");
    job.referenceKinds = options.ldr ? ReferenceKinds::DatAndLdr : ReferenceKinds::DatOnly;
    job.pack = options.pack;
    return job;
}

// Names are bytes: whatever is not UTF-8 is replaced rather than failing the report.
void writeJson(std::ostream& output, const nlohmann::ordered_json& report)
{
    output << report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

// Checks the MPD at path: its problems, in text or JSON; 1 when it has an error.
int checkMpd(const Options& options, CliEnvironment& environment, const std::string& path, FileSystem& fileSystem)
{
    const MpdCheckReport report = CheckMpdFile(path, libraryPath(options, environment), fileSystem);
    if (!report.failure.empty()) {
        environment.errors << "brikmux-cli: " << report.failure << "\n";
        return kFailure;
    }
    if (!options.json) {
        environment.output << report.file << "\n" << report.text();
        return report.errors() > 0 ? kFailure : kSuccess;
    }
    nlohmann::ordered_json json;
    json["file"] = report.file;
    json["library"] = report.library.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(report.library);
    json["sections"] = nlohmann::ordered_json::array();
    for (const MpdSectionReport& section : report.sections) {
        json["sections"].push_back({{"name", section.name},
                                    {"line", section.line},
                                    {"kind", section.image ? "image" : "model"},
                                    {"referencedBy", section.referencedBy}});
    }
    json["problems"] = nlohmann::ordered_json::array();
    for (const MpdProblem& problem : report.problems) {
        json["problems"].push_back({{"code", problem.code},
                                    {"severity", problem.error ? "error" : "warning"},
                                    {"section", problem.section},
                                    {"line", problem.line},
                                    {"name", problem.name},
                                    {"message", problem.message}});
    }
    if (report.library.empty()) {
        json["unresolved"] = report.unresolved;
    }
    writeJson(environment.output, json);
    return report.errors() > 0 ? kFailure : kSuccess;
}

int merge(const Options& options, CliEnvironment& environment, Prompter& prompter)
{
    std::string mainName;
    NativeFileSystem fileSystem;
    const MergeJob job = mergeJob(options, environment, mainName, fileSystem);
    const MergeResult result = MergeToMPD(mainName, job, fileSystem, prompter);
    for (const auto& missing : result.notFound) {
        environment.errors << "Not found: " << messages::missingFileLine(missing) << "\n";
    }
    const bool ranToItsEnd =
        result.status == MergeResult::Status::Created || result.status == MergeResult::Status::Declined;
    return ranToItsEnd ? kSuccess : kFailure;
}

int check(const Options& options, CliEnvironment& environment)
{
    NativeFileSystem fileSystem;
    {
        // A file with sections is checked as the MPD it is; it needs no library.
        const auto* datDir = value(options, "--dat-dir");
        const std::string path =
            datDir != nullptr ? joinPath(folderField(*datDir), options.operands.front()) : options.operands.front();
        if (isMpdFile(fileSystem, path)) {
            return checkMpd(options, environment, path, fileSystem);
        }
    }
    std::string mainName;
    const MergeJob job = mergeJob(options, environment, mainName, fileSystem);
    const CheckResult result = CheckMerge(mainName, job, fileSystem);
    if (!result.failure.empty()) {
        environment.errors << "brikmux-cli: " << result.failure << "\n";
        return kFailure;
    }
    if (options.json) {
        nlohmann::ordered_json files = nlohmann::ordered_json::array();
        for (const auto& file : result.files) {
            nlohmann::ordered_json entry;
            entry["name"] = file.name;
            entry["type"] = file.type == CheckedFile::Type::Image ? "image" : "model";
            entry["kind"] = kindName(file.kind);
            if (!file.path.empty()) {
                entry["path"] = file.path;
            }
            entry["referencedBy"] = file.referencedBy;
            if (file.replacesLibrary) {
                entry["replacesLibrary"] = true;
            }
            if (file.kind == CheckedFile::Kind::Unreadable) {
                entry["reason"] = file.reason;
            }
            files.push_back(std::move(entry));
        }
        nlohmann::ordered_json report;
        report["main"] = result.main;
        report["files"] = std::move(files);
        writeJson(environment.output, report);
    } else {
        using Kind = CheckedFile::Kind;
        using Type = CheckedFile::Type;
        struct Group {
            Kind kind;
            std::optional<Type> type; // both types where not given
            const char* heading;
        };
        const Group groups[] = {{Kind::Main, Type::Model, "Main file"},
                                {Kind::Custom, Type::Model, "Custom sub-files"},
                                {Kind::Unofficial, Type::Model, "Unofficial parts"},
                                {Kind::Library, Type::Model, "Library files"},
                                {Kind::Custom, Type::Image, "Custom images"},
                                {Kind::Unofficial, Type::Image, "Unofficial images"},
                                {Kind::Library, Type::Image, "Library images"},
                                {Kind::NotFound, std::nullopt, "Found nowhere"},
                                {Kind::Unreadable, std::nullopt, "Cannot be read"}};
        for (const auto& [kind, type, heading] : groups) {
            std::string lines;
            for (const auto& file : result.files) {
                if (file.kind != kind || (type && file.type != *type)) {
                    continue;
                }
                lines += "  " + file.name;
                if (file.replacesLibrary) {
                    lines += " (replaces a library part)";
                }
                if (!type && file.type == Type::Image) {
                    lines += " (image)";
                }
                if (!file.path.empty()) {
                    lines += "  " + file.path;
                }
                if (!file.reason.empty()) {
                    lines += ": " + file.reason;
                }
                for (std::size_t i = 0; i < file.referencedBy.size(); ++i) {
                    lines += (i == 0 ? "  (referenced by " : ", ") + file.referencedBy[i];
                }
                lines += file.referencedBy.empty() ? "\n" : ")\n";
            }
            if (!lines.empty()) {
                environment.output << heading << ":\n" << lines;
            }
        }
    }
    return result.complete() ? kSuccess : kFailure;
}

int split(const Options& options, Prompter& prompter)
{
    SplitJob job;
    std::string name = options.operands.front();
    if (const auto* mpdDir = value(options, "--mpd-dir")) {
        job.mpdPath = folderField(*mpdDir);
    } else {
        std::tie(job.mpdPath, name) = splitPath(name);
    }
    const auto* datDir = value(options, "--dat-dir");
    job.datPath = datDir != nullptr ? folderField(*datDir) : job.mpdPath;

    NativeFileSystem fileSystem;
    const SplitResult result = SplitMPD(name, job, fileSystem, prompter);
    return result.status == SplitResult::Status::Failed ? kFailure : kSuccess;
}

} // namespace

int runCli(const std::vector<std::string>& args, CliEnvironment& environment)
{
    if (args.empty()) {
        environment.errors << kUsageText;
        return kUsage;
    }
    if (args.front() == "--help" || args.front() == "-h") {
        environment.output << kUsageText << "\n" << kHelpText;
        return kSuccess;
    }
    if (args.front() == "--version") {
        environment.output << "brikmux-cli " << version::kText << "\n";
        return kSuccess;
    }
    try {
        if (args.front() != "merge" && args.front() != "split" && args.front() != "check") {
            throw UsageError("unknown command " + args.front());
        }
        const Options options = parse(args);
        if (options.command == "check") {
            return check(options, environment);
        }
        TerminalPrompter prompter(environment.input, environment.output, environment.errors,
                                  environment.inputIsTerminal, options.answer, options.verbose);
        return options.command == "merge" ? merge(options, environment, prompter) : split(options, prompter);
    } catch (const UsageError& error) {
        environment.errors << "brikmux-cli: " << error.text() << "\n" << kUsageText;
        return kUsage;
    }
}

} // namespace brikmux
