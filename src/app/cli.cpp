// The command line's declarations: the four commands with their options and texts, parsed once,
// and the run that hands the parsed options to the command asked for.
#include "cli.h"

#include "brikmux/version.h"
#include "cli_job.h"
#include "terminal_prompter.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string_view>

namespace brikmux {

namespace {

using namespace cli;

constexpr const char* kDescription =
    "Merge an LDraw model and its custom sub-files into one .mpd file, or split an .mpd file\n"
    "back into .dat files.\n";

constexpr const char* kExitStatus =
    "Exit status: 0 when the operation ran to its end (declined overwrites included), 1 on a\n"
    "failure or when a merge without the files not found was declined, 2 on a usage error.";

constexpr const char* kMergeText =
    "Merge MAIN and its custom sub-files into one .mpd file.\n"
    "\n"
    "MAIN is the main model's name in the DAT folder; without --dat-dir it may be a path,\n"
    "whose folder becomes the DAT folder. Every sub-file it references (whatever the name ends\n"
    "in), directly or through other sub-files, that the LDraw library's parts and p folders do\n"
    "not hold is read from the DAT folder, else from the library's models folder, else from its\n"
    "Unofficial/parts and Unofficial/p folders (parts not yet official, which readers' libraries\n"
    "lack), and written as a section of the .mpd file. A sub-file that is itself an MPD brings\n"
    "its sections and images along, its names looked up in its own sections first; a block whose\n"
    "name another block of other content took first gets a new name in its file's folder\n"
    "(house/roof.ldr), named in the completion details.\n"
    "The images that their !TEXMAP lines name follow as 0 !DATA blocks (base64), looked up\n"
    "in the DAT folder, in its textures folder, in the library's parts/textures and\n"
    "p/textures (left to the library, as library files are) and in its Unofficial textures\n"
    "folders (embedded).\n"
    "\n"
    "A referenced sub-file or image that is found in none of these folders is not found:\n"
    "the merge asks once whether to create the .mpd file without those files (their references\n"
    "stay in the model) and names each on standard error. Yes exits with 0, No with 1.\n"
    "\n"
    "MAIN may be an MPD: its first section is the main model; its sections and images are looked\n"
    "up first, then the DAT folder and the library. What the main model reaches is written to\n"
    "NAME_Packed.mpd (--pack) or NAME_Merged.mpd beside it; never onto the input itself.\n";

constexpr const char* kCheckText =
    "Check MAIN as a merge would meet it, or an MPD itself.\n"
    "\n"
    "For a model, check walks MAIN as merge would (options as merge's) and lists every file and\n"
    "image it reaches, grouped by kind: the main file, custom sub-files and unofficial parts with\n"
    "their paths, the library files they reference, the images, files found nowhere and files\n"
    "that cannot be read (with the reason), each with the files that reference it. It writes and\n"
    "asks nothing. Exit status: 0 when a merge would find and read every file and image, 1\n"
    "otherwise. With --json: {\"main\": NAME, \"files\": [{\"name\", \"type\", \"kind\", \"path\",\n"
    "\"referencedBy\", \"reason\"}]}, type model or image, kind one of main, custom, unofficial,\n"
    "library, not found, unreadable.\n"
    "\n"
    "For an MPD (a file with 0 FILE sections, whatever its extension), check checks the MPD\n"
    "itself and reports each problem with its code, severity, section and line:\n"
    "  errors    not-found          a reference names no section and no library file\n"
    "            duplicate-section  a second 0 FILE or 0 !DATA block of one name (any case);\n"
    "                               a warning where it copies the first (split leaves it out)\n"
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
    "            outside-file       a file beside the MPD (its folder, --dat-dir), not in it: a\n"
    "                               merge embeds it; the MPD shared alone lacks it\n"
    "Without a library, names that are no section are listed as unresolved instead. Example:\n"
    "  Section \"town.ldr\" (line 1):\n"
    "    line 4: error not-found: \"3001x.dat\" is neither a section of this file nor a library\n"
    "    file.\n"
    "  1 error, 0 warnings\n"
    "With a library, check then walks what a merge of the MPD takes from outside it and lists\n"
    "it under \"Outside the MPD\", grouped as for a model: files of its folder (or --dat-dir), of\n"
    "the library's models and Unofficial folders, MPDs met inside the model, with their paths;\n"
    "a file found nowhere or unreadable there, or a cycle through them, is an error.\n"
    "With --json: {\"file\", \"library\" (null without one), \"sections\": [{\"name\", \"line\",\n"
    "\"kind\" (model or image), \"referencedBy\"}], \"problems\": [{\"code\", \"severity\", \"section\",\n"
    "\"line\", \"name\", \"message\"}], \"unresolved\" (without a library), \"outside\": {\"files\"\n"
    "(as for a model), \"cycle\"} (with one)}, e.g. {\"code\": \"not-found\", \"severity\":\n"
    "\"error\", \"section\": \"town.ldr\", \"line\": 4, \"name\": \"3001x.dat\", \"message\": \"...\"}.\n"
    "Exit status: 0 without an error (warnings allowed), 1 with one or when the file cannot\n"
    "be read.\n";

constexpr const char* kSplitText =
    "Split an .mpd file into .dat files.\n"
    "\n"
    "MPD is the .mpd file's name in the MPD folder; without --mpd-dir it may be a path, whose\n"
    "folder becomes the MPD folder. Every section becomes a .dat file in the DAT folder, every\n"
    "0 !DATA block its image, decoded; a block whose data is not valid base64 is not written,\n"
    "and the split ends as a failure that names it. A second block of a name met before\n"
    "(letter case aside) is not written: where its lines equal the first's (line ends and\n"
    "blanks at their ends aside) it is left out, named with --verbose; else the split fails.\n";

constexpr const char* kRenderText =
    "Draw MAIN, or an MPD, as a PNG picture.\n"
    "\n"
    "The model is found as merge finds it: its sub-files, the blocks of MPDs, the library's\n"
    "parts in the colours of its LDConfig.ldr. The camera looks at the model's centre from\n"
    "latitude L above and longitude G around (30 and 45: from above, front right), the\n"
    "picture's up being the model's, the model filling it. A file found nowhere is drawn as\n"
    "nothing and named on standard error; the picture is still written.\n";

constexpr const char* kRenderExitStatus =
    "Exit status: 0 when the picture is written (files found nowhere included), 1 when the\n"
    "model cannot be read or the picture cannot be written, 2 on a usage error.";

constexpr const char* kLdrawHelp =
    "the LDraw library: a folder holding parts and p, or LDraw's complete.zip (or library.bin), "
    "with ldrawunf.zip for unofficial parts (default: $LDRAWDIR, the window's LDraw folder, then "
    "the first usual place that holds one: see the README)";

// CLI11's layout, with each option's value named but not its type or requirements (the text says
// them), and each description wrapped to 80 columns.
class HelpFormatter final : public CLI::Formatter {
public:
    static constexpr std::size_t kColumn = 22;

