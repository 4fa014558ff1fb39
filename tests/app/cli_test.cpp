#include "app/terminal_prompter.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#ifdef _WIN32
#include "conversion/wide_text.h"

#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace brikmux {
namespace {

using testing::crlf;
using testing::TempDir;

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// The bundled example, as an absolute path of this platform.
const std::string kExamples = fs::absolute(BRIKMUX_EXAMPLES_DIR).make_preferred().string();
constexpr char kSep = fs::path::preferred_separator == L'\\' ? '\\' : '/';

std::string withoutCarriageReturns(std::string text)
{
    std::erase(text, '\r');
    return text;
}

class Cli : public ::testing::Test {
protected:
    Cli()
    {
        for (const char* name : {"buggy.dat", "chassis.dat", "wheel.dat", "axle.dat"}) {
            fs::copy_file(fs::path(kExamples) / "buggy" / name, dir.path() / name);
        }
    }

    // Runs brikmux-cli in dir with nothing on standard input and LDRAWDIR set to ldrawDir (unset
    // when empty). Arguments are quoted with double quotes, which both shells understand.
    Outcome cli(const std::string& args, const std::string& ldrawDir = "")
    {
        const std::string exe = fs::absolute(BRIKMUX_CLI).make_preferred().string();
        const std::string out = (io.path() / "out").string();
        const std::string err = (io.path() / "err").string();
#ifdef _WIN32
        const std::string command = "cd /d \"" + dir.path().string() + "\" && set \"LDRAWDIR=" + ldrawDir + "\" && \"" +
                                    exe + "\" " + args + " >\"" + out + "\" 2>\"" + err + "\" <NUL";
        const int status = _wsystem(toWide(command).c_str());
#else
        const std::string command = "cd '" + dir.path().string() + "' && env -u LDRAWDIR HOME='" + dir.path().string() +
                                    "' XDG_CONFIG_HOME='" + (io.path() / "config").string() + "' " +
                                    (ldrawDir.empty() ? "" : "LDRAWDIR='" + ldrawDir + "' ") + "'" + exe + "' " +
                                    args + " >'" + out + "' 2>'" + err + "' </dev/null";
        const int raw = std::system(command.c_str());
        const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
        // Windows' text streams end lines in CR LF.
        return {status, withoutCarriageReturns(io.read("out")), withoutCarriageReturns(io.read("err"))};
    }

