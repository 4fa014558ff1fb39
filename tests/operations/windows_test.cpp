// What only Windows does: letter case found by its file system, and read-only files, through merge
// and split. (Names outside ASCII: the command-line tests.)
#include "operations/merge.h"
#include "operations/split.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace brikmux {
namespace {

using testing::crlf;

struct Windows : ::testing::Test {
    MergeResult merge(const std::string& folder, const std::string& main, const std::string& mpd)
    {
        const MergeJob job{folder, folder, library.field(), mpd, "Brikmux", ReferenceKinds::DatAndLdr};
        return MergeToMPD(main, job, fileSystem, prompter);
    }
    DWORD attributes(const std::string& name) { return GetFileAttributesW(toNativePath(dir.field() + name).c_str()); }
    void setReadOnly(const std::string& name, bool on)
    {
        SetFileAttributesW(toNativePath(dir.field() + name).c_str(),
                           on ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    }

    testing::TempDir dir;
    testing::TempDir library;
    NativeFileSystem fileSystem;
    testing::ScriptedPrompter prompter;
};

TEST_F(Windows, TheFileSystemFindsANameInAnyLetterCaseAndReplacesReadOnlyFiles)
{
    dir.write("car.dat", crlf({"1 16 0 0 0 1 0 0 0 1 0 0 0 1 WHEEL.DAT", "1 16 0 0 0 1 0 0 0 1 0 0 0 1 S/HUB.DAT"}));
    dir.write("wheel.dat", "0 wheel\r\n");
    dir.write("s\\hub.dat", "0 hub\r\n");
    dir.write("car.mpd", "old\r\n");
    setReadOnly("car.dat", true);
    setReadOnly("car.mpd", true);
    prompter.answers = {true, true, true, true}; // car.mpd, then the three sections
    ASSERT_EQ(merge(dir.field(), "CAR.DAT", "car").status, MergeResult::Status::Created);
    EXPECT_NE(dir.read("car.mpd").find("0 FILE WHEEL.DAT\r\n0 wheel\r\n0 FILE S/HUB.DAT\r\n0 hub\r\n"),
              std::string::npos);
    ASSERT_EQ(SplitMPD("car.mpd", SplitJob{dir.field(), dir.field()}, fileSystem, prompter).status,
              SplitResult::Status::Split);
    EXPECT_EQ(dir.read("wheel.dat"), "0 wheel\r\n");
    // The replaced files are read-only still, as they were.
    for (const char* name : {"car.dat", "car.mpd"}) {
        EXPECT_NE(attributes(name) & FILE_ATTRIBUTE_READONLY, 0U) << name;
        setReadOnly(name, false);
    }
}

} // namespace
} // namespace brikmux
