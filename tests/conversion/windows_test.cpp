// What only Windows does: its file API, letter case and read-only files, through merge and split.
#include "conversion/merge.h"
#include "conversion/split.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace brikmux {
namespace {

using testing::crlf;
using testing::ScriptedPrompter;
using testing::TempDir;

std::string ref(const std::string& name)
{
    return "1 16 0 0 0 1 0 0 0 1 0 0 0 1 " + name;
}

class Windows : public ::testing::Test {
protected:
    MergeResult merge(const std::string& folder, const std::string& mainName, const std::string& mpdName)
    {
        const MergeJob job{folder, folder, library.field(), mpdName, "Brikmux", ReferenceKinds::DatAndLdr};
        return MergeToMPD(mainName, job, fileSystem, prompter);
    }

    void setReadOnly(const std::string& relative, bool readOnly)
    {
        const std::u8string path = std::filesystem::path(dir.field() + relative).u8string();
        const std::wstring wide = std::filesystem::path(path).wstring();
        SetFileAttributesW(wide.c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    }

    TempDir dir;
    TempDir library;
    NativeFileSystem fileSystem;
    ScriptedPrompter prompter;
};

TEST_F(Windows, NamesOutsideAsciiReachTheFileSystemIntact)
{
    const std::string models = "Mod\xC3\xA8les\\";        // Modèles
    const std::string brick = "Y\xC3\xA9ll\xC3\xB6w2x2.ldr"; // Yéllöw2x2.ldr
    dir.write(models + "m\xC3\xA2in.dat", crlf({"0 main", ref(brick)}));
    dir.write(models + brick, "0 \xC3\xA9\r\n");

    ASSERT_EQ(merge(dir.field() + models, "m\xC3\xA2in.dat", "s\xC3\xBC.mpd").status, MergeResult::Status::Created);
    EXPECT_NE(dir.read(models + "s\xC3\xBC.mpd").find("0 FILE " + brick + "\r\n0 \xC3\xA9\r\n"), std::string::npos);

    dir.write("\xC3\xA9\\x", "");
    const SplitJob job{dir.field() + models, dir.field() + "\xC3\xA9\\"};
    ASSERT_EQ(SplitMPD("s\xC3\xBC.mpd", job, fileSystem, prompter).status, SplitResult::Status::Split);
    EXPECT_EQ(dir.list("\xC3\xA9"), (std::vector<std::string>{brick, "m\xC3\xA2in.dat", "x"}));
    EXPECT_EQ(dir.read("\xC3\xA9\\" + brick), "0 \xC3\xA9\r\n");
}

TEST_F(Windows, TheFileSystemFindsANameInAnyLetterCase)
{
    dir.write("car.dat", crlf({ref("WHEEL.DAT"), ref("s\\Hub.dat"), ref("S/HUB.DAT")}));
    dir.write("wheel.dat", "0 wheel\r\n");
    dir.write("s\\hub.dat", "0 hub\r\n");
    ASSERT_EQ(merge(dir.field(), "CAR.DAT", "car").status, MergeResult::Status::Created);
    // Each spelling is its own section, read from the one file.
    EXPECT_NE(dir.read("car.mpd").find("0 FILE WHEEL.DAT\r\n0 wheel\r\n0 FILE s\\Hub.dat\r\n0 hub\r\n"
                                       "0 FILE S/HUB.DAT\r\n0 hub\r\n"),
              std::string::npos);
}

TEST_F(Windows, ReadOnlyFilesAreReadAndReplacedAsTheUserAgrees)
{
    dir.write("car.dat", "0 car\r\n");
    dir.write("car.mpd", "old\r\n");
    setReadOnly("car.dat", true);
    setReadOnly("car.mpd", true);
    prompter.answers = {true};
    EXPECT_EQ(merge(dir.field(), "car.dat", "car.mpd").status, MergeResult::Status::Created);
    EXPECT_NE(dir.read("car.mpd").find("0 car\r\n"), std::string::npos);

    prompter.answers = {true};
    EXPECT_EQ(SplitMPD("car.mpd", SplitJob{dir.field(), dir.field()}, fileSystem, prompter).status,
              SplitResult::Status::Split);
    EXPECT_EQ(dir.read("car.dat").substr(dir.read("car.dat").size() - 7), "0 car\r\n");
    // The replaced files are read-only still, as they were.
    for (const char* name : {"car.dat", "car.mpd"}) {
        const std::wstring path = std::filesystem::path(dir.field() + name).wstring();
        EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0U) << name;
        setReadOnly(name, false);
    }
}

} // namespace
} // namespace brikmux