    // What the window would remember.
    void remember(const std::string& ldrawPath, const std::string& authorName)
    {
#ifdef _WIN32
        const auto set = [](const wchar_t* section, const wchar_t* key, const std::string& value) {
            const std::wstring wide = toWide(value);
            const std::wstring subKey = std::wstring(L"Software\\Brikmux\\Brikmux\\") + section;
            RegSetKeyValueW(HKEY_CURRENT_USER, subKey.c_str(), key, REG_SZ, wide.c_str(),
                            static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
        };
        set(L"Paths", L"LDrawPath", ldrawPath);
        set(L"Settings", L"AuthorName", authorName);
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

    const std::string library = "--ldraw \"" + kExamples + kSep + "ldraw\"";
    TempDir dir;
    TempDir io;
};

TEST_F(Cli, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(cli("--version").out, "brikmux-cli 1.2.2\n");
    EXPECT_NE(cli("--help").out.find("brikmux-cli merge"), std::string::npos);
    const char* wrong[] = {"",
                           "frobnicate x",
                           "merge",
                           "merge " /* no ldraw */ "buggy.dat",
                           "merge --ldraw x a.dat b.dat",
                           "merge --ldraw x --yes --no a.dat",
                           "split --ldraw x a.mpd",
                           "merge --ldraw",
                           "split --bogus a.mpd"};
    for (const char* args : wrong) {
        const Outcome run = cli(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find("Usage:"), std::string::npos) << args;
        EXPECT_TRUE(run.out.empty()) << args;
    }
}

TEST_F(Cli, MergesAndSplitsWithFoldersGivenEitherWay)
{
    Outcome merged = cli("merge " + library + " --mpd-dir out/ buggy.dat", "");
    EXPECT_EQ(merged.status, 1) << "out/ does not exist yet";
    std::filesystem::create_directory(dir.path() / "out");
    merged = cli("merge --author \"A. Builder\" --mpd-dir out/ " + library + " ./buggy.dat");
    ASSERT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(merged.out, "buggy.mpd has been successfully created. 3 .DAT file(s) merged.\n");
    EXPECT_TRUE(merged.err.empty());
    EXPECT_NE(dir.read("out/buggy.mpd").find("0 FILE buggy.dat\r\n0 MPD Author: A. Builder\r\n"), std::string::npos);

    const Outcome split = cli("split --dat-dir back out/buggy.mpd");
    EXPECT_EQ(split.status, 1) << "back/ does not exist";
    std::filesystem::create_directory(dir.path() / "back");
    const Outcome again = cli("split --mpd-dir out --dat-dir back/ --verbose buggy.mpd");
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, "buggy.mpd has been successfully split. 4 .DAT file(s) created.\n"
                         "buggy.dat\nchassis.dat\nwheel.dat\naxle.dat\n");
    for (const char* name : {"chassis.dat", "wheel.dat", "axle.dat"}) {
        EXPECT_EQ(dir.read(std::string("back/") + name), dir.read(name)) << name;
    }

    // Names outside ASCII pass the command line intact.
    dir.write("b\xC3\xBCggy.dat", dir.read("buggy.dat"));
    const Outcome unicode = cli("merge " + library + " b\xC3\xBCggy.dat");
    EXPECT_EQ(unicode.out, "b\xC3\xBCggy.mpd has been successfully created. 3 .DAT file(s) merged.\n") << unicode.err;

    // LDRAWDIR stands in for --ldraw; the DAT folder may be given apart from the name.
    const Outcome fromEnvironment = cli("merge --dat-dir . --mpd other --yes wheel.dat", kExamples + kSep + "ldraw");
    EXPECT_EQ(fromEnvironment.out, "other.mpd has been successfully created. 0 .DAT file(s) merged.\n");
}

TEST_F(Cli, FallsBackOnTheWindowsLibraryAndAuthorName)
{
    remember(kExamples + kSep + "ldraw" + kSep, "Remembered");
    EXPECT_EQ(cli("merge buggy.dat").status, 0);
    EXPECT_NE(dir.read("buggy.mpd").find("0 MPD Author: Remembered\r\n"), std::string::npos);
    // --ldraw comes first: without a library, the parts are sub-files that are not found.
    const Outcome given = cli("merge --yes --author Given --ldraw /nowhere buggy.dat");
    EXPECT_EQ(given.status, 0);
    EXPECT_NE(given.err.find("Not found: bxbrick.dat (referenced by chassis.dat)\n"), std::string::npos);
}

TEST_F(Cli, QuestionsAreAnsweredByFlagsOrNoWithoutATerminal)
{
    dir.write("buggy.mpd", "old\r\n");
    for (const char* answer : {"--no", ""}) {
        const Outcome run = cli(std::string("merge ") + answer + " " + library + " buggy.dat");
        EXPECT_EQ(run.status, 0) << answer;
        EXPECT_TRUE(run.out.empty()) << answer;
        EXPECT_EQ(dir.read("buggy.mpd"), "old\r\n");
        if (*answer == '\0') {
            EXPECT_EQ(run.err, "Output File Exists: The output file you have chosen already exists. Do you wish to "
                               "overwrite this file? [Y/n] No (no terminal to answer on; use --yes or --no)\n");
        }
    }
    EXPECT_EQ(cli("merge --yes " + library + " buggy.dat").status, 0);
    EXPECT_NE(dir.read("buggy.mpd"), "old\r\n");
}

TEST_F(Cli, FilesNotFoundAreNamedOnStandardErrorWhateverTheAnswer)
{
    dir.write("broken.dat", crlf({"1 16 0 0 0 1 0 0 0 1 0 0 0 1 gone.dat"}));
    for (const char* answer : {"--no", ""}) {
        const Outcome run = cli("merge " + library + " " + answer + " broken.dat");
        EXPECT_EQ(run.status, 1) << answer;
        EXPECT_TRUE(run.out.empty()) << answer;
        EXPECT_NE(run.err.find("Not found: gone.dat (referenced by broken.dat)\n"), std::string::npos) << answer;
        EXPECT_FALSE(dir.exists("broken.mpd")) << answer;
    }
    const Outcome yes = cli("merge --yes " + library + " broken.dat");
    EXPECT_EQ(yes.status, 0);
    EXPECT_EQ(yes.out, "broken.mpd has been successfully created. 0 .DAT file(s) merged.\n");
    EXPECT_EQ(yes.err, "Not found: gone.dat (referenced by broken.dat)\n");
    EXPECT_EQ(dir.read("broken.mpd").find("0 FILE gone.dat"), std::string::npos);

    dir.write("folder.dat/x", "");
    dir.write("broken.dat", crlf({"1 16 0 0 0 1 0 0 0 1 0 0 0 1 folder.dat"}));
    const Outcome failed = cli("merge --yes " + library + " broken.dat");
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, std::string("Merge Failed: Cannot read .") + kSep +
                              "folder.dat (referenced by broken.dat): Is a directory.\n");
}

TEST(TerminalPrompter, AsksUntilItGetsAnAnswerAndTakesEnterAsYes)
{
    const Message question{"Output File Exists", "Overwrite?", MessageIcon::Warning, {}};
    const std::pair<const char*, bool> cases[] = {{"\n", true},   {"y\n", true},          {"YES\n", true},
                                                  {"n\n", false}, {"maybe\nno\n", false}, {"", false}};
    for (const auto& [typed, expected] : cases) {
        std::istringstream input(typed);
        std::ostringstream output;
        std::ostringstream errors;
        TerminalPrompter prompter(input, output, errors, true, TerminalPrompter::Answer::Ask, false);
        EXPECT_EQ(prompter.askYesNo(question), expected) << typed;
        EXPECT_EQ(errors.str().rfind("Output File Exists: Overwrite? [Y/n] ", 0), 0U) << typed;
        EXPECT_TRUE(output.str().empty());
    }
}

} // namespace
} // namespace brikmux
