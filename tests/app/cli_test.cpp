#include "app/cli.h"
#include "app/cli_job.h"
#include "app/terminal_prompter.h"
#include "files/paths.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <optional>
#include <sstream>

#ifdef _WIN32
#include "files/wide_text.h"

#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace brikmux {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

const char kSep = static_cast<char>(fs::path::preferred_separator);
// The bundled library, as an absolute path of this platform.
const std::string kLibrary = fs::absolute(BRIKMUX_EXAMPLES_DIR "/ldraw").make_preferred().string();

class Cli : public ::testing::Test {
protected:
    Cli()
    {
#ifdef _WIN32
        // Nothing remembered: other tests may have used the window's store in this Wine prefix.
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Brikmux");
#endif
        for (const char* name : {"buggy.dat", "chassis.dat", "wheel.dat", "axle.dat"}) {
            fs::copy_file(fs::path(BRIKMUX_EXAMPLES_DIR) / "buggy" / name, dir.path() / name);
        }
    }

    // Runs brikmux-cli in dir with nothing on standard input and LDRAWDIR set to ldrawDir (unset
    // when empty). Arguments are quoted with double quotes, which sh and Windows' C runtime both
    // understand.
    Outcome cli(const std::string& args, const std::string& ldrawDir = "")
    {
        const std::string exe = fs::absolute(BRIKMUX_CLI).make_preferred().string();
#ifdef _WIN32
        const int status = runOnWindows(exe, args, ldrawDir);
#else
        const std::string redirect = " >\"" + (io.path() / "out").string() + "\" 2>\"" + (io.path() / "err").string();
        const std::string command = "cd '" + dir.path().string() + "' && env -u LDRAWDIR HOME='" +
                                    (io.path() / "home").string() + "' XDG_CONFIG_HOME='" +
                                    (io.path() / "config").string() + "' " +
                                    (ldrawDir.empty() ? "" : "LDRAWDIR='" + ldrawDir + "' ") + "'" + exe + "' " + args +
                                    redirect + "\" </dev/null";
        const int raw = std::system(command.c_str());
        const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
        // Windows' text streams end lines in CR LF.
        Outcome outcome{status, io.read("out"), io.read("err")};
        std::erase(outcome.out, '\r');
        std::erase(outcome.err, '\r');
        return outcome;
    }

#ifdef _WIN32
    // Started directly rather than through cmd.exe, whose start of a program under Wine now and then
    // fails with "Can't recognize ...": the test is about the tool, not about the shell.
    int runOnWindows(const std::string& exe, const std::string& args, const std::string& ldrawDir)
    {
        const std::string home = (io.path() / "home").string();
        SetEnvironmentVariableW(L"LDRAWDIR", ldrawDir.empty() ? nullptr : toWide(ldrawDir).c_str());
        SetEnvironmentVariableW(L"USERPROFILE", toWide(home).c_str());
        SetEnvironmentVariableW(L"PUBLIC", toWide(home).c_str());
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        const auto open = [&](const std::wstring& path, DWORD access, DWORD disposition) {
            return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        };
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = open(L"NUL", GENERIC_READ, OPEN_EXISTING);
        startup.hStdOutput = open((io.path() / "out").wstring(), GENERIC_WRITE, CREATE_ALWAYS);
        startup.hStdError = open((io.path() / "err").wstring(), GENERIC_WRITE, CREATE_ALWAYS);
        std::wstring commandLine = toWide("\"" + exe + "\" " + args);
        PROCESS_INFORMATION process{};
        // Wine, loaded, now and then fails a start with an internal error: tried again, up to three times.
        bool started = false;
        for (int attempt = 0; attempt < 3 && !started; ++attempt) {
            if (attempt > 0) {
                Sleep(200);
            }
            started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                     dir.path().wstring().c_str(), &startup, &process);
        }
        DWORD status = static_cast<DWORD>(-1);
        if (started) {
            WaitForSingleObject(process.hProcess, INFINITE);
            GetExitCodeProcess(process.hProcess, &status);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        } else {
            ADD_FAILURE() << "brikmux-cli did not start: error " << GetLastError();
        }
        for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
            CloseHandle(handle);
        }
        return static_cast<int>(status);
    }
