#include "library/library.h"

#include "files/line_reader.h"
#include "files/paths.h"
#include "library/case_resolver.h"
#include "library/name_set.h"
#include "library/zip_archive.h"

#include <algorithm>
#include <utility>

namespace brikmux {

namespace {

std::string withSlashes(std::string_view name)
{
    std::string text(name);
    for (char& c : text) {
        if (c == '\\') {
            c = '/';
        }
    }
    return text;
}

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
        std::size_t& top = m_top;
        for (std::size_t index = 0; index < m_archive->count() && top == 0; ++index) {
            const std::string_view name = m_archive->name(index);
            top = equalsIgnoringCase(name.substr(0, 12), "ldraw/parts/") ||
                          equalsIgnoringCase(name.substr(0, 8), "ldraw/p/")
                      ? 6
                      : 0;
        }
        m_index.reserve(m_archive->count());
        for (std::size_t index = 0; index < m_archive->count(); ++index) {
            const std::string_view name = m_archive->name(index);
            if (name.size() <= top || name.back() == '/' ||
                (top > 0 && !equalsIgnoringCase(name.substr(0, top), "ldraw/"))) {
                continue; // a folder, or outside the library's top folder
            }
            keyOf(name.substr(top), m_key);
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
        const std::size_t entry = location.size() > start ? entryOf(std::string_view(location).substr(start)) : npos;
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
        key.resize(size > 0 && key[size - 1] == '/' ? size - 1 : size);
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

// A library made of trees: the official files in one, parts not yet official in others, searched
// in order.
class TreeLibrary final : public Library {
public:
    // models: the trees whose models folder holds the user's sub-models, in order.
    TreeLibrary(FileSystem& fileSystem, std::unique_ptr<LibraryTree> official,
                std::vector<std::unique_ptr<LibraryTree>> unofficial, std::unique_ptr<LibraryTree> folder)
        : m_fileSystem(fileSystem), m_official(std::move(official)), m_unofficial(std::move(unofficial)),
          m_folder(std::move(folder))
    {
    }

    bool IsLibraryFile(std::string_view name) override
    {
        return m_official->holds("P", name) || m_official->holds("Parts", name);
    }

    Located Locate(std::string_view name) override
    {
        for (const auto& [folder, prefix] : {std::pair{"P/", "p/"}, std::pair{"Parts/", "parts/"}}) {
            if (std::string location = m_official->find(folder + std::string(name)); !location.empty()) {
                return {std::move(location), prefix + withSlashes(name)};
            }
        }
        return {};
    }

    std::string UnofficialFile(std::string_view name) override { return findIn(m_unofficial, {"parts/", "p/"}, name); }
    std::string ModelFile(std::string_view name) override
    {
        std::string location = m_official->find("models/" + std::string(name));
        if (location.empty() && m_folder != nullptr) {
            location = m_folder->find("models/" + std::string(name));
        }
        return location;
    }
    std::string LibraryImage(std::string_view name) override
    {
        for (const char* folder : {"parts/textures/", "p/textures/"}) {
            if (std::string location = m_official->find(folder + std::string(name)); !location.empty()) {
                return location;
            }
        }
        return {};
    }
    std::string UnofficialImage(std::string_view name) override
    {
        return findIn(m_unofficial, {"parts/textures/", "p/textures/"}, name);
    }

    Status open(const std::string& location, std::unique_ptr<InputFile>& file) override
    {
        // An archive's locations are told by its path; every other one is a file.
        if (m_official->owns(location)) {
            return m_official->open(location, file);
        }
        for (const auto& tree : m_unofficial) {
            if (tree->owns(location)) {
                return tree->open(location, file);
            }
        }
        return m_fileSystem.openForReading(location, file);
    }

    std::vector<std::string> colours() override
    {
        std::vector<std::string> colours;
        const std::string config = m_official->find("LDConfig.ldr");
        std::unique_ptr<InputFile> file;
        if (config.empty() || !open(config, file)) {
            return colours;
        }
        LineReader reader(*file);
        std::string_view line;
        while (reader.next(line)) {
            const auto start = line.find_first_not_of(" \t");
            if (start != std::string_view::npos && line.substr(start).starts_with("0 !COLOUR ")) {
                colours.emplace_back(line);
            }
        }
        return colours;
    }

private:
    static std::string findIn(const std::vector<std::unique_ptr<LibraryTree>>& trees,
                              std::initializer_list<const char*> folders, std::string_view name)
    {
        for (const auto& tree : trees) {
            for (const char* folder : folders) {
                if (std::string location = tree->find(folder + std::string(name)); !location.empty()) {
                    return location;
                }
            }
        }
        return {};
    }

    FileSystem& m_fileSystem;
    std::unique_ptr<LibraryTree> m_official;
    std::vector<std::unique_ptr<LibraryTree>> m_unofficial;
    std::unique_ptr<LibraryTree> m_folder; // the library's folder, where the official files are an archive
};

// What a library folder holds, names in any letter case.
struct LibraryFolder {
    bool parts = false;
    bool primitives = false;
    bool program = false;   // ldraw.exe
    std::string archive;    // complete.zip, else library.bin; empty when neither is there
    std::string unofficial; // ldrawunf.zip; empty when it is not there
};

LibraryFolder inspect(const FileSystem& fileSystem, const std::string& folder)
{
    LibraryFolder found;
    std::vector<DirectoryEntry> entries;
    if (!fileSystem.list(folder, entries)) {
        return found;
    }
    std::string library;
    for (const auto& entry : entries) {
        const std::string name = foldCase(entry.name);
        if (entry.kind == EntryKind::Folder) {
            found.parts = found.parts || name == "parts";
            found.primitives = found.primitives || name == "p";
        } else if (entry.kind == EntryKind::File) {
            found.program = found.program || name == "ldraw.exe";
            if (name == "complete.zip") {
                found.archive = joinPath(folder, entry.name);
            } else if (name == "library.bin") {
                library = joinPath(folder, entry.name);
            } else if (name == "ldrawunf.zip") {
                found.unofficial = joinPath(folder, entry.name);
            }
        }
    }
    if (found.archive.empty()) {
        found.archive = library;
    }
    return found;
}

Status openArchive(const std::string& path, std::unique_ptr<LibraryTree>& tree)
{
    std::unique_ptr<ZipArchive> archive;
    if (Status opened = ZipArchive::open(path, archive); !opened) {
        return Status::failure(libraryArchiveProblem(path, opened.reason()));
    }
    tree = std::make_unique<ArchiveTree>(std::move(archive));
    return Status::ok();
}

} // namespace

std::string libraryArchiveProblem(std::string_view path, std::string_view reason)
{
    return "The LDraw library archive " + std::string(path) + " cannot be read: " + std::string(reason) + ".";
}

Status openLibrary(FileSystem& fileSystem, const std::string& ldrawPath, std::unique_ptr<Library>& library)
{
    const LibraryFolder folder = inspect(fileSystem, ldrawPath);
    std::unique_ptr<LibraryTree> official;
    const bool inFolder = (folder.parts && folder.primitives) || folder.archive.empty();
    if (inFolder) {
        official = std::make_unique<FolderTree>(fileSystem, ldrawPath, "");
    } else if (Status opened = openArchive(folder.archive, official); !opened) {
        return opened;
    }
    std::vector<std::unique_ptr<LibraryTree>> unofficial;
    unofficial.push_back(std::make_unique<FolderTree>(fileSystem, ldrawPath, "Unofficial/"));
    if (!folder.unofficial.empty()) {
        std::unique_ptr<LibraryTree> tree;
        if (Status opened = openArchive(folder.unofficial, tree); !opened) {
            return opened;
        }
        unofficial.push_back(std::move(tree));
    }
    // Beside an archive, the folder may still keep the user's own models.
    std::unique_ptr<LibraryTree> beside = inFolder ? nullptr : std::make_unique<FolderTree>(fileSystem, ldrawPath, "");
    library = std::make_unique<TreeLibrary>(fileSystem, std::move(official), std::move(unofficial), std::move(beside));
    return Status::ok();
}

std::string packedCustomName(std::string_view name)
{
    const auto startsWith = [name](std::string_view folder) {
        return name.size() > folder.size() && equalsIgnoringCase(name.substr(0, folder.size()), folder) &&
               isNameSeparator(name[folder.size()]);
    };
    if (startsWith("s")) {
        return "parts/" + withSlashes(name);
    }
    if (startsWith("48")) {
        return "p/" + withSlashes(name);
    }
    return std::string(name);
}

InstallationCheck checkLDrawInstallation(const FileSystem& fileSystem, const std::string& folder)
{
    InstallationCheck check;
    if (folder.empty() || !isNameSeparator(folder.back())) {
        return check;
    }
    const LibraryFolder found = inspect(fileSystem, folder);
    if (found.program || (found.parts && found.primitives)) {
        check.holds = true;
    } else if (!found.archive.empty()) {
        std::unique_ptr<ZipArchive> archive;
        const Status opened = ZipArchive::open(found.archive, archive);
        check.holds = opened.isOk();
        if (!opened) {
            check.archive = found.archive;
            check.reason = opened.reason();
        }
    }
    return check;
}

bool holdsLDrawInstallation(const FileSystem& fileSystem, const std::string& folder)
{
    return checkLDrawInstallation(fileSystem, folder).holds;
}

} // namespace brikmux