    HelpFormatter() { column_width(kColumn); }

    std::string make_option_opts(const CLI::Option* option) const override
    {
        return option->get_positional() || option->get_type_name().empty() ? "" : " " + option->get_type_name();
    }

    // A command in the tool's list: the first line of its text.
    std::string make_subcommand(const CLI::App* command) const override
    {
        const std::string& text = command->get_description();
        std::ostringstream out;
        CLI::detail::format_help(out, command->get_name(), text.substr(0, text.find('\n')), kColumn);
        return out.str();
    }

    std::string make_option_desc(const CLI::Option* option) const override
    {
        std::string text;
        std::size_t lineStart = 0;
        std::istringstream words(option->get_description());
        for (std::string word; words >> word;) {
            if (!text.empty() && text.size() - lineStart + 1 + word.size() > 80 - kColumn) {
                text += '\n';
                lineStart = text.size();
            } else if (!text.empty()) {
                text += ' ';
            }
            text += word;
        }
        return text;
    }
};

// The four commands with their options, each declared once: parsing, each command's --help
// and the usage lines all read them from here.
class CommandLine {
public:
    explicit CommandLine(Options& options) : m_app(kDescription, "brikmux-cli"), m_options(options)
    {
        m_app.footer([this] { return usage() + "\n" + kExitStatus; });
        m_app.require_subcommand(1);
        // "/models/car.dat" is a path on Windows too, never an option; the commands inherit this.
        m_app.allow_windows_style_options(false);
        m_app.set_version_flag("--version", std::string("brikmux-cli ") + std::string(version::kText));
        m_app.formatter(std::make_shared<HelpFormatter>());

        CLI::App* merge = command("merge", kMergeText, "MAIN", "the main .dat file");
        folder(merge, "--dat-dir", m_options.datDir, "folder of the .dat files");
        folder(merge, "--mpd-dir", m_options.mpdDir, "folder of the .mpd file (default: the DAT folder)");
        folder(merge, "--ldraw", m_options.ldraw, kLdrawHelp);
        value(merge, "--author", "TEXT", m_options.author,
              "author name for the header (default: the window's author name, or Brikmux)");
        value(merge, "--mpd", "NAME", m_options.mpd,
              "name of the .mpd file (default: MAIN up to its first \".\", plus .mpd)");
        walkFlags(merge);
        answerFlags(merge);
        merge->footer(kExitStatus);

        CLI::App* split = command("split", kSplitText, "MPD", "the .mpd file");
        folder(split, "--mpd-dir", m_options.mpdDir, "folder of the .mpd file");
        folder(split, "--dat-dir", m_options.datDir, "folder the .dat files are written to (default: the MPD folder)");
        answerFlags(split);
        split->footer(kExitStatus);

        CLI::App* check = command("check", kCheckText, "MAIN|MPD", "the main .dat file, or an MPD");
        folder(check, "--dat-dir", m_options.datDir, "folder of the .dat files");
        folder(check, "--ldraw", m_options.ldraw, kLdrawHelp);
        walkFlags(check);
        check->add_flag("--json", m_options.json, "one JSON object instead of text");

        CLI::App* render = command("render", kRenderText, "MAIN|MPD", "the main .dat file, or an MPD");
        folder(render, "--dat-dir", m_options.datDir, "folder of the .dat files");
        folder(render, "--ldraw", m_options.ldraw, kLdrawHelp);
        walkFlags(render, false);
        render->add_option("--width", m_options.width, "the picture's width in pixels (default: 800)")
            ->type_name("N");
        render->add_option("--height", m_options.height, "the picture's height in pixels (default: 600)")
            ->type_name("N");
        render->add_option("--latitude", m_options.latitude, "degrees above the model (default: 30)")
            ->type_name("DEG");
        render->add_option("--longitude", m_options.longitude, "degrees around it, from its front (default: 45)")
            ->type_name("DEG");
        render->add_flag("--perspective", m_options.perspective, "a perspective view (default: orthographic)");
        value(render, "--background", "COLOUR|transparent", m_options.background,
              "#RRGGBB, or transparent (default: #FFFFFF)");
        value(render, "--output", "FILE.png", m_options.output, "the picture's file")->required();
        render->footer(kRenderExitStatus);
    }