#endif

    // What the window would remember: its Qt store on Linux, the registry on Windows.
    void remember(const std::string& ldrawPath, const std::string& authorName)
    {
#ifdef _WIN32
        for (const auto& [section, key, value] : {std::tuple{L"Paths", L"LDrawPath", toWide(ldrawPath)}, std::tuple {
                                                      L"Settings",
                                                      L"AuthorName",
                                                      toWide(authorName)
                                                  }}) {
            RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Brikmux\\Brikmux\\") + section).c_str(), key,
                            REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        }
#else
        io.write("config/Brikmux/Brikmux.conf",
                 "[Paths]\nLDrawPath=" + ldrawPath + "\n[Settings]\nAuthorName=" + authorName + "\n");
#endif
    }

    ~Cli() override
    {
#ifdef _WIN32
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Brikmux");
#endif
    }

    const std::string library = "--ldraw \"" + kLibrary + "\"";
    TempDir dir;
    TempDir io;
};

TEST_F(Cli, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(cli("--version").out, "brikmux-cli 1.2.2\n");
    for (const char* args :
         {"", "merge buggy.dat" /* no library */, "merge --ldraw x a.dat b.dat", "merge --ldraw x --yes --no a.dat",
          "split --ldraw x a.mpd", "merge --ldraw", "render --ldraw x buggy.dat" /* no --output */,
          "render --ldraw x --output o.png --width 0 a.dat", "render --ldraw x --output o.png --width 8193 a.dat",
          "render --ldraw x --output o.png --height 0 a.dat", "render --ldraw x --output o.png --height 8193 a.dat",
          "render --ldraw x --output o.png --latitude 91 a.dat", "render --ldraw x --output o.png --latitude -91 a.dat",
          "render --ldraw x --output o.png --background red a.dat", "render --pack buggy.dat"}) {
        const Outcome run = cli(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find("Usage:"), std::string::npos) << args;
        EXPECT_TRUE(run.out.empty()) << args;
    }
    // A command is named exactly: no other letter case, no longer word.
    for (const std::string command : {"frobnicate", "Merge", "checks"}) {
        EXPECT_EQ(cli(command + " x.dat").err.rfind("brikmux-cli: unknown command " + command + "\nUsage:\n", 0), 0U);
    }
}

TEST_F(Cli, HelpShowsEachCommandsOwnOptions)
{
    // The help asked for, what it shows, and what belongs to other commands only.
    const struct {
        const char* args;
        std::vector<std::string> shown;
        std::vector<std::string> absent;
    } cases[] = {
        {"--help",
         {"Usage:", "  merge               Merge MAIN and its custom sub-files into one .mpd file.\n",
          "  split               Split an .mpd file into .dat files.\n",
          "  brikmux-cli split [--mpd-dir DIR] [--dat-dir DIR] [--yes|--no] [--verbose] MPD\n",
          "  brikmux-cli render [--dat-dir DIR] [--ldraw DIR] [--ldr] [--dat-only]\n", "--output FILE.png MAIN|MPD\n",
          "--version"},
         {"--author TEXT  "}},
        {"merge --help",
         {"  --author TEXT       author name for the header (default: the window's author\n"
          "                      name, or Brikmux)\n",
          "--mpd NAME", "--pack", "--yes", "MAIN"},
         {"--json", "not-found"}},
        {"split -h", {"--mpd-dir DIR", "--dat-dir DIR", "--verbose", "MPD"}, {"--ldraw", "--pack"}},
        {"render --help",
         {"--output FILE.png", "--latitude DEG", "--perspective", "--background COLOUR|transparent", "--dat-only"},
         {"--pack", "--yes", "--json"}},
        {"check --help",
         {"--json", "not-found", "unofficial-not-embedded", "--ldraw DIR", "--pack", "--dat-only"},
         {"--yes", "--author"}},
    };
    for (const auto& [args, shown, absent] : cases) {
        const Outcome run = cli(args);
        EXPECT_EQ(run.status, 0) << args;
        EXPECT_TRUE(run.err.empty()) << args;
        for (const std::string& text : shown) {
            EXPECT_NE(run.out.find(text), std::string::npos) << args << " shows " << text;
        }
        for (const std::string& text : absent) {
            EXPECT_EQ(run.out.find(text), std::string::npos) << args << " leaves out " << text;
        }
        // Wrapped for a terminal: no line much past 80 columns.
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) {
            EXPECT_LE(line.size(), 92U) << args << ": " << line;
        }
    }
}

