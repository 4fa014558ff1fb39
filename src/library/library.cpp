#include "library/library.h"

#include "files/line_reader.h"
#include "files/paths.h"
#include "library/library_tree.h"
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
    tree = makeArchiveTree(std::move(archive));
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
        official = makeFolderTree(fileSystem, ldrawPath, "");
    } else if (Status opened = openArchive(folder.archive, official); !opened) {
        return opened;
    }
    std::vector<std::unique_ptr<LibraryTree>> unofficial;
    unofficial.push_back(makeFolderTree(fileSystem, ldrawPath, "Unofficial/"));
    if (!folder.unofficial.empty()) {
        std::unique_ptr<LibraryTree> tree;
        if (Status opened = openArchive(folder.unofficial, tree); !opened) {
            return opened;
        }
        unofficial.push_back(std::move(tree));
    }
    // Beside an archive, the folder may still keep the user's own models.
    std::unique_ptr<LibraryTree> beside = inFolder ? nullptr : makeFolderTree(fileSystem, ldrawPath, "");
    library = std::make_unique<TreeLibrary>(fileSystem, std::move(official), std::move(unofficial), std::move(beside));
    return Status::ok();
}

std::string packedCustomName(std::string_view name)
{
    const auto startsWith = [name](std::string_view folder) {
        return name.find_first_of("\\/") == folder.size() && equalsIgnoringCase(name.substr(0, folder.size()), folder);
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
