#pragma once

#include "files/file_system.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brikmux {

// Where a name from model text lands under a folder.
struct ResolvedName {
    std::string folder;   // the folder that holds the file, ending in a separator
    std::string fileName; // the file's name in that folder
    bool folderExists = false;
    bool fileExists = false; // a regular file (or a link to one) is there
    // With resolveFresh: what stands at the name's exact path when it is not a file (a folder,
    // a pipe...); Missing otherwise.
    EntryKind occupant = EntryKind::Missing;
    std::string path() const { return folder + fileName; }
};

// Maps names from model text onto files as a file system that ignores letter case would: where
// a component of the name does not match exactly, an entry that differs from it only in letter
// case is taken (the exact spelling wins when both exist). Folder listings are read once and kept
// for the life of the resolver, so one resolver serves one merge or one split.
class CaseResolver {
public:
    explicit CaseResolver(const FileSystem& fileSystem) : m_fileSystem(fileSystem) {}

    // Resolves name under folder from the listings alone; components that do not exist are kept
    // as written. Assumes name is not empty.
    ResolvedName resolve(std::string_view folder, std::string_view name);

    // Like resolve, but first tests the exact path on the file system, which also sees files
    // created since the folder was listed.
    ResolvedName resolveFresh(std::string_view folder, std::string_view name);

    // Records a regular file created as folder + fileName, so that later answers see it.
    void noteFileCreated(const std::string& folder, const std::string& fileName);

    // Forgets every listing (after folders were created).
    void forget() { m_listings.clear(); }

private:
    struct Listing {
        // Folded name -> the entries of that kind whose names fold to it. The files are listed
        // only once a file is looked for there: a path through the library's parts folder
        // ("parts/s/...") needs its few folders, not its 20,000 files.
        std::unordered_map<std::string, std::vector<std::string>> files;
        std::unordered_map<std::string, std::vector<std::string>> folders;
        bool filesListed = false;
    };

    const Listing& listing(const std::string& folder, bool withFiles);
    static const std::string* match(const std::unordered_map<std::string, std::vector<std::string>>& names,
                                    std::string_view component);

    const FileSystem& m_fileSystem;
    std::unordered_map<std::string, Listing> m_listings;
};

} // namespace brikmux
