#include "files/paths.h"
#include "operations/cycles.h"
#include "operations/merge.h"
#include "operations/mpd_check.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brikmux {
namespace {

using testing::ref;
using testing::TempDir;
using Names = std::vector<std::string>;

std::string texmap(const std::string& image)
{
    return "0 !TEXMAP START PLANAR 0 0 0 1 0 0 0 1 0 " + image;
}

// "code section:line" for each problem, in the report's order.
Names problems(const MpdCheckReport& report)
{
    Names found;
    for (const MpdProblem& problem : report.problems) {
        found.push_back(std::string(problem.code) + " " + problem.section + ":" + std::to_string(problem.line));
    }
    return found;
}

class MpdCheck : public ::testing::Test {
protected:
    MpdCheck()
    {
        library.write("parts/3001.dat", "0 Brick 2 x 4\r\n");
        library.write("parts/s/3001s01.dat", "");
        library.write("p/box.dat", "");
        library.write("parts/textures/lib.png", "");
        library.write("Unofficial/parts/u1.dat", "");
    }
    MpdCheckReport check(const Names& lines, bool withLibrary = true)
    {
        dir.write("house.mpd", testing::crlf(lines));
        return CheckMpdFile(dir.field() + "house.mpd", withLibrary ? library.field() : "", fileSystem);
    }

    TempDir dir;
    TempDir library;
    NativeFileSystem fileSystem;
};

// A clean MPD: main.ldr (lines 1 to 4) uses sub.ldr (lines 5 to 6), which uses the library.
const Names kClean = {"0 FILE main.ldr", "0 Name: main.ldr", ref("sub.ldr"),
                      ref("3001.dat"),   "0 FILE sub.ldr",   ref("box.dat")};

Names with(Names lines, std::size_t at, const Names& inserted)
{
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), inserted.begin(), inserted.end());
    return lines;
}

