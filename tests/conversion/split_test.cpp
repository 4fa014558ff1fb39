#include "conversion/paths.h"
#include "conversion/split.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brikmux {
namespace {

using testing::crlf;
using testing::FaultyFileSystem;
using testing::ScriptedPrompter;
using testing::TempDir;

class Split : public ::testing::Test {
protected:
    SplitResult split(const std::string& mpd, const std::string& name = "house.mpd")
    {
        dir.write(name, mpd);
        return SplitMPD(name, SplitJob{dir.field(), out.field()}, fileSystem, prompter);
    }

    TempDir dir;
    TempDir out;
    FaultyFileSystem fileSystem;
    ScriptedPrompter prompter;
};

TEST_F(Split, WritesEverySectionWithoutItsMarker)
{
    const SplitResult result = split("0 dropped before the first marker\n0 FILE main.dat\r\n0 MPD Author: x\r\n"
                                     " 0 FILE indented\r\n0 file lower\r\n\r\n0 FILE s\\sub.dat\r1 , \"q\"\n0 last");

    EXPECT_EQ(result.status, SplitResult::Status::Split);
    EXPECT_EQ(result.sectionCount, 2U);
    EXPECT_EQ(out.read("main.dat"), crlf({"0 MPD Author: x", " 0 FILE indented", "0 file lower", ""}));
    EXPECT_EQ(out.read("s/sub.dat"), crlf({"1 , \"q\"", "0 last"}));
    ASSERT_EQ(prompter.calls.size(), 1U);
    const Message done = prompter.informations().at(0);
    EXPECT_EQ(done.title, ".MPD File Split");
    EXPECT_EQ(done.text, "house.mpd has been successfully split. 2 .DAT file(s) created.");
    EXPECT_EQ(done.icon, MessageIcon::Information);
}

TEST_F(Split, AFileWithoutMarkersCreatesNothing)
{
    split("");
    split("0 plain dat\r\n1 16 0 0 0 1 0 0 0 1 0 0 0 1 a.dat\r\n", "plain.dat");
    EXPECT_TRUE(out.list().empty());
    EXPECT_EQ(prompter.informations().at(0).text, "house.mpd has been successfully split. 0 .DAT file(s) created.");
    EXPECT_EQ(prompter.informations().at(1).text, "plain.dat has been successfully split. 0 .DAT file(s) created.");
}

TEST_F(Split, AsksOnceForEachExistingFileAndCountsDeclinedSections)
{
    out.write("a.dat", "old a");
    out.write("B.DAT", "old b");
    out.write("c.dat", "old c");
    prompter.answers = {true, false, true};

    const SplitResult result = split(crlf({"0 FILE a.dat", "new a", "0 FILE b.dat", "new b", "0 FILE C.dat", "new c"}));

    EXPECT_EQ(result.sectionCount, 3U);
    EXPECT_EQ(out.read("a.dat"), "new a\r\n");
    EXPECT_EQ(out.read("B.DAT"), "old b");
    // A name differing only in letter case replaces the existing file, as it would on Windows.
    EXPECT_EQ(out.read("c.dat"), "new c\r\n");
    EXPECT_EQ(out.list(), (std::vector<std::string>{"B.DAT", "a.dat", "c.dat"}));
    const auto questions = prompter.questions();
    ASSERT_EQ(questions.size(), 3U);
    EXPECT_EQ(questions[1].title, "Output File Exists");
    EXPECT_EQ(questions[1].text, "The .DAT file: b.dat already exists. Do you wish to overwrite this file?");
    EXPECT_EQ(questions[1].icon, MessageIcon::Warning);
    EXPECT_EQ(prompter.informations().at(0).text, "house.mpd has been successfully split. 3 .DAT file(s) created.");
}

#ifndef _WIN32
TEST_F(Split, AReplacedFileKeepsItsPermissions)
{
    namespace fs = std::filesystem;
    out.write("private.dat", "old");
    fs::permissions(out.path() / "private.dat", fs::perms::owner_read | fs::perms::owner_write);
    prompter.answers = {true};
    split(crlf({"0 FILE private.dat", "new", "0 FILE fresh.dat", "x"}));
    EXPECT_EQ(out.read("private.dat"), "new\r\n");
    EXPECT_EQ(fs::status(out.path() / "private.dat").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_NE(fs::status(out.path() / "fresh.dat").permissions() & fs::perms::owner_write, fs::perms::none);
}
#endif

TEST_F(Split, ASecondSectionOfTheSameNameFindsTheFirst)
{
    const std::string mpd = crlf({"0 FILE twice.dat", "first", "0 FILE twice.dat", "second"});
    prompter.answers = {false};
    split(mpd);
    EXPECT_EQ(out.read("twice.dat"), "first\r\n");
    prompter.answers = {true, true};
    split(mpd);
    EXPECT_EQ(out.read("twice.dat"), "second\r\n");
}

TEST_F(Split, BadMarkersStopTheRunAndKeepWhatWasCompleted)
{
    struct Case {
        std::string marker;
        std::string text;
    };
    const Case cases[] = {
        {"0 FILE", "The FILE marker on line 3 of house.mpd names no file."},
        {"0 FILE ", "The FILE marker on line 3 of house.mpd names no file."},
        {"0 FILE ..\\escape.dat",
         "The section \"..\\escape.dat\" (line 3 of house.mpd) would be written outside the .DAT folder."},
        {"0 FILE /tmp/escape.dat",
         "The section \"/tmp/escape.dat\" (line 3 of house.mpd) would be written outside the .DAT folder."},
        {"0 FILE C:\\escape.dat",
         "The section \"C:\\escape.dat\" (line 3 of house.mpd) would be written outside the .DAT folder."},
    };
    for (const auto& c : cases) {
        ScriptedPrompter answers;
        answers.answers = {true};
        dir.write("house.mpd", crlf({"0 FILE good.dat", "kept", c.marker, "lost", "0 FILE after.dat", "never"}));
        const SplitResult result = SplitMPD("house.mpd", SplitJob{dir.field(), out.field()}, fileSystem, answers);
        EXPECT_EQ(result.status, SplitResult::Status::Failed);
        ASSERT_EQ(answers.failures().size(), 1U) << c.marker;
        EXPECT_EQ(answers.failures()[0].title, "Split Failed");
        EXPECT_EQ(answers.failures()[0].icon, MessageIcon::Critical);
        EXPECT_EQ(answers.failures()[0].text, c.text);
        EXPECT_TRUE(answers.informations().empty());
        EXPECT_EQ(out.list(), std::vector<std::string>{"good.dat"}) << c.marker;
        EXPECT_EQ(out.read("good.dat"), "kept\r\n");
    }
    EXPECT_FALSE(dir.exists("../escape.dat"));
}

TEST_F(Split, WriteFaultsNeverLeaveAHalfWrittenSection)
{
    out.write("b.dat", "old b\r\n");
    const std::string mpd = crlf({"0 FILE a.dat", "a", "0 FILE b.dat", std::string(300000, 'b'), "0 FILE c.dat", "c"});
    fileSystem.failWrite = 2; // a.dat's one write succeeds; b.dat's first write fails
    prompter.answers = {true};

    const SplitResult result = split(mpd);

    EXPECT_EQ(result.status, SplitResult::Status::Failed);
    EXPECT_EQ(out.read("a.dat"), "a\r\n");
    EXPECT_EQ(out.read("b.dat"), "old b\r\n");
    EXPECT_EQ(out.list(), (std::vector<std::string>{"a.dat", "b.dat"}));
    EXPECT_EQ(prompter.failures().at(0).text, "The section \"b.dat\" (line 3 of house.mpd) cannot be written to " +
                                                  out.field() + "b.dat: No space left on device.");
}

TEST_F(Split, ReportsAnUnreadableMpdAndUnwritableSections)
{
    SplitMPD("missing.mpd", SplitJob{dir.field(), out.field()}, fileSystem, prompter);
    out.write("folder.dat/inside", "");
    split(crlf({"0 FILE folder.dat", "x"}));
    const std::string missing = withTrailingSeparator(out.field() + "missing");
    SplitMPD("house.mpd", SplitJob{dir.field(), missing}, fileSystem, prompter);

    const auto failures = prompter.failures();
    ASSERT_EQ(failures.size(), 3U);
    EXPECT_EQ(failures[0].text, "Cannot read " + dir.field() + "missing.mpd: No such file or directory.");
    EXPECT_EQ(failures[1].text, "The section \"folder.dat\" (line 1 of house.mpd) cannot be written to " + out.field() +
                                    "folder.dat: Is a directory.");
    EXPECT_EQ(failures[2].text, "The section \"folder.dat\" (line 1 of house.mpd) cannot be written to " + missing +
                                    "folder.dat: No such file or directory.");
    EXPECT_FALSE(out.exists("missing"));
}

} // namespace
} // namespace brikmux
