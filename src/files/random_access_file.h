#pragma once

#include "files/status.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace brikmux {

// A file read at any offset, as an archive is: its directory from the end, then its entries where
// the directory says they lie.
class RandomAccessFile {
public:
    virtual ~RandomAccessFile() = default;
    virtual std::uint64_t size() const = 0;
    // Reads size bytes from offset into buffer; a file that ends before them fails, as cut short.
    virtual Status readAt(std::uint64_t offset, char* buffer, std::size_t size) = 0;
};

// The file at path of the disk; a folder, or a file that cannot be opened, fails with the reason.
Status openRandomAccess(const std::string& path, std::unique_ptr<RandomAccessFile>& file);

// Bytes held in memory, read as a file.
class MemoryRandomAccess final : public RandomAccessFile {
public:
    explicit MemoryRandomAccess(std::string bytes) : m_bytes(std::move(bytes)) {}
    std::uint64_t size() const override { return m_bytes.size(); }
    Status readAt(std::uint64_t offset, char* buffer, std::size_t size) override;

private:
    std::string m_bytes;
};

// The reason a read past a file's end gives.
inline constexpr const char* kCutShort = "The file is cut short";

} // namespace brikmux