TEST_F(MpdCheck, EachFaultGivesItsCodeSectionAndLine)
{
    const std::size_t end = kClean.size();
    const struct {
        const char* fault;
        Names lines;
        Names expected;
    } rows[] = {
        {"clean", kClean, {}},
        {"not found, each line",
         with(kClean, end, {ref("gone.dat"), "0 MLCAD HIDE " + ref("gone.dat")}),
         {"not-found sub.ldr:7", "not-found sub.ldr:8"}},
        {"duplicate section", with(kClean, end, {"0 FILE SUB.LDR", ref("box.dat")}), {"duplicate-section SUB.LDR:7"}},
        {"duplicate of a data block",
         with(kClean, end, {"0 !DATA Main.ldr", "0 !: AAAA"}),
         {"duplicate-section Main.ldr:7"}},
        {"cycle", with(kClean, end, {ref("MAIN.LDR")}), {"case-differs sub.ldr:7", "cycle sub.ldr:7"}},
        {"self reference", with(kClean, end, {"0 GHOST " + ref("sub.ldr")}), {"cycle sub.ldr:7"}},
        {"malformed lines",
         with(kClean, end,
              {"1 16 0 0 0 1 0 0 0 1 0 0 0 sub.ldr", "2 24 0 0 0 x 0 0", "3 16 0 0 0 1 1 1 2 2 2",
               "4 0x2FF0000 0 0 0 1 0 0 1 1 0 0 1 -1.5e2", "5 16 0 0 0 1 1 1 2 2 2 3 3", "2 #zz 0 0 0 1 1 1",
               "2 24 2.5E3 .5 5. 1e+1 0 0", "2 24 0 0 0 0 0 1e", "0 MLCAD HIDE 1 16 0 0 gone.dat",
               "0 GHOST 3 16 0 0 0 1 1 1 2 2 2 x.dat"}),
         {"malformed-line sub.ldr:7", "malformed-line sub.ldr:8", "malformed-line sub.ldr:11",
          "malformed-line sub.ldr:12", "malformed-line sub.ldr:14"}},
        {"not first",
         with(kClean, 0, {"0 unnamed", "0 !: " + ref("gone.dat"), ref("main.ldr")}),
         {"not-first house.ldr:3"}},
        {"the unnamed main model is a section too",
         with(with(kClean, end, {ref("house.ldr")}), 0, {ref("main.ldr")}),
         {"not-first house.ldr:1", "cycle sub.ldr:8"}},
        {"comments before the first section: no model, nothing it names is looked for",
         with(kClean, 0, {"0 notes", "0 GHOST " + ref("gone.dat"), texmap("gone.png")}),
         {}},
        {"images",
         with(kClean, end, {texmap("gone.png"), texmap("lib.png"), texmap("Own.png"), "0 !DATA own.png", "0 !: AAAA"}),
         {"image-not-found sub.ldr:7", "case-differs sub.ldr:9"}},
        {"shadows library",
         with(kClean, end, {ref("3001.dat"), "0 FILE 3001.dat", ref("box.dat")}),
         {"shadows-library 3001.dat:8"}},
        {"library paths",
         with(kClean, end,
              {ref("parts/s/3001s01.dat"), "0 FILE parts/s/3001s01.dat", "0 Name: s\\3001s01.dat", "0 FILE p/box.dat"}),
         {"unused p/box.dat:10"}},
        {"name differs, not the author",
         with(kClean, end, {"0 Author: other.ldr", "0 Name: other.ldr"}),
         {"name-differs sub.ldr:8"}},
        {"unused",
         with(kClean, end, {"0 FILE spare.ldr", ref("box.dat"), "0 !DATA spare.png", "0 !: AAAA"}),
         {"unused spare.ldr:7", "unused spare.png:9"}},
        {"empty section",
         with(kClean, end, {"0 GHOST " + ref("empty.ldr"), "0 FILE empty.ldr", "0 nothing"}),
         {"empty-section empty.ldr:8"}},
        {"unofficial", with(kClean, end, {ref("u1.dat")}), {"unofficial-not-embedded sub.ldr:7"}},
        {"textured reference",
         with(kClean, end, {texmap("lib.png"), "0 !: " + ref("gone.dat"), "0 !TEXMAP END"}),
         {"not-found sub.ldr:8"}},
        {"a !TEXMAP block ends with its section",
         with(with(kClean, 5, {"0 !: " + ref("gone.dat")}), 4, {texmap("lib.png")}),
         {}},
        {"a file beside the MPD, not in it",
         with(kClean, end, {ref("Beside.ldr"), texmap("beside.png"), ref("gone.ldr")}),
         {"outside-file sub.ldr:7", "outside-file sub.ldr:8", "not-found sub.ldr:9"}},
    };
    dir.write("beside.ldr", "0 beside\r\n");
    dir.write("textures/beside.png", "png");
    for (const auto& row : rows) {
        EXPECT_EQ(problems(check(row.lines)), row.expected) << row.fault;
    }
}

TEST_F(MpdCheck, ASecondBlockIsAWarningOnlyWhereItCopiesTheFirst)
{
    const struct {
        Names later; // appended to the clean MPD
        const char* summary;
    } rows[] = {
        {{"0 FILE SUB.LDR", ref("box.dat") + " \t"}, "0 errors, 1 warning"},
        {{"0 FILE SUB.LDR", ref("box.dat"), "0"}, "1 error, 0 warnings"},
        {{"0 FILE SUB.LDR"}, "1 error, 1 warning"}, // and it is empty
        {{"0 FILE SUB.LDR", ref("3001.dat")}, "1 error, 0 warnings"},
    };
    for (const auto& [later, summary] : rows) {
        const MpdCheckReport report = check(with(kClean, kClean.size(), later));
        EXPECT_EQ(report.summary(), summary) << later.back();
        EXPECT_EQ(problems(report).at(0), "duplicate-section SUB.LDR:7");
    }
    EXPECT_EQ(check(with(kClean, kClean.size(), rows[0].later)).problems.at(0).message,
              "a second block named \"SUB.LDR\", a copy of the first (line 5): readers get the same either way.");
}

