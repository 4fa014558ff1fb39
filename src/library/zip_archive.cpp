#include "library/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace brikmux {

namespace {

// Record signatures and fixed sizes of the zip format (APPNOTE.TXT).
constexpr std::uint32_t kEndSignature = 0x06054b50;       // end of central directory
constexpr std::uint32_t kEnd64Signature = 0x06064b50;     // ZIP64 end of central directory
constexpr std::uint32_t kLocator64Signature = 0x07064b50; // ZIP64 end of central directory locator
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kEnd64Size = 56;
constexpr std::size_t kLocator64Size = 20;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kMaxComment = 0xffff;
constexpr std::uint16_t kZip64Extra = 0x0001;
// Deflate gives at most 1032 bytes for one: a size above that is a lie, not an entry to allocate.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

constexpr const char* kNotAZip = "Not a zip archive";
constexpr const char* kDamaged = "The archive's directory is damaged";
constexpr const char* kWrongSize = "The entry's size is not the one the archive states";

std::uint16_t u16(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

std::uint32_t u32(const char* p)
{
    return static_cast<std::uint32_t>(u16(p)) | static_cast<std::uint32_t>(u16(p + 2)) << 16;
}

std::uint64_t u64(const char* p)
{
    return static_cast<std::uint64_t>(u32(p)) | static_cast<std::uint64_t>(u32(p + 4)) << 32;
}

z_stream* asStream(void* stream)
{
    return static_cast<z_stream*>(stream);
}

// What the directory says of one entry, its ZIP64 fields read where the 32-bit ones are full.
struct EntryRecord {
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t localOffset = 0;
};

bool parseRecord(const char* record, EntryRecord& entry)
{
    entry.flags = u16(record + 8);
    entry.method = u16(record + 10);
    entry.crc = u32(record + 16);
    entry.compressedSize = u32(record + 20);
    entry.size = u32(record + 24);
    entry.localOffset = u32(record + 42);
    constexpr std::uint32_t full = 0xffffffff;
    if (entry.size != full && entry.compressedSize != full && entry.localOffset != full) {
        return true;
    }
    // The ZIP64 extra field holds, in this order, each of the three that is full.
    const char* extra = record + kCentralSize + u16(record + 28);
    const char* const end = extra + u16(record + 30);
    while (end - extra >= 4) {
        const std::uint16_t id = u16(extra);
        const std::size_t size = u16(extra + 2);
        const char* field = extra + 4;
        if (static_cast<std::size_t>(end - field) < size) {
            return false;
        }
        if (id == kZip64Extra) {
            const char* const fieldEnd = field + size;
            for (std::uint64_t* value : {&entry.size, &entry.compressedSize, &entry.localOffset}) {
                if (*value == full) {
                    if (fieldEnd - field < 8) {
                        return false;
                    }
                    *value = u64(field);
                    field += 8;
                }
            }
            return true;
        }
        extra = field + size;
    }
    return false;
}

} // namespace

ZipArchive::~ZipArchive()
{
    if (m_inflater != nullptr) {
        inflateEnd(asStream(m_inflater));
        delete asStream(m_inflater);
    }
}

Status ZipArchive::open(const std::string& path, std::unique_ptr<ZipArchive>& archive)
{
    std::unique_ptr<RandomAccessFile> file;
    if (Status opened = openRandomAccess(path, file); !opened) {
        return opened;
    }
    return open(std::move(file), path, archive);
}

Status ZipArchive::open(std::unique_ptr<RandomAccessFile> file, std::string path, std::unique_ptr<ZipArchive>& archive)
{
    std::unique_ptr<ZipArchive> opened(new ZipArchive());
    opened->m_path = std::move(path);
    opened->m_file = std::move(file);
    if (Status read = opened->readDirectory(); !read) {
        return read;
    }
    archive = std::move(opened);
    return Status::ok();
}

Status ZipArchive::readDirectory()
{
    // The end record lies in the last 22 bytes, or before a comment of up to 64 kB.
    const std::uint64_t fileSize = m_file->size();
    if (fileSize < kEndSize) {
        return Status::failure(kNotAZip);
    }
    const std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kEndSize + kMaxComment));
    const std::uint64_t tailStart = fileSize - tailSize;
    std::string tail(tailSize, '\0');
    if (Status read = m_file->readAt(tailStart, tail.data(), tailSize); !read) {
        return read;
    }
    std::size_t end = tailSize - kEndSize + 1;
    do {
        --end;
    } while ((u32(&tail[end]) != kEndSignature || end + kEndSize + u16(&tail[end + 20]) > tailSize) && end > 0);
    if (u32(&tail[end]) != kEndSignature || end + kEndSize + u16(&tail[end + 20]) > tailSize) {
        return Status::failure(kNotAZip);
    }
    const char* const record = &tail[end];
    std::uint64_t entries = u16(record + 10);
    std::uint64_t directorySize = u32(record + 12);
    std::uint64_t directoryOffset = u32(record + 16);
    bool multiDisk = u16(record + 4) != 0 || u16(record + 6) != 0 || u16(record + 8) != entries;
    std::uint64_t directoryEnd = tailStart + end; // the directory lies before its end records

    // ZIP64: a locator just before the end record points at the 64-bit end record.
    const std::uint64_t locatorAt = directoryEnd >= kLocator64Size ? directoryEnd - kLocator64Size : directoryEnd;
    char locator[kLocator64Size];
    if (locatorAt < directoryEnd && m_file->readAt(locatorAt, locator, sizeof locator) &&
        u32(locator) == kLocator64Signature) {
        const std::uint64_t end64At = u64(locator + 8);
        char end64[kEnd64Size];
        if (!m_file->readAt(end64At, end64, sizeof end64) || u32(end64) != kEnd64Signature) {
            return Status::failure(kDamaged);
        }
        multiDisk = multiDisk || u32(locator + 4) != 0 || u32(end64 + 16) != 0 || u32(end64 + 20) != 0 ||
                    u64(end64 + 24) != u64(end64 + 32);
        entries = u64(end64 + 32);
        directorySize = u64(end64 + 40);
        directoryOffset = u64(end64 + 48);
        directoryEnd = end64At;
    }
    if (multiDisk) {
        return Status::failure("Multi-disk zip archives are not supported");
    }
    if (directoryOffset > directoryEnd || directorySize > directoryEnd - directoryOffset) {
        return Status::failure("The archive is cut short or damaged: its directory lies past its end");
    }
    if (directorySize > std::numeric_limits<std::uint32_t>::max() || entries > directorySize / kCentralSize) {
        return Status::failure(kDamaged);
    }

    m_directorySize = static_cast<std::size_t>(directorySize);
    m_directory = std::make_unique_for_overwrite<char[]>(m_directorySize);
    if (Status read = m_file->readAt(directoryOffset, m_directory.get(), m_directorySize); !read) {
        return read;
    }
    m_records.resize(static_cast<std::size_t>(entries));
    std::size_t at = 0;
    for (std::uint32_t& recordAt : m_records) {
        const char* entry = m_directory.get() + at;
        if (m_directorySize - at < kCentralSize || u32(entry) != kCentralSignature) {
            return Status::failure(kDamaged);
        }
        const std::size_t size = kCentralSize + u16(entry + 28) + u16(entry + 30) + u16(entry + 32);
        if (m_directorySize - at < size) {
            return Status::failure(kDamaged);
        }
        recordAt = static_cast<std::uint32_t>(at);
        at += size;
    }
    return Status::ok();
}

