#include "operations/dat_folder.h"

#include "files/paths.h"

namespace brikmux {

std::optional<ResolvedName> DatFolder::image(std::string_view name)
{
    for (const std::string& relative :
         {std::string(name), "textures" + std::string(1, kSeparator) + std::string(name)}) {
        ResolvedName resolved = resolveFresh(relative);
        if (resolved.fileExists || resolved.occupant != EntryKind::Missing) {
            return resolved;
        }
    }
    return std::nullopt;
}

bool DatFolder::mayHold(std::string_view name)
{
    if (name.find_first_of("/\\") != std::string_view::npos) {
        return true; // in a sub-folder: the resolver tells
    }
    if (!m_names) {
        m_names.emplace();
        std::vector<DirectoryEntry> entries;
        if (m_fileSystem.list(m_path, entries)) {
            for (const DirectoryEntry& entry : entries) {
                m_names->insert(foldCase(entry.name));
            }
        }
    }
    m_folded.assign(name);
    for (char& c : m_folded) {
        c = foldCase(c);
    }
    return m_names->contains(m_folded);
}

} // namespace brikmux
