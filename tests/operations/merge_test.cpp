#include "files/paths.h"
#include "operations/check_listing.h"

#include <algorithm>
#include "merge_fixture.h"

namespace brikmux {
namespace {

using namespace testing::merge;

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

TEST_P(Merge, AnEarlierHeaderGoesOnlyWhereTheMainFileStartsWithAllOfIt)
{
    // A model split from an earlier merge starts with that merge's header (any author): it is not
    // written twice. Part of one, or one further down, is the model's own text.
    const std::string old = "0 MPD Author: Old";
    const std::vector<std::string> rest = {"0", "0 This .MPD was compiled using Brikmux",
                                           "0 http://www.brikmux.org/~zelk/Brikmux/Brikmux.html", "0"};
    std::vector<std::string> whole = {old};
    whole.insert(whole.end(), rest.begin(), rest.end());
    std::vector<std::string> later = {"0 Title"};
    later.insert(later.end(), whole.begin(), whole.end());
    std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> rows = {
        {{old, "0", "0 main"}, {old, "0", "0 main"}},
        {{old, "0"}, {old, "0"}},
        {later, later},
    };
    whole.push_back("0 main");
    rows.emplace_back(whole, std::vector<std::string>{"0 main"});
    for (std::size_t i = 0; i < rows.size(); ++i) {
        dat.write("main.dat", crlf(rows[i].first));
        const std::string mpd = "out" + std::to_string(i) + ".mpd";
        merge("main.dat", mpd);
        EXPECT_EQ(dat.read(mpd), "0 FILE main.dat\r\n" + kHeader + crlf(rows[i].second)) << i;
    }
}

TEST_P(Merge, PackedEmbedsEveryFileOnceUnderItsLibraryPathWithTheColours)
{
    library.write("LDCONFIG.LDR", crlf({"0 LDraw.org Configuration File", "0 !COLOUR Black CODE 0 VALUE #1B2A34",
                                        "  0 !COLOUR Blue CODE 1 VALUE #1E5AA8", "0 // 0 !COLOUR not one"}));
    library.write("parts/3001.dat", crlf({"0 Brick 2 x 4", ref("s\\3001s01.dat"), ref("box.dat")}));
    // A marker inside a library file is left out; the file is read on to its end.
    library.write("parts/s/3001s01.dat",
                  crlf({"0 ~Brick 2 x 4 without Front Face", "0 FILE stray.dat", ref("48\\1-4cyli.dat")}));
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
                                           "  0 !TEXMAP NEXT SPHERICAL" + nine + "1 2 unof.png",
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
    library.write("p/box.dat", "0 Box\r\n");
    dat.write("box.dat", "0 my own box\r\n");
    dat.write("main.dat", crlf({ref("sub.dat"), ref("3001.dat"), ref("gone.dat"), ref("folder.dat"), ref("u.dat"),
                                ref("Box.DAT"), ref("folder.mpd")}));
    dat.write("sub.dat", crlf({ref("3001.dat"), ref("gone.dat"), ref("sub.dat"), ref("main.dat"),
                               "0 !TEXMAP NEXT PLANAR 1 0 0 0 1 0 0 0 1 lib.png GLOSSMAP pic.png",
                               "0 !TEXMAP NEXT PLANAR 1 0 0 0 1 0 0 0 1 lost.png"}));
    dat.write("folder.dat/x", "");
    dat.write("folder.mpd/x", "");
    dat.write("textures/pic.png", "");
    // As a check shows it, the test's folders as DAT/ and LIB/ (the archives' paths as the folder's).
    const auto listing = [&](bool pack) {
        CheckResult result = CheckMerge("main.dat", job("out", pack), fileSystem);
        for (auto& file : result.files) {
            std::string path = asInFolder(file.path);
            for (const auto& [folder, shown] : {std::pair{dat.field(), "DAT/"}, {library.field(), "LIB/"}}) {
                if (path.starts_with(folder)) {
                    path = shown + path.substr(folder.size());
                }
            }
            std::replace(path.begin(), path.end(), kSeparator, '/');
            file.path = path;
        }
        return std::string(result.complete() ? "complete\n" : "incomplete\n") +
               checkListing(result.files, result.cycle);
    };
    EXPECT_EQ(listing(false), "incomplete\n"
                              "Main file:\n"
                              "  main.dat  DAT/main.dat  (referenced by sub.dat)\n"
                              "Custom sub-files:\n"
                              "  sub.dat  DAT/sub.dat  (referenced by main.dat, sub.dat)\n"
                              "  Box.DAT (replaces a library part)  DAT/" +
                                  std::string(kSeparator == '/' ? "box.dat" : "Box.DAT") + // found, or opened, as spelt
                                  "  (referenced by main.dat)\n"
                                  "Unofficial parts:\n"
                                  "  u.dat  LIB/Unofficial/parts/u.dat  (referenced by main.dat)\n"
                                  "Library files:\n"
                                  "  3001.dat  LIB/parts/3001.dat  (referenced by main.dat, sub.dat, u.dat)\n"
                                  "Custom images:\n"
                                  "  pic.png  DAT/textures/pic.png  (referenced by sub.dat)\n"
                                  "Library images:\n"
                                  "  lib.png  LIB/parts/textures/lib.png  (referenced by sub.dat)\n"
                                  "Found nowhere:\n"
                                  "  gone.dat  (referenced by main.dat, sub.dat)\n"
                                  "  lost.png (image)  (referenced by sub.dat)\n"
                                  "Cannot be read:\n"
                                  "  folder.dat  DAT/folder.dat: Is a directory  (referenced by main.dat)\n"
                                  "  folder.mpd  DAT/folder.mpd: Is a directory  (referenced by main.dat)\n");
    // Packed, the library's own references are walked too.
    const std::string packed = listing(true);
    EXPECT_NE(packed.find("  s\\3001s01.dat  LIB/parts/s/3001s01.dat  (referenced by 3001.dat)\n"), std::string::npos)
        << packed;
    EXPECT_NE(packed.find("  3001.dat  LIB/parts/3001.dat  (referenced by main.dat, sub.dat, u.dat)\n"),
              std::string::npos);
    EXPECT_TRUE(prompter.calls.empty());
    EXPECT_EQ(dat.list(), (Names{"box.dat", "folder.dat", "folder.mpd", "main.dat", "sub.dat", "textures"}));
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

    // A long list is shortened in the text and given whole as details; ten are shown whole.
    for (const int count : {10, 12}) {
        std::string many;
        for (int i = 0; i < count; ++i) {
            many += "1 16 0 0 0 1 0 0 0 1 0 0 0 1 m" + std::to_string(i) + ".dat\n";
        }
        dat.write("many.dat", many);
        prompter = {};
        prompter.answers = {true};
        merge("many.dat", "many" + std::to_string(count));
        const Message question = prompter.questions().at(0);
        const std::string more = count == 10 ? "" : "... and 2 more\n";
        EXPECT_TRUE(question.text.ends_with("\nm9.dat (referenced by many.dat)\n" + more +
                                            "Create the .MPD without them? Their references stay in the model."))
            << question.text;
        EXPECT_EQ(question.details.empty(), count == 10);
        EXPECT_TRUE(question.details.ends_with(count == 10 ? "" : "m11.dat (referenced by many.dat)\n"));
    }
    EXPECT_EQ(done(), "many12.mpd has been successfully created. 0 .DAT file(s) merged.");
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
    // A check tells the two apart: a main file not there, and one that cannot be read.
    for (const auto& [main, kind] :
         {std::pair{"car.dat", WalkEntry::Kind::NotFound}, std::pair{"folder.dat", WalkEntry::Kind::Unreadable}}) {
        EXPECT_EQ(CheckMerge(main, job("x"), fileSystem).files.at(0).kind, kind) << main;
    }
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
        // A section that names the MPD's own file: its main model, met before.
        {{"0 FILE a.ldr", ref("b.ldr"), "0 FILE b.ldr", ref("in.mpd")}, {"a.ldr", "b.ldr"}, "0 FILE b.ldr\r\n"},
    };
    for (const auto& row : rows) {
        dat.write("in.mpd", crlf(row.lines));
        for (const bool pack : {false, true}) {
            EXPECT_EQ(CheckMerge("in.mpd", job("x.mpd", pack), fileSystem).complete(), !row.datFiles.empty())
                << row.text;
        }
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

TEST_P(Merge, WriteFaultsLeaveNoPartialOutput)
{
    dat.write("main.dat", crlf({"0 main", "0 !TEXMAP NEXT PLANAR 1 0 0 0 1 0 0 0 1 tex.png", ref("sub.dat")}));
    dat.write("sub.dat", "0 sub\r\n");
    dat.write("textures/tex.png", "png");
    dat.write("out.mpd", "precious\r\n");
    // The fault, which call of its kind fails, and the file the message names.
    const std::tuple<int FaultyFileSystem::*, int, std::string> faults[] = {
        {&FaultyFileSystem::failCreateOutput, 1, "out.mpd"},
        {&FaultyFileSystem::failWrite, 1, "out.mpd"},
        {&FaultyFileSystem::failCommit, 1, "out.mpd"},
        {&FaultyFileSystem::failRead, 1, "main.dat"},
        {&FaultyFileSystem::failRead, 3, "sub.dat (referenced by main.dat)"},
        {&FaultyFileSystem::failOpenForReading, 2, "sub.dat (referenced by main.dat)"}, // vanished mid-merge
        {&FaultyFileSystem::failOpenForReading, 3, "tex.png (referenced by main.dat)"}};
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
        EXPECT_EQ(dat.list(), (Names{"main.dat", "out.mpd", "sub.dat", "textures"}));
    }
}

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
            // The work list names the model, and the file that failed when the walk ran.
            EXPECT_EQ(result.datFiles, (plainWorks ? Names{"main.dat", "3001.dat"} : Names{"main.dat"}));
            ASSERT_EQ(prompter.failures().size(), 1U) << prompter.transcript();
            EXPECT_TRUE(prompter.failures()[0].text.starts_with(failure)) << prompter.failures()[0].text;
            EXPECT_TRUE(prompter.questions().empty());
            EXPECT_EQ(dat.list(), Names{"main.dat"});
            EXPECT_EQ(CheckMerge("main.dat", job, fileSystem).complete(), false);
        }
    }
    // A DAT-folder copy of a part whose archived entry cannot be read is taken as the user's own.
    dat.write("3001.dat", brick);
    {
        ScriptedPrompter prompter;
        NativeFileSystem fileSystem;
        const MergeResult own = MergeToMPD(
            "main.dat", MergeJob{dat.field(), dat.field(), ldraw.field(), "own", "Brikmux"}, fileSystem, prompter);
        EXPECT_EQ(own.datFiles, (Names{"main.dat", "3001.dat"})) << prompter.transcript();
    }
    std::filesystem::remove(dat.path() / "3001.dat");
    std::filesystem::remove(dat.path() / "own.mpd");

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
