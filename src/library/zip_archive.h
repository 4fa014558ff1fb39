#pragma once

#include "files/file_system.h"
#include "files/random_access_file.h"
#include "files/status.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brikmux {

// A zip archive, as LDraw ships its library. Opening it reads its table of contents once: the
// central directory in one read into one buffer (ZIP64 too), each entry's name a view into it, no
// dates converted and nothing allocated per entry. An entry's bytes are read, inflated (stored and
// deflated entries) and checked against its CRC only when asked for.
class ZipArchive {
public:
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Opens the archive at path; a file that is not a zip archive, or one cut short, fails with
    // the reason.
    static Status open(const std::string& path, std::unique_ptr<ZipArchive>& archive);
    // The same over a file already open; path is what the archive is called.
    static Status open(std::unique_ptr<RandomAccessFile> file, std::string path, std::unique_ptr<ZipArchive>& archive);

    const std::string& path() const { return m_path; }
    // The number of entries, folders included.
    std::size_t count() const { return m_records.size(); }
    // The name of entry index as the archive spells it (a folder's ends in "/").
    std::string_view name(std::size_t index) const;
    // Reads the whole entry index; an entry that fails to inflate, or whose size or checksum
    // disagrees with the directory, fails with the reason.
    Status read(std::size_t index, std::string& bytes);

private:
    ZipArchive() = default;
    Status readDirectory();
    Status inflateInto(const char* data, std::size_t size, std::string& bytes);

    std::string m_path;
    std::unique_ptr<RandomAccessFile> m_file;
    std::unique_ptr<char[]> m_directory; // the central directory, as the archive holds it
    std::size_t m_directorySize = 0;
    std::vector<std::uint32_t> m_records; // where each entry's record starts in m_directory
    std::string m_compressed;             // an entry's bytes as stored, reused from entry to entry
    void* m_inflater = nullptr;           // z_stream, made at the first deflated entry
};

// An input file over bytes held in memory.
class MemoryInputFile final : public InputFile {
public:
    explicit MemoryInputFile(std::string bytes) : m_bytes(std::move(bytes)) {}
    Status read(char* buffer, std::size_t size, std::size_t& count) override;

private:
    std::string m_bytes;
    std::size_t m_position = 0;
};

} // namespace brikmux