TEST_F(MpdCheck, WhatAMergeTakesFromOutsideIsWalkedAndFailsTheCheckAsItWouldFailTheMerge)
{
    library.write("models/tree.ldr", testing::crlf({ref("3001.dat")}));
    dir.write("folder.ldr/x", "");
    const std::string sep(1, kSeparator);
    const struct {
        const char* what;
        Names beside; // the first file's name, then its lines; sub.ldr references it
        const char* summary;
        std::string listing; // a part of the text after "Outside the MPD"
    } rows[] = {
        {"a file beside, whole",
         {"a.ldr", ref("3001.dat")},
         "0 errors, 1 warning",
         "  Custom sub-files:\n    a.ldr  " + dir.field() + "a.ldr  (referenced by sub.ldr)\n"},
        {"a file beside that references a part found nowhere",
         {"a.ldr", ref("gone.dat")},
         "1 error, 1 warning",
         "  Found nowhere:\n    gone.dat  (referenced by a.ldr)\n"},
        {"an MPD beside whose section references a part found nowhere",
         {"a.mpd", "0 FILE a.ldr", ref("3001.dat"), ref("gone.dat")},
         "1 error, 1 warning",
         "    gone.dat  (referenced by a.mpd)\n"},
        {"a file that cannot be read",
         {"a.ldr", ref("folder.ldr")},
         "1 error, 1 warning",
         "  Cannot be read:\n    folder.ldr  " + dir.field() + "folder.ldr: Is a directory  (referenced by a.ldr)\n"},
        {"a block renamed, as the output names it",
         {"a.mpd", "0 FILE a.ldr", ref("sub.ldr"), ref("b.ldr"), "0 FILE b.ldr", ref("sub.ldr"), "0 FILE sub.ldr",
          ref("gone.dat")},
         "1 error, 1 warning",
         "    sub.ldr as a/sub.ldr (in a.mpd)  " + dir.field() +
             "a.mpd  (referenced by a.mpd, b.ldr)\n    b.ldr (in a.mpd)  " + dir.field() +
             "a.mpd  (referenced by a.mpd)\n"
             "  Found nowhere:\n    gone.dat  (referenced by a/sub.ldr)\n"},
        {"a cycle through a file beside",
         {"a.mpd", "0 FILE a.ldr", ref("main.ldr")},
         "1 error, 1 warning",
         "  Reaches itself:\n    main.ldr -> sub.ldr -> a.mpd -> main.ldr (line 1 of " + dir.field() +
             "a.mpd, section a.ldr)\n"},
        {"the library's models folder",
         {"tree.ldr"},
         "0 errors, 1 warning",
         "    tree.ldr  " + library.field() + "models" + sep + "tree.ldr  (referenced by sub.ldr)\n"},
    };
    for (const auto& [what, beside, summary, listing] : rows) {
        SCOPED_TRACE(what);
        std::filesystem::remove(dir.path() / "a.ldr");
        std::filesystem::remove(dir.path() / "a.mpd");
        if (beside.size() > 1) {
            dir.write(beside[0], testing::crlf(Names(beside.begin() + 1, beside.end())));
        }
        const MpdCheckReport report = check(with(kClean, kClean.size(), {ref(beside[0])}));
        EXPECT_EQ(report.summary(), summary);
        EXPECT_EQ(problems(report), (Names{"outside-file sub.ldr:7"}));
        const std::string text = report.text();
        const auto outside = text.find("Outside the MPD, as a merge of it meets them:\n");
        ASSERT_NE(outside, std::string::npos) << text;
        EXPECT_NE(text.find(listing, outside), std::string::npos) << text;
        // The check fails exactly where the merge would.
        MergeJob job;
        job.datPath = dir.field();
        job.ldrawPath = library.field();
        const CheckResult merge = CheckMerge("house.mpd", job, fileSystem);
        EXPECT_EQ(merge.complete(), report.errors() == 0);
    }
    EXPECT_EQ(check(with(kClean, kClean.size(), {ref("tree.ldr")})).problems.at(0).message,
              "\"tree.ldr\" is found in the library's models folder, not in it: a merge of the MPD embeds it; the MPD "
              "shared alone lacks it.");
}

