#pragma once

#include "case_resolver.h"
#include "name_set.h"

#include <string>
#include <string_view>

namespace brikmux {

// Tells the files of an LDraw library from custom sub-files. Each library folder is listed at
// most once, and each name is answered at most once, for the life of the object.
class LibraryIndex {
public:
    // ldrawPath is the library folder (it holds "Parts" and "P", in any letter case).
    LibraryIndex(const FileSystem& fileSystem, std::string ldrawPath);

    // True when the library's P or Parts folder holds a regular file of that name, letter case
    // aside. Assumes name is not empty.
    bool IsLibraryFile(std::string_view name);

    // The path of the file that the library's Unofficial/parts folder holds under name, else its
    // Unofficial/p folder (every folder and name in any letter case, s\ and 48\ names in their
    // sub-folders); empty when neither does.
    std::string UnofficialFile(std::string_view name);

private:
    // One of the library's folders, listed on first use: the folded names of its files.
    struct Folder {
        const char* name;
        bool listed = false;
        NameSet files;
    };

    bool holds(Folder& folder, std::string_view name, const std::string& folded);
    void listFolder(Folder& folder);

    const FileSystem& m_fileSystem;
    std::string m_ldrawPath;
    CaseResolver m_resolver;
    Folder m_primitives{"P", false, {}};
    Folder m_parts{"Parts", false, {}};
};

// True when folder (ending in a separator) holds an LDraw installation: the program "ldraw.exe",
// or the library itself, a "parts" and a "p" folder; letter case aside. A folder text without its
// trailing separator holds nothing.
bool holdsLDrawInstallation(const FileSystem& fileSystem, const std::string& folder);

} // namespace brikmux
