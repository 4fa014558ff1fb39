#include "files/file_system.h"
#include "files/random_access_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <map>

namespace brikmux {
namespace {

TEST(NativeFileSystem, ANameWithANulByteNamesNoFile)
{
    // The system would read such a name only up to its NUL, as the name of another file.
    testing::TempDir dir;
    dir.write("a.dat", "1\r\n");
    NativeFileSystem fileSystem;
    const std::string real = dir.field() + "a.dat";
    const std::string cut = real + std::string("\0x", 2);
    EXPECT_EQ(fileSystem.kindOf(real), EntryKind::File);
    EXPECT_EQ(fileSystem.kindOf(cut), EntryKind::Missing);
    EXPECT_TRUE(fileSystem.sameFile(real, dir.field() + "./a.dat"));
    EXPECT_FALSE(fileSystem.sameFile(cut, real));
    EXPECT_FALSE(fileSystem.sameFile(real, cut));
    EXPECT_FALSE(fileSystem.sameFile(cut, cut));
    std::unique_ptr<InputFile> input;
    EXPECT_FALSE(openFileForReading(fileSystem, cut, input).isOk());
    std::unique_ptr<OutputFile> output;
    ASSERT_TRUE(fileSystem.createOutput(dir.field(), output).isOk());
    EXPECT_EQ(output->commit(cut, true).reason(), "Invalid argument");
    EXPECT_EQ(dir.read("a.dat"), "1\r\n");
}

TEST(NativeFileSystem, AListingFollowsLinksWhetherTheFolderEndsInASeparatorOrNot)
{
#ifdef _WIN32
    GTEST_SKIP() << "links need privileges on Windows";
#else
    testing::TempDir dir;
    dir.write("f/a.dat", "");
    dir.write("f/sub/x", "");
    std::filesystem::create_symlink("a.dat", dir.path() / "f" / "to-file");
    std::filesystem::create_symlink("sub", dir.path() / "f" / "to-folder");
    std::filesystem::create_symlink("gone", dir.path() / "f" / "dangling");
    NativeFileSystem fileSystem;
    for (const std::string& folder : {dir.field() + "f", dir.field() + "f/"}) {
        std::vector<DirectoryEntry> entries;
        ASSERT_TRUE(fileSystem.list(folder, entries)) << folder;
        std::map<std::string, EntryKind> kinds;
        for (const DirectoryEntry& entry : entries) {
            kinds[entry.name] = entry.kind;
        }
        EXPECT_EQ(kinds, (std::map<std::string, EntryKind>{{"a.dat", EntryKind::File},
                                                           {"dangling", EntryKind::Missing},
                                                           {"sub", EntryKind::Folder},
                                                           {"to-file", EntryKind::File},
                                                           {"to-folder", EntryKind::Folder}}))
            << folder;
    }
#endif
}

TEST(RandomAccessFile, OnDiskOrInMemoryReadsUpToTheEndAndNotPastIt)
{
    // The archive tests read archives from memory: both must agree at the file's end.
    testing::TempDir dir;
    dir.write("four", "abcd");
    std::unique_ptr<RandomAccessFile> files[2];
    ASSERT_TRUE(openRandomAccess(dir.field() + "four", files[0]).isOk());
    files[1] = std::make_unique<MemoryRandomAccess>("abcd");
    const struct {
        std::uint64_t offset;
        std::size_t size;
        const char* read; // null where the read fails
    } rows[] = {{0, 4, "abcd"}, {2, 2, "cd"}, {4, 0, ""}, {3, 2, nullptr}, {5, 0, nullptr}, {0, 5, nullptr}};
    for (auto& file : files) {
        EXPECT_EQ(file->size(), 4U);
        for (const auto& [offset, size, read] : rows) {
            char buffer[8] = {};
            const Status status = file->readAt(offset, buffer, size);
            EXPECT_EQ(status.isOk(), read != nullptr) << offset << "+" << size;
            EXPECT_EQ(status.isOk() ? std::string(buffer, size) : status.reason(), read != nullptr ? read : kCutShort)
                << offset << "+" << size;
        }
    }
}

} // namespace
} // namespace brikmux
