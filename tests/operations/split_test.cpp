#include "files/paths.h"
#include "operations/split.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brikmux {
namespace {

using testing::crlf;
using testing::FaultyFileSystem;
using testing::ScriptedPrompter;
using testing::TempDir;
using Names = std::vector<std::string>;

class Split : public ::testing::Test {
protected:
    SplitResult split(const std::string& mpd, const std::string& name = "house.mpd")
    {
        dir.write(name, mpd);
        return SplitMPD(name, SplitJob{dir.field(), out.field()}, fileSystem, prompter);
    }
    std::string failure() const { return prompter.failures().back().text; }

    TempDir dir;
    TempDir out;
    FaultyFileSystem fileSystem;
    ScriptedPrompter prompter;
};

TEST_F(Split, WritesEverySectionWithoutItsMarker)
{
    const SplitResult result =
        split("0 dropped before the first marker\n0 FILE main.dat\r\n0 MPD Author: x\r\n"
              " 0 FILE indented\r\n0 file lower\r\n\r\n0 FILE s\\sub.dat\r \t\r1 , \"q\"\n0 last");
    EXPECT_EQ(result.status, SplitResult::Status::Split);
    EXPECT_EQ(out.read("main.dat"), crlf({"0 MPD Author: x", " 0 FILE indented", "0 file lower", ""}));
    EXPECT_EQ(out.read("s/sub.dat"), crlf({" \t", "1 , \"q\"", "0 last"}));
    // Without markers it is no MPD: nothing is created, and the split fails.
    EXPECT_EQ(split("0 plain dat\r\n1 16 0 0 0 1 0 0 0 1 0 0 0 1 a.dat\r\n", "plain.dat").status,
              SplitResult::Status::Failed);
    EXPECT_EQ(prompter.transcript(), "inform I .MPD File Split: house.mpd has been successfully split. 2 .DAT file(s) "
                                     "created.\nfail C Split Failed: plain.dat holds no \"0 FILE\" line: it is not an "
                                     ".MPD file, and nothing was written.\n");
    EXPECT_EQ(out.list(), (Names{"main.dat", "s"}));
}

TEST_F(Split, WritesEachDataBlockAsItsImageByteForByte)
{
    // Bytes that text handling would garble: line ends, NUL, high bytes. Base64 "iVBORw0KGgoA/w==".
    const std::string png("\x89PNG\r\n\x1a\n\0\xff", 10);
    prompter.answers = {true, true};
    out.write("Sticker.PNG", "old");
    const SplitResult result = split(crlf({"0 FILE main.dat",
                                           "1 16 0 0 0 1 0 0 0 1 0 0 0 1 a.dat",
                                           "0 !DATA sticker.png",
                                           "0 !: iVBORw0K",
                                           "",
                                           "0 !:  Gg oA/w ==",
                                           "0 NOFILE",
                                           "belongs to no file",
                                           "0 FILE a.dat",
                                           "0 a",
                                           "0 NOFILE",
                                           "0 kept in a",
                                           "0 !DATA textures/b.png",
                                           "0 !:QQ",
                                           "0 !DATA textures\\a.png  ",
                                           "0 !: QQ",
                                           "0 FILE old.png",
                                           "",
                                           "0 !DATA START",
                                           "0 !: QUI=",
                                           "0 !DATA END",
                                           "0 after the draft's end"}));
    ASSERT_EQ(result.status, SplitResult::Status::Split) << prompter.transcript();
    EXPECT_EQ(out.read("Sticker.PNG"), png);
    EXPECT_EQ(out.read("textures/a.png") + out.read("old.png") + out.read("textures/b.png"), "AABA");
    EXPECT_EQ(out.list("textures"), (Names{"a.png", "b.png"}));
    EXPECT_EQ(out.read("a.dat"), crlf({"0 a", "0 NOFILE", "0 kept in a"}));
    EXPECT_EQ(result.images, (Names{"sticker.png", "textures/b.png", "textures\\a.png", "old.png"}));
    EXPECT_EQ(result.written, (Names{"main.dat", "a.dat"}));
    EXPECT_EQ(prompter.transcript().substr(prompter.transcript().find("inform")),
              "inform I .MPD File Split: house.mpd has been successfully split. 2 .DAT file(s) created. 4 image(s) "
              "written.\n");
    EXPECT_EQ(prompter.informations().at(0).details,
              "main.dat\nsticker.png (image)\na.dat\ntextures/b.png (image)\ntextures\\a.png (image)\n"
              "old.png (image)\n");
}

TEST_F(Split, ABrokenDataBlockIsNotWrittenAndFailsTheSplitAtItsEnd)
{
    const std::string at = "The image \"bad.png\" (line 3 of house.mpd) was not written: ";
    for (const auto& [data, text] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"0 !: QUJD*"}, "line 4 is not valid base64 data."},
             {{"0 !: QUJD", "0 !: QQ==QQ=="}, "line 5 is not valid base64 data."},
             {{"0 !: QUJDRA", "1 16 0 0 0 1 0 0 0 1 0 0 0 1 a.dat"}, "line 5 is not a \"0 !:\" data line."},
             {{"0 !: QUJDR"}, "its base64 data is cut short."},
             {{"0 !: QQ="}, "its base64 data is cut short."},
             {{"0 !: ===="}, "its base64 data is cut short."}}) {
        prompter = {};
        for (const auto& name : out.list()) {
            std::filesystem::remove(out.path() / name);
        }
        std::vector<std::string> lines = {"0 FILE good.dat", "kept", "0 !DATA bad.png"};
        lines.insert(lines.end(), data.begin(), data.end());
        lines.insert(lines.end(), {"0 FILE after.dat", "after"});
        EXPECT_EQ(split(crlf(lines)).status, SplitResult::Status::Failed);
        EXPECT_EQ(prompter.transcript(), "fail C Split Failed: " + at + text + "\n");
        EXPECT_EQ(out.list(), (Names{"after.dat", "good.dat"})) << text;
    }
    // A valid block whose name would leave the DAT folder, or that has none, stops the split.
    prompter = {};
    split(crlf({"0 !DATA ../escape.png", "0 !: QQ", "0 !DATA  ", "0 !: QQ"}));
    split(crlf({"0 !DATA  ", "0 !: QQ"}));
    EXPECT_EQ(prompter.transcript(),
              "fail C Split Failed: The section \"../escape.png\" (line 1 of house.mpd) would be "
              "written outside the .DAT folder.\nfail C Split Failed: The !DATA marker on line "
              "1 of house.mpd names no file.\n");
    EXPECT_FALSE(dir.exists("../escape.png"));
}

