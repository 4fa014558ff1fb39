#pragma once

#include "files/file_system.h"
#include "library/case_resolver.h"
#include "library/name_set.h"

#include <optional>
#include <string>
#include <string_view>

namespace brikmux {

// What the DAT folder holds, names found whatever their letter case, as Windows finds them.
class DatFolder {
public:
    DatFolder(FileSystem& fileSystem, std::string path)
        : m_fileSystem(fileSystem), m_path(std::move(path)), m_resolver(fileSystem)
    {
    }

    // The file name leads to (a name in sub-folders component by component), listings kept.
    ResolvedName resolve(std::string_view name) { return m_resolver.resolve(m_path, name); }
    // The same, the name as spelt tried first and folders listed afresh where it is not there.
    ResolvedName resolveFresh(std::string_view name) { return m_resolver.resolveFresh(m_path, name); }
    // An image of that name in the folder or in its textures folder: the first that is there as a
    // file or as anything else; none where neither holds it.
    std::optional<ResolvedName> image(std::string_view name);
    // False when the folder surely holds no file of that name, letter case aside: its top level,
    // listed once, has none.
    bool mayHold(std::string_view name);

private:
    FileSystem& m_fileSystem;
    std::string m_path; // ending in a separator
    CaseResolver m_resolver;
    std::optional<NameSet> m_names; // the top level's entries, letter case folded
    std::string m_folded;           // a name asked of them, folded
};

} // namespace brikmux