TEST(CliLibrary, AnEmptyLdrawdirIsNoLibraryAndTheNextPlaceIsTried)
{
    // LDRAWDIR, the window's folder, the usual places: the first that names one, in-process.
    const struct {
        std::optional<std::string> ldrawDir;
        std::optional<std::string> ldrawPath;
        bool usual;
    } cases[] = {{"", kLibrary, false}, {std::nullopt, kLibrary, false}, {"", "", true}, {kLibrary, "/nowhere", false}};
    for (const auto& [ldrawDir, ldrawPath, usual] : cases) {
        std::istringstream input;
        std::ostringstream output;
        std::ostringstream errors;
        CliEnvironment environment{input, output, errors, false, ldrawDir, ldrawPath, std::nullopt, {}};
        if (usual) {
            environment.usualLibrary = [] { return withTrailingSeparator(kLibrary); };
        }
        const std::string main = (fs::path(BRIKMUX_EXAMPLES_DIR) / "buggy" / "buggy.dat").string();
        EXPECT_EQ(runCli({"check", main}, environment), 0) << errors.str();
        EXPECT_NE(output.str().find("Library files:"), std::string::npos) << output.str();
    }
}

TEST_F(Cli, MergesAndSplitsWithFoldersGivenEitherWay)
{
    EXPECT_EQ(cli("merge " + library + " --mpd-dir out/ buggy.dat").status, 1) << "out/ does not exist yet";
    fs::create_directory(dir.path() / "out");
    const Outcome merged = cli("merge --author \"A. Builder\" --mpd-dir out/ " + library + " ./buggy.dat");
    EXPECT_EQ(merged.status, 0);
    EXPECT_EQ(merged.out + merged.err, "buggy.mpd has been successfully created. 3 .DAT file(s) merged.\n");
    EXPECT_NE(dir.read("out/buggy.mpd").find("0 FILE buggy.dat\r\n0 MPD Author: A. Builder\r\n"), std::string::npos);
    fs::create_directory(dir.path() / "back");
    const Outcome split = cli("split --mpd-dir out --dat-dir back/ --verbose buggy.mpd");
    EXPECT_EQ(split.status, 0);
    EXPECT_EQ(split.out, "buggy.mpd has been successfully split. 4 .DAT file(s) created.\n"
                         "buggy.dat\nchassis.dat\nwheel.dat\naxle.dat\n");
    EXPECT_EQ(dir.read("back/axle.dat") + dir.read("back/wheel.dat"), dir.read("axle.dat") + dir.read("wheel.dat"));
    // Merged back from there, the folder given apart from the name: the same MPD (the current
    // folder's axle set aside: the one in back/ is taken).
    fs::rename(dir.path() / "axle.dat", dir.path() / "axle.bak");
    EXPECT_EQ(
        cli("merge --dat-dir back --mpd-dir out --mpd again --author \"A. Builder\" " + library + " buggy.dat").status,
        0);
    fs::rename(dir.path() / "axle.bak", dir.path() / "axle.dat");
    EXPECT_EQ(dir.read("out/again.mpd"), dir.read("out/buggy.mpd"));

    // Names and folders outside ASCII pass the command line and reach the files intact; LDRAWDIR
    // stands in for --ldraw; --ldr follows references to .ldr files too.
    for (const char* name : {"chassis.dat", "wheel.dat", "axle.dat"}) {
        dir.write(std::string("Mod\xC3\xA8les/") + name, dir.read(name));
    }
    dir.write("Mod\xC3\xA8les/b\xC3\xBCggy.dat", dir.read("buggy.dat") + "1 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.ldr\r\n");
    dir.write("Mod\xC3\xA8les/sub.ldr", "0 sub\r\n");
    EXPECT_EQ(cli("merge --ldr Mod\xC3\xA8les/b\xC3\xBCggy.dat", kLibrary).out,
              "b\xC3\xBCggy.mpd has been successfully created. 4 .DAT file(s) merged.\n");
    EXPECT_NE(dir.read("Mod\xC3\xA8les/b\xC3\xBCggy.mpd").find("0 FILE sub.ldr\r\n0 sub\r\n"), std::string::npos);
}