TEST_F(MpdCheck, MessagesNameTheChainAndTheLibraryIsOptional)
{
    const MpdCheckReport cycle =
        check(with(kClean, kClean.size(), {"0 FILE deep.ldr", ref("main.ldr"), "0 FILE x", ref("deep.ldr")}));
    // sub.ldr does not reach deep.ldr: only the reference inside deep.ldr's own loop closes one.
    EXPECT_EQ(problems(cycle), (Names{"unused deep.ldr:7", "unused x:9"}));
    const MpdCheckReport loop =
        check(with(kClean, kClean.size(), {ref("deep.ldr"), "0 FILE deep.ldr", ref("main.ldr")}));
    ASSERT_EQ(problems(loop), (Names{"cycle deep.ldr:9"}));
    EXPECT_EQ(loop.problems[0].message, "\"main.ldr\" reaches itself: main.ldr -> sub.ldr -> deep.ldr -> main.ldr.");
    EXPECT_EQ(loop.summary(), "1 error, 0 warnings");
    EXPECT_EQ(loop.sections[0].referencedBy, Names{"deep.ldr"});

    // Without a library the names that are no section are listed once; nothing is reported of
    // them, nor what only a library tells.
    const MpdCheckReport bare = check(
        with(kClean, kClean.size(), {ref("gone.dat"), ref("3001.dat"), "0 FILE 3001.dat", ref("box.dat")}), false);
    EXPECT_EQ(problems(bare), Names{});
    EXPECT_EQ(bare.unresolved, (Names{"box.dat", "gone.dat"}));
    EXPECT_EQ(bare.text(), "No LDraw library: references to files that are not sections were not checked; "
                           "unresolved: box.dat gone.dat.\n0 errors, 0 warnings\n");
    EXPECT_EQ(check({"0 no sections"}).failure, "house.mpd holds no \"0 FILE\" line: it is not an .MPD file.");
    std::filesystem::create_directory(dir.path() / "folder.mpd");
    EXPECT_EQ(CheckMpdFile(dir.field() + "folder.mpd", "", fileSystem).failure,
              "Cannot read " + dir.field() + "folder.mpd: " + whyNotAFile(EntryKind::Folder) + ".");
    // A library folder that holds none fails the check, rather than every part being "not found".
    EXPECT_EQ(CheckMpdFile(dir.field() + "house.mpd", dir.field(), fileSystem).failure,
              dir.field() + " holds no LDraw library (parts and p folders, or complete.zip).");
}

// The cycle search both the check and the walk use: from every section start accepts that is not
// reached yet, each reference back onto the path reported with the path from its target on.
TEST(Cycles, EveryCycleIsFoundFromEverySectionStartAccepts)
{
    using Graph = std::vector<std::vector<GraphEdge>>;
    // "a b c / line" for each cycle, in the order found.
    const auto cycles = [](const Graph& graph, const std::function<bool(std::size_t)>& start,
                           std::size_t stopAfter = 99) {
        std::string found;
        std::size_t count = 0;
        findCycles(graph, start, [&](std::span<const std::size_t> chain, const GraphEdge& edge) {
            for (const std::size_t section : chain) {
                found += std::to_string(section) + " ";
            }
            found += "/ " + std::to_string(edge.line) + "\n";
            return ++count < stopAfter;
        });
        return found;
    };
    const auto all = [](std::size_t) { return true; };
    EXPECT_EQ(cycles({{{1, 10}}, {{0, 20}}}, all), "0 1 / 20\n");
    EXPECT_EQ(cycles({{{0, 5}}}, all), "0 / 5\n");
    // Sections the first never reaches: searched from, unless start turns them down.
    const Graph apart = {{}, {{2, 1}}, {{1, 2}}, {{3, 3}}};
    EXPECT_EQ(cycles(apart, all), "1 2 / 2\n3 / 3\n");
    EXPECT_EQ(cycles(apart, [](std::size_t section) { return section != 1; }), "2 1 / 1\n3 / 3\n");
    EXPECT_EQ(cycles(apart, [](std::size_t section) { return section == 0; }), "");
    // A section met again off the path closes nothing; the search ends when told to.
    EXPECT_EQ(cycles({{{1, 1}, {2, 2}}, {{2, 3}}, {}}, all), "");
    EXPECT_EQ(cycles(apart, all, 1), "1 2 / 2\n");
    // A chain as long as a file may be, without recursion.
    Graph chain(100000);
    for (std::size_t section = 0; section + 1 < chain.size(); ++section) {
        chain[section].push_back({section + 1, section});
    }
    chain.back().push_back({99998, 7});
    EXPECT_EQ(cycles(chain, all), "99998 99999 / 7\n");
}

} // namespace
} // namespace brikmux
