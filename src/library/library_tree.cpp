#include "library/library_tree.h"

#include "files/paths.h"
#include "library/case_resolver.h"
#include "library/name_set.h"

#include <algorithm>
#include <vector>

namespace brikmux {

namespace {

// The library's files in a folder, under prefix ("" or "Unofficial/").
class FolderTree final : public LibraryTree {
public:
    FolderTree(FileSystem& fileSystem, std::string root, std::string prefix)
        : m_fileSystem(fileSystem), m_root(std::move(root)), m_prefix(std::move(prefix)), m_resolver(fileSystem)
    {
    }

    std::string find(std::string_view relative) override
    {
        const ResolvedName resolved = m_resolver.resolve(m_root, m_prefix + std::string(relative));
        return resolved.fileExists ? resolved.path() : std::string();
    }

    bool holds(std::string_view folder, std::string_view name) override
    {
        if (name.find_first_of("\\/") != std::string_view::npos || !m_prefix.empty()) {
            // A name in a sub-folder (s\3001s01.dat): resolved component by component.
            return LibraryTree::holds(folder, name);
        }
        // Bare names, by far the most common, are answered from one listing of the folder; the
        // few folders asked about are found by a look along them, the name folded in one buffer.
        auto listing = std::find_if(m_listings.begin(), m_listings.end(), [folder](const Listing& known) {
            return equalsIgnoringCase(known.folder, folder);
        });
        if (listing == m_listings.end()) {
            listing = m_listings.insert(m_listings.end(), Listing{std::string(folder), {}});
            list(folder, listing->files);
        }
        m_folded.assign(name);
        for (char& c : m_folded) {
            c = foldCase(c);
        }
        return listing->files.contains(m_folded);
    }

    bool owns(const std::string&) const override { return false; }

    Status open(const std::string& location, std::unique_ptr<InputFile>& file) override
    {
        return m_fileSystem.openForReading(location, file);
    }

private:
    struct Listing {
        std::string folder; // as first asked for
        NameSet files;      // folded
    };

    void list(std::string_view folder, NameSet& files)
    {
        // The folder itself may be spelt in any letter case: "Parts" finds "parts"; of several
        // spellings the exact one, else the first in byte order, whatever order they are listed in.
        std::vector<DirectoryEntry> entries;
        if (!m_fileSystem.list(m_root, entries)) {
            return;
        }
        std::string found;
        for (const auto& entry : entries) {
            if (entry.kind == EntryKind::Folder && equalsIgnoringCase(entry.name, folder) &&
                (found.empty() || entry.name == folder || (found != folder && entry.name < found))) {
                found = entry.name;
            }
        }
        if (found.empty() || !m_fileSystem.list(joinPath(m_root, found), entries)) {
            return;
        }
        for (const auto& entry : entries) {
            if (entry.kind == EntryKind::File) {
                files.insert(foldCase(entry.name));
            }
        }
    }

    FileSystem& m_fileSystem;
    std::string m_root;
    std::string m_prefix;
    CaseResolver m_resolver;
    std::vector<Listing> m_listings;
    std::string m_folded; // the name asked about, letter case folded
};

// The library's files in a zip archive, under a top folder ("ldraw/" in complete.zip) or none.
// Its index is the folded names in one set, numbered as they came, beside each one's entry: a few
// blocks, built in one pass and freed at once.
class ArchiveTree final : public LibraryTree {
public:
    explicit ArchiveTree(std::unique_ptr<ZipArchive> archive) : m_archive(std::move(archive))
    {
        // complete.zip keeps everything under "ldraw/"; ldrawunf.zip has no top folder.
        for (std::size_t index = 0; index != m_archive->count(); ++index) {
            const std::string_view name = m_archive->name(index);
            if (equalsIgnoringCase(name.substr(0, 12), "ldraw/parts/") ||
                equalsIgnoringCase(name.substr(0, 8), "ldraw/p/")) {
                m_top = 6;
                break;
            }
        }
        m_index.reserve(m_archive->count());
        for (std::size_t index = 0; index != m_archive->count(); ++index) {
            const std::string_view name = m_archive->name(index);
            if (name.size() <= m_top || name.back() == '/' ||
                (m_top > 0 && !equalsIgnoringCase(name.substr(0, m_top), "ldraw/"))) {
                continue; // a folder, or outside the library's top folder
            }
            keyOf(name.substr(m_top), m_key);
            // The first of several names that differ only in letter case wins.
            if (m_index.insert(m_key)) {
                m_entries.push_back(static_cast<std::uint32_t>(index));
            }
        }
    }

    std::string find(std::string_view relative) override
    {
        const std::size_t entry = entryOf(relative);
        return entry == npos ? std::string() : m_archive->path() + "/" + std::string(m_archive->name(entry));
    }

    bool owns(const std::string& location) const override
    {
        return location.size() > m_archive->path().size() && location.starts_with(m_archive->path()) &&
               location[m_archive->path().size()] == '/';
    }

    Status open(const std::string& location, std::unique_ptr<InputFile>& file) override
    {
        // The location is one find gave: the entry's own name, whose key leads back to it (the
        // separator before the top folder is left to keyOf, which drops leading separators).
        const std::size_t start = m_archive->path().size() + m_top;
        const std::size_t entry = entryOf(std::string_view(location).substr(std::min(start, location.size())));
        if (entry == npos) {
            return Status::failure("No such entry in the archive");
        }
        std::string bytes;
        if (Status read = m_archive->read(entry, bytes); !read) {
            return read;
        }
        file = std::make_unique<MemoryInputFile>(std::move(bytes));
        return Status::ok();
    }

private:
    static constexpr std::size_t npos = std::size_t(-1);

    // A relative name as the index holds it: letter case folded, "/" between its components.
    static void keyOf(std::string_view relative, std::string& key)
    {
        key.resize(relative.size());
        std::size_t size = 0;
        for (const char c : relative) {
            if (!isNameSeparator(c)) {
                key[size++] = foldCase(c);
            } else if (size > 0 && key[size - 1] != '/') {
                key[size++] = '/';
            }
        }
        key.resize(size); // a name ending in a separator names a folder: it matches no file
    }

    // The entry whose name relative leads to; npos when none.
    std::size_t entryOf(std::string_view relative)
    {
        keyOf(relative, m_key);
        const std::size_t number = m_index.find(m_key);
        return number == NameSet::npos ? npos : m_entries[number];
    }

    std::unique_ptr<ZipArchive> m_archive;
    std::size_t m_top = 0;                // the length of the top folder's name, "ldraw/"
    NameSet m_index;                      // the folded names
    std::vector<std::uint32_t> m_entries; // each name's entry, by the name's number
    std::string m_key;
};

} // namespace

std::unique_ptr<LibraryTree> makeFolderTree(FileSystem& fileSystem, std::string root, std::string prefix)
{
    return std::make_unique<FolderTree>(fileSystem, std::move(root), std::move(prefix));
}

std::unique_ptr<LibraryTree> makeArchiveTree(std::unique_ptr<ZipArchive> archive)
{
    return std::make_unique<ArchiveTree>(std::move(archive));
}

} // namespace brikmux