TEST_F(Cli, RenderWritesThePictureOrNothingAndNamesWhatIsNotFound)
{
    dir.write("gaps.dat", dir.read("buggy.dat") + "1 4 0 0 0 1 0 0 0 1 0 0 0 1 gone.dat\r\n");
    dir.write("folder.png/x", "");
    const struct {
        std::string args;
        int status;
        std::string err;
        const char* written; // the picture's file, or null where none may be
    } runs[] = {
        {"buggy.dat --output buggy.png --width 64 --height 48", 0, "", "buggy.png"},
        {"buggy.dat --output top.png --width 64 --height 48 --latitude 90", 0, "", "top.png"},
        {"buggy.dat --output dot.png --width 1 --height 1", 0, "", "dot.png"},
        {"buggy.dat --output wide.png --width 8192 --height 8 --latitude -90", 0, "", "wide.png"},
        {"gaps.dat --output gaps.png --background transparent --perspective", 0,
         "Not found: gone.dat (referenced by gaps.dat)\n", "gaps.png"},
        {"gone.dat --output gone.png", 1,
         "Cannot read ." + std::string(1, kSep) + "gone.dat: No such file or directory.\n", nullptr},
        {"buggy.dat --output missing/b.png", 1, "Cannot write missing/b.png: No such file or directory.\n", nullptr},
        {"buggy.dat --output folder.png", 1, "Cannot write folder.png: Is a directory.\n", nullptr},
    };
    for (const auto& [args, status, err, written] : runs) {
        const Outcome run = cli("render " + library + " " + args);
        EXPECT_EQ(run.status, status) << args;
        EXPECT_EQ(run.err, err) << args;
        EXPECT_EQ(run.out, "") << args;
        if (written != nullptr) {
            EXPECT_EQ(dir.read(written).substr(0, 8), "\x89PNG\r\n\x1a\n") << args;
        }
    }
    EXPECT_EQ(dir.read("buggy.png").substr(16, 8), std::string("\0\0\0\x40\0\0\0\x30", 8)); // 64 x 48
    EXPECT_NE(dir.read("top.png"), dir.read("buggy.png"));                                  // seen from above
    for (const char* absent : {"gone.png", "missing"}) {
        EXPECT_FALSE(dir.exists(absent)) << absent;
    }
}

TEST_F(Cli, CheckListsTheModelsFilesAsTextOrJsonAndExitsWithOneOnAGap)
{
    const Outcome text = cli("check " + library + " buggy.dat");
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out.substr(0, text.out.find('\n', text.out.find("Custom"))),
              "Main file:\n  buggy.dat  ." + std::string(1, kSep) + "buggy.dat\nCustom sub-files:");
    EXPECT_NE(text.out.find("  axle.dat  ." + std::string(1, kSep) + "axle.dat  (referenced by chassis.dat)\n"),
              std::string::npos);

    dir.write("broken.dat", "1 16 0 0 0 1 0 0 0 1 0 0 0 1 gone.dat\r\n1 16 0 0 0 1 0 0 0 1 0 0 0 1 bxplate.dat\r\n"
                            "0 !TEXMAP NEXT PLANAR 1 0 0 0 1 0 0 0 1 face.png GLOSSMAP lost.png\r\n");
    dir.write("textures/face.png", "");
    const Outcome json = cli("check --json " + library + " broken.dat");
    EXPECT_EQ(json.status, 1);
    const auto report = nlohmann::json::parse(json.out);
    EXPECT_EQ(report["main"], "broken.dat");
    std::string kinds;
    for (const auto& file : report["files"]) {
        kinds += file["name"].get<std::string>() + ":" + file["type"].get<std::string>() + ":" +
                 file["kind"].get<std::string>() + ":" + std::to_string(file.contains("path")) + ":" +
                 file["referencedBy"].dump() + " ";
    }
    EXPECT_EQ(kinds, "broken.dat:model:main:1:[] gone.dat:model:not found:0:[\"broken.dat\"] "
                     "bxplate.dat:model:library:1:[\"broken.dat\"] face.png:image:custom:1:[\"broken.dat\"] "
                     "lost.png:image:not found:0:[\"broken.dat\"] ");
    EXPECT_NE(cli("check " + library + " broken.dat")
                  .out.find("Found nowhere:\n  gone.dat  (referenced by "
                            "broken.dat)\n  lost.png (image)  (referenced by"),
              std::string::npos);
    EXPECT_FALSE(dir.exists("broken.mpd"));
    const Outcome missing = cli("check " + library + " missing.dat");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "Found nowhere:\n  missing.dat\n");
    EXPECT_EQ(cli("check --yes " + library + " buggy.dat").status, 2);
}

