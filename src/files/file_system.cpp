#include "files/file_system.h"

#include "files/native_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#ifdef _WIN32
#include "files/wide_text.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <dirent.h>
#endif

namespace brikmux {

namespace fs = std::filesystem;

std::string systemReason(int error)
{
    return std::generic_category().message(error);
}

std::FILE* openToRead(const std::string& path)
{
#ifdef _WIN32
    return _wfopen(toNativePath(path).c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

namespace {

// Creates a new file for writing; fails with EEXIST rather than open one that exists.
std::FILE* createNew(const std::string& path)
{
#ifdef _WIN32
    const int handle =
        _wopen(toNativePath(path).c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    return handle < 0 ? nullptr : _fdopen(handle, "wb");
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}

EntryKind kindFromType(fs::file_type type)
{
    switch (type) {
    case fs::file_type::not_found:
        return EntryKind::Missing;
    case fs::file_type::regular:
        return EntryKind::File;
    case fs::file_type::directory:
        return EntryKind::Folder;
    default:
        // Also an entry that is there but cannot be followed (a link loop): not nothing.
        return EntryKind::Other;
    }
}

class NativeInputFile final : public InputFile {
public:
    explicit NativeInputFile(std::FILE* file) : m_file(file) {}
    ~NativeInputFile() override { std::fclose(m_file); }
    NativeInputFile(const NativeInputFile&) = delete;
    NativeInputFile& operator=(const NativeInputFile&) = delete;

    Status read(char* buffer, std::size_t size, std::size_t& count) override
    {
        count = std::fread(buffer, 1, size, m_file);
        if (count < size && std::ferror(m_file)) {
            return Status::failure(systemReason(errno));
        }
        return Status::ok();
    }

private:
    std::FILE* m_file;
};

class NativeOutputFile final : public OutputFile {
public:
    NativeOutputFile(std::FILE* file, std::string path) : m_file(file), m_path(std::move(path)) {}
    ~NativeOutputFile() override
    {
        if (m_file != nullptr) {
            std::fclose(m_file);
        }
        if (!m_committed) {
            std::error_code ignored;
            fs::remove(toNativePath(m_path), ignored);
        }
    }
    NativeOutputFile(const NativeOutputFile&) = delete;
    NativeOutputFile& operator=(const NativeOutputFile&) = delete;

    Status write(const char* data, std::size_t size) override
    {
        if (m_file == nullptr) {
            return Status::failure("the file is already closed");
        }
        if (std::fwrite(data, 1, size, m_file) != size) {
            return Status::failure(systemReason(errno));
        }
        return Status::ok();
    }

    Status commit(const std::string& target, bool replacing) override
    {
        if (m_file == nullptr) {
            return Status::failure("the file is already closed");
        }
        if (!isValidPath(target)) {
            return Status::failure(systemReason(EINVAL));
        }
        // fclose flushes the stream; a full disk often shows only here.
        const bool flushed = std::fflush(m_file) == 0 && std::ferror(m_file) == 0;
        const int flushError = errno;
        const bool closed = std::fclose(m_file) == 0;
        const int closeError = errno;
        m_file = nullptr;
        if (!flushed) {
            return Status::failure(systemReason(flushError));
        }
        if (!closed) {
            return Status::failure(systemReason(closeError));
        }
        std::error_code error;
        // A replaced file keeps its permissions.
        if (replacing) {
            const fs::file_status replaced = fs::status(toNativePath(target), error);
            if (!error && fs::is_regular_file(replaced)) {
                fs::permissions(toNativePath(m_path), replaced.permissions(), error);
            }
        }
        fs::rename(toNativePath(m_path), toNativePath(target), error);
        if (error) {
            return Status::failure(error.message());
        }
        m_committed = true;
        return Status::ok();
    }

private:
    std::FILE* m_file;
    std::string m_path;
    bool m_committed = false;
};

std::string temporaryName()
{
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name = ".brikmux-";
    auto bits = generator();
    for (int i = 0; i < 12; ++i) {
        name += kDigits[bits & 15U];
        bits >>= 4U;
    }
    return name + ".tmp";
}

} // namespace

// The Windows API takes UTF-16; its narrow calls would read the text in the ANSI code page.
fs::path toNativePath(const std::string& text)
{
#ifdef _WIN32
    return fs::path(toWide(text));
#else
    return fs::path(text);
#endif
}

std::string fromNativePath(const fs::path& path)
{
#ifdef _WIN32
    return fromWide(path.native());
#else
    return path.native();
#endif
}

// A NUL byte ends a path for the system: a name from model text with one inside would name
// another file than it says.
bool isValidPath(const std::string& path)
{
    return path.find('\0') == std::string::npos;
}

std::string whyNotAFile(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Folder:
        return systemReason(EISDIR);
    case EntryKind::Other:
        return "Not a regular file";
    default:
        return systemReason(ENOENT);
    }
}

bool NativeFileSystem::sameFile(const std::string& a, const std::string& b) const
{
    if (!isValidPath(a) || !isValidPath(b)) {
        return false;
    }
    std::error_code error;
    return fs::equivalent(toNativePath(a), toNativePath(b), error) && !error;
}

EntryKind NativeFileSystem::kindOf(const std::string& path) const
{
    if (!isValidPath(path)) {
        return EntryKind::Missing;
    }
    std::error_code error;
    const auto status = fs::status(toNativePath(path), error);
    return kindFromType(status.type());
}

Status NativeFileSystem::list(const std::string& folder, std::vector<DirectoryEntry>& entries) const
{
    entries.clear();
    if (!isValidPath(folder)) {
        return Status::failure(systemReason(EINVAL));
    }
#ifdef _WIN32
    std::error_code error;
    fs::directory_iterator it(toNativePath(folder), error);
    if (error) {
        return Status::failure(error.message());
    }
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error) {
            return Status::failure(error.message());
        }
        std::error_code typeError;
        EntryKind kind = EntryKind::Missing;
        if (it->is_regular_file(typeError)) {
            kind = EntryKind::File;
        } else if (it->is_directory(typeError)) {
            kind = EntryKind::Folder;
        } else if (it->exists(typeError)) {
            kind = EntryKind::Other;
        }
        entries.push_back({fromNativePath(it->path().filename()), kind});
    }
    return error ? Status::failure(error.message()) : Status::ok();
#else
    // readdir tells each entry's type itself: one call per folder, not one per entry, which
    // matters for a parts folder of tens of thousands of files. Links are followed.
    DIR* handle = opendir(folder.empty() ? "." : folder.c_str());
    if (handle == nullptr) {
        return Status::failure(systemReason(errno));
    }
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    // errno is cleared before each entry: a link's stat below may set it, and only readdir's own
    // failure ends the listing as one.
    for (errno = 0; const dirent* entry = readdir(handle); errno = 0) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        EntryKind kind = EntryKind::Other;
        switch (entry->d_type) {
        case DT_REG:
            kind = EntryKind::File;
            break;
        case DT_DIR:
            kind = EntryKind::Folder;
            break;
        case DT_LNK:
        case DT_UNKNOWN:
            kind = kindOf(prefix + entry->d_name);
            break;
        default:
            break;
        }
        entries.push_back({std::string(name), kind});
    }
    const int error = errno;
    closedir(handle);
    return error != 0 ? Status::failure(systemReason(error)) : Status::ok();
#endif
}

