#include "conversion/case_resolver.h"
#include "conversion/paths.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brikmux {
namespace {

using testing::TempDir;

TEST(Paths, JoinMapsSeparatorsAndFoldsDoubledOnes)
{
    // Folder, name, joined; a folder alone and with its one trailing separator.
#ifdef _WIN32
    const char* const cases[][3] = {{"C:\\Models\\", "s/abc.dat", "C:\\Models\\s\\abc.dat"},
                                    {"C:\\Models\\\\", "\\s\\\\abc.dat", "C:\\Models\\s\\abc.dat"},
                                    {"C:\\", "x.dat", "C:\\x.dat"}};
    const char* const ended[][2] = {{"C:\\Models", "C:\\Models\\"}, {"C:\\Models\\\\", "C:\\Models\\"}, {"C:\\", "C:\\"}};
#else
    const char* const cases[][3] = {{"/m/", "s\\abc.dat", "/m/s/abc.dat"},
                                    {"/m//", "\\s\\\\abc.dat", "/m/s/abc.dat"},
                                    {"/", "x.dat", "/x.dat"}};
    const char* const ended[][2] = {{"/m", "/m/"}, {"/m//", "/m/"}, {"/", "/"}};
#endif
    for (const auto& [folder, name, joined] : cases) {
        EXPECT_EQ(joinPath(folder, name), joined) << folder << " + " << name;
    }
    for (const auto& [folder, expected] : ended) {
        EXPECT_EQ(withTrailingSeparator(folder), expected) << folder;
    }
}

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
    for (const char* file : {"Parts/s/3001s01.dat", "Parts/3001.DAT", "P/box.dat", "P/Box.dat", "Parts/f.dat/in.dat"}) {
        dir.write(file, "");
    }
    std::filesystem::create_symlink(dir.path() / "P/box.dat", dir.path() / "P/link.dat");
    resolver.forget();
    const std::pair<const char*, const char*> cases[] = {
        {"parts\\S\\3001S01.dat", "Parts/s/3001s01.dat"}, {"PARTS/3001.dat", "Parts/3001.DAT"},
        {"p/box.dat", "P/box.dat"}, // the exact spelling wins
        {"p/BOX.dat", "P/Box.dat"}, // else the same one every time
        {"p/link.dat", "P/link.dat"}, {"parts/f.dat", "-"}, {"parts/missing.dat", "-"}, {"nowhere/3001.dat", "-"}};
    for (const auto& [name, found] : cases) {
        const auto resolved = resolver.resolve(dir.field(), name);
        EXPECT_EQ(resolved.fileExists ? resolved.path().substr(dir.field().size()) : "-", found) << name;
    }
    const auto fresh = resolver.resolveFresh(dir.field(), "new\\x.dat");
    EXPECT_FALSE(fresh.folderExists);
    EXPECT_EQ(fresh.path(), dir.field() + "new/x.dat");
#endif
}

} // namespace
} // namespace brikmux
