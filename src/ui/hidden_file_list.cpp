#include "hidden_file_list.h"

#include "files/paths.h"

#include <algorithm>

namespace brikmux {

bool matchesPattern(std::string_view name, std::string_view pattern)
{
    // Greedy matching with a single backtrack point: enough for "*" and "?".
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starPattern = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || foldCase(pattern[p]) == foldCase(name[n]))) {
            ++n;
            ++p;
        } else if (starPattern != std::string_view::npos) {
            // Back to the star, which takes one more character.
            p = starPattern;
            n = ++starName;
        } else {
            return false;
        }
    }
    return pattern.find_first_not_of('*', p) == std::string_view::npos; // nothing but stars left
}

bool HiddenFileList::list(const std::string& folder, std::initializer_list<std::string_view> patterns)
{
    std::vector<DirectoryEntry> entries;
    if (!m_fileSystem.list(folder, entries)) {
        return false;
    }
    std::vector<std::pair<std::string, std::string>> names; // folded name, name
    for (auto& entry : entries) {
        if (entry.kind == EntryKind::File && !entry.name.empty() && entry.name.front() != '.' &&
            std::any_of(patterns.begin(), patterns.end(),
                        [&](std::string_view pattern) { return matchesPattern(entry.name, pattern); })) {
            names.emplace_back(foldCase(entry.name), std::move(entry.name));
        }
    }
    std::sort(names.begin(), names.end());
    m_names.clear();
    for (auto& [folded, name] : names) {
        m_names.push_back(std::move(name));
    }
    return true;
}

} // namespace brikmux
