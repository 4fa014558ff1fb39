#pragma once

#include "files/file_system.h"
#include "files/status.h"

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

    // Where the library's models folder holds name: the user's own sub-models, which LDraw readers
    // look for after the parts and p folders (in complete.zip its ldraw/models/; beside an archive,
    // the folder's models too). Empty when it does not.
    virtual std::string ModelFile(std::string_view name) = 0;

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

// The library at ldrawPath, read the way its folder holds it: its Parts and P folders, else the
// zip archive complete.zip or library.bin (its files under a top folder "ldraw/"); for parts not
// yet official, its Unofficial folder, then the zip archive ldrawunf.zip beside them. Names of
// folders and archives in any letter case. Fails, saying which archive and why, when an archive
// it must read cannot be opened.
Status openLibrary(FileSystem& fileSystem, const std::string& ldrawPath, std::unique_ptr<Library>& library);

// Why the library's archive at path cannot serve: "The LDraw library archive PATH cannot be read:
// REASON." (openLibrary's failure).
std::string libraryArchiveProblem(std::string_view path, std::string_view reason);

// The name under which a packed MPD carries a file that the library does not hold: names in the
// s and 48 folders as library paths (parts/s/x.dat, p/48/x.dat), every other name as written.
std::string packedCustomName(std::string_view name);

// What a folder holds as an LDraw installation.
struct InstallationCheck {
    bool holds = false;
    // An archive there that cannot serve as the library: its path and why; empty otherwise.
    std::string archive;
    std::string reason;
};

// Whether folder (ending in a separator) holds an LDraw installation: the program "ldraw.exe",
// or the library itself, a "parts" and a "p" folder, or the archive "complete.zip" or
// "library.bin" that opens as a zip archive; letter case aside. A folder text without its
// trailing separator holds nothing.
InstallationCheck checkLDrawInstallation(const FileSystem& fileSystem, const std::string& folder);

// checkLDrawInstallation(...).holds.
bool holdsLDrawInstallation(const FileSystem& fileSystem, const std::string& folder);

} // namespace brikmux
