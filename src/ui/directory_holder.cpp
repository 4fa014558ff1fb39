#include "directory_holder.h"

#include "files/file_system.h"
#include "files/paths.h"

#include <filesystem>
#include <system_error>

namespace brikmux {

namespace fs = std::filesystem;

std::string canonicalFolder(const std::string& folder)
{
    std::error_code error;
    fs::path path = fs::absolute(toNativePath(folder), error).lexically_normal();
    std::string text = fromNativePath(path);
    const std::string root = fromNativePath(path.root_path());
    while (text.size() > root.size() && (text.back() == '/' || text.back() == fs::path::preferred_separator)) {
        text.pop_back();
    }
    return text;
}

DirectoryHolder::DirectoryHolder()
{
    std::error_code error;
    m_path = canonicalFolder(fromNativePath(fs::current_path(error)));
}

HolderWrite DirectoryHolder::setPath(const std::string& folder)
{
#ifdef _WIN32
    if (startsWithDrive(folder)) {
        std::error_code error;
        if (!fs::exists(fs::path(folder.substr(0, 2) + "\\"), error)) {
            return HolderWrite::DeviceUnavailable;
        }
    }
#else
    if (startsWithDrive(folder)) {
        return HolderWrite::DeviceUnavailable;
    }
#endif
    std::error_code error;
    if (folder.empty() || !fs::is_directory(toNativePath(folder), error)) {
        return HolderWrite::Failed;
    }
    std::string canonical = canonicalFolder(folder);
    if (canonical != m_path) {
        m_path = std::move(canonical);
        if (onChange) {
            onChange();
        }
    }
    return HolderWrite::Done;
}

} // namespace brikmux