std::string_view ZipArchive::name(std::size_t index) const
{
    const char* record = m_directory.get() + m_records[index];
    return {record + kCentralSize, u16(record + 28)};
}

Status ZipArchive::read(std::size_t index, std::string& bytes)
{
    EntryRecord entry;
    if (!parseRecord(m_directory.get() + m_records[index], entry)) {
        return Status::failure(kDamaged);
    }
    if ((entry.flags & 1) != 0) {
        return Status::failure("Encrypted entries are not supported");
    }
    if (entry.method != Z_DEFLATED && entry.method != 0) {
        return Status::failure("Compression method not supported");
    }
    if (entry.method == 0 ? entry.size != entry.compressedSize : entry.size / kMaxDeflateRatio > entry.compressedSize) {
        return Status::failure(kWrongSize);
    }
    if (entry.compressedSize > m_file->size()) {
        return Status::failure(kCutShort);
    }
    char local[kLocalSize];
    if (Status read = m_file->readAt(entry.localOffset, local, sizeof local); !read) {
        return read;
    }
    if (u32(local) != kLocalSignature) {
        return Status::failure(kDamaged);
    }
    const std::uint64_t dataAt = entry.localOffset + kLocalSize + u16(local + 26) + u16(local + 28);
    const auto compressedSize = static_cast<std::size_t>(entry.compressedSize);
    if (entry.method == 0) {
        bytes.resize(compressedSize);
        if (Status read = m_file->readAt(dataAt, bytes.data(), compressedSize); !read) {
            return read;
        }
    } else {
        m_compressed.resize(compressedSize);
        if (Status read = m_file->readAt(dataAt, m_compressed.data(), compressedSize); !read) {
            return read;
        }
        bytes.resize(static_cast<std::size_t>(entry.size));
        if (Status inflated = inflateInto(m_compressed.data(), compressedSize, bytes); !inflated) {
            return inflated;
        }
    }
    if (crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()) != entry.crc) {
        return Status::failure("CRC error");
    }
    return Status::ok();
}

