#include "conversion/merge.h"
#include "conversion/model_text.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace brikmux {
namespace {

using testing::crlf;
using testing::FaultyFileSystem;
using testing::ScriptedPrompter;
using testing::TempDir;

std::string ref(const std::string& name, const std::string& colour = "16")
{
    return "1 " + colour + " 0 0 0 1 0 0 0 1 0 0 0 1 " + name;
}

const std::vector<std::string> kHeader = {"0 MPD Author: Brikmux", "0", "0 This .MPD was compiled using Brikmux",
                                          "0 http://www.brikmux.org/~zelk/Brikmux/Brikmux.html", "0"};

class Merge : public ::testing::Test {
protected:
    Merge()
    {
        library.write("parts/3001.dat", "0 Brick\r\n");
        library.write("p/box.dat", "0 Box\r\n");
        library.write("parts/s/3001s01.dat", "0 Sub-part\r\n");
    }

    MergeResult merge(const std::string& mainName, const std::string& mpdName = "out.mpd",
                      ReferenceKinds kinds = ReferenceKinds::DatOnly)
    {
        MergeJob job{dat.field(), dat.field(), library.field(), mpdName, "Brikmux", kinds};
        return MergeToMPD(mainName, job, fileSystem, prompter);
    }

    // The output's lines from the first marker on, header left out.
    std::vector<std::string> sections(const std::string& mpdName = "out.mpd")
    {
        std::vector<std::string> lines;
        std::string text = dat.read(mpdName);
        std::size_t start = 0;
        for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
            lines.push_back(text.substr(start, end - start));
        }
        EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
        if (lines.size() > 6) {
            lines.erase(lines.begin() + 1, lines.begin() + 6);
        }
        return lines;
    }

    TempDir dat;
    TempDir library;
    FaultyFileSystem fileSystem;
    ScriptedPrompter prompter;
};

TEST_F(Merge, WorkedExampleComesOutByteForByte)
{
    dat.write("car.dat", crlf({"0 Car", ref("wheel.dat", "4"), ref("3001.dat")}));
    dat.write("wheel.dat", crlf({"0 Wheel", "1 0 0 0 0 1 0 0 0 1 0 0 0 1 hub.dat"}));
    dat.write("hub.dat", "0 Hub");

    const MergeResult result = merge("car.dat", "car.mpd");

    EXPECT_EQ(result.status, MergeResult::Status::Created);
    EXPECT_EQ(result.datFiles, (std::vector<std::string>{"car.dat", "wheel.dat", "hub.dat"}));
    std::vector<std::string> expected = {"0 FILE car.dat"};
    expected.insert(expected.end(), kHeader.begin(), kHeader.end());
    expected.insert(expected.end(), {"0 Car", ref("wheel.dat", "4"), ref("3001.dat"), "0 FILE wheel.dat", "0 Wheel",
                                     "1 0 0 0 0 1 0 0 0 1 0 0 0 1 hub.dat", "0 FILE hub.dat", "0 Hub"});
    EXPECT_EQ(dat.read("car.mpd"), crlf(expected));
    ASSERT_EQ(prompter.calls.size(), 1U);
    const Message done = prompter.informations().at(0);
    EXPECT_EQ(done.title, ".MPD File Created");
    EXPECT_EQ(done.text, "car.mpd has been successfully created. 2 .DAT file(s) merged.");
    EXPECT_EQ(done.icon, MessageIcon::Information);
    EXPECT_EQ(dat.list(), (std::vector<std::string>{"car.dat", "car.mpd", "hub.dat", "wheel.dat"}));
}

TEST_F(Merge, WalksBreadthFirstOnceForEachSpellingAndEndsOnCycles)
{
    dat.write("main.dat", crlf({ref("a.dat"), ref("b.dat"), ref("a.dat"), ref("SUB.DAT")}));
    dat.write("a.dat", crlf({ref("c.dat"), ref("main.dat"), ref("Main.dat")}));
    dat.write("b.dat", crlf({ref("sub.dat"), ref("a.dat")}));
    dat.write("c.dat", crlf({ref("b.dat"), "0 c"}));
    dat.write("sub.dat", "0 sub\r\n");

    const MergeResult result = merge("main.dat");

    // Main.dat differs from the main name in case and gets a section of its own; SUB.DAT and
    // sub.dat both read sub.dat.
    EXPECT_EQ(result.datFiles,
              (std::vector<std::string>{"main.dat", "a.dat", "b.dat", "SUB.DAT", "c.dat", "Main.dat", "sub.dat"}));
    const auto lines = sections();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "0 sub"), 2);
    EXPECT_EQ(prompter.informations().at(0).text, "out.mpd has been successfully created. 6 .DAT file(s) merged.");
}

