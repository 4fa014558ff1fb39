#include "library/library_places.h"

#include "files/paths.h"
#include "library/library.h"

namespace brikmux {

namespace {

// A place: a folder under the value of an environment variable, or (no variable) an absolute one.
struct Place {
    const char* variable;
    const char* folder;
};

#ifdef _WIN32
constexpr Place kPlaces[] = {
    {"PUBLIC", "Documents\\LDraw"}, // LDraw's own installer
    {nullptr, "C:\\LDraw"},
    {"USERPROFILE", "LDraw"},
    {"USERPROFILE", "Documents\\LDraw"},
    {"ProgramFiles", "Studio 2.0\\ldraw"}, // BrickLink Studio 2.0
};
#else
constexpr Place kPlaces[] = {
    {"HOME", "ldraw"},
    {"HOME", "Documents/ldraw"},
    {"HOME", ".ldraw"},
    {nullptr, "/usr/share/ldraw"},
    {nullptr, "/usr/local/share/ldraw"},
};
#endif

// The folder at path, each component below its root matched in any letter case (the exact
// spelling first); empty when there is none.
std::string existingFolder(const FileSystem& fileSystem, const std::string& path)
{
    std::string folder;
    std::string_view rest = path;
#ifdef _WIN32
    if (rest.size() >= 2 && rest[1] == ':') {
        folder = std::string(rest.substr(0, 2)) + kSeparator;
        rest.remove_prefix(2);
    }
#endif
    if (folder.empty() && !rest.empty() && isNameSeparator(rest.front())) {
        folder = std::string(1, kSeparator);
    }
    std::vector<DirectoryEntry> entries;
    for (const std::string_view component : nameComponents(rest)) {
        if (!fileSystem.list(folder.empty() ? std::string(".") + kSeparator : folder, entries)) {
            return {};
        }
        std::string match;
        for (const auto& entry : entries) {
            if (entry.kind == EntryKind::Folder && equalsIgnoringCase(entry.name, component) &&
                (match.empty() || entry.name == component)) {
                match = entry.name;
            }
        }
        if (match.empty()) {
            return {};
        }
        folder += match + kSeparator;
    }
    return folder;
}

} // namespace

std::vector<std::string> usualLibraryFolders(const std::function<std::string(const char*)>& environment)
{
    std::vector<std::string> folders;
    if (std::string ldrawDir = environment("LDRAWDIR"); !ldrawDir.empty()) {
        folders.push_back(std::move(ldrawDir));
    }
    for (const Place& place : kPlaces) {
        if (place.variable == nullptr) {
            folders.emplace_back(place.folder);
        } else if (const std::string base = environment(place.variable); !base.empty()) {
            folders.push_back(joinPath(withTrailingSeparator(base), place.folder));
        }
    }
    return folders;
}

std::string findLibrary(const FileSystem& fileSystem, const std::vector<std::string>& folders)
{
    for (const auto& candidate : folders) {
        const std::string folder = existingFolder(fileSystem, candidate);
        if (!folder.empty() && holdsLDrawInstallation(fileSystem, folder)) {
            return folder;
        }
    }
    return {};
}

} // namespace brikmux
