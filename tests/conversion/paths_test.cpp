#include "conversion/case_resolver.h"
#include "conversion/paths.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brikmux {
namespace {

using testing::TempDir;

TEST(Paths, JoinMapsBackslashesAndFoldsDoubledSeparators)
{
#ifdef _WIN32
    const char* const joined[][3] = {{"C:\\Models\\", "car.dat", "C:\\Models\\car.dat"},
                                     {"C:\\Models\\", "s/abc.dat", "C:\\Models\\s\\abc.dat"},
                                     {"C:\\Models\\\\", "\\s\\\\abc.dat", "C:\\Models\\s\\abc.dat"},
                                     {"C:\\", "x.dat", "C:\\x.dat"}};
    const char* const ended[][2] = {{"C:\\Models", "C:\\Models\\"}, {"C:\\Models\\\\", "C:\\Models\\"}, {"C:\\", "C:\\"}};
#else
    const char* const joined[][3] = {{"/m/", "car.dat", "/m/car.dat"},
                                     {"/m/", "s\\abc.dat", "/m/s/abc.dat"},
                                     {"/m//", "\\s\\\\abc.dat", "/m/s/abc.dat"},
                                     {"/", "x.dat", "/x.dat"}};
    const char* const ended[][2] = {{"/m", "/m/"}, {"/m//", "/m/"}, {"/", "/"}};
#endif
    for (const auto& [folder, name, expected] : joined) {
        EXPECT_EQ(joinPath(folder, name), expected) << folder << " + " << name;
    }
    for (const auto& [folder, expected] : ended) {
        EXPECT_EQ(withTrailingSeparator(folder), expected) << folder;
    }
}

#ifndef _WIN32
// On a file system that tells letter case apart; Windows' own finds the other spelling itself.
TEST(CaseResolver, FindsFilesComponentByComponentIgnoringLetterCase)
{
    TempDir dir;
    dir.write("Parts/s/3001s01.dat", "a");
    dir.write("Parts/3001.DAT", "b");
    dir.write("P/box.dat", "c");
    dir.write("P/Box.dat", "d");
    dir.write("Parts/folder.dat/inner.dat", "e");
    std::filesystem::create_symlink(dir.path() / "P/box.dat", dir.path() / "P/link.dat");

    NativeFileSystem fileSystem;
    CaseResolver resolver(fileSystem);
    const auto found = [&](const std::string& name) {
        const auto resolved = resolver.resolve(dir.field(), name);
        return resolved.fileExists ? resolved.path().substr(dir.field().size()) : std::string("-");
    };
    EXPECT_EQ(found("parts\\S\\3001S01.dat"), "Parts/s/3001s01.dat");
    EXPECT_EQ(found("PARTS/3001.dat"), "Parts/3001.DAT");
    EXPECT_EQ(found("p/box.dat"), "P/box.dat");   // the exact spelling wins
    EXPECT_EQ(found("p/BOX.dat"), "P/Box.dat");   // else the same one every time
    EXPECT_EQ(found("p/link.dat"), "P/link.dat"); // a link to a file is a file
    EXPECT_EQ(found("parts/folder.dat"), "-");    // a folder is not
    EXPECT_EQ(found("parts/missing.dat"), "-");
    EXPECT_EQ(found("nowhere/3001.dat"), "-");

    const auto fresh = resolver.resolveFresh(dir.field(), "new\\x.dat");
    EXPECT_FALSE(fresh.folderExists);
    EXPECT_EQ(fresh.path(), dir.field() + "new/x.dat");
}
#endif

TEST(CaseResolver, SeesFilesItIsToldWereCreated)
{
    TempDir dir;
    NativeFileSystem fileSystem;
    CaseResolver resolver(fileSystem);
    EXPECT_FALSE(resolver.resolve(dir.field(), "A.DAT").fileExists);
    dir.write("a.dat", "");
    resolver.noteFileCreated(dir.field(), "a.dat");
    EXPECT_EQ(resolver.resolve(dir.field(), "A.DAT").fileName, "a.dat");
}

} // namespace
} // namespace brikmux
