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
    const char* const ended[][2] = {
        {"C:\\Models", "C:\\Models\\"}, {"C:\\Models\\\\", "C:\\Models\\"}, {"C:\\", "C:\\"}};
#else
    const char* const cases[][3] = {
        {"/m/", "s\\abc.dat", "/m/s/abc.dat"}, {"/m//", "\\s\\\\abc.dat", "/m/s/abc.dat"}, {"/", "x.dat", "/x.dat"}};
    const char* const ended[][2] = {{"/m", "/m/"}, {"/m//", "/m/"}, {"/", "/"}};
#endif
    for (const auto& [folder, name, joined] : cases) {
        EXPECT_EQ(joinPath(folder, name), joined) << folder << " + " << name;
    }
    for (const auto& [folder, expected] : ended) {
        EXPECT_EQ(withTrailingSeparator(folder), expected) << folder;
    }
}

TEST(Paths, NamesThatLeaveTheirFolder)
{
    // Drive letters are letters only: the neighbours of A, Z, a and z in ASCII are not.
    const std::pair<const char*, bool> cases[] = {
        {"A:x.dat", true},  {"Z:x.dat", true},    {"a:\\x.dat", true}, {"z:/x.dat", true},
        {"@:x.dat", false}, {"[:x.dat", false},   {"`:x.dat", false},  {"{:x.dat", false},
        {"1:x.dat", false}, {"/x.dat", true},     {"\\x.dat", true},   {"s/../x.dat", true},
        {"s\\..", true},    {"s/..x.dat", false}, {"s/x.dat", false},  {"", false}};
    for (const auto& [name, leaves] : cases) {
        EXPECT_EQ(leavesFolder(name), leaves) << name;
    }
}

} // namespace
} // namespace brikmux
