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

} // namespace brikmux