TEST_F(Merge, LibraryFilesAreCopiedButNotQueuedWhateverTheirLetterCase)
{
    dat.write("main.dat",
              crlf({ref("3001.DAT"), ref("Box.dat"), ref("s\\3001s01.dat"), ref("3001.dat"), ref("custom.dat")}));
    dat.write("3001.dat", "0 a local copy that the library shadows\r\n");
    dat.write("custom.dat", crlf({"0 custom", ref("s/3001S01.dat")}));

    const MergeResult result = merge("main.dat");

    EXPECT_EQ(result.datFiles, (std::vector<std::string>{"main.dat", "custom.dat"}));
}

TEST_F(Merge, LeavesOutInputMarkersAndNormalisesLineEnds)
{
    dat.write("main.dat", "0 FILE old.dat\r0 FILEX\n0 file old.dat\r\n0 NOFILE\n" + ref("sub.dat") + "\n");
    dat.write("sub.dat", "0 FILE sub.dat\n0 bare lf\n\n0 last");

    merge("main.dat");

    EXPECT_EQ(sections(), (std::vector<std::string>{"0 FILE main.dat", "0 file old.dat", "0 NOFILE", ref("sub.dat"),
                                                    "0 FILE sub.dat", "0 bare lf", "", "0 last"}));
}

TEST_F(Merge, FollowsLdrReferencesOnlyWhenAsked)
{
    dat.write("main.dat", crlf({ref("4096 - QB Formula1.ldr")}));
    dat.write("4096 - QB Formula1.ldr", "0 Formula1\r\n");

    EXPECT_EQ(merge("main.dat").datFiles.size(), 1U);
    prompter.answers = {true};
    EXPECT_EQ(merge("main.dat", "out.mpd", ReferenceKinds::DatAndLdr).datFiles,
              (std::vector<std::string>{"main.dat", "4096 - QB Formula1.ldr"}));
}

TEST_F(Merge, AppendsTheMpdSuffixOnlyWhereItIsMissing)
{
    dat.write("main.dat", "0 main\r\n");
    const std::pair<std::string, std::string> cases[] = {
        {"car", "car.mpd"}, {"BOAT.MPD", "BOAT.MPD"}, {"car.dat", "car.dat.mpd"}, {"", ".mpd"}};
    for (const auto& [given, expected] : cases) {
        EXPECT_EQ(merge("main.dat", given).mpdName, expected);
        EXPECT_TRUE(dat.exists(expected)) << expected;
    }
}

TEST_F(Merge, AsksBeforeReplacingAnExistingOutput)
{
    dat.write("main.dat", "0 main\r\n");
    const std::string old = std::string(5000, 'x') + "\r\n";
    dat.write("out.mpd", old);

    prompter.answers = {false};
    const MergeResult declined = merge("main.dat", "out");
    EXPECT_EQ(declined.status, MergeResult::Status::Declined);
    EXPECT_EQ(declined.mpdName, "out.mpd"); // the suffix stays although nothing was written
    EXPECT_EQ(dat.read("out.mpd"), old);
    EXPECT_TRUE(prompter.informations().empty());
    const Message question = prompter.questions().at(0);
    EXPECT_EQ(question.title, "Output File Exists");
    EXPECT_EQ(question.text, "The output file you have chosen already exists. Do you wish to overwrite this file?");
    EXPECT_EQ(question.icon, MessageIcon::Warning);

    prompter.answers = {true};
    EXPECT_EQ(merge("main.dat").status, MergeResult::Status::Created);
    EXPECT_EQ(dat.read("out.mpd"),
              crlf({"0 FILE main.dat", kHeader[0], kHeader[1], kHeader[2], kHeader[3], kHeader[4], "0 main"}));
}

