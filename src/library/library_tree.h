#pragma once

#include "files/file_system.h"
#include "files/status.h"
#include "library/zip_archive.h"

#include <memory>
#include <string>
#include <string_view>

namespace brikmux {

// Where a library's files lie: a folder, or a zip archive. Relative names are written as in model
// text ("parts/s/3001s01.dat", either separator) and found in any letter case.
class LibraryTree {
public:
    virtual ~LibraryTree() = default;
    // Where the tree holds the file relative; empty when it does not.
    virtual std::string find(std::string_view relative) = 0;
    // True when the tree's folder ("P" or "Parts") holds name.
    virtual bool holds(std::string_view folder, std::string_view name)
    {
        std::string relative(folder);
        relative += '/';
        relative += name;
        return !find(relative).empty();
    }
    // True when location is one that find gave and only this tree can open; a file's path is
    // opened by the file system.
    virtual bool owns(const std::string& location) const = 0;
    virtual Status open(const std::string& location, std::unique_ptr<InputFile>& file) = 0;
};

// The library's files in the folder root, under prefix ("" or "Unofficial/").
std::unique_ptr<LibraryTree> makeFolderTree(FileSystem& fileSystem, std::string root, std::string prefix);

// The library's files in a zip archive, under a top folder ("ldraw/" in complete.zip) or none.
std::unique_ptr<LibraryTree> makeArchiveTree(std::unique_ptr<ZipArchive> archive);

} // namespace brikmux
