#include "files/paths.h"
#include "library/case_resolver.h"
#include "library/library.h"
#include "library/library_places.h"
#include "library/name_set.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace brikmux {
namespace {

using testing::TempDir;

TEST(CaseResolver, FindsFilesComponentByComponentIgnoringLetterCase)
{
    TempDir dir;
    NativeFileSystem fileSystem;
    CaseResolver resolver(fileSystem);
    EXPECT_FALSE(resolver.resolve(dir.field(), "A.DAT").fileExists);
    dir.write("a.dat", "");
    resolver.noteFileCreated(dir.field(), "a.dat"); // seen without listing the folder again
    EXPECT_EQ(resolver.resolve(dir.field(), "A.DAT").fileName, "a.dat");
#ifndef _WIN32 // on a file system that tells letter case apart; Windows' own finds the other spelling
    for (const char* file : {"Parts/s/3001s01.dat", "Parts/3001.DAT", "P/box.dat", "P/Box.dat", "Parts/f.dat/in.dat",
                             "wheels", "Wheels/hub.dat"}) {
        dir.write(file, "");
    }
    std::filesystem::create_symlink(dir.path() / "P/box.dat", dir.path() / "P/link.dat");
    resolver.forget();
    const std::pair<const char*, const char*> cases[] = {{"parts\\S\\3001S01.dat", "Parts/s/3001s01.dat"},
                                                         {"PARTS/3001.dat", "Parts/3001.DAT"},
                                                         {"p/box.dat", "P/box.dat"}, // the exact spelling wins
                                                         {"p/BOX.dat", "P/Box.dat"}, // else the same one every time
                                                         {"p/link.dat", "P/link.dat"},
                                                         {"parts/f.dat", "-"},
                                                         {"wheels/hub.dat", "Wheels/hub.dat"}, // a folder, not the file
                                                         {"parts/missing.dat", "-"},
                                                         {"nowhere/3001.dat", "-"}};
    for (const auto& [name, found] : cases) {
        const auto resolved = resolver.resolve(dir.field(), name);
        EXPECT_EQ(resolved.fileExists ? resolved.path().substr(dir.field().size()) : "-", found) << name;
    }
    const auto fresh = resolver.resolveFresh(dir.field(), "new\\x.dat");
    EXPECT_FALSE(fresh.folderExists);
    EXPECT_EQ(fresh.path(), dir.field() + "new/x.dat");
#endif
}

#ifndef _WIN32 // where a file system tells "Parts" and "parts" apart
// Of two spellings of the parts folder, the exact one ("Parts") is the library's, else the same
// one every time (the first in byte order), as for any other name.
TEST(Library, OfTwoSpellingsOfAFolderOneServesAlways)
{
    const std::pair<const char*, const char*> spellings[] = {
        {"Parts", "parts"}, {"Parts", "PARTS"}, {"PARTS", "parts"}};
    for (const auto& [served, other] : spellings) {
        TempDir dir;
        dir.write(std::string(served) + "/served.dat", "");
        dir.write(std::string(other) + "/other.dat", "");
        dir.write("p/box.dat", "");
        NativeFileSystem fileSystem;
        std::unique_ptr<Library> library;
        ASSERT_TRUE(openLibrary(fileSystem, dir.field(), library));
        EXPECT_TRUE(library->IsLibraryFile("served.dat")) << served;
        EXPECT_FALSE(library->IsLibraryFile("other.dat")) << served;
        EXPECT_EQ(library->Locate("SERVED.DAT").path, dir.field() + served + "/served.dat");
    }
}
#endif

// Where a library is looked for when none is chosen: LDRAWDIR first, then the usual places in the
// profile; the first folder, in any letter case, that holds a library.
TEST(LibraryPlaces, LdrawdirComesBeforeTheUsualPlaces)
{
    TempDir dir;
    dir.write("env/parts/3001.dat", "");
    dir.write("env/p/box.dat", "");
    dir.write("empty/notes.txt", "");
#ifdef _WIN32
    const std::string usual = "LDraw";
#else
    const std::string usual = "LDRAW"; // the place "ldraw", as spelt on the disk
#endif
    dir.write("home/" + usual + "/parts/3001.dat", "");
    dir.write("home/" + usual + "/p/box.dat", "");
    const struct {
        const char* ldrawDir;
        std::string found;
    } rows[] = {{"env", dir.field() + "env" + kSeparator},
                {"", dir.field() + "home" + kSeparator + usual + kSeparator},
                {"empty", dir.field() + "home" + kSeparator + usual + kSeparator}};
    NativeFileSystem fileSystem;
    for (const auto& [ldrawDir, found] : rows) {
        const auto folders = usualLibraryFolders([&](const char* name) {
            const std::string variable = name;
            if (variable == "LDRAWDIR") {
                return *ldrawDir == '\0' ? std::string() : dir.field() + ldrawDir;
            }
            return variable == "HOME" || variable == "USERPROFILE" ? dir.field() + "home" : std::string();
        });
        EXPECT_EQ(findLibrary(fileSystem, folders), found) << ldrawDir;
    }
}

// Which entries of LDraw's archives are library files: under complete.zip's top folder "ldraw/" in
// any letter case, never a folder entry or a file outside it; ldrawunf.zip has no top folder.
TEST(Library, AnArchiveServesItsFilesUnderItsTopFolderOnly)
{
    TempDir dir;
    testing::writeZip(dir.path() / "complete.zip", {{"ldraw/parts/3001.dat", "0 brick"},
                                                    {"LDraw/P/box.dat", "0 box"},
                                                    {"ldraw/parts/s/", ""},
                                                    {"ldraw/parts/s/3001s01.dat", "0 sub-part"},
                                                    {"elsewhere/parts/other.dat", ""},
                                                    {"ldraw", "a file named like the top folder"},
                                                    {"ldraw/models/car.dat", "0 car"}});
    testing::writeZip(dir.path() / "ldrawunf.zip", {{"parts/", ""}, {"parts/new.dat", "0 new"}});
    dir.write("models/own.ldr", "0 own"); // sub-models kept beside the archives
    NativeFileSystem fileSystem;
    std::unique_ptr<Library> library;
    ASSERT_TRUE(openLibrary(fileSystem, dir.field(), library));
    std::string found;
    for (const char* name :
         {"3001.dat", "BOX.DAT", "s", "s\\3001s01.dat", "other.dat", "new.dat", "car.dat", "own.ldr"}) {
        const Library::Located located = library->Locate(name);
        const std::string unofficial = library->UnofficialFile(name);
        std::string bytes;
        std::unique_ptr<InputFile> file;
        const std::string& path = located.path.empty() ? unofficial : located.path;
        if (!path.empty() && library->open(path, file)) {
            bytes.resize(64);
            std::size_t count = 0;
            (void)file->read(bytes.data(), bytes.size(), count);
            bytes.resize(count);
        }
        found += std::string(name) + (library->IsLibraryFile(name) ? " library" : "") +
                 (unofficial.empty() ? "" : " unofficial") + (library->ModelFile(name).empty() ? "" : " model") +
                 (bytes.empty() ? "" : " \"" + bytes + "\"") + "\n";
    }
    EXPECT_EQ(found, "3001.dat library \"0 brick\"\nBOX.DAT library \"0 box\"\ns\n"
                     "s\\3001s01.dat library \"0 sub-part\"\nother.dat\nnew.dat unofficial \"0 new\"\n"
                     "car.dat model\nown.ldr model\n");
}

// The merge's set of names agrees with a standard set while it grows or is made room in, for long
// names and the empty one.
TEST(NameSetTest, AgreesWithAStandardSet)
{
    NameSet names;
    std::set<std::string> expected;
    for (int i = 0; i < 5000; ++i) {
        if (i == 2500) {
            names.reserve(4000); // the names so far move to a larger table
        }
        std::string name = i % 7 == 0 ? std::string(static_cast<std::size_t>(i % 40), 'x') : "p";
        name.append(std::to_string(i % 7 == 0 ? i % 300 : i % 900));
        ASSERT_EQ(names.contains(name), expected.count(name) == 1) << name;
        ASSERT_EQ(names.insert(name), expected.insert(name).second) << name;
    }
    EXPECT_TRUE(names.insert(""));
    EXPECT_EQ(names.size(), expected.size() + 1);
    for (const auto& name : expected) {
        ASSERT_NE(names.find(name), NameSet::npos) << name;
        EXPECT_EQ(names[names.find(name)], name);
    }
    EXPECT_TRUE(names.contains("") && !names.contains("p900") && !names.contains(std::string(41, 'x')));
    EXPECT_EQ(names.find("p900"), NameSet::npos);
}

} // namespace
} // namespace brikmux