TEST_F(Split, AsksOnceForEachExistingFileAndWritesOnlyTheFirstBlockOfAName)
{
    out.write("a.dat", "old a");
    out.write("B.DAT", "old b");
    out.write("c.dat", "old c");
    // A name differing only in letter case finds the existing file, as on Windows. A second block
    // of a name met before in the run (letter case and "\\" against "/" aside) is never written:
    // readers and the merge take the first.
    prompter.answers = {true, false, true};
    const SplitResult result =
        split(crlf({"0 FILE a.dat", "new a", "0 FILE b.dat", "new b", "0 FILE C.dat", "new c", "0 FILE a.dat", "again",
                    "0 FILE s/d.dat", "new d", "0 FILE S\\D.DAT", "again", "0 !DATA B.dat", "0 !: QQ"}));
    EXPECT_EQ(out.read("a.dat") + out.read("B.DAT") + out.read("c.dat") + out.read("s/d.dat"),
              "new a\r\nold bnew c\r\nnew d\r\n");
    EXPECT_EQ(out.list(), (Names{"B.DAT", "a.dat", "c.dat", "s"}));
    EXPECT_EQ(result.status, SplitResult::Status::Failed);
    EXPECT_EQ(result.sectionCount, 4U); // the declined one counted, the second ones not
    EXPECT_EQ(result.written, (Names{"a.dat", "C.dat", "s/d.dat"}));
    std::string expected;
    for (const char* name : {"a.dat", "b.dat", "C.dat"}) {
        expected += "ask W Output File Exists: The .DAT file: " + std::string(name) +
                    " already exists. Do you wish to overwrite this file?\n";
    }
    EXPECT_EQ(prompter.transcript(),
              expected + "fail C Split Failed: The section \"a.dat\" (line 7 of house.mpd) is a second section named "
                         "\"a.dat\" (line 1): not written.\nThe section \"S\\D.DAT\" (line 11 of house.mpd) is a "
                         "second section named \"s/d.dat\" (line 9): not written.\nThe image \"B.dat\" (line 13 of "
                         "house.mpd) is a second block named \"b.dat\" (line 3): not written.\n");

    // Another spelling of a file written earlier in the run is asked about too; declined, the split
    // succeeds and says the file was kept.
    out.write("t/old.dat", "old");
    prompter = ScriptedPrompter();
    prompter.answers = {false};
    const SplitResult again =
        split(crlf({"0 FILE t/g.dat", "new g", "0 FILE T//G.DAT", "other g", "0 FILE f.dat", "f"}));
    ASSERT_EQ(again.status, SplitResult::Status::Split) << prompter.transcript();
    EXPECT_EQ(out.read("t/g.dat"), "new g\r\n");
    EXPECT_EQ(prompter.transcript(), "ask W Output File Exists: The .DAT file: T//G.DAT already exists. Do you wish to "
                                     "overwrite this file?\ninform I .MPD File Split: house.mpd has been successfully "
                                     "split. 3 .DAT file(s) created.\n");
    EXPECT_EQ(prompter.informations().at(0).details, "t/g.dat\nT//G.DAT (kept as it was)\nf.dat\n");
}