    // Parses args (without the program's name) into the options; throws CLI11's errors.
    void parse(const std::vector<std::string>& args)
    {
        if (!args.empty() && !args.front().starts_with('-') && !isCommand(args.front())) {
            throw UsageError("unknown command " + args.front());
        }
        m_app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
        for (auto& [option, text, target] : m_values) {
            if (option->count() > 0) {
                *target = *text;
            }
        }
        m_options.command = m_app.get_subcommands().front()->get_name();
        for (const auto& [yes, no] : m_answers) {
            if (yes->count() > 0) {
                m_options.answer = TerminalPrompter::Answer::AlwaysYes;
            } else if (no->count() > 0) {
                m_options.answer = TerminalPrompter::Answer::AlwaysNo;
            }
        }
    }

    bool isCommand(const std::string& name) const
    {
        const auto commands = m_app.get_subcommands({});
        return std::any_of(commands.begin(), commands.end(), [&](const CLI::App* c) { return c->get_name() == name; });
    }

    // The help of the command given, or of the whole tool.
    std::string help() const { return m_app.help(); }

    // One synopsis line per command, from the options declared.
    std::string usage()
    {
        std::string text = "Usage:\n";
        for (const CLI::App* command : m_app.get_subcommands({})) {
            std::string line = "  brikmux-cli " + command->get_name();
            std::string operand;
            for (const CLI::Option* option : command->get_options()) {
                if (option->get_positional()) {
                    operand = " " + option->get_name();
                } else if (option->get_lnames().front() != "help" && option->get_lnames().front() != "no") {
                    std::string name = "--" + option->get_lnames().front();
                    if (option->get_lnames().front() == "yes") {
                        name += "|--no";
                    }
                    const std::string type = option->get_type_name();
                    std::string item = name + (type.empty() ? "" : " " + type);
                    item = option->get_required() ? " " + item : " [" + item + "]";
                    if (line.size() + item.size() > 80) {
                        text += line + "\n";
                        line = std::string(14 + command->get_name().size(), ' ');
                    }
                    line += item;
                }
            }
            text += line + operand + "\n";
        }
        return text + "  brikmux-cli --help | --version | COMMAND --help (that command's options)\n";
    }

private:
    CLI::App* command(const char* name, const char* text, const char* operand, const char* operandHelp)
    {
        CLI::App* command = m_app.add_subcommand(name, text);
        command->add_option(operand, m_options.operand, operandHelp)->required();
        return command;
    }
    CLI::Option* value(CLI::App* command, const char* name, const char* typeName, std::optional<std::string>& target,
                       const std::string& help)
    {
        auto text = std::make_unique<std::string>();
        CLI::Option* option = command->add_option(name, *text, help)->type_name(typeName);
        m_values.push_back({option, std::move(text), &target});
        return option;
    }
    void folder(CLI::App* command, const char* name, std::optional<std::string>& target, const std::string& help)
    {
        value(command, name, "DIR", target, help);
    }
    void walkFlags(CLI::App* command, bool withPack = true)
    {
        command->add_flag("--ldr")->description(
            "accepted as before; every reference is followed, whatever its name ends in");
        command->add_flag("--dat-only", m_options.datOnly,
                          "follow only references to names ending in .dat, as earlier versions did");
        if (!withPack) {
            return;
        }
        command->add_flag("--pack", m_options.pack,
                          "embed every file the model uses, library parts and primitives included, named by "
                          "their library paths (parts/3001.dat), with the library's colours and images: the "
                          ".mpd file opens with no library, in web viewers too");
    }
    void answerFlags(CLI::App* command)
    {
        CLI::Option* yes =
            command->add_flag("--yes")->description("answer every question Yes (default: ask on the terminal; with no "
                                                    "terminal, No)");
        CLI::Option* no = command->add_flag("--no")->description("answer every question No");
        yes->excludes(no);
        m_answers.emplace_back(yes, no);
        command->add_flag("-v,--verbose", m_options.verbose, "list the files written after the completion message");
    }

