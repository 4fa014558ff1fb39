#include "library.h"

#include "line_reader.h"
#include "paths.h"

namespace brikmux {

FolderLibrary::FolderLibrary(FileSystem& fileSystem, std::string ldrawPath)
    : m_fileSystem(fileSystem), m_ldrawPath(std::move(ldrawPath)), m_resolver(fileSystem)
{
}

void FolderLibrary::listFolder(Folder& folder)
{
    // The folder itself may be spelt in any letter case: "Parts" finds "parts".
    std::vector<DirectoryEntry> entries;
    if (!m_fileSystem.list(m_ldrawPath, entries)) {
        return;
    }
    std::string found;
    for (const auto& entry : entries) {
        if (entry.kind == EntryKind::Folder && equalsIgnoringCase(entry.name, folder.name) &&
            (found.empty() || entry.name == folder.name || entry.name < found)) {
            found = entry.name;
        }
    }
    if (found.empty() || !m_fileSystem.list(joinPath(m_ldrawPath, found), entries)) {
        return;
    }
    for (const auto& entry : entries) {
        if (entry.kind == EntryKind::File) {
            folder.files.insert(foldCase(entry.name));
        }
    }
}

bool FolderLibrary::holds(Folder& folder, std::string_view name, const std::string& folded)
{
    if (name.find_first_of("\\/") != std::string_view::npos) {
        // A name in a sub-folder (s\3001s01.dat): resolved component by component.
        std::string relative(folder.name);
        relative += kSeparator;
        relative += name;
        return m_resolver.resolve(m_ldrawPath, relative).fileExists;
    }
    if (!folder.listed) {
        folder.listed = true;
        listFolder(folder);
    }
    return folder.files.contains(folded);
}

bool FolderLibrary::IsLibraryFile(std::string_view name)
{
    const std::string folded = foldCase(name);
    return holds(m_primitives, name, folded) || holds(m_parts, name, folded);
}

std::string FolderLibrary::find(std::initializer_list<std::string_view> folders, std::string_view name)
{
    for (const std::string_view folder : folders) {
        std::string relative(folder);
        relative += kSeparator;
        relative += name;
        if (const ResolvedName resolved = m_resolver.resolve(m_ldrawPath, relative); resolved.fileExists) {
            return resolved.path();
        }
    }
    return {};
}

std::string FolderLibrary::UnofficialFile(std::string_view name)
{
    return find({"Unofficial/parts", "Unofficial/p"}, name);
}

std::string FolderLibrary::LibraryImage(std::string_view name)
{
    return find({"parts/textures", "p/textures"}, name);
}

std::string FolderLibrary::UnofficialImage(std::string_view name)
{
    return find({"Unofficial/parts/textures", "Unofficial/p/textures"}, name);
}

Status FolderLibrary::open(const std::string& path, std::unique_ptr<InputFile>& file)
{
    return m_fileSystem.openForReading(path, file);
}

namespace {

std::string withSlashes(std::string_view name)
{
    std::string slashed(name);
    for (char& c : slashed) {
        if (c == '\\') {
            c = '/';
        }
    }
    return slashed;
}

} // namespace

FolderLibrary::Located FolderLibrary::Locate(std::string_view name)
{
    for (const auto& [folder, prefix] : {std::pair{"P", "p/"}, std::pair{"Parts", "parts/"}}) {
        std::string relative = folder;
        relative += kSeparator;
        relative += name;
        if (const ResolvedName resolved = m_resolver.resolve(m_ldrawPath, relative); resolved.fileExists) {
            return {resolved.path(), prefix + withSlashes(name)};
        }
    }
    return {};
}

std::unique_ptr<Library> openLibrary(FileSystem& fileSystem, const std::string& ldrawPath)
{
    return std::make_unique<FolderLibrary>(fileSystem, ldrawPath);
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

std::vector<std::string> FolderLibrary::colours()
{
    std::vector<std::string> colours;
    const ResolvedName config = m_resolver.resolve(m_ldrawPath, "LDConfig.ldr");
    std::unique_ptr<InputFile> file;
    if (!config.fileExists || !m_fileSystem.openForReading(config.path(), file)) {
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

bool holdsLDrawInstallation(const FileSystem& fileSystem, const std::string& folder)
{
    if (folder.empty() || !isNameSeparator(folder.back())) {
        return false;
    }
    std::vector<DirectoryEntry> entries;
    if (!fileSystem.list(folder, entries)) {
        return false;
    }
    bool parts = false;
    bool primitives = false;
    for (const auto& entry : entries) {
        const std::string name = foldCase(entry.name);
        if (entry.kind == EntryKind::File && name == "ldraw.exe") {
            return true;
        }
        parts = parts || (entry.kind == EntryKind::Folder && name == "parts");
        primitives = primitives || (entry.kind == EntryKind::Folder && name == "p");
    }
    return parts && primitives;
}

} // namespace brikmux
