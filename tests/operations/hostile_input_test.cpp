// Model files from strangers, and folders that misbehave: whatever comes, the operations end,
// say what went wrong, and lose nothing.

#include "files/paths.h"
#include "operations/merge.h"
#include "operations/split.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace brikmux {
namespace {

namespace fs = std::filesystem;
using testing::crlf;
using testing::ref;

class Hostile : public ::testing::Test {
protected:
    MergeResult merge(const std::string& main, const std::string& mpd = "out.mpd")
    {
        return MergeToMPD(main, MergeJob{dat.field(), dat.field(), dat.field(), mpd, "x", ReferenceKinds::DatOnly},
                          fileSystem, prompter);
    }
    SplitResult split(const std::string& mpd, const std::string& folder = "")
    {
        return SplitMPD(mpd, SplitJob{dat.field(), folder.empty() ? out.field() : folder}, fileSystem, prompter);
    }
    std::string failure() const { return prompter.failures().empty() ? "" : prompter.failures().back().text; }

    testing::TempDir dat;
    testing::TempDir out;
    NativeFileSystem fileSystem;
    testing::ScriptedPrompter prompter;
};

TEST_F(Hostile, EveryByteButTheLineEndsPassesThroughAndNamesMayHoldAnyByte)
{
    std::string bytes;
    for (int c = 0; c < 256; ++c) {
        bytes += c == '\r' || c == '\n' ? "" : std::string(1, static_cast<char>(c));
    }
    const std::string latin1 = "caf\xe9.dat";
    const std::string invalid = "\xff\xfe sub.dat";
    // A byte-order mark is no part of the first line: the reference behind it counts.
    const std::string main = crlf({ref(latin1), bytes, ref(invalid), "\t0 tab"});
    dat.write("main.dat", "\xEF\xBB\xBF" + main);
    dat.write(latin1, "0 \xe9\r\n");
    dat.write(invalid, bytes);
    ASSERT_EQ(merge("main.dat").datFiles, (std::vector<std::string>{"main.dat", latin1, invalid}));
    dat.write("marked.mpd", "\xEF\xBB\xBF" + dat.read("out.mpd")); // and so does a marker behind it
    ASSERT_EQ(split("marked.mpd").sectionCount, 3U);
    EXPECT_EQ(out.read("main.dat").substr(out.read("main.dat").find(ref(latin1))), main);
    EXPECT_EQ(out.read(latin1) + out.read(invalid), "0 \xe9\r\n" + bytes + "\r\n");
}

TEST_F(Hostile, ManySectionsAreCountedOnceForEachName)
{
    // 20,000 sections under 2,000 names in 7 folders: each name's first is written, the rest named.
    std::string mpd;
    for (int i = 0; i < 20'000; ++i) {
        const int name = i % 2'000;
        mpd +=
            "0 FILE " + std::to_string(name % 7) + "/" + std::to_string(name) + ".dat\r\n" + std::to_string(i) + "\r\n";
    }
    dat.write("many.mpd", mpd);
    EXPECT_EQ(split("many.mpd").sectionCount, 2'000U);
    EXPECT_EQ(out.read("4/1999.dat"), "1999\r\n");
    const std::string text = prompter.failures().at(0).text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 18'000 - 1);
}

TEST_F(Hostile, PipesDevicesFoldersAndLinkLoopsAreNotModelFiles)
{
    // What stands where a model file is expected, in reference order, with why it cannot be read.
    std::vector<std::pair<std::string, std::string>> notFiles{{"folder.dat", "Is a directory"},
                                                              {"shelf.dat", "Is a directory"}};
#ifndef _WIN32
    ASSERT_EQ(mkfifo((dat.path() / "pipe.dat").c_str(), 0600), 0);
    fs::create_symlink("loop.dat", dat.path() / "loop.dat");
    fs::create_symlink(".", dat.path() / "self");
    notFiles.insert(notFiles.end(), {{"pipe.dat", "Not a regular file"}, {"loop.dat", "Not a regular file"}});
#endif
    dat.write("folder.dat/x", "");
    dat.write("shelf.dat/x", "");
    // gone.dat, not found, is not asked about while other files cannot be read.
    std::vector<std::string> lines{ref("gone.dat")};
    std::string expected = "Cannot read " + std::to_string(notFiles.size()) + " .DAT files:";
    for (const auto& [name, reason] : notFiles) {
        lines.push_back(ref(name));
        expected.append("\n").append(dat.field() + name + " (referenced by main.dat): " + reason + ".");
    }
    dat.write("main.dat", crlf(lines));
    EXPECT_EQ(merge("main.dat").status, MergeResult::Status::Failed);
    EXPECT_EQ(failure(), expected);
    EXPECT_TRUE(prompter.questions().empty());
    EXPECT_FALSE(dat.exists("out.mpd"));
#ifndef _WIN32
    EXPECT_EQ(merge("pipe.dat").status, MergeResult::Status::Failed); // would block if opened
    EXPECT_EQ(SplitMPD("null", SplitJob{"/dev/", out.field()}, fileSystem, prompter).status,
              SplitResult::Status::Failed);
    EXPECT_EQ(failure(), "Cannot read /dev/null: Not a regular file.");
    dat.write("ok.dat", "0 ok\r\n");
    dat.write("main.dat", crlf({ref("self\\self\\ok.dat")})); // through a link to the folder itself
    EXPECT_EQ(merge("main.dat").status, MergeResult::Status::Created);
#endif
}

TEST_F(Hostile, AnOutputNamedLikeItsInputIsRefusedOrReplacedOnlyWhenComplete)
{
    // A merge never writes over the model it reads, however the name is spelt: nothing is asked.
    const std::string car = crlf({"0 car", ref("sub.dat")});
    dat.write("car.mpd", car);
    dat.write("sub.dat", "0 sub\r\n");
    for (const std::string output : {"car.mpd", "./car.mpd"}) {
        EXPECT_EQ(merge("car.mpd", output).status, MergeResult::Status::Failed);
        EXPECT_EQ(failure(), "The .MPD file " + joinPath(dat.field(), output) +
                                 " is the file being merged: it cannot be written over. Choose another name.");
    }
    EXPECT_TRUE(prompter.questions().empty());
    EXPECT_EQ(dat.read("car.mpd"), car);

    // The split replaces the MPD it is reading with its own first section, and reads on. Windows
    // will not replace a file that is open: there the split stops with the MPD as it was.
    const std::string house = crlf({"0 FILE house.mpd", "0 first", "0 FILE next.dat", "0 next"});
    dat.write("house.mpd", house);
    prompter.answers = {true};
    const SplitResult result = split("house.mpd", dat.field());
#ifdef _WIN32
    EXPECT_EQ(failure(), "The section \"house.mpd\" (line 1 of house.mpd) cannot be written to " + dat.field() +
                             "house.mpd: Permission denied.");
    EXPECT_EQ(dat.read("house.mpd"), house);
#else
    ASSERT_EQ(result.sectionCount, 2U);
    EXPECT_EQ(dat.read("house.mpd") + dat.read("next.dat"), "0 first\r\n0 next\r\n");
#endif
}

} // namespace
} // namespace brikmux
