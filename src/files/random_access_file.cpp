#include "files/random_access_file.h"

#include "files/native_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace brikmux {

namespace {

class NativeRandomAccess final : public RandomAccessFile {
public:
    NativeRandomAccess(std::FILE* file, std::uint64_t size) : m_file(file), m_size(size) {}
    ~NativeRandomAccess() override { std::fclose(m_file); }
    NativeRandomAccess(const NativeRandomAccess&) = delete;
    NativeRandomAccess& operator=(const NativeRandomAccess&) = delete;

    std::uint64_t size() const override { return m_size; }

    Status readAt(std::uint64_t offset, char* buffer, std::size_t size) override
    {
        if (offset > m_size) {
            return Status::failure(kCutShort); // and never an offset the seek takes for negative
        }
#ifdef _WIN32
        const int moved = _fseeki64(m_file, static_cast<__int64>(offset), SEEK_SET);
#else
        const int moved = fseeko(m_file, static_cast<off_t>(offset), SEEK_SET);
#endif
        if (moved != 0) {
            return Status::failure(systemReason(errno));
        }
        if (std::fread(buffer, 1, size, m_file) != size) {
            return Status::failure(std::ferror(m_file) ? systemReason(errno) : kCutShort);
        }
        return Status::ok();
    }

private:
    std::FILE* m_file;
    std::uint64_t m_size;
};

} // namespace

Status openRandomAccess(const std::string& path, std::unique_ptr<RandomAccessFile>& file)
{
    std::FILE* opened = openToRead(path);
    if (opened == nullptr) {
        return Status::failure(systemReason(errno));
    }
#ifdef _WIN32
    struct _stat64 info {};
    const int stated = _fstat64(_fileno(opened), &info);
#else
    struct stat info {};
    const int stated = fstat(fileno(opened), &info);
#endif
    if (stated != 0 || (info.st_mode & S_IFMT) != S_IFREG) {
        const int error = stated != 0 ? errno : EISDIR;
        std::fclose(opened);
        return Status::failure(systemReason(error));
    }
    // Whole-file reads go through the stream's buffer; the archive reads its pieces whole.
    std::setvbuf(opened, nullptr, _IONBF, 0);
    file = std::make_unique<NativeRandomAccess>(opened, static_cast<std::uint64_t>(info.st_size));
    return Status::ok();
}

Status MemoryRandomAccess::readAt(std::uint64_t offset, char* buffer, std::size_t size)
{
    if (offset > m_bytes.size() || size > m_bytes.size() - offset) {
        return Status::failure(kCutShort);
    }
    std::memcpy(buffer, m_bytes.data() + offset, size);
    return Status::ok();
}

} // namespace brikmux
