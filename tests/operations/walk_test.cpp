#include "files/paths.h"
#include "merge_fixture.h"
#include "operations/check_listing.h"
#include "operations/walked_mpds.h"

namespace brikmux {
namespace {

using namespace testing::merge;

// The walk by its jobs, through the merge that runs it: where each name leads, what starts a
// block, and how blocks of one name met in MPDs inside the model are told apart.
class Walk : public Merge {};

TEST_P(Walk, WalksBreadthFirstOnceForEachSpellingAndLeavesLibraryFilesOut)
{
    dat.write("main.dat", crlf({ref("a.dat"), ref("b.dat"), ref("a.dat"), ref("SUB.DAT"), ref("3001.DAT"),
                                ref("Box.dat"), ref("s\\3001s01.dat"), ref("f1.ldr"), ref("plate")}));
    dat.write("a.dat", crlf({ref("c.dat"), ref("main.dat"), ref("Main.dat"), ref("s/3001S01.dat")}));
    dat.write("b.dat", crlf({ref("sub.dat"), ref("a.dat")}));
    dat.write("c.dat", crlf({ref("b.dat"), "01 16 0 0 0 1 0 0 0 1 0 0 0 1 d.dat"})); // "01" reads as 1
    dat.write("d.dat", "");
    dat.write("sub.dat", "0 sub\r\n");
    dat.write("3001.dat", ""); // the library's file as it is: left to the library
    dat.write("f1.ldr", "");
    dat.write("plate", "");
    // Main.dat differs from the main name in case: a section of its own. SUB.DAT and sub.dat both
    // read sub.dat. Every name is followed, whatever it ends in; only .dat ones when asked.
    EXPECT_EQ(merge("main.dat").datFiles, (Names{"main.dat", "a.dat", "b.dat", "SUB.DAT", "f1.ldr", "plate", "c.dat",
                                                 "Main.dat", "sub.dat", "d.dat"}));
    EXPECT_EQ(done(), "out.mpd has been successfully created. 9 .DAT file(s) merged.");
    prompter.answers = {true};
    EXPECT_EQ(merge("b.dat", "out", ReferenceKinds::DatOnly).datFiles,
              (Names{"b.dat", "sub.dat", "a.dat", "c.dat", "main.dat", "Main.dat", "d.dat", "SUB.DAT"}));
}

TEST_P(Walk, EmbedsUnofficialPartsButNeverOfficialOnesAndPrefersTheDatFolder)
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

TEST_P(Walk, OnlyANamedMarkerStartsABlockAndTheModelStaysWhole)
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

TEST_P(Walk, BlanksAfterANameAreNoPartOfIt)
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

TEST_P(Walk, AnInnerMpdsModelBeforeItsFirstBlockFindsItsBlocksThere)
{
    // The MPD keeps its own model before its first block, as three.js's packer writes it.
    const std::string own =
        std::string(1, ' ') + ref("bench.ldr"); // not " " + ...: MinGW g++ 12 warns (-Wrestrict) on it
    dat.write("main.ldr", crlf({ref("park.dat")}));
    dat.write("park.dat", crlf({own, "0 FILE bench.ldr", "0 bench"}));
    EXPECT_EQ(merge("main.ldr").datFiles, (Names{"main.ldr", "park.dat", "bench.ldr"}));
    EXPECT_NE(dat.read("out.mpd").find("0 FILE park.dat\r\n" + own + "\r\n0 FILE bench.ldr\r\n0 bench\r\n"),
              std::string::npos);
    EXPECT_EQ(prompter.informations().at(0).details, "main.ldr\npark.dat\nbench.ldr (in park.dat)\n");
    // Without the blank, as most packers write it: the same.
    dat.write("park.dat", crlf({ref("bench.ldr"), "0 FILE bench.ldr", "0 bench"}));
    EXPECT_EQ(merge("main.ldr", "unindented.mpd").datFiles, (Names{"main.ldr", "park.dat", "bench.ldr"}));
    dat.write("park.dat", crlf({own, "0 FILE bench.ldr", "0 bench"}));
    // Where only .dat names count, the line is no reference, yet a line of the model.
    EXPECT_EQ(merge("main.ldr", "dat-only.mpd", ReferenceKinds::DatOnly).datFiles, (Names{"main.ldr", "park.dat"}));
    const std::string datOnly = dat.read("dat-only.mpd");
    EXPECT_EQ(datOnly.substr(datOnly.find("0 FILE park.dat")), "0 FILE park.dat\r\n" + own + "\r\n");
    // An own model of edges alone is a model too: its lines are written once.
    const std::string edge = "2 24 0 0 0 1 1 1";
    dat.write("park.dat", crlf({edge, "0 FILE bench.ldr", "0 bench"}));
    EXPECT_EQ(merge("main.ldr", "edges.mpd").datFiles, (Names{"main.ldr", "park.dat"}));
    const std::string edges = dat.read("edges.mpd");
    EXPECT_EQ(edges.substr(edges.find("0 FILE park.dat")), "0 FILE park.dat\r\n" + edge + "\r\n");
    // An own model and then images only: its images are its blocks.
    const std::string texmap = "0 !TEXMAP NEXT PLANAR 0 0 0 1 0 0 0 1 0 leaf.png";
    dat.write("park.dat", crlf({texmap, edge, "0 !DATA leaf.png", "0 !: aGVsbG8="}));
    EXPECT_EQ(merge("main.ldr", "leaf.mpd").images, (Names{"leaf.png"}));
    const std::string leaf = dat.read("leaf.mpd");
    EXPECT_EQ(leaf.substr(leaf.find("0 FILE park.dat")),
              crlf({"0 FILE park.dat", texmap, edge, "0 !DATA leaf.png", "0 !: aGVsbG8="}));
}

// The folder in which an inner MPD's colliding blocks get their new names: its name without its
// extension, in the folder its reference names.
TEST(WalkedMpds, ABlockRenamedGoesToAFolderNamedAfterItsMpd)
{
    const std::pair<const char*, const char*> cases[] = {{"house.mpd", "house/"},
                                                         {"sub/house.mpd", "sub/house/"},
                                                         {"sub\\house.ldr", "sub\\house/"},
                                                         {"sub.x/house", "sub.x/house/"},
                                                         {".mpd", ".mpd/"},
                                                         {"sub/.mpd", "sub/.mpd/"}};
    for (const auto& [name, folder] : cases) {
        EXPECT_EQ(folderFor(name), folder) << name;
    }
}

// A town as collaborative layouts build them: MPDs inside the model (one named .ldr), two of them
// with a roof of their own, one referencing another whose roof is the first's (line ends aside),
// sub-models in the library's models folder, one named without an extension.
class Town : public Walk {
protected:
    Town()
    {
        dat.write("town.ldr", crlf({ref("house.mpd"), ref("shop.ldr"), ref("street"), ref("tree.ldr"), ref("roof.ldr"),
                                    ref("3001.dat"), ref("sign.ldr")}));
        dat.write("sign.ldr", crlf({"0 sign"})); // the same as the shop's sign
        // SIGN.LDR, met once blocks are told apart, is still a section of its own spelling.
        dat.write("roof.ldr", crlf({"0 the town's roof", ref("3001.dat"), ref("SIGN.LDR"), ref("door.dat")}));
        dat.write("house.mpd", crlf({"0 FILE house.ldr", ref("Roof.ldr"), ref("door.dat"), ref("garage.mpd"),
                                     "0 FILE roof.ldr", "0 the house's roof", ref("3001.dat"), "0 FILE door.dat",
                                     "0 door", ref("3001.dat"), "0 FILE 3001.dat", "0 the house's own brick"}));
        dat.write("shop.ldr", crlf({"0 FILE shop-main.ldr", ref("roof.ldr"), ref("sign.ldr"), "0 FILE roof.ldr",
                                    "0 the shop's roof", "0 FILE sign.ldr", "0 sign"}));
        dat.write("garage.mpd", "0 FILE garage.ldr\n" + ref("roof.ldr") + "\n0 FILE roof.ldr\n0 the house's roof\n" +
                                    ref("3001.dat") + "\n");
        // The tree and the town's roof, met after the house, name a door of their own.
        library.write("models/tree.ldr", crlf({"0 tree", ref("3001.dat"), ref("door.dat")}));
        dat.write("door.dat", crlf({"0 the town's door"}));
        library.write("models/street", crlf({"0 street"}));
    }
};

TEST_P(Town, InnerMpdsBringTheirBlocksAndNamesThatCollideAreToldApart)
{
    const MergeResult result = merge("town.ldr");
    ASSERT_EQ(result.status, MergeResult::Status::Created) << prompter.transcript();
    EXPECT_EQ(result.datFiles,
              (Names{"town.ldr", "house.mpd", "shop.ldr", "street", "tree.ldr", "roof.ldr", "sign.ldr", "Roof.ldr",
                     "door.dat", "garage.mpd", "roof.ldr", "door.dat", "SIGN.LDR", "3001.dat"}));
    const std::string out = dat.read("out.mpd");
    // Each file's own model under the name it is referenced by, its names rewritten where they
    // were told apart; the garage's roof is the house's.
    for (const std::string& section :
         Names{"0 FILE house.mpd\r\n" + crlf({ref("house/Roof.ldr"), ref("door.dat"), ref("garage.mpd")}),
               "0 FILE shop.ldr\r\n" + crlf({ref("shop/roof.ldr"), ref("sign.ldr")}),
               "0 FILE garage.mpd\r\n" + crlf({ref("house/Roof.ldr")}),
               "0 FILE house/Roof.ldr\r\n0 the house's roof\r\n", "0 FILE shop/roof.ldr\r\n0 the shop's roof\r\n",
               "0 FILE tree.ldr\r\n" + crlf({"0 tree", ref("3001.dat"), ref("town/door.dat")}),
               "0 FILE roof.ldr\r\n0 the town's roof\r\n", "0 FILE street\r\n0 street\r\n",
               "0 FILE town/door.dat\r\n0 the town's door\r\n"}) {
        EXPECT_NE(out.find(section), std::string::npos) << section;
    }
    EXPECT_EQ(out.find("0 FILE garage/"), std::string::npos);
    EXPECT_EQ(prompter.informations().at(0).details,
              "town.ldr\nhouse.mpd\nshop.ldr\nstreet\ntree.ldr\nroof.ldr\nsign.ldr\nRoof.ldr from house.mpd as "
              "house/Roof.ldr\ndoor.dat (in house.mpd)\ngarage.mpd\nroof.ldr from shop.ldr as shop/roof.ldr\n"
              "door.dat from the DAT folder as town/door.dat\nSIGN.LDR\n3001.dat from house.mpd as house/3001.dat\n");
    // The house's own brick replaces the library's within the house only; the town's is the library's.
    EXPECT_NE(out.find("0 FILE door.dat\r\n0 door\r\n" + ref("house/3001.dat")), std::string::npos);
    EXPECT_EQ(out.find("0 FILE 3001.dat"), std::string::npos);

    // A check lists the renamed door with both that reference it, packed as merged.
    for (const bool pack : {false, true}) {
        const CheckResult check = CheckMerge("town.ldr", job("x", pack), fileSystem);
        EXPECT_NE(
            checkListing(check.files, check.cycle)
                .find("  door.dat as town/door.dat  " + dat.field() + "door.dat  (referenced by tree.ldr, roof.ldr)\n"),
            std::string::npos)
            << pack;
    }

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

// Two inner MPDs each carry an image of one name with other content: the later is told apart like
// a section, and the !TEXMAP line that names it names it anew; the house's image, met first, keeps
// its name.
TEST_P(Town, ImagesOfOneNameAreToldApartAndTheirTexmapLinesFollow)
{
    const auto withImage = [](const std::string& model, const std::string& data) {
        return crlf({"0 FILE " + model, "0 !TEXMAP START PLANAR 0 0 0 1 0 0 0 1 0 logo.png", ref("3001.dat"),
                     "0 !TEXMAP END", "0 !DATA logo.png", "0 !: " + data});
    };
    dat.write("house.mpd", withImage("house.ldr", "QUFB"));
    dat.write("shop.ldr", withImage("shop-main.ldr", "QkJC"));
    dat.write("town.ldr", crlf({ref("house.mpd"), ref("shop.ldr")}));
    ASSERT_EQ(merge("town.ldr").status, MergeResult::Status::Created) << prompter.transcript();
    const std::string out = dat.read("out.mpd");
    EXPECT_EQ(out.substr(out.find("0 FILE shop.ldr")),
              crlf({"0 FILE shop.ldr", "0 !TEXMAP START PLANAR 0 0 0 1 0 0 0 1 0 shop/logo.png", ref("3001.dat"),
                    "0 !TEXMAP END", "0 !DATA logo.png", "0 !: QUFB", "0 !DATA shop/logo.png", "0 !: QkJC"}));
    // A check lists each with the block that names it.
    const CheckResult check = CheckMerge("town.ldr", job("x"), fileSystem);
    const std::string listing = checkListing(check.files, check.cycle);
    EXPECT_NE(listing.find("Custom images:\n  logo.png (in house.mpd)  " + dat.field() +
                           "house.mpd  (referenced by house.mpd)\n  logo.png as shop/logo.png (in shop.ldr)  " +
                           dat.field() + "shop.ldr  (referenced by shop.ldr)\n"),
              std::string::npos)
        << listing;
    // The same image in both: one block, and the shop's line names it as it was.
    dat.write("shop.ldr", withImage("shop-main.ldr", "QUFB"));
    ASSERT_EQ(merge("town.ldr", "same.mpd").status, MergeResult::Status::Created) << prompter.transcript();
    const std::string same = dat.read("same.mpd");
    EXPECT_EQ(same.substr(same.find("0 FILE shop.ldr")),
              crlf({"0 FILE shop.ldr", "0 !TEXMAP START PLANAR 0 0 0 1 0 0 0 1 0 logo.png", ref("3001.dat"),
                    "0 !TEXMAP END", "0 !DATA logo.png", "0 !: QUFB"}));
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
             dat.write("garage.mpd", crlf({"0 FILE garage.ldr", ref("roof.ldr"), ref("house.mpd") + " \t",
                                           "0 FILE roof.ldr", "0 the house's roof", ref("3001.dat")}));
         },
         "The model reaches itself: house.mpd -> garage.mpd -> house.mpd (line 2 of " + dat.field() +
             "garage.mpd, section garage.ldr)."},
        {"a cycle inside an inner MPD",
         [&] {
             std::string cyclic = house;
             cyclic.insert(cyclic.find("0 the house's roof"), crlf({ref("house.ldr")}));
             dat.write("house.mpd", cyclic);
         },
         "The model reaches itself: house.mpd -> house/Roof.ldr -> house.mpd (line 1 of " + dat.field() +
             "house.mpd, section roof.ldr)."},
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
        // Packed, the walk finds the same cycle.
        EXPECT_EQ(CheckMerge("town.ldr", job("out.mpd", true), fileSystem).cycle.has_value(), check.cycle.has_value());
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

INSTANTIATE_TEST_SUITE_P(Library, Walk, ::testing::Values(LibraryForm::Folder, LibraryForm::Archive),
                         [](const auto& row) { return row.param == LibraryForm::Folder ? "Folder" : "Archive"; });
INSTANTIATE_TEST_SUITE_P(Library, Town, ::testing::Values(LibraryForm::Folder, LibraryForm::Archive),
                         [](const auto& row) { return row.param == LibraryForm::Folder ? "Folder" : "Archive"; });

} // namespace
} // namespace brikmux
