#pragma once

#include "case_resolver.h"
#include "name_set.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brikmux {

// An LDraw library, as the merge reads it: which names are library files, where the files and
// images are, and their bytes. One interface, whatever holds the library.
class Library {
public:
    virtual ~Library() = default;

    // True when the library's P or Parts folder holds a file of that name, letter case aside.
    // Assumes name is not empty.
    virtual bool IsLibraryFile(std::string_view name) = 0;

    struct Located {
        std::string path;       // where the file is; empty when the library lacks it
        std::string packedName; // its path in the library with "/": "p/48/1-4cyli.dat", "parts/3001.dat"
    };
    // Where the library's P, else Parts, folder holds name (letter case aside).
    virtual Located Locate(std::string_view name) = 0;

    // Where the library's Unofficial/parts, else Unofficial/p, folder holds name (names in the s
    // and 48 folders in those sub-folders); empty when neither does.
    virtual std::string UnofficialFile(std::string_view name) = 0;

    // Where the library's parts/textures, else p/textures, folder holds the image name; empty
    // when neither does.
    virtual std::string LibraryImage(std::string_view name) = 0;

    // The same in the Unofficial folder: Unofficial/parts/textures, else Unofficial/p/textures.
    virtual std::string UnofficialImage(std::string_view name) = 0;

    // Opens a file at a path that this library gave.
    virtual Status open(const std::string& path, std::unique_ptr<InputFile>& file) = 0;

    // The colour definitions (the "0 !COLOUR" lines) of the library's LDConfig.ldr, in its order;
    // none when it has no such file or it cannot be read.
    virtual std::vector<std::string> colours() = 0;
};

// A library unpacked in a folder. Each of its P and Parts folders is listed at most once, and
// every other name is resolved through one CaseResolver, for the life of the object.
class FolderLibrary final : public Library {
public:
    // ldrawPath is the library folder (it holds "Parts" and "P", in any letter case).
    FolderLibrary(FileSystem& fileSystem, std::string ldrawPath);

    bool IsLibraryFile(std::string_view name) override;
    Located Locate(std::string_view name) override;
    std::string UnofficialFile(std::string_view name) override;
    std::string LibraryImage(std::string_view name) override;
    std::string UnofficialImage(std::string_view name) override;
    Status open(const std::string& path, std::unique_ptr<InputFile>& file) override;
    std::vector<std::string> colours() override;

private:
    // One of the library's folders, listed on first use: the folded names of its files.
    struct Folder {
        const char* name;
        bool listed = false;
        NameSet files;
    };

    bool holds(Folder& folder, std::string_view name, const std::string& folded);
    void listFolder(Folder& folder);
    // The first of the folders (relative to the library) that holds name; empty when none does.
    std::string find(std::initializer_list<std::string_view> folders, std::string_view name);

    FileSystem& m_fileSystem;
    std::string m_ldrawPath;
    CaseResolver m_resolver;
    Folder m_primitives{"P", false, {}};
    Folder m_parts{"Parts", false, {}};
};

// The library at ldrawPath, read the way its folder holds it.
std::unique_ptr<Library> openLibrary(FileSystem& fileSystem, const std::string& ldrawPath);

// The name under which a packed MPD carries a file that the library does not hold: names in the
// s and 48 folders as library paths (parts/s/x.dat, p/48/x.dat), every other name as written.
std::string packedCustomName(std::string_view name);

// True when folder (ending in a separator) holds an LDraw installation: the program "ldraw.exe",
// or the library itself, a "parts" and a "p" folder; letter case aside. A folder text without its
// trailing separator holds nothing.
bool holdsLDrawInstallation(const FileSystem& fileSystem, const std::string& folder);

} // namespace brikmux
