#pragma once

#include "case_resolver.h"
#include "name_set.h"

#include <string>
#include <string_view>
#include <vector>

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
    // Unofficial/p folder (every folder and name in any letter case, names in the s and 48
    // folders in those sub-folders); empty when neither does.
    std::string UnofficialFile(std::string_view name);

    struct Located {
        std::string path;       // the file on disk; empty when the library lacks it
        std::string packedName; // its path in the library with "/": "p/48/1-4cyli.dat", "parts/3001.dat"
    };
    // Where the library's P, else Parts, folder holds name (letter case aside).
    Located Locate(std::string_view name);

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

// The colour definitions (the "0 !COLOUR" lines) of the library's LDConfig.ldr, in its order;
// none when it has no such file or it cannot be read.
std::vector<std::string> libraryColours(FileSystem& fileSystem, const std::string& ldrawPath);

// The name under which a packed MPD carries a file that the library does not hold: names in the
// s and 48 folders as library paths (parts/s/x.dat, p/48/x.dat), every other name as written.
std::string packedCustomName(std::string_view name);

// True when folder (ending in a separator) holds an LDraw installation: the program "ldraw.exe",
// or the library itself, a "parts" and a "p" folder; letter case aside. A folder text without its
// trailing separator holds nothing.
bool holdsLDrawInstallation(const FileSystem& fileSystem, const std::string& folder);

} // namespace brikmux
