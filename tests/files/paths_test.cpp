#include "files/paths.h"

#include <gtest/gtest.h>

namespace brikmux {
namespace {

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

} // namespace
} // namespace brikmux
