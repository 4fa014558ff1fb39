#include "library.h"

#include "paths.h"

namespace brikmux {

LibraryIndex::LibraryIndex(const FileSystem& fileSystem, std::string ldrawPath)
    : m_fileSystem(fileSystem), m_ldrawPath(std::move(ldrawPath)), m_resolver(fileSystem)
{
}

void LibraryIndex::listFolder(Folder& folder)
{
    // The folder itself may be spelt in any letter case: "Parts" finds "parts".
    std::vector<DirectoryEntry> entries;
    if (!m_fileSystem.list(m_ldrawPath, entries)) {
        return;
    }
    std::string found;
    for (const auto& entry : entries) {
        if (entry.kind == EntryKind::Folder && equalsIgnoringCase(entry.name, folder.name) &&
            (found.empty() || entry.name == folder.name || entry.name < found)) {
            found = entry.name;
        }
    }
    if (found.empty() || !m_fileSystem.list(joinPath(m_ldrawPath, found), entries)) {
        return;
    }
    for (const auto& entry : entries) {
        if (entry.kind == EntryKind::File) {
            folder.files.insert(foldCase(entry.name));
        }
    }
}

bool LibraryIndex::holds(Folder& folder, std::string_view name, const std::string& folded)
{
    if (name.find_first_of("\\/") != std::string_view::npos) {
        // A name in a sub-folder (s\3001s01.dat): resolved component by component.
        std::string relative(folder.name);
        relative += kSeparator;
        relative += name;
        return m_resolver.resolve(m_ldrawPath, relative).fileExists;
    }
    if (!folder.listed) {
        folder.listed = true;
        listFolder(folder);
    }
    return folder.files.contains(folded);
}

bool LibraryIndex::IsLibraryFile(std::string_view name)
{
    const std::string folded = foldCase(name);
    return holds(m_primitives, name, folded) || holds(m_parts, name, folded);
}

std::string LibraryIndex::UnofficialFile(std::string_view name)
{
    for (const char* folder : {"parts", "p"}) {
        std::string relative = "Unofficial";
        relative += kSeparator;
        relative += folder;
        relative += kSeparator;
        relative += name;
        if (const ResolvedName resolved = m_resolver.resolve(m_ldrawPath, relative); resolved.fileExists) {
            return resolved.path();
        }
    }
    return {};
}

bool holdsLDrawInstallation(const FileSystem& fileSystem, const std::string& folder)
{
    if (folder.empty() || !isNameSeparator(folder.back())) {
        return false;
    }
    std::vector<DirectoryEntry> entries;
    if (!fileSystem.list(folder, entries)) {
        return false;
    }
    bool parts = false;
    bool primitives = false;
    for (const auto& entry : entries) {
        const std::string name = foldCase(entry.name);
        if (entry.kind == EntryKind::File && name == "ldraw.exe") {
            return true;
        }
        parts = parts || (entry.kind == EntryKind::Folder && name == "parts");
        primitives = primitives || (entry.kind == EntryKind::Folder && name == "p");
    }
    return parts && primitives;
}

} // namespace brikmux
