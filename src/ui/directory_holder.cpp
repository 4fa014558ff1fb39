#include "directory_holder.h"

#include <filesystem>
#include <system_error>

namespace brikmux {

namespace fs = std::filesystem;

namespace {

bool namesADrive(const std::string& folder)
{
    return folder.size() >= 2 && folder[1] == ':' &&
           ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z'));
}

} // namespace

std::string canonicalFolder(const std::string& folder)
{
    std::error_code error;
    fs::path path = fs::absolute(fs::path(folder), error).lexically_normal();
    std::string text = path.string();
    const std::string root = path.root_path().string();
    while (text.size() > root.size() && (text.back() == '/' || text.back() == fs::path::preferred_separator)) {
        text.pop_back();
    }
    return text;
}

DirectoryHolder::DirectoryHolder()
{
    std::error_code error;
    m_path = canonicalFolder(fs::current_path(error).string());
}

HolderWrite DirectoryHolder::setPath(const std::string& folder)
{
#ifdef _WIN32
    if (namesADrive(folder)) {
        std::error_code error;
        if (!fs::exists(fs::path(folder.substr(0, 2) + "\\"), error)) {
            return HolderWrite::DeviceUnavailable;
        }
    }
#else
    if (namesADrive(folder)) {
        return HolderWrite::DeviceUnavailable;
    }
#endif
    std::error_code error;
    if (folder.empty() || !fs::is_directory(fs::path(folder), error)) {
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