TEST_F(Merge, FilesFoundNowhereAreLeftOutOnlyWithConsent)
{
    dat.write("main.dat", crlf({ref("gone.dat"), ref("sub.dat"), ref("s\\deep.dat")}));
    dat.write("sub.dat", crlf({ref("also gone.dat"), ref("GONE.DAT")}));
    dat.write("s/deep.dat", "0 deep\r\n");
    dat.write("out.mpd", "precious\r\n");

    prompter.answers = {true, false};
    EXPECT_EQ(merge("main.dat").status, MergeResult::Status::NotFoundDeclined);
    EXPECT_EQ(dat.read("out.mpd"), "precious\r\n");
    EXPECT_EQ(dat.list(), (std::vector<std::string>{"main.dat", "out.mpd", "s", "sub.dat"}));
    EXPECT_TRUE(prompter.informations().empty());
    EXPECT_TRUE(prompter.failures().empty());
    const Message question = prompter.questions().at(1);
    EXPECT_EQ(question.title, "Files Not Found");
    EXPECT_EQ(question.icon, MessageIcon::Warning);
    EXPECT_EQ(question.text, "These files are referenced but were found neither in the .DAT folder nor in the LDraw "
                             "library:\ngone.dat (referenced by main.dat)\nalso gone.dat (referenced by sub.dat)\n"
                             "GONE.DAT (referenced by sub.dat)\n"
                             "Create the .MPD without them? Their references stay in the model.");
    EXPECT_TRUE(question.details.empty());

    prompter = {};
    prompter.answers = {true, true};
    const MergeResult result = merge("main.dat");
    EXPECT_EQ(result.status, MergeResult::Status::Created);
    EXPECT_EQ(sections(), (std::vector<std::string>{"0 FILE main.dat", ref("gone.dat"), ref("sub.dat"),
                                                    ref("s\\deep.dat"), "0 FILE sub.dat", ref("also gone.dat"),
                                                    ref("GONE.DAT"), "0 FILE s\\deep.dat", "0 deep"}));
    const Message done = prompter.informations().at(0);
    EXPECT_EQ(done.text, "out.mpd has been successfully created. 2 .DAT file(s) merged.");
    EXPECT_EQ(done.details, "main.dat\nsub.dat\ns\\deep.dat\ngone.dat (not found)\nalso gone.dat (not found)\n"
                            "GONE.DAT (not found)\n");
}

TEST_F(Merge, ALongListOfFilesNotFoundIsShortenedAndGivenWholeAsDetails)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 12; ++i) {
        lines.push_back("1 16 0 0 0 1 0 0 0 1 0 0 0 1 m" + std::to_string(i) + ".dat");
    }
    dat.write("main.dat", crlf(lines));
    prompter.answers = {true};
    EXPECT_EQ(merge("main.dat").status, MergeResult::Status::Created);
    const Message question = prompter.questions().at(0);
    EXPECT_NE(question.text.find("\nm9.dat (referenced by main.dat)\n... and 2 more\nCreate the .MPD"),
              std::string::npos);
    EXPECT_EQ(question.text.find("m10.dat"), std::string::npos);
    EXPECT_NE(question.details.find("m9.dat (referenced by main.dat)\nm10.dat (referenced by main.dat)\n"
                                    "m11.dat (referenced by main.dat)\n"),
              std::string::npos);
    EXPECT_EQ(prompter.informations().at(0).text, "out.mpd has been successfully created. 0 .DAT file(s) merged.");
}

TEST_F(Merge, ReportsAMissingOrUnnamedMainFile)
{
    merge("car.dat");
    merge("");
    dat.write("folder.dat/x", "");
    merge("folder.dat");
    const auto failures = prompter.failures();
    ASSERT_EQ(failures.size(), 3U);
    EXPECT_EQ(failures[0].text, "Cannot read " + dat.field() + "car.dat: No such file or directory.");
    EXPECT_EQ(failures[1].text, "No .DAT file was chosen to merge.");
    EXPECT_EQ(failures[2].text, "Cannot read " + dat.field() + "folder.dat: Is a directory.");
    EXPECT_EQ(dat.list(), (std::vector<std::string>{"folder.dat"}));
}

TEST_F(Merge, WriteFaultsLeaveNoPartialOutput)
{
    dat.write("main.dat", crlf({"0 main", ref("sub.dat")}));
    dat.write("sub.dat", "0 sub\r\n");
    dat.write("out.mpd", "precious\r\n");

    struct Fault {
        int FaultyFileSystem::*call;
        const char* what;
    };
    for (const Fault fault :
         {Fault{&FaultyFileSystem::failCreateOutput, "create"}, Fault{&FaultyFileSystem::failWrite, "write"},
          Fault{&FaultyFileSystem::failCommit, "commit"}, Fault{&FaultyFileSystem::failOpenForReading, "read"}}) {
        FaultyFileSystem faulty;
        faulty.*fault.call = 1;
        ScriptedPrompter answers;
        answers.answers = {true};
        MergeJob job{dat.field(), dat.field(), library.field(), "out.mpd", "Brikmux", ReferenceKinds::DatOnly};
        EXPECT_EQ(MergeToMPD("main.dat", job, faulty, answers).status, MergeResult::Status::Failed) << fault.what;
        ASSERT_EQ(answers.failures().size(), 1U) << fault.what;
        EXPECT_NE(answers.failures()[0].text.find("No space left on device"), std::string::npos) << fault.what;
        EXPECT_EQ(dat.read("out.mpd"), "precious\r\n") << fault.what;
        EXPECT_EQ(dat.list(), (std::vector<std::string>{"main.dat", "out.mpd", "sub.dat"})) << fault.what;
    }
}

} // namespace
} // namespace brikmux
