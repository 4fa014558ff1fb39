#include "library/case_resolver.h"

#include "files/paths.h"

#include <algorithm>

namespace brikmux {

const CaseResolver::Listing& CaseResolver::listing(const std::string& folder, bool withFiles)
{
    auto found = m_listings.find(folder);
    if (found != m_listings.end() && (found->second.filesListed || !withFiles)) {
        return found->second;
    }
    const bool foldersListed = found != m_listings.end();
    Listing& result = foldersListed ? found->second : m_listings[folder];
    result.filesListed = withFiles;
    std::vector<DirectoryEntry> entries;
    // A folder that cannot be listed holds nothing that can be found.
    if (m_fileSystem.list(folder, entries)) {
        for (auto& entry : entries) {
            if (entry.kind == EntryKind::File && withFiles) {
                result.files[foldCase(entry.name)].push_back(std::move(entry.name));
            } else if (entry.kind == EntryKind::Folder && !foldersListed) {
                result.folders[foldCase(entry.name)].push_back(std::move(entry.name));
            }
        }
    }
    return result;
}

const std::string* CaseResolver::match(const std::unordered_map<std::string, std::vector<std::string>>& names,
                                       std::string_view component)
{
    const auto found = names.find(foldCase(component));
    if (found == names.end()) {
        return nullptr;
    }
    const auto& candidates = found->second;
    const auto exact = std::find(candidates.begin(), candidates.end(), component);
    if (exact != candidates.end()) {
        return &*exact;
    }
    // Several spellings of one name: take the same one every time.
    return &*std::min_element(candidates.begin(), candidates.end());
}

ResolvedName CaseResolver::resolve(std::string_view folder, std::string_view name)
{
    ResolvedName result;
    result.folder = withTrailingSeparator(joinPath(folder, ""));
    result.folderExists = true;
    auto components = nameComponents(name);
    if (components.empty()) {
        result.folderExists = m_fileSystem.kindOf(result.folder) == EntryKind::Folder;
        return result;
    }
    const std::string_view fileName = components.back();
    components.pop_back();
    for (const std::string_view component : components) {
        if (component == ".") {
            continue;
        }
        const std::string* actual = nullptr;
        if (result.folderExists) { // ".." is never listed: it is not matched
            actual = match(listing(result.folder, false).folders, component);
        }
        result.folder += actual != nullptr ? *actual : std::string(component);
        result.folder += kSeparator;
        if (component != "..") { // the folder above one that exists exists too
            result.folderExists = actual != nullptr;
        }
    }
    const std::string* actual = result.folderExists ? match(listing(result.folder, true).files, fileName) : nullptr;
    result.fileName = actual != nullptr ? *actual : std::string(fileName);
    result.fileExists = actual != nullptr;
    return result;
}

ResolvedName CaseResolver::resolveFresh(std::string_view folder, std::string_view name)
{
    const std::string exact = joinPath(folder, name);
    const auto separator = exact.find_last_of(kSeparator);
    const EntryKind kind = m_fileSystem.kindOf(exact);
    if (separator != std::string::npos && separator + 1 < exact.size() && kind == EntryKind::File) {
        return {exact.substr(0, separator + 1), exact.substr(separator + 1), true, true, EntryKind::Missing};
    }
    ResolvedName resolved = resolve(folder, name);
    resolved.occupant = kind == EntryKind::File ? EntryKind::Missing : kind;
    return resolved;
}

void CaseResolver::noteFileCreated(const std::string& folder, const std::string& fileName)
{
    const auto found = m_listings.find(folder);
    if (found == m_listings.end() || !found->second.filesListed) {
        return; // listed afresh when asked for
    }
    auto& spellings = found->second.files[foldCase(fileName)];
    if (std::find(spellings.begin(), spellings.end(), fileName) == spellings.end()) {
        spellings.push_back(fileName);
    }
}

} // namespace brikmux
