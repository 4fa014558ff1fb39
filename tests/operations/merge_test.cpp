#include "files/paths.h"
#include "library/library.h"
#include "operations/merge.h"
#include "operations/split.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace brikmux {
namespace {

using testing::crlf;
using testing::FaultyFileSystem;
using testing::ScriptedPrompter;
using testing::TempDir;
using Names = std::vector<std::string>;

std::string ref(const std::string& name)
{
    return "1 16 0 0 0 1 0 0 0 1 0 0 0 1 " + name;
}

const std::string kHeader = crlf({"0 MPD Author: Brikmux", "0", "0 This .MPD was compiled using Brikmux",
                                  "0 http://www.brikmux.org/~zelk/Brikmux/Brikmux.html", "0"});

// Every merge test runs with the library in a folder and, as many users keep it, in LDraw's zip
// archives: the results must be the same.
enum class LibraryForm { Folder, Archive };

class Merge : public ::testing::TestWithParam<LibraryForm> {
protected:
    Merge()
    {
        library.write("parts/3001.dat", "");
        library.write("p/box.dat", "");
        library.write("parts/s/3001s01.dat", "");
    }
    // The library folder as the merge is given it: the folder, or a folder holding only the same
    // files zipped up.
    std::string ldraw() const
    {
        if (GetParam() == LibraryForm::Folder) {
            return library.field();
        }
        testing::zipLibrary(library.path(), archives.path());
        return archives.field();
    }
    // A path as the folder library would give it.
    std::string asInFolder(std::string path) const
    {
        for (const auto& [archive, folder] : {std::pair{archives.field() + "Complete.zip/LDraw/", library.field()},
                                              {archives.field() + "LDrawUnf.zip/", library.field() + "Unofficial/"}}) {
            if (path.starts_with(archive)) {
                path = joinPath(folder, path.substr(archive.size()));
            }
        }
        return path;
    }
    MergeJob job(const std::string& mpd, bool pack = false, ReferenceKinds kinds = ReferenceKinds::Any) const
    {
        return MergeJob{dat.field(), dat.field(), ldraw(), mpd, "Brikmux", kinds, pack};
    }
    MergeResult merge(const std::string& main, const std::string& mpd = "out.mpd",
                      ReferenceKinds kinds = ReferenceKinds::Any)
    {
        return MergeToMPD(main, job(mpd, false, kinds), fileSystem, prompter);
    }
    std::string done(std::size_t i = 0) const { return prompter.informations().at(i).text; }