Status NativeFileSystem::openForReading(const std::string& path, std::unique_ptr<InputFile>& file)
{
    if (!isValidPath(path)) {
        return Status::failure(systemReason(EINVAL));
    }
    errno = 0;
    std::FILE* handle = openToRead(path);
    if (handle == nullptr) {
        return Status::failure(systemReason(errno != 0 ? errno : ENOENT));
    }
    // The line reader reads in large blocks of its own: a second buffer would only copy.
    std::setvbuf(handle, nullptr, _IONBF, 0);
    file = std::make_unique<NativeInputFile>(handle);
    return Status::ok();
}

Status NativeFileSystem::createOutput(const std::string& folder, std::unique_ptr<OutputFile>& file)
{
    if (!isValidPath(folder)) {
        return Status::failure(systemReason(EINVAL));
    }
    const fs::path base = toNativePath(folder.empty() ? std::string(".") : folder);
    for (int attempt = 0; attempt < 64; ++attempt) {
        const std::string path = fromNativePath(base / temporaryName());
        errno = 0;
        // Fail rather than open a file that someone else created under the same name.
        std::FILE* handle = createNew(path);
        if (handle != nullptr) {
            // The line writer hands over large blocks of its own.
            std::setvbuf(handle, nullptr, _IONBF, 0);
            file = std::make_unique<NativeOutputFile>(handle, path);
            return Status::ok();
        }
        if (errno != EEXIST) {
            return Status::failure(systemReason(errno != 0 ? errno : EACCES));
        }
    }
    return Status::failure(systemReason(EEXIST));
}

Status NativeFileSystem::createFolders(const std::string& folder)
{
    if (!isValidPath(folder)) {
        return Status::failure(systemReason(EINVAL));
    }
    std::error_code error;
    fs::create_directories(toNativePath(folder), error);
    if (error) {
        return Status::failure(error.message());
    }
    return Status::ok();
}

Status openFileForReading(FileSystem& fileSystem, const std::string& path, std::unique_ptr<InputFile>& file)
{
    const EntryKind kind = fileSystem.kindOf(path);
    return kind == EntryKind::File ? fileSystem.openForReading(path, file) : Status::failure(whyNotAFile(kind));
}

} // namespace brikmux
