#include "library.h"

#include "paths.h"

namespace brikmux {

LibraryIndex::LibraryIndex(const FileSystem& fileSystem, std::string ldrawPath)
    : m_ldrawPath(std::move(ldrawPath)), m_resolver(fileSystem)
{
}

bool LibraryIndex::holds(std::string_view folder, std::string_view name)
{
    std::string relative(folder);
    relative += kSeparator;
    relative += name;
    return m_resolver.resolve(m_ldrawPath, relative).fileExists;
}

bool LibraryIndex::IsLibraryFile(std::string_view name)
{
    const auto known = m_answers.find(name);
    if (known != m_answers.end()) {
        return known->second;
    }
    const bool answer = holds("P", name) || holds("Parts", name);
    m_answers.emplace(name, answer);
    return answer;
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