    TempDir dat;
    TempDir library;
    TempDir archives;
    FaultyFileSystem fileSystem;
    ScriptedPrompter prompter;
};

TEST_P(Merge, WorkedExampleComesOutByteForByte)
{
    dat.write("car.dat", crlf({"0 Car", ref("wheel.dat"), ref("3001.dat")}));
    dat.write("wheel.dat", "0 FILE old.dat\r0 Wheel\n" + ref("hub.dat") + "\r\n0 file kept");
    dat.write("hub.dat", "0 Hub");
    EXPECT_EQ(merge("car.dat", "car").datFiles, (Names{"car.dat", "wheel.dat", "hub.dat"}));
    // Input markers are left out, "0 file" is not one; CR, LF and CR LF all end lines, written CR LF.
    EXPECT_EQ(dat.read("car.mpd"), "0 FILE car.dat\r\n" + kHeader +
                                       crlf({"0 Car", ref("wheel.dat"), ref("3001.dat"), "0 FILE wheel.dat", "0 Wheel",
                                             ref("hub.dat"), "0 file kept", "0 FILE hub.dat", "0 Hub"}));
    EXPECT_EQ(prompter.transcript(),
              "inform I .MPD File Created: car.mpd has been successfully created. 2 .DAT file(s) merged.\n");
    EXPECT_EQ(dat.list(), (Names{"car.dat", "car.mpd", "hub.dat", "wheel.dat"}));
}

TEST_P(Merge, WalksBreadthFirstOnceForEachSpellingAndLeavesLibraryFilesOut)
{
    dat.write("main.dat", crlf({ref("a.dat"), ref("b.dat"), ref("a.dat"), ref("SUB.DAT"), ref("3001.DAT"),
                                ref("Box.dat"), ref("s\\3001s01.dat"), ref("f1.ldr"), ref("plate")}));
    dat.write("a.dat", crlf({ref("c.dat"), ref("main.dat"), ref("Main.dat"), ref("s/3001S01.dat")}));
    dat.write("b.dat", crlf({ref("sub.dat"), ref("a.dat")}));
    dat.write("c.dat", crlf({ref("b.dat")}));
    dat.write("sub.dat", "0 sub\r\n");
    dat.write("3001.dat", ""); // the library's file as it is: left to the library
    dat.write("f1.ldr", "");
    dat.write("plate", "");
    // Main.dat differs from the main name in case: a section of its own. SUB.DAT and sub.dat both
    // read sub.dat. Every name is followed, whatever it ends in; only .dat ones when asked.
    EXPECT_EQ(merge("main.dat").datFiles,
              (Names{"main.dat", "a.dat", "b.dat", "SUB.DAT", "f1.ldr", "plate", "c.dat", "Main.dat", "sub.dat"}));
    EXPECT_EQ(done(), "out.mpd has been successfully created. 8 .DAT file(s) merged.");
    prompter.answers = {true};
    EXPECT_EQ(merge("b.dat", "out", ReferenceKinds::DatOnly).datFiles,
              (Names{"b.dat", "sub.dat", "a.dat", "c.dat", "main.dat", "Main.dat", "SUB.DAT"}));
}

TEST_P(Merge, EmbedsUnofficialPartsButNeverOfficialOnesAndPrefersTheDatFolder)
{
    library.write("UnOfficial/Parts/u1.dat",
                  crlf({"0 FILE stray.dat", "0 u1", ref("s\\u1s01.dat"), ref("u2.dat"), ref("3001.dat"), ref("box.dat"),
                        ref("upr.dat"), ref("48\\UPR48.dat"), ref("nowhere.dat")}));
    library.write("UnOfficial/Parts/S/U1S01.DAT", "0 u1s01\r\n");
    library.write("UnOfficial/Parts/u2.dat", "0 the library's u2\r\n");
    library.write("UnOfficial/Parts/3001.dat", "0 an unofficial copy of an official part\r\n");
    library.write("UnOfficial/P/upr.dat", "0 upr\r\n");
    library.write("UnOfficial/P/48/upr48.dat", "0 upr48\r\n");
    dat.write("main.dat", crlf({ref("U1.DAT"), ref("u2.dat")}));
    dat.write("u2.dat", "0 mine\r\n");
    prompter.answers = {true}; // without nowhere.dat
    EXPECT_EQ(merge("main.dat").datFiles,
              (Names{"main.dat", "U1.DAT", "u2.dat", "s\\u1s01.dat", "upr.dat", "48\\UPR48.dat", "nowhere.dat"}));
    EXPECT_EQ(dat.read("out.mpd"),
              "0 FILE main.dat\r\n" + kHeader +
                  crlf({ref("U1.DAT"), ref("u2.dat"), "0 FILE U1.DAT", "0 u1", ref("s\\u1s01.dat"), ref("u2.dat"),
                        ref("3001.dat"), ref("box.dat"), ref("upr.dat"), ref("48\\UPR48.dat"), ref("nowhere.dat"),
                        "0 FILE u2.dat", "0 mine", "0 FILE s\\u1s01.dat", "0 u1s01", "0 FILE upr.dat", "0 upr",
                        "0 FILE 48\\UPR48.dat", "0 upr48"}));
    EXPECT_EQ(prompter.questions().at(0).text.find("nowhere.dat (referenced by U1.DAT)") != std::string::npos, true);
    EXPECT_EQ(done(), "out.mpd has been successfully created. 5 .DAT file(s) merged.");
    EXPECT_EQ(prompter.informations().at(0).details,
              "main.dat\nU1.DAT (unofficial)\nu2.dat\ns\\u1s01.dat (unofficial)\nupr.dat (unofficial)\n"
              "48\\UPR48.dat (unofficial)\nnowhere.dat (not found)\n");
}

TEST_P(Merge, PackedEmbedsEveryFileOnceUnderItsLibraryPathWithTheColours)
{
    library.write("LDCONFIG.LDR", crlf({"0 LDraw.org Configuration File", "0 !COLOUR Black CODE 0 VALUE #1B2A34",
                                        "  0 !COLOUR Blue CODE 1 VALUE #1E5AA8", "0 // 0 !COLOUR not one"}));
    library.write("parts/3001.dat", crlf({"0 Brick 2 x 4", ref("s\\3001s01.dat"), ref("box.dat")}));
    library.write("parts/s/3001s01.dat", crlf({"0 ~Brick 2 x 4 without Front Face", ref("48\\1-4cyli.dat")}));
    library.write("p/48/1-4cyli.dat", "0 Cylinder 0.25\r\n");
    library.write("unofficial/parts/s/u01.dat", crlf({"0 unofficial", ref("BOX.DAT")}));
    dat.write("main.dat",
              crlf({ref("3001.dat"), ref("3001.DAT"), ref("s\\mine.dat"), ref("s/U01.dat"), ref("sub.ldr")}));
    dat.write("s/mine.dat", crlf({ref("Box.dat"), "1 16 0 0 0 1 0 0 0 1 0 0 0 1  box.dat  "}));
    dat.write("sub.ldr", "0 sub\r\n");
    const MergeResult result = MergeToMPD("main.dat", job("out", true), fileSystem, prompter);
    // Every spelling of a file is one section; the references are rewritten, nothing else is.
    EXPECT_EQ(result.datFiles, (Names{"main.dat", "3001.dat", "s\\mine.dat", "s/U01.dat", "sub.ldr", "s\\3001s01.dat",
                                      "box.dat", "48\\1-4cyli.dat"}));
    EXPECT_EQ(dat.read("out.mpd"), "0 FILE main.dat\r\n" + kHeader +
                                       crlf({"0 !COLOUR Black CODE 0 VALUE #1B2A34",
                                             "  0 !COLOUR Blue CODE 1 VALUE #1E5AA8",
                                             ref("parts/3001.dat"),
                                             ref("parts/3001.DAT"),
                                             ref("parts/s/mine.dat"),
                                             ref("parts/s/U01.dat"),
                                             ref("sub.ldr"),
                                             "0 FILE parts/3001.dat",
                                             "0 Brick 2 x 4",
                                             ref("parts/s/3001s01.dat"),
                                             ref("p/box.dat"),
                                             "0 FILE parts/s/mine.dat",
                                             ref("p/Box.dat"),
                                             "1 16 0 0 0 1 0 0 0 1 0 0 0 1  p/box.dat  ",
                                             "0 FILE parts/s/U01.dat",
                                             "0 unofficial",
                                             ref("p/BOX.DAT"),
                                             "0 FILE sub.ldr",
                                             "0 sub",
                                             "0 FILE parts/s/3001s01.dat",
                                             "0 ~Brick 2 x 4 without Front Face",
                                             ref("p/48/1-4cyli.dat"),
                                             "0 FILE p/box.dat",
                                             "0 FILE p/48/1-4cyli.dat",
                                             "0 Cylinder 0.25"}));
    EXPECT_EQ(done(), "out.mpd has been successfully created. 7 .DAT file(s) merged.");
}

// An image of 200 bytes whose base64 is "ABCD" 66 times and "ABA=": four lines of 80, 80, 80, 28.
std::string image200()
{
    std::string bytes;
    for (int i = 0; i < 66; ++i) {
        bytes += std::string("\x00\x10\x83", 3);
    }
    return bytes + std::string("\x00\x10", 2);
}

std::vector<std::string> dataBlock(const std::string& name, std::size_t lines = 4)
{
    std::string base64;
    for (int i = 0; i < 66; ++i) {
        base64 += "ABCD";
    }
    base64 += "ABA=";
    std::vector<std::string> block = {"0 !DATA " + name};
    for (std::size_t i = 0; i < lines; ++i) {
        block.push_back("0 !: " + base64.substr(i * 80, 80));
    }
    return block;
}

TEST_P(Merge, EmbedsTheImagesOfTexmapLinesOnceAfterTheSectionsFromTheDatFolderOrUnofficial)
{
    const std::string nine = " 1 0 0 0 1 0 0 0 1 ";
    library.write("parts/textures/lib.png", image200());
    library.write("p/textures/prim.png", image200());
    library.write("Unofficial/parts/textures/Unof.png", image200());
    library.write("parts/3001.dat", "0 Brick\r\n");
    const std::vector<std::string> main = {"0 !TEXMAP START PLANAR" + nine + "\"Face.PNG\" GLOSSMAP gloss.png",
                                           "0 !: 1 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat",
                                           "0 !: 1 16 0 0 0 1 0 0 0 1 0 0 0 1 3001.dat",
                                           "0 !TEXMAP FALLBACK",
                                           "0 !TEXMAP END",
                                           "0 !: 1 16 0 0 0 1 0 0 0 1 0 0 0 1 comment.dat",
                                           "0 !TEXMAP NEXT CYLINDRICAL" + nine + "1 lib.png",
                                           "0 !TEXMAP NEXT SPHERICAL" + nine + "1 2 unof.png",
                                           "0 !TEXMAP NEXT PLANAR" + nine + "prim.png"};
    dat.write("main.dat", crlf(main));
    dat.write("sub.dat",
              crlf({"0 !TEXMAP NEXT PLANAR" + nine + "FACE.png", "0 !TEXMAP NEXT PLANAR" + nine + "gone.png"}));
    dat.write("face.png", image200());
    dat.write("textures/gloss.png", std::string("\x89PNG", 4));
    prompter.answers = {true}; // without gone.png
    const MergeResult result = merge("main.dat");
    EXPECT_EQ(result.datFiles, (Names{"main.dat", "sub.dat"}));
    EXPECT_EQ(result.images, (Names{"Face.PNG", "gloss.png", "unof.png"}));
    std::vector<std::string> expected = main;
    expected.insert(expected.end(), {"0 FILE sub.dat", "0 !TEXMAP NEXT PLANAR" + nine + "FACE.png",
                                     "0 !TEXMAP NEXT PLANAR" + nine + "gone.png"});
    for (const auto& block : {dataBlock("Face.PNG"), {"0 !DATA gloss.png", "0 !: iVBORw=="}, dataBlock("unof.png")}) {
        expected.insert(expected.end(), block.begin(), block.end());
    }
    EXPECT_EQ(dat.read("out.mpd"), "0 FILE main.dat\r\n" + kHeader + crlf(expected));
    EXPECT_EQ(prompter.questions().at(0).text.find("gone.png (referenced by sub.dat)") != std::string::npos, true);
    EXPECT_EQ(done(), "out.mpd has been successfully created. 1 .DAT file(s) merged. 3 image(s) embedded.");
    EXPECT_EQ(prompter.informations().at(0).details, "main.dat\nsub.dat\nFace.PNG (image)\ngloss.png (image)\n"
                                                     "unof.png (unofficial image)\ngone.png (not found)\n");

    // Packed, the library's images come too, under their own names; the texture-aware line's
    // reference is renamed like any other.
    prompter = {};
    prompter.answers = {true};
    MergeToMPD("main.dat", job("packed", true), fileSystem, prompter);
    const std::string packed = dat.read("packed.mpd");
    EXPECT_NE(packed.find("\r\n0 !: 1 16 0 0 0 1 0 0 0 1 0 0 0 1 parts/3001.dat\r\n"), std::string::npos);
    EXPECT_NE(packed.find("\r\n0 !: 1 16 0 0 0 1 0 0 0 1 0 0 0 1 comment.dat\r\n"), std::string::npos);
    EXPECT_NE(packed.find(crlf(dataBlock("lib.png")) + crlf(dataBlock("unof.png")) + crlf(dataBlock("prim.png"))),
              std::string::npos);
    EXPECT_EQ(done(), "packed.mpd has been successfully created. 2 .DAT file(s) merged. 5 image(s) embedded.");

    // An image that cannot be read fails the merge, as a sub-file does.
    dat.write("gone.png/inside", "");
    prompter = {};
    prompter.answers = {true};
    EXPECT_EQ(merge("main.dat").status, MergeResult::Status::Failed);
    EXPECT_EQ(prompter.failures().at(0).text,
              "Cannot read " + joinPath(dat.field(), "gone.png") + " (referenced by sub.dat): Is a directory.");
}

TEST_P(Merge, CheckListsEveryFileWithItsKindPathAndReferrersAndWritesNothing)
{
    library.write("Unofficial/parts/u.dat", crlf({ref("3001.dat")}));
    library.write("parts/3001.dat", crlf({ref("s\\3001s01.dat")}));
    library.write("parts/textures/lib.png", "");
    dat.write("main.dat", crlf({ref("sub.dat"), ref("3001.dat"), ref("gone.dat"), ref("folder.dat"), ref("u.dat")}));
    dat.write("sub.dat", crlf({ref("3001.dat"), ref("gone.dat"), ref("sub.dat"), ref("main.dat"),
                               "0 !TEXMAP NEXT PLANAR 1 0 0 0 1 0 0 0 1 lib.png GLOSSMAP pic.png",
                               "0 !TEXMAP NEXT PLANAR 1 0 0 0 1 0 0 0 1 lost.png"}));
    dat.write("folder.dat/x", "");
    dat.write("textures/pic.png", "");
    const auto listing = [&](bool pack) {
        const CheckResult result = CheckMerge("main.dat", job("out", pack), fileSystem);
        std::string lines = result.main + (result.complete() ? " complete\n" : " incomplete\n");
        for (const auto& file : result.files) {
            std::string path = asInFolder(file.path);
            for (const auto& [folder, shown] : {std::pair{dat.field(), "DAT/"}, {library.field(), "LIB/"}}) {
                if (path.starts_with(folder)) {
                    path = shown + path.substr(folder.size());
                }
            }
            lines += file.name + (file.type == CheckedFile::Type::Image ? "(image)|" : "|") +
                     std::string(kindName(file.kind)) + "|" + path + "|" + file.reason + "|";
            for (const auto& referrer : file.referencedBy) {
                lines += referrer + ",";
            }
            lines += "\n";
        }
        return lines;
    };
    const std::string sep(1, kSeparator);
    EXPECT_EQ(listing(false), "main.dat incomplete\n"
                              "main.dat|main|DAT/main.dat||sub.dat,\n"
                              "sub.dat|custom|DAT/sub.dat||main.dat,sub.dat,\n"
                              "3001.dat|library|LIB/parts" +
                                  sep +
                                  "3001.dat||main.dat,sub.dat,u.dat,\n"
                                  "gone.dat|not found|||main.dat,sub.dat,\n"
                                  "folder.dat|unreadable|DAT/folder.dat|Is a directory|main.dat,\n"
                                  "u.dat|unofficial|LIB/Unofficial" +
                                  sep + "parts" + sep +
                                  "u.dat||main.dat,\n"
                                  "lib.png(image)|library|LIB/parts" +
                                  sep + "textures" + sep +
                                  "lib.png||sub.dat,\n"
                                  "pic.png(image)|custom|DAT/textures" +
                                  sep +
                                  "pic.png||sub.dat,\n"
                                  "lost.png(image)|not found|||sub.dat,\n");
    // Packed, the library's own references are walked too.
    const std::string packed = listing(true);
    EXPECT_NE(packed.find("s\\3001s01.dat|library|LIB/parts" + sep + "s" + sep + "3001s01.dat||3001.dat,\n"),
              std::string::npos);
    EXPECT_NE(packed.find("3001.dat|library|LIB/parts" + sep + "3001.dat||main.dat,sub.dat,u.dat,\n"),
              std::string::npos);
    EXPECT_TRUE(prompter.calls.empty());
    EXPECT_EQ(dat.list(), (Names{"folder.dat", "main.dat", "sub.dat", "textures"}));
}

TEST_P(Merge, OnlyANamedMarkerStartsABlockAndTheModelStaysWhole)
{
    // A line that only looks like a marker is left out; the file stays one model, whole.
    const struct {
        const char* what;
        std::string main;
        std::string sub;
        std::string mpd; // the output after the header; empty: as the main file, with sub.dat
    } markers[] = {
        {"0 FILEX in a sub-file", crlf({"0 main", ref("sub.dat")}),
         crlf({"0 sub", "0 FILEX", ref("c.dat"), ref("main.dat")}),
         crlf({"0 main", ref("sub.dat"), "0 FILE sub.dat", "0 sub", ref("c.dat"), ref("main.dat"), "0 FILE c.dat",
               "0 c"})},
        {"0 FILE alone and blanks after it", crlf({"0 main", ref("sub.dat")}),
         crlf({"0 sub", "0 FILE", "0 FILE  \t", ref("c.dat")}),
         crlf({"0 main", ref("sub.dat"), "0 FILE sub.dat", "0 sub", ref("c.dat"), "0 FILE c.dat", "0 c"})},
        {"0 FILEX in the main file", crlf({"0 main", "0 FILEX", ref("c.dat")}), "",
         crlf({"0 main", ref("c.dat"), "0 FILE c.dat", "0 c"})},
    };
    dat.write("c.dat", crlf({"0 c"}));
    for (const auto& [what, main, sub, mpd] : markers) {
        SCOPED_TRACE(what);
        dat.write("main.dat", main);
        dat.write("sub.dat", sub);
        prompter = ScriptedPrompter();
        std::filesystem::remove(dat.path() / "out.mpd");
        EXPECT_TRUE(CheckMerge("main.dat", job("out.mpd"), fileSystem).complete());
        ASSERT_EQ(merge("main.dat").status, MergeResult::Status::Created) << prompter.transcript();
        EXPECT_EQ(dat.read("out.mpd"), "0 FILE main.dat\r\n" + kHeader + mpd);
    }
}

TEST_P(Merge, BlanksAfterANameAreNoPartOfIt)
{
    // Blanks and tabs after a name, as real models have them: found where the name is, the line
    // written as it was; with --dat-only such a line is no reference at all.
    dat.write("main.dat", crlf({ref("box.dat "), ref("sub.dat\t"), ref("sub.dat"), ref("gone.dat \t")}));
    dat.write("sub.dat", crlf({"0 sub"}));
    for (const bool pack : {false, true}) {
        SCOPED_TRACE(pack ? "packed" : "plain");
        const CheckResult check = CheckMerge("main.dat", job("out.mpd", pack), fileSystem);
        Names seen;
        for (const CheckedFile& file : check.files) {
            seen.push_back(file.name + "|" + std::string(kindName(file.kind)));
        }
        EXPECT_EQ(seen, (Names{"main.dat|main", "box.dat|library", "sub.dat|custom", "gone.dat|not found"}));
        prompter = ScriptedPrompter();
        prompter.answers = {true};
        std::filesystem::remove(dat.path() / "out.mpd");
        ASSERT_EQ(MergeToMPD("main.dat", job("out.mpd", pack), fileSystem, prompter).status,
                  MergeResult::Status::Created);
        EXPECT_NE(prompter.questions().at(0).text.find("gone.dat (referenced by main.dat)\n"), std::string::npos)
            << prompter.transcript();
        const std::string out = dat.read("out.mpd");
        EXPECT_NE(out.find(pack ? crlf({ref("p/box.dat "), ref("sub.dat\t"), ref("sub.dat"), ref("gone.dat \t")})
                                : crlf({ref("box.dat "), ref("sub.dat\t"), ref("sub.dat"), ref("gone.dat \t")})),
                  std::string::npos)
            << out;
        EXPECT_EQ(out.find("0 FILE sub.dat\r\n0 sub\r\n"), out.rfind("0 FILE sub.dat")) << "one section";
    }
    prompter = ScriptedPrompter();
    EXPECT_EQ(merge("main.dat", "dat-only.mpd", ReferenceKinds::DatOnly).datFiles, (Names{"main.dat", "sub.dat"}));
}

TEST_P(Merge, AddsTheMpdSuffixWhereMissingAndAsksBeforeReplacing)
{
    dat.write("main.dat", "0 main\r\n");
    for (const auto& [given, expected] : std::vector<std::pair<std::string, std::string>>{
             {"car", "car.mpd"}, {"BOAT.MPD", "BOAT.MPD"}, {"car.dat", "car.dat.mpd"}, {"", ".mpd"}}) {
        EXPECT_EQ(merge("main.dat", given).mpdName, expected);
        EXPECT_EQ(dat.read(expected), "0 FILE main.dat\r\n" + kHeader + "0 main\r\n");
    }
    prompter = {};
    prompter.answers = {false};
    dat.write("out.mpd", "precious\r\n");
    const MergeResult declined = merge("main.dat", "out");
    EXPECT_EQ(declined.status, MergeResult::Status::Declined);
    EXPECT_EQ(declined.mpdName, "out.mpd"); // the suffix stays although nothing was written
    EXPECT_EQ(dat.read("out.mpd"), "precious\r\n");
    EXPECT_EQ(prompter.transcript(), "ask W Output File Exists: The output file you have chosen already exists. Do you "
                                     "wish to overwrite this file?\n");
}

TEST_P(Merge, FilesFoundNowhereAreLeftOutOnlyWithConsent)
{
    dat.write("main.dat", crlf({ref("gone.dat"), ref("sub.dat"), ref("s\\deep.dat")}));
    dat.write("sub.dat", crlf({ref("also gone.dat"), ref("GONE.DAT")}));
    dat.write("s/deep.dat", "0 deep\r\n");
    dat.write("out.mpd", "precious\r\n");
    prompter.answers = {true, false};
    EXPECT_EQ(merge("main.dat").status, MergeResult::Status::NotFoundDeclined);
    EXPECT_EQ(dat.read("out.mpd"), "precious\r\n");
    EXPECT_EQ(dat.list(), (Names{"main.dat", "out.mpd", "s", "sub.dat"}));
    EXPECT_EQ(prompter.transcript().substr(prompter.transcript().find("?\n") + 2),
              "ask W Files Not Found: These files are referenced but were found neither in the .DAT folder nor in the "
              "LDraw library:\ngone.dat (referenced by main.dat)\nalso gone.dat (referenced by sub.dat)\n"
              "GONE.DAT (referenced by sub.dat)\nCreate the .MPD without them? Their references stay in the model.\n");
    EXPECT_TRUE(prompter.questions().at(1).details.empty());

    prompter = {};
    prompter.answers = {true, true};
    EXPECT_EQ(merge("main.dat").status, MergeResult::Status::Created);
    EXPECT_EQ(dat.read("out.mpd"), "0 FILE main.dat\r\n" + kHeader +
                                       crlf({ref("gone.dat"), ref("sub.dat"), ref("s\\deep.dat"), "0 FILE sub.dat",
                                             ref("also gone.dat"), ref("GONE.DAT"), "0 FILE s\\deep.dat", "0 deep"}));
    EXPECT_EQ(done() + "\n" + prompter.informations().at(0).details,
              "out.mpd has been successfully created. 2 .DAT file(s) merged.\nmain.dat\nsub.dat\ns\\deep.dat\n"
              "gone.dat (not found)\nalso gone.dat (not found)\nGONE.DAT (not found)\n");

    // A long list is shortened in the text and given whole as details.
    std::string many;
    for (int i = 0; i < 12; ++i) {
        many += "1 16 0 0 0 1 0 0 0 1 0 0 0 1 m" + std::to_string(i) + ".dat\n";
    }
    dat.write("many.dat", many);
    prompter = {};
    prompter.answers = {true};
    merge("many.dat", "many");
    const Message question = prompter.questions().at(0);
    EXPECT_TRUE(question.text.ends_with("\nm9.dat (referenced by many.dat)\n... and 2 more\nCreate the .MPD without "
                                        "them? Their references stay in the model."));
    EXPECT_TRUE(question.details.ends_with("m10.dat (referenced by many.dat)\nm11.dat (referenced by many.dat)\n"));
    EXPECT_EQ(done(), "many.mpd has been successfully created. 0 .DAT file(s) merged.");
}

TEST_P(Merge, ReportsAMissingOrUnnamedMainFile)
{
    dat.write("folder.dat/x", "");
    for (const auto& [main, text] : std::vector<std::pair<std::string, std::string>>{
             {"car.dat", "Cannot read " + dat.field() + "car.dat: No such file or directory."},
             {"", "No .DAT file was chosen to merge."},
             {"folder.dat", "Cannot read " + dat.field() + "folder.dat: Is a directory."}}) {
        prompter = {};
        EXPECT_EQ(merge(main).status, MergeResult::Status::Failed);
        EXPECT_EQ(prompter.transcript(), "fail C Merge Failed: " + text + "\n");
    }
    EXPECT_EQ(dat.list(), Names{"folder.dat"});
}

// An MPD as other editors write it: an unnamed main model, a ghosted and a hidden sub-model, the
// user's own 3001.dat, a copy of the library's box.dat, an image and a section nothing uses.
const std::string kEdited = crlf({"0 house",
                                  ref("wing.ldr"),
                                  "0 GHOST " + ref("ghost.ldr"),
                                  "0 FILE wing.ldr",
                                  "0 MLCAD HIDE " + ref("Hidden.ldr"),
                                  ref("3001.dat"),
                                  "0 FILE ghost.ldr",
                                  "0 !TEXMAP START PLANAR 0 0 0 1 0 0 0 1 0 Own.png",
                                  ref("box.dat"),
                                  "0 !TEXMAP END",
                                  "0 FILE hidden.ldr",
                                  ref("box.dat"),
                                  "0 FILE 3001.dat",
                                  "0 my own brick",
                                  "0 FILE box.dat",
                                  "0 Box",
                                  "0 FILE spare.ldr",
                                  "0 spare",
                                  "0 !DATA own.png",
                                  "0 !: aGVsbG8="});

TEST_P(Merge, AnMpdMergesAndPacksInOneStepAndRoundTripsWhole)
{
    // The user's 3001.dat differs in its one line; box.dat is the library's, line ends aside.
    library.write("parts/3001.dat", "0 Brick\r\n");
    library.write("p/box.dat", "0 Box\n");
    dat.write("house.mpd", kEdited);
    prompter.answers.assign(20, true);
    const MergeJob direct{dat.field(), dat.field(), ldraw(), "once.mpd", "Brikmux", ReferenceKinds::DatOnly};
    ASSERT_EQ(MergeToMPD("house.mpd", direct, fileSystem, prompter).datFiles,
              (Names{"house.ldr", "wing.ldr", "ghost.ldr", "Hidden.ldr", "3001.dat"}));
    EXPECT_EQ(prompter.informations().back().details,
              "house.ldr\nwing.ldr\nghost.ldr\nHidden.ldr\n3001.dat (replaces a library part)\nOwn.png (image)\n");
    EXPECT_EQ(CheckMerge("house.mpd", direct, fileSystem).files.at(1).path, dat.field() + "house.mpd");
    const std::string once = dat.read("once.mpd");
    EXPECT_EQ(once, "0 FILE house.ldr\r\n" + kHeader +
                        crlf({"0 house", ref("wing.ldr"), "0 GHOST " + ref("ghost.ldr"), "0 FILE wing.ldr",
                              "0 MLCAD HIDE " + ref("Hidden.ldr"), ref("3001.dat"), "0 FILE ghost.ldr",
                              "0 !TEXMAP START PLANAR 0 0 0 1 0 0 0 1 0 Own.png", ref("box.dat"), "0 !TEXMAP END",
                              "0 FILE Hidden.ldr", ref("box.dat"), "0 FILE 3001.dat", "0 my own brick",
                              "0 !DATA Own.png", "0 !: aGVsbG8="}));

    // Split and merged back, twice: the same MPD each time, one header.
    TempDir split;
    const auto splitAndMerge = [&](const std::string& mpd, const std::string& main, bool pack) {
        for (const auto& name : split.list()) {
            std::filesystem::remove_all(split.path() / name);
        }
        EXPECT_EQ(SplitMPD(mpd, SplitJob{dat.field(), split.field()}, fileSystem, prompter).status,
                  SplitResult::Status::Split);
        const MergeJob back{split.field(), dat.field(), ldraw(), "back.mpd", "Brikmux", ReferenceKinds::DatAndLdr,
                            pack};
        EXPECT_EQ(MergeToMPD(main, back, fileSystem, prompter).status, MergeResult::Status::Created);
        return dat.read("back.mpd");
    };
    EXPECT_EQ(splitAndMerge("once.mpd", "house.ldr", false), once);
    EXPECT_EQ(splitAndMerge("back.mpd", "house.ldr", false), once);

    // Packed from the MPD, or from the split model: the same bytes.
    const MergeJob packed{dat.field(), dat.field(), ldraw(), "packed.mpd", "Brikmux", ReferenceKinds::DatOnly, true};
    ASSERT_EQ(MergeToMPD("house.mpd", packed, fileSystem, prompter).status, MergeResult::Status::Created);
    EXPECT_EQ(splitAndMerge("house.mpd", "house.ldr", true), dat.read("packed.mpd"));
    EXPECT_NE(dat.read("packed.mpd").find("0 FILE 3001.dat\r\n0 my own brick\r\n"), std::string::npos);
    EXPECT_NE(dat.read("packed.mpd").find("0 FILE p/box.dat\r\n"), std::string::npos);
}

TEST_P(Merge, AnMpdsOwnBlocksAreTakenAsTheyAre)
{
    const std::string texmap = "0 !TEXMAP START PLANAR 0 0 0 1 0 0 0 1 0 x.png";
    const struct {
        std::vector<std::string> lines;
        Names datFiles;   // empty: the merge fails
        std::string text; // in the output, or in the failure
    } rows[] = {
        {{"0 FILE a.ldr", ref("b.ldr"), "0 FILE b.ldr", ref("A.ldr"), ref("a.ldr")},
         {"a.ldr", "b.ldr", "A.ldr"},
         "0 FILE b.ldr\r\n"},
        {{"0 FILE a.ldr", texmap, "0 !DATA x.png", "0 !: aGVsbG8=", "0 NOFILE", "stray"},
         {"a.ldr"},
         "0 !DATA x.png\r\n0 !: aGVsbG8=\r\n"},
        {{"0 FILE a.ldr", texmap, "0 !DATA x.png", "0 !: a%"}, {}, "line 4 is not valid base64 data"},
        {{"0 !DATA x.png", "0 !: aGVsbG8="}, {}, "it holds no model, only images"},
    };
    for (const auto& row : rows) {
        dat.write("in.mpd", crlf(row.lines));
        const MergeResult result = merge("in.mpd");
        if (row.datFiles.empty()) {
            EXPECT_EQ(result.status, MergeResult::Status::Failed) << row.text;
            EXPECT_NE(prompter.failures().back().text.find(row.text), std::string::npos) << row.text;
        } else {
            EXPECT_EQ(result.datFiles, row.datFiles) << row.text;
            EXPECT_NE(dat.read("out.mpd").find(row.text), std::string::npos) << row.text;
        }
        prompter.answers = {true};
    }
}

// A town as collaborative layouts build them: MPDs inside the model (one named .ldr), two of them
// with a roof of their own, one referencing another whose roof is the first's (line ends aside),
// sub-models in the library's models folder, one named without an extension.
class Town : public Merge {
protected:
    Town()
    {
        dat.write("town.ldr", crlf({ref("house.mpd"), ref("shop.ldr"), ref("street"), ref("tree.ldr"), ref("roof.ldr"),
                                    ref("3001.dat"), ref("sign.ldr")}));
        dat.write("sign.ldr", crlf({"0 sign"})); // the same as the shop's sign
        // SIGN.LDR, met once blocks are told apart, is still a section of its own spelling.
        dat.write("roof.ldr", crlf({"0 the town's roof", ref("3001.dat"), ref("SIGN.LDR")}));
        dat.write("house.mpd", crlf({"0 FILE house.ldr", ref("Roof.ldr"), ref("door.dat"), ref("garage.mpd"),
                                     "0 FILE roof.ldr", "0 the house's roof", ref("3001.dat"), "0 FILE door.dat",
                                     "0 door", ref("3001.dat"), "0 FILE 3001.dat", "0 the house's own brick"}));
        dat.write("shop.ldr", crlf({"0 FILE shop-main.ldr", ref("roof.ldr"), ref("sign.ldr"), "0 FILE roof.ldr",
                                    "0 the shop's roof", "0 FILE sign.ldr", "0 sign"}));
        dat.write("garage.mpd", "0 FILE garage.ldr\n" + ref("roof.ldr") + "\n0 FILE roof.ldr\n0 the house's roof\n" +
                                    ref("3001.dat") + "\n");
        library.write("models/tree.ldr", crlf({"0 tree", ref("3001.dat")}));
        library.write("models/street", crlf({"0 street"}));
    }
};

TEST_P(Town, InnerMpdsBringTheirBlocksAndNamesThatCollideAreToldApart)
{
    const MergeResult result = merge("town.ldr");
    ASSERT_EQ(result.status, MergeResult::Status::Created) << prompter.transcript();
    EXPECT_EQ(result.datFiles, (Names{"town.ldr", "house.mpd", "shop.ldr", "street", "tree.ldr", "roof.ldr", "sign.ldr",
                                      "Roof.ldr", "door.dat", "garage.mpd", "roof.ldr", "SIGN.LDR", "3001.dat"}));
    const std::string out = dat.read("out.mpd");
    // Each file's own model under the name it is referenced by, its names rewritten where they
    // were told apart; the garage's roof is the house's.
    for (const std::string& section :
         Names{"0 FILE house.mpd\r\n" + crlf({ref("house/Roof.ldr"), ref("door.dat"), ref("garage.mpd")}),
               "0 FILE shop.ldr\r\n" + crlf({ref("shop/roof.ldr"), ref("sign.ldr")}),
               "0 FILE garage.mpd\r\n" + crlf({ref("house/Roof.ldr")}),
               "0 FILE house/Roof.ldr\r\n0 the house's roof\r\n", "0 FILE shop/roof.ldr\r\n0 the shop's roof\r\n",
               "0 FILE roof.ldr\r\n0 the town's roof\r\n", "0 FILE street\r\n0 street\r\n"}) {
        EXPECT_NE(out.find(section), std::string::npos) << section;
    }
    EXPECT_EQ(out.find("0 FILE garage/"), std::string::npos);
    EXPECT_EQ(prompter.informations().at(0).details,
              "town.ldr\nhouse.mpd\nshop.ldr\nstreet\ntree.ldr\nroof.ldr\nsign.ldr\nRoof.ldr from house.mpd as "
              "house/Roof.ldr\ndoor.dat (in house.mpd)\ngarage.mpd\nroof.ldr from shop.ldr as shop/roof.ldr\n"
              "SIGN.LDR\n3001.dat from house.mpd as house/3001.dat\n");
    // The house's own brick replaces the library's within the house only; the town's is the library's.
    EXPECT_NE(out.find("0 FILE door.dat\r\n0 door\r\n" + ref("house/3001.dat")), std::string::npos);
    EXPECT_EQ(out.find("0 FILE 3001.dat"), std::string::npos);

    // Split and merged again: the same MPD, byte for byte, packed or not.
    for (const bool pack : {false, true}) {
        TempDir split;
        prompter.answers.assign(20, true);
        ASSERT_EQ(MergeToMPD("town.ldr", job("once.mpd", pack), fileSystem, prompter).status,
                  MergeResult::Status::Created);
        ASSERT_EQ(SplitMPD("once.mpd", SplitJob{dat.field(), split.field()}, fileSystem, prompter).status,
                  SplitResult::Status::Split)
            << prompter.transcript();
        EXPECT_EQ(split.read("house/Roof.ldr"),
                  crlf({"0 the house's roof", ref(pack ? "3001.dat" : "house/3001.dat")}));
        MergeJob back{split.field(), dat.field(), ldraw(), "back.mpd", "Brikmux", ReferenceKinds::Any, pack};
        ASSERT_EQ(MergeToMPD("town.ldr", back, fileSystem, prompter).status, MergeResult::Status::Created);
        EXPECT_TRUE(dat.read("back.mpd") == dat.read("once.mpd")) << "pack " << pack;
    }
}

TEST_P(Town, BadInnerMpdsFailClearlyAndWriteNothing)
{
    const std::string town = crlf({ref("house.mpd"), ref("shop.ldr"), ref("roof.ldr")});
    const std::string house = dat.read("house.mpd");
    const struct {
        const char* what;
        std::function<void()> spoil;
        std::string failure; // a part of the message; empty: the merge succeeds
    } cases[] = {
        {"an inner MPD that cannot be read", [&] { fileSystem.failOpenForReading = 3; },
         dat.field() + "house.mpd (referenced by town.ldr): No space left on device."},
        {"a cycle through inner MPDs",
         [&] {
             dat.write("garage.mpd", crlf({"0 FILE garage.ldr", ref("roof.ldr"), ref("house.mpd"), "0 FILE roof.ldr",
                                           "0 the house's roof", ref("3001.dat")}));
         },
         "The model reaches itself: house.mpd -> garage.mpd -> house.mpd (line 2 of " + dat.field() +
             "garage.mpd, section garage.ldr)."},
        {"broken data in an inner MPD",
         [&] {
             dat.write("house.mpd", house + crlf({ref("sign.dat"), "0 FILE sign.dat",
                                                  "0 !TEXMAP START PLANAR 0 0 0 1 0 0 0 1 0 s.png", "0 !TEXMAP END",
                                                  "0 !DATA s.png", "0 !: QU*"}));
         },
         dat.field() + "house.mpd (referenced by sign.dat): line 18 is not valid base64 data."},
        {"a new name that is taken too",
         [&] {
             dat.write("house/roof.ldr", "0 another roof\r\n");
             dat.write("town.ldr", crlf({ref("house.mpd"), ref("house/roof.ldr"), ref("roof.ldr")}));
         },
         ""},
    };
    const std::string garage = dat.read("garage.mpd");
    for (const auto& [what, spoil, failure] : cases) {
        SCOPED_TRACE(what);
        std::filesystem::remove_all(dat.path() / "house");
        dat.write("town.ldr", town);
        dat.write("house.mpd", house);
        dat.write("garage.mpd", garage);
        prompter = ScriptedPrompter();
        fileSystem = FaultyFileSystem();
        spoil();
        const CheckResult check = CheckMerge("town.ldr", job("out.mpd"), fileSystem);
        fileSystem = FaultyFileSystem();
        spoil();
        const MergeResult result = merge("town.ldr");
        EXPECT_EQ(check.complete(), failure.empty()) << "check agrees with merge";
        if (failure.empty()) {
            EXPECT_EQ(result.status, MergeResult::Status::Created) << prompter.transcript();
            EXPECT_NE(prompter.informations().at(0).details.find("Roof.ldr from house.mpd as house-2/Roof.ldr\n"),
                      std::string::npos)
                << prompter.informations().at(0).details;
            std::filesystem::remove(dat.path() / "out.mpd");
            continue;
        }
        EXPECT_EQ(result.status, MergeResult::Status::Failed);
        EXPECT_NE(prompter.transcript().find(failure), std::string::npos) << prompter.transcript();
        EXPECT_FALSE(std::filesystem::exists(dat.path() / "out.mpd"));
    }
}

TEST_P(Merge, WriteFaultsLeaveNoPartialOutput)
{
    dat.write("main.dat", crlf({"0 main", ref("sub.dat")}));
    dat.write("sub.dat", "0 sub\r\n");
    dat.write("out.mpd", "precious\r\n");
    // The fault, which call of its kind fails, and the file the message names.
    const std::tuple<int FaultyFileSystem::*, int, std::string> faults[] = {
        {&FaultyFileSystem::failCreateOutput, 1, "out.mpd"},
        {&FaultyFileSystem::failWrite, 1, "out.mpd"},
        {&FaultyFileSystem::failCommit, 1, "out.mpd"},
        {&FaultyFileSystem::failRead, 1, "main.dat"},
        {&FaultyFileSystem::failOpenForReading, 2, "sub.dat (referenced by main.dat)"}}; // vanished mid-merge
    for (const auto& [fault, call, named] : faults) {
        fileSystem = {};
        fileSystem.*fault = call;
        prompter = {};
        prompter.answers = {true};
        EXPECT_EQ(merge("main.dat").status, MergeResult::Status::Failed);
        ASSERT_EQ(prompter.failures().size(), 1U);
        EXPECT_NE(prompter.failures()[0].text.find(named + ": No space left on device."), std::string::npos)
            << prompter.failures()[0].text;
        EXPECT_EQ(dat.read("out.mpd"), "precious\r\n");
        EXPECT_EQ(dat.list(), (Names{"main.dat", "out.mpd", "sub.dat"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Library, Town, ::testing::Values(LibraryForm::Folder, LibraryForm::Archive),
                         [](const auto& row) { return row.param == LibraryForm::Folder ? "Folder" : "Archive"; });
INSTANTIATE_TEST_SUITE_P(Library, Merge, ::testing::Values(LibraryForm::Folder, LibraryForm::Archive),
                         [](const auto& row) { return row.param == LibraryForm::Folder ? "Folder" : "Archive"; });

// A damaged archive fails clearly, naming the archive (and the entry that cannot be read), never a
// merge that takes its parts for files not found; an entry that is never read does not matter.
TEST(LibraryArchive, DamagedArchivesFailClearlyAndWriteNothing)
{
    TempDir dat;
    TempDir ldraw;
    dat.write("main.dat", crlf({ref("3001.dat")}));
    const std::string brick = crlf({"0 Brick 2 x 4"});
    const auto zip = [&](const std::string& name, bool store = false) {
        testing::writeZip(ldraw.path() / name, {{"ldraw/parts/3001.dat", brick}, {"ldraw/p/box.dat", ""}}, store);
        return ldraw.read(name);
    };
    // An entry whose stored bytes were changed after the fact: its checksum fails.
    std::string badEntry = zip("complete.zip", true);
    badEntry[badEntry.find("Brick")] = 'X';
    std::string cutShort = zip("complete.zip");
    cutShort.resize(cutShort.size() / 2);
    const std::string archive = ldraw.field() + "complete.zip";
    const std::string unreadable = "The LDraw library archive " + archive + " cannot be read: ";
    // The archive's bytes, whether a plain merge still succeeds, and the start of the failure.
    const std::tuple<std::string, bool, std::string> cases[] = {
        {"this is not a zip archive", false, unreadable + "Not a zip archive"},
        {cutShort, false, unreadable},
        {badEntry, true, "Cannot read " + archive + "/ldraw/parts/3001.dat (referenced by main.dat): CRC error"}};
    for (const auto& [bytes, plainWorks, failure] : cases) {
        ldraw.write("complete.zip", bytes);
        const InstallationCheck installed = checkLDrawInstallation(NativeFileSystem(), ldraw.field());
        EXPECT_EQ(installed.holds, plainWorks);
        EXPECT_EQ(installed.archive, plainWorks ? "" : archive);
        EXPECT_EQ(installed.reason.empty(), plainWorks) << installed.reason;
        for (const bool pack : {false, true}) {
            ScriptedPrompter prompter;
            prompter.answers = {true};
            NativeFileSystem fileSystem;
            const MergeJob job{dat.field(), dat.field(), ldraw.field(), "out", "Brikmux", ReferenceKinds::DatOnly,
                               pack};
            const MergeResult result = MergeToMPD("main.dat", job, fileSystem, prompter);
            if (plainWorks && !pack) {
                EXPECT_EQ(result.status, MergeResult::Status::Created);
                std::filesystem::remove(dat.path() / "out.mpd");
                continue;
            }
            EXPECT_EQ(result.status, MergeResult::Status::Failed);
            ASSERT_EQ(prompter.failures().size(), 1U) << prompter.transcript();
            EXPECT_TRUE(prompter.failures()[0].text.starts_with(failure)) << prompter.failures()[0].text;
            EXPECT_TRUE(prompter.questions().empty());
            EXPECT_EQ(dat.list(), Names{"main.dat"});
            EXPECT_EQ(CheckMerge("main.dat", job, fileSystem).complete(), false);
        }
    }
    // Folders win only as a pair: beside a lone parts folder, the archive is the library.
    ldraw.write("parts/readme.txt", "");
    zip("complete.zip");
    NativeFileSystem native;
    const CheckResult half =
        CheckMerge("main.dat", MergeJob{dat.field(), dat.field(), ldraw.field(), "out", "Brikmux"}, native);
    ASSERT_EQ(half.files.size(), 2U);
    EXPECT_EQ(half.files[1].path, archive + "/ldraw/parts/3001.dat");

    // A damaged archive of unofficial parts beside a library folder fails the same way.
    std::filesystem::remove(ldraw.path() / "complete.zip");
    ldraw.write("parts/3001.dat", brick);
    ldraw.write("p/box.dat", "");
    ldraw.write("LDrawUnf.zip", "not a zip either");
    ScriptedPrompter prompter;
    NativeFileSystem fileSystem;
    MergeToMPD("main.dat", MergeJob{dat.field(), dat.field(), ldraw.field(), "out", "Brikmux"}, fileSystem, prompter);
    EXPECT_EQ(prompter.transcript(), "fail C Merge Failed: The LDraw library archive " + ldraw.field() +
                                         "LDrawUnf.zip cannot be read: Not a zip archive.\n");
}

} // namespace
} // namespace brikmux