TEST_F(Cli, AnMpdIsCheckedForItsProblemsAndMergedOrPackedInOneStep)
{
    dir.write("town.mpd", testing::crlf({"0 FILE town.ldr", "1 16 0 0 0 1 0 0 0 1 0 0 0 1 house.ldr",
                                         "1 16 0 0 0 1 0 0 0 1 0 0 0 1 gone.dat", "0 FILE house.ldr",
                                         "1 16 0 0 0 1 0 0 0 1 0 0 0 1 bxbrick.dat", "0 FILE spare.ldr", "0 spare"}));
    const Outcome text = cli("check " + library + " town.mpd");
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out,
              "town.mpd\nSection \"town.ldr\" (line 1):\n  line 3: error not-found: \"gone.dat\" is neither a "
              "section of this file nor a library file.\nSection \"spare.ldr\" (line 6):\n  line 6: warning "
              "empty-section: the section \"spare.ldr\" holds no line of type 1 to 5.\n  line 6: warning "
              "unused: the section \"spare.ldr\" is used by nothing that the main model \"town.ldr\" "
              "reaches.\n1 error, 2 warnings\n");

    const auto json = nlohmann::ordered_json::parse(cli("check --json " + library + " town.mpd").out);
    EXPECT_EQ(json["file"], "town.mpd");
    EXPECT_EQ(json["library"], kLibrary + kSep);
    EXPECT_EQ(json["sections"][1].dump(),
              R"({"name":"house.ldr","line":4,"kind":"model","referencedBy":["town.ldr"]})");
    EXPECT_EQ(json["problems"][0].dump(),
              R"({"code":"not-found","severity":"error","section":"town.ldr","line":3,"name":"gone.dat",)"
              R"("message":"\"gone.dat\" is neither a section of this file nor a library file."})");
    EXPECT_FALSE(json.contains("unresolved"));
    // No library anywhere: names that are no section are listed, and no error remains.
    const Outcome bare = cli("check --json town.mpd");
    EXPECT_EQ(bare.status, 0);
    const auto unresolved = nlohmann::json::parse(bare.out);
    EXPECT_TRUE(unresolved["library"].is_null());
    EXPECT_EQ(unresolved["unresolved"].dump(), R"(["gone.dat","bxbrick.dat"])");
    EXPECT_FALSE(unresolved.contains("outside"));

    // What a merge would take from beside the MPD is walked too: a part missing there fails it.
    dir.write("street.mpd", testing::crlf({"0 FILE street.ldr", "1 16 0 0 0 1 0 0 0 1 0 0 0 1 lamp.ldr"}));
    dir.write("lamp.ldr", testing::crlf({"1 16 0 0 0 1 0 0 0 1 0 0 0 1 gone.dat"}));
    const Outcome street = cli("check --json " + library + " street.mpd");
    EXPECT_EQ(street.status, 1);
    const auto outside = nlohmann::ordered_json::parse(street.out)["outside"];
    EXPECT_EQ(outside["files"].size(), 2U);
    EXPECT_EQ(outside["files"][0]["kind"], "custom");
    EXPECT_EQ(outside["files"][1].dump(),
              R"({"name":"gone.dat","type":"model","kind":"not found","referencedBy":["lamp.ldr"]})");
    EXPECT_FALSE(outside.contains("cycle"));

    // Merged or packed, beside it under its own name; never onto itself.
    EXPECT_EQ(cli("merge --yes " + library + " town.mpd").out,
              "town_Merged.mpd has been successfully created. 1 .DAT file(s) merged.\n");
    EXPECT_EQ(cli("merge --yes --pack " + library + " town.mpd").out,
              "town_Packed.mpd has been successfully created. 3 .DAT file(s) merged.\n");
    EXPECT_NE(dir.read("town_Packed.mpd").find("0 FILE parts/bxbrick.dat\r\n"), std::string::npos);
    const Outcome onto = cli("merge --yes --mpd ./town.mpd " + library + " town.mpd");
    EXPECT_EQ(onto.status, 1);
    EXPECT_NE(onto.err.find("is the file being merged"), std::string::npos);
}