TEST_F(Split, ASecondBlockThatCopiesTheFirstIsLeftOutWithoutFailing)
{
    // As editors pack a part once for each model that uses it: line ends and blanks at the ends of
    // lines aside, the copies hold what the first blocks hold.
    prompter.answers = {true};
    const SplitResult result =
        split("0 FILE main.ldr\r\n" +
              crlf({"1 16 0 0 0 1 0 0 0 1 0 0 0 1 part.dat", "0 FILE part.dat", "0 part",
                    "4 16 0 0 0 1 1 1 2 2 2 3 3 3", "0 !DATA pic.png", "0 !: QQ"}) +
              "0 FILE Part.dat\n0 part \t\n4 16 0 0 0 1 1 1 2 2 2 3 3 3\n0 !DATA PIC.png\r\n0 !: QQ  \r\n");
    ASSERT_EQ(result.status, SplitResult::Status::Split) << prompter.transcript();
    EXPECT_EQ(out.read("part.dat"), crlf({"0 part", "4 16 0 0 0 1 1 1 2 2 2 3 3 3"}));
    EXPECT_EQ(result.written, (Names{"main.ldr", "part.dat"}));
    EXPECT_EQ(prompter.informations().at(0).details, "main.ldr\npart.dat\npic.png (image)\n"
                                                     "Part.dat (line 8) left out: a copy of line 3\n"
                                                     "PIC.png (line 11) left out: a copy of line 6\n");
    // One line more, one line less, or one line other: a different block, which fails the split.
    for (const std::string& later : {crlf({"0 part", "4 16 0 0 0 1 1 1 2 2 2 3 3 3", "0"}), crlf({"0 part"}),
                                     crlf({"0 Part", "4 16 0 0 0 1 1 1 2 2 2 3 3 3"})}) {
        prompter = ScriptedPrompter();
        prompter.answers = {true, true};
        EXPECT_EQ(split(crlf({"0 FILE part.dat", "0 part", "4 16 0 0 0 1 1 1 2 2 2 3 3 3", "0 FILE part.dat"}) + later)
                      .status,
                  SplitResult::Status::Failed)
            << later;
        EXPECT_EQ(out.read("part.dat"), crlf({"0 part", "4 16 0 0 0 1 1 1 2 2 2 3 3 3"}));
    }
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

TEST_F(Split, BadMarkersStopTheRunAndKeepWhatWasCompleted)
{
    const std::string outside = "(line 3 of house.mpd) would be written outside the .DAT folder.";
    for (const auto& [marker, text] : std::vector<std::pair<std::string, std::string>>{
             {"0 FILE", "The FILE marker on line 3 of house.mpd names no file."},
             {"0 FILE ", "The FILE marker on line 3 of house.mpd names no file."},
             {"0 FILE ..\\escape.dat", "The section \"..\\escape.dat\" " + outside},
             {"0 FILE /tmp/escape.dat", "The section \"/tmp/escape.dat\" " + outside},
             {"0 FILE Z:\\escape.dat", "The section \"Z:\\escape.dat\" " + outside},
             {"0 FILE z:escape.dat", "The section \"z:escape.dat\" " + outside}}) {
        prompter = {};
        prompter.answers = {true};
        EXPECT_EQ(split(crlf({"0 FILE good.dat", "kept", marker, "lost", "0 FILE after.dat", "never"})).status,
                  SplitResult::Status::Failed);
        EXPECT_EQ(prompter.transcript().substr(prompter.transcript().find("fail")),
                  "fail C Split Failed: " + text + "\n");
        EXPECT_EQ(out.list(), Names{"good.dat"}) << marker;
        EXPECT_EQ(out.read("good.dat"), "kept\r\n");
    }
    EXPECT_FALSE(dir.exists("../escape.dat"));
}

TEST_F(Split, FailuresNeverLeaveAHalfWrittenSection)
{
    out.write("b.dat", "old b\r\n");
    fileSystem.failWrite = 2; // a.dat's one write succeeds; b.dat's first write fails
    prompter.answers = {true};
    EXPECT_EQ(split(crlf({"0 FILE a.dat", "a", "0 FILE b.dat", std::string(300000, 'b'), "0 FILE c.dat", "c"})).status,
              SplitResult::Status::Failed);
    EXPECT_EQ(out.read("a.dat") + out.read("b.dat"), "a\r\nold b\r\n");
    EXPECT_EQ(out.list(), (Names{"a.dat", "b.dat"}));
    const std::string section = "The section \"b.dat\" (line 3 of house.mpd) cannot be written to ";
    EXPECT_EQ(failure(), section + out.field() + "b.dat: No space left on device.");

    fileSystem = {};
    fileSystem.failRead = 2; // the MPD cannot be read to its end: what was read stays, the section cut short does not
    split(crlf({"0 FILE d.dat", "d", "0 FILE e.dat", std::string(300000, 'e')}));
    EXPECT_EQ(failure(), "Cannot read " + dir.field() + "house.mpd after line 3: No space left on device.");
    EXPECT_EQ(out.list(), (Names{"a.dat", "b.dat", "d.dat"}));
    // A section or an image that cannot take its place stops the split there.
    for (const std::string name : {"f.dat", "f.png"}) {
        fileSystem = {};
        fileSystem.failCommit = 1;
        const std::string marker = name.ends_with(".dat") ? "0 FILE " : "0 !DATA ";
        EXPECT_EQ(split(crlf({marker + name, "0 !: QQ", "0 FILE g.dat", "g"})).status, SplitResult::Status::Failed);
        EXPECT_EQ(failure(), "The section \"" + name + "\" (line 1 of house.mpd) cannot be written to " + out.field() +
                                 name + ": No space left on device.");
        EXPECT_EQ(out.list(), (Names{"a.dat", "b.dat", "d.dat"}));
    }
    SplitMPD("missing.mpd", SplitJob{dir.field(), out.field()}, fileSystem, prompter);
    EXPECT_EQ(failure(), "Cannot read " + dir.field() + "missing.mpd: No such file or directory.");
    out.write("folder.dat/inside", "");
    split(crlf({"0 FILE folder.dat", "x"}));
    EXPECT_EQ(failure(), "The section \"folder.dat\" (line 1 of house.mpd) cannot be written to " + out.field() +
                             "folder.dat: Is a directory.");
    const std::string missing = withTrailingSeparator(out.field() + "missing");
    SplitMPD("house.mpd", SplitJob{dir.field(), missing}, fileSystem, prompter);
    EXPECT_EQ(failure(), "The section \"folder.dat\" (line 1 of house.mpd) cannot be written to " + missing +
                             "folder.dat: No such file or directory.");
    EXPECT_FALSE(out.exists("missing"));
}

} // namespace
} // namespace brikmux