// Inflates a raw deflate stream into bytes, sized as the directory says; a stream that gives
// fewer or more bytes fails.
Status ZipArchive::inflateInto(const char* data, std::size_t size, std::string& bytes)
{
    z_stream* stream = asStream(m_inflater);
    if (stream == nullptr) {
        stream = new z_stream{};
        if (inflateInit2(stream, -MAX_WBITS) != Z_OK) {
            delete stream;
            return Status::failure("The entry cannot be inflated: out of memory");
        }
        m_inflater = stream;
    } else {
        inflateReset(stream);
    }
    stream->avail_in = 0; // what the last entry left unread is not this one's
    // zlib counts in 32 bits: the input and the output go in pieces of at most 1 GB.
    constexpr std::size_t piece = std::size_t{1} << 30;
    std::size_t in = 0;
    std::size_t out = 0;
    char spare = 0; // where a stream longer than it says shows itself
    int result = Z_OK;
    while (result == Z_OK) {
        if (stream->avail_in == 0) {
            stream->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data + in));
            stream->avail_in = static_cast<uInt>(std::min(piece, size - in));
            in += stream->avail_in;
        }
        const bool full = out == bytes.size();
        stream->next_out = reinterpret_cast<Bytef*>(full ? &spare : bytes.data() + out);
        stream->avail_out = static_cast<uInt>(full ? 1 : std::min(piece, bytes.size() - out));
        const uInt before = stream->avail_out;
        result = inflate(stream, Z_NO_FLUSH);
        const std::size_t made = before - stream->avail_out;
        if (full && made > 0) {
            return Status::failure(kWrongSize);
        }
        out += made;
        if (result == Z_BUF_ERROR) {
            // No progress though room and the rest of the input were given: the input is spent.
            return Status::failure("The entry cannot be inflated: its data ends early");
        }
    }
    if (result != Z_STREAM_END) {
        return Status::failure(std::string("The entry cannot be inflated: ") +
                               (stream->msg != nullptr ? stream->msg : "damaged data"));
    }
    return out == bytes.size() ? Status::ok() : Status::failure(kWrongSize);
}

Status MemoryInputFile::read(char* buffer, std::size_t size, std::size_t& count)
{
    count = std::min(size, m_bytes.size() - m_position);
    std::memcpy(buffer, m_bytes.data() + m_position, count);
    m_position += count;
    return Status::ok();
}

} // namespace brikmux