TEST_F(Cli, WithoutALibraryGivenTheFirstUsualPlaceThatHoldsOneIsTaken)
{
    fs::create_directories(io.path() / "home");
    fs::copy(kLibrary, io.path() / "home" / "LDraw", fs::copy_options::recursive);
    const Outcome merged = cli("merge --yes buggy.dat");
    EXPECT_EQ(merged.out + merged.err, "buggy.mpd has been successfully created. 3 .DAT file(s) merged.\n");
}

TEST_F(Cli, QuestionsAreAnsweredByFlagsOrNoWithoutATerminal)
{
    // Without --ldraw, the remembered library and author name are taken.
    remember(kLibrary + kSep, "Remembered");
    dir.write("buggy.mpd", "old\r\n");
    dir.write("broken.dat", "1 16 0 0 0 1 0 0 0 1 0 0 0 1 gone.dat\r\n");
    for (const char* answer : {"--no", ""}) {
        const Outcome kept = cli(std::string("merge ") + answer + " buggy.dat");
        EXPECT_EQ(kept.status, 0) << answer;
        EXPECT_EQ(dir.read("buggy.mpd"), "old\r\n");
        // --no answers without a word; with no flag, the answer and why are shown.
        EXPECT_EQ(kept.err, *answer != '\0' ? ""
                                            : "Output File Exists: The output file you have chosen already exists. Do "
                                              "you wish to overwrite this file? [Y/n] No (no terminal to answer on; "
                                              "use --yes or --no)\n");
        // Files not found are named on standard error whatever the answer; No exits with 1.
        const Outcome declined = cli(std::string("merge ") + answer + " broken.dat");
        EXPECT_EQ(declined.status, 1) << answer;
        EXPECT_NE(declined.err.find("Not found: gone.dat (referenced by broken.dat)\n"), std::string::npos);
        EXPECT_FALSE(dir.exists("broken.mpd")) << answer;
    }
    EXPECT_EQ(cli("merge --yes buggy.dat").status, 0);
    EXPECT_NE(dir.read("buggy.mpd").find("0 MPD Author: Remembered\r\n"), std::string::npos);
    const Outcome yes = cli("merge --yes broken.dat");
    EXPECT_EQ(yes.out + yes.err, "broken.mpd has been successfully created. 0 .DAT file(s) merged.\n"
                                 "Not found: gone.dat (referenced by broken.dat)\n");
    // --ldraw comes first: without a library, the parts are sub-files that are not found.
    EXPECT_NE(
        cli("merge --yes --ldraw /nowhere buggy.dat").err.find("Not found: bxbrick.dat (referenced by chassis.dat)"),
        std::string::npos);
}

TEST(TerminalPrompter, AsksUntilItGetsAnAnswerAndTakesEnterAsYes)
{
    const std::pair<const char*, bool> cases[] = {{"\n", true},   {"y\n", true},          {"YES\n", true},
                                                  {"n\n", false}, {"maybe\nno\n", false}, {"maybe\ny\n", true},
                                                  {"", false}};
    for (const auto& [typed, expected] : cases) {
        std::istringstream input(typed);
        std::ostringstream output;
        std::ostringstream errors;
        TerminalPrompter prompter(input, output, errors, true, TerminalPrompter::Answer::Ask, false);
        EXPECT_EQ(prompter.askYesNo({"Output File Exists", "Overwrite?", MessageIcon::Warning, {}}), expected) << typed;
        EXPECT_EQ(errors.str().rfind("Output File Exists: Overwrite? [Y/n] ", 0), 0U) << typed;
        EXPECT_EQ(output.str(), "");
    }
}

TEST(CliJob, AnOperandSplitsIntoItsFolderAndItsName)
{
    // A file in the root keeps the root as its folder; a bare name is in the current folder.
    const std::tuple<std::string, std::string, std::string> rows[] = {
        {"/car.dat", "/", "car.dat"}, {"models/car.dat", "models/", "car.dat"}, {"car.dat", ".", "car.dat"}};
    for (const auto& [operand, folder, name] : rows) {
        EXPECT_EQ(cli::splitPath(operand), std::pair(withTrailingSeparator(folder), name)) << operand;
    }
}

} // namespace
} // namespace brikmux
