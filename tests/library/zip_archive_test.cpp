#include "library/zip_archive.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace brikmux {
namespace {

using testing::TempDir;
using Entries = std::vector<std::pair<std::string, std::string>>;

// The library's kinds of entry: deflated text, an empty file, a folder, an image stored as is.
const Entries kEntries = {{"ldraw/parts/3001.dat", "0 Brick 2 x 4\r\n" + std::string(3000, 'x') + "\r\n"},
                          {"ldraw/p/box.dat", ""},
                          {"ldraw/parts/s/", ""},
                          {"ldraw/parts/textures/logo.png", std::string("\x89PNG\r\n\x1a\n\0\x01", 10)}};

std::string zipOf(const Entries& entries, bool store = false)
{
    TempDir dir;
    testing::writeZip(dir.path() / "a.zip", entries, store);
    return dir.read("a.zip");
}

void put16(std::string& bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = static_cast<char>(value & 0xff);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void put32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    put16(bytes, at, static_cast<std::uint16_t>(value & 0xffff));
    put16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

std::string le(std::uint64_t value, int size)
{
    std::string bytes;
    for (int i = 0; i < size; ++i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xff);
    }
    return bytes;
}

// Where the central directory's record of entry index starts.
std::size_t centralRecord(const std::string& bytes, int index)
{
    std::size_t at = bytes.find("PK\1\2");
    for (int i = 0; i < index; ++i) {
        at = bytes.find("PK\1\2", at + 4);
    }
    return at;
}

std::size_t endRecord(const std::string& bytes)
{
    return bytes.rfind("PK\5\6");
}

// A ZIP64 archive of stored entries, as writers make it for archives past 4 GB or 65,535 entries:
// every size and offset in the ZIP64 extra fields, the 32-bit ones full, and the ZIP64 end record.
std::string zip64Of(const Entries& entries)
{
    std::string archive;
    std::string directory;
    for (const auto& [name, bytes] : entries) {
        const auto crc =
            static_cast<std::uint32_t>(crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
        const std::uint64_t offset = archive.size();
        archive += "PK\3\4" + le(45, 2) + le(0, 2) + le(0, 2) + le(0, 4) + le(crc, 4) + le(0xffffffff, 4) +
                   le(0xffffffff, 4) + le(name.size(), 2) + le(20, 2) + name + le(1, 2) + le(16, 2) +
                   le(bytes.size(), 8) + le(bytes.size(), 8) + bytes;
        directory += "PK\1\2" + le(45, 2) + le(45, 2) + le(0, 2) + le(0, 2) + le(0, 4) + le(crc, 4) +
                     le(0xffffffff, 4) + le(0xffffffff, 4) + le(name.size(), 2) + le(28, 2) + le(0, 2) + le(0, 2) +
                     le(0, 2) + le(0, 4) + le(0xffffffff, 4) + name + le(1, 2) + le(24, 2) + le(bytes.size(), 8) +
                     le(bytes.size(), 8) + le(offset, 8);
    }
    const std::uint64_t directoryAt = archive.size();
    archive += directory;
    const std::uint64_t end64At = archive.size();
    archive += "PK\6\6" + le(44, 8) + le(45, 2) + le(45, 2) + le(0, 4) + le(0, 4) + le(entries.size(), 8) +
               le(entries.size(), 8) + le(directory.size(), 8) + le(directoryAt, 8);
    archive += "PK\6\7" + le(0, 4) + le(end64At, 8) + le(1, 4);
    archive += "PK\5\6" + le(0, 2) + le(0, 2) + le(0xffff, 2) + le(0xffff, 2) + le(0xffffffff, 4) + le(0xffffffff, 4) +
               le(0, 2);
    return archive;
}

// Each entry's name and bytes, or "name: failure"; or the failure to open.
std::vector<std::string> readAll(std::string bytes)
{
    std::unique_ptr<ZipArchive> archive;
    if (Status opened = ZipArchive::open(std::make_unique<MemoryRandomAccess>(std::move(bytes)), "a.zip", archive);
        !opened) {
        return {"open: " + opened.reason()};
    }
    std::vector<std::string> read;
    for (std::size_t index = 0; index < archive->count(); ++index) {
        std::string entry;
        const Status status = archive->read(index, entry);
        read.push_back(std::string(archive->name(index)) + (status ? "=" + entry : ": " + status.reason()));
    }
    return read;
}

std::vector<std::string> expectedOf(const Entries& entries)
{
    std::vector<std::string> expected;
    for (const auto& [name, bytes] : entries) {
        expected.push_back(name + "=" + bytes);
    }
    return expected;
}

TEST(ZipArchive, ReadsWhatWritersWrite)
{
    const std::vector<std::string> expected = expectedOf(kEntries);
    EXPECT_EQ(readAll(zipOf(kEntries)), expected) << "deflated";
    EXPECT_EQ(readAll(zipOf(kEntries, true)), expected) << "stored";
    EXPECT_EQ(readAll(zip64Of(kEntries)), expected) << "ZIP64";
    EXPECT_EQ(readAll("PK\5\6" + std::string(18, '\0')), std::vector<std::string>()) << "no entries";
    // A last record with no name and no extra fields ends exactly at the directory's end.
    Entries unnamed = kEntries;
    unnamed.emplace_back("", "");
    EXPECT_EQ(readAll(zipOf(unnamed, true)), expectedOf(unnamed)) << "an entry without a name";
    // A comment after the end record, even one that starts like an end record.
    std::string commented = zipOf(kEntries);
    put16(commented, endRecord(commented) + 20, 30);
    commented += "PK\5\6" + std::string(26, 'x');
    EXPECT_EQ(readAll(commented), expected) << "comment";
    // Bytes after an entry's deflated stream are no part of the next entry.
    std::string trailing = zipOf(kEntries);
    const std::size_t first = centralRecord(trailing, 0);
    put32(trailing, first + 20, static_cast<std::uint32_t>(static_cast<unsigned char>(trailing[first + 20]) + 4));
    EXPECT_EQ(readAll(trailing), expected) << "trailing bytes";
}

TEST(ZipArchive, DamagedArchivesAndEntriesFailClearly)
{
    const std::string deflated = zipOf(kEntries);
    const std::string stored = zipOf(kEntries, true);
    const std::string wrongSize = "The entry's size is not the one the archive states";
    const std::string damaged = "The archive's directory is damaged";
    using Change = std::function<void(std::string&)>;
    // The archive, a change to it, and what reading it gives (for one entry, or all when the
    // archive cannot be opened).
    const std::tuple<const char*, std::string, Change, std::vector<std::string>> cases[] = {
        {"not a zip", "this is not a zip archive", {}, {"open: Not a zip archive"}},
        {"empty", "", {}, {"open: Not a zip archive"}},
        {"cut in half", deflated, [](std::string& z) { z.resize(z.size() / 2); }, {"open: Not a zip archive"}},
        {"comment cut short",
         deflated,
         [](std::string& z) { put16(z, endRecord(z) + 20, 5); },
         {"open: Not a zip archive"}},
        {"its start cut off",
         deflated,
         [](std::string& z) { z.erase(0, centralRecord(z, 0) - 10); },
         {"open: The archive is cut short or damaged: its directory lies past its end"}},
        {"more entries than its directory holds",
         deflated,
         [](std::string& z) {
             put16(z, endRecord(z) + 8, 5);
             put16(z, endRecord(z) + 10, 5);
         },
         {"open: " + damaged}},
        {"a record's name past the directory",
         deflated,
         [](std::string& z) { put16(z, centralRecord(z, 3) + 28, 900); },
         {"open: " + damaged}},
        {"a record without its signature",
         deflated,
         [](std::string& z) { z[centralRecord(z, 1) + 1] = 'X'; },
         {"open: " + damaged}},
        {"several disks",
         deflated,
         [](std::string& z) { put16(z, endRecord(z) + 4, 1); },
         {"open: Multi-disk zip archives are not supported"}},
        {"ZIP64 end record lost",
         zip64Of(kEntries),
         [](std::string& z) { z[z.rfind("PK\6\6") + 3] = 'X'; },
         {"open: " + damaged}},
        {"stored bytes changed",
         stored,
         [](std::string& z) { z[z.find("Brick")] = 'X'; },
         {"ldraw/parts/3001.dat: CRC error"}},
        {"stored size wrong",
         stored,
         [](std::string& z) { put32(z, centralRecord(z, 0) + 24, 10); },
         {"ldraw/parts/3001.dat: " + wrongSize}},
        {"deflated size smaller",
         deflated,
         [](std::string& z) { put32(z, centralRecord(z, 0) + 24, 100); },
         {"ldraw/parts/3001.dat: " + wrongSize}},
        {"deflated size larger",
         deflated,
         [](std::string& z) { put32(z, centralRecord(z, 0) + 24, 3020); },
         {"ldraw/parts/3001.dat: " + wrongSize}},
        {"a size no deflate gives",
         deflated,
         [](std::string& z) { put32(z, centralRecord(z, 0) + 24, 0x7fffffff); },
         {"ldraw/parts/3001.dat: " + wrongSize}},
        {"deflated data cut short",
         deflated,
         [](std::string& z) { put32(z, centralRecord(z, 0) + 20, 8); },
         {"ldraw/parts/3001.dat: The entry cannot be inflated: its data ends early"}},
        {"deflated data damaged",
         deflated,
         [](std::string& z) { z[30 + 20 + static_cast<unsigned char>(z[28])] = '\xff'; },
         {"ldraw/parts/3001.dat: The entry cannot be inflated: invalid block type"}},
        {"data past the end",
         deflated,
         [](std::string& z) { put32(z, centralRecord(z, 0) + 20, 0x7fffffff); },
         {"ldraw/parts/3001.dat: The file is cut short"}},
        {"bzip2",
         deflated,
         [](std::string& z) { put16(z, centralRecord(z, 0) + 10, 12); },
         {"ldraw/parts/3001.dat: Compression method not supported"}},
        {"encrypted",
         deflated,
         [](std::string& z) { put16(z, centralRecord(z, 0) + 8, 1); },
         {"ldraw/parts/3001.dat: Encrypted entries are not supported"}},
        {"local header past the end",
         deflated,
         [](std::string& z) { put32(z, centralRecord(z, 0) + 42, static_cast<std::uint32_t>(z.size() - 10)); },
         {"ldraw/parts/3001.dat: The file is cut short"}},
        {"local header elsewhere",
         deflated,
         [](std::string& z) { put32(z, centralRecord(z, 0) + 42, 3); },
         {"ldraw/parts/3001.dat: " + damaged}},
        {"ZIP64 on several disks",
         zip64Of(kEntries),
         [](std::string& z) { put16(z, z.rfind("PK\6\6") + 16, 1); },
         {"open: Multi-disk zip archives are not supported"}},
        {"ZIP64 count that lies",
         zip64Of(kEntries),
         [](std::string& z) {
             for (const std::size_t at : {z.rfind("PK\6\6") + 24, z.rfind("PK\6\6") + 32}) {
                 put32(z, at + 4, 0x100); // 2^40 entries, on this disk and in all
             }
         },
         {"open: " + damaged}},
        {"ZIP64 directory running into its end record",
         zip64Of(kEntries),
         [](std::string& z) {
             const std::size_t end64 = z.rfind("PK\6\6");
             put32(z, end64 + 40, static_cast<std::uint32_t>(end64 - centralRecord(z, 0) + 10));
         },
         {"open: The archive is cut short or damaged: its directory lies past its end"}},
        {"ZIP64 field too short",
         zip64Of(kEntries),
         [](std::string& z) { put16(z, centralRecord(z, 0) + 46 + 22, 8); },
         {"ldraw/parts/3001.dat: " + damaged}},
        {"ZIP64 field missing",
         zip64Of(kEntries),
         [](std::string& z) { put16(z, centralRecord(z, 0) + 46 + 20, 0x9999); },
         {"ldraw/parts/3001.dat: " + damaged}},
    };
    for (const auto& [label, archive, change, expected] : cases) {
        std::string bytes = archive;
        if (change) {
            change(bytes);
        }
        std::vector<std::string> read = readAll(bytes);
        if (!read.empty() && !read[0].starts_with("open:")) {
            read.resize(1);
        }
        EXPECT_EQ(read, expected) << label;
    }
}

TEST(ZipArchive, OpensFilesOfTheDiskOnly)
{
    TempDir dir;
    testing::writeZip(dir.path() / "a.zip", kEntries);
    std::unique_ptr<ZipArchive> archive;
    ASSERT_TRUE(ZipArchive::open(dir.field() + "a.zip", archive));
    std::string bytes;
    ASSERT_TRUE(archive->read(3, bytes));
    EXPECT_EQ(bytes, kEntries[3].second);
    EXPECT_EQ(ZipArchive::open(dir.field() + "missing.zip", archive).reason(), "No such file or directory");
    dir.write("folder.zip/x", "");
    const Status folder = ZipArchive::open(dir.field() + "folder.zip", archive);
    EXPECT_FALSE(folder);
#ifndef _WIN32 // where a folder opens as a file, to be told apart by its kind
    EXPECT_EQ(folder.reason(), "Is a directory");
#endif
}

} // namespace
} // namespace brikmux
