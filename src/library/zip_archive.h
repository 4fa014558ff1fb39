#pragma once

#include "files/file_system.h"
#include "files/status.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace brikmux {

// A zip archive read through libzip: its central directory is read once, when it is opened, and
// its names are then looked up in memory; an entry's bytes are read only when asked for.
class ZipArchive {
public:
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Opens the archive at path; a file that is not a zip archive, or one cut short, fails with
    // the reason.
    static Status open(const std::string& path, std::unique_ptr<ZipArchive>& archive);

    const std::string& path() const { return m_path; }
    // The number of entries, folders included.
    std::uint64_t count() const { return m_count; }
    // The name of entry index as the archive spells it (a folder's ends in "/"); empty when the
    // archive gives none.
    std::string_view name(std::uint64_t index) const;
    // Reads the whole entry of that name; an entry that fails to inflate, or whose size or
    // checksum disagrees with the directory, fails with the reason.
    Status read(const std::string& name, std::string& bytes) const;

private:
    ZipArchive() = default;

    std::string m_path;
    void* m_zip = nullptr; // zip_t
    std::uint64_t m_count = 0;
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