    struct Value {
        CLI::Option* option;
        std::unique_ptr<std::string> text;
        std::optional<std::string>* target;
    };

    CLI::App m_app;
    Options& m_options;
    std::vector<Value> m_values;
    std::vector<std::pair<CLI::Option*, CLI::Option*>> m_answers; // each command's --yes and --no
};

} // namespace

int runCli(const std::vector<std::string>& args, CliEnvironment& environment)
{
    Options options;
    CommandLine commandLine(options);
    try {
        commandLine.parse(args);
        if (options.command == "check") {
            return cli::check(options, environment);
        }
        if (options.command == "render") {
            return cli::render(options, environment);
        }
        TerminalPrompter prompter(environment.input, environment.output, environment.errors,
                                  environment.inputIsTerminal, options.answer, options.verbose);
        return options.command == "merge" ? cli::merge(options, environment, prompter) : cli::split(options, prompter);
    } catch (const CLI::CallForHelp&) {
        const std::string help = commandLine.help();
        environment.output << help << (help.ends_with('\n') ? "" : "\n");
        return kSuccess;
    } catch (const CLI::CallForVersion& version) {
        environment.output << version.what() << "\n";
        return kSuccess;
    } catch (const CLI::ParseError& error) {
        environment.errors << "brikmux-cli: " << error.what() << "\n" << commandLine.usage();
        return kUsage;
    } catch (const UsageError& error) {
        environment.errors << "brikmux-cli: " << error.text() << "\n" << commandLine.usage();
        return kUsage;
    }
}

} // namespace brikmux
