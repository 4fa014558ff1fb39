#include "operations/model_walk.h"

#include "files/line_reader.h"
#include "files/line_writer.h"
#include "files/paths.h"
#include "operations/cycles.h"

#include <algorithm>

namespace brikmux {

namespace {

constexpr std::size_t npos = MpdModel::npos;
// An inner MPD's answer for a name it holds no block of: looked up as any other name.
constexpr std::size_t kGlobal = npos - 1;

// How an entry's place was decided (m_located): not yet, or where it lies.
constexpr char kInDatFolder = 1;
constexpr char kInLibrary = 2;

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// True when line (leading blanks aside) starts "0" and, after blanks, "!": a meta-command such as
// "0 !TEXMAP" or "0 !:".
bool isMetaCommand(std::string_view line)
{
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < line.size() && isBlank(line[i])) {
            ++i;
        }
    };
    skipBlanks();
    if (i + 1 >= line.size() || line[i] != '0' || !isBlank(line[i + 1])) {
        return false;
    }
    ++i;
    skipBlanks();
    return i < line.size() && line[i] == '!';
}

// The name of a file as a name in the file's own folder: "house/" for "house.mpd".
std::string folderFor(std::string_view name)
{
    const auto dot = name.find_last_of('.');
    const auto separator = name.find_last_of("/\\");
    const bool extension =
        dot != std::string_view::npos && dot > 0 && (separator == std::string_view::npos || dot > separator + 1);
    return std::string(extension ? name.substr(0, dot) : name) + "/";
}

bool sameLines(InputFile& a, InputFile& b)
{
    LineReader aLines(a);
    LineReader bLines(b);
    std::string_view aLine;
    std::string_view bLine;
    for (;;) {
        const bool more = aLines.next(aLine);
        if (more != bLines.next(bLine)) {
            return false;
        }
        if (!more) {
            return aLines.status() && bLines.status();
        }
        if (aLine != bLine) {
            return false;
        }
    }
}

} // namespace

ModelWalk::ModelWalk(WalkOptions options, FileSystem& fileSystem, Library& library)
    : m_options(std::move(options)), m_fileSystem(fileSystem), m_library(library), m_datFolder(fileSystem)
{
}

std::size_t ModelWalk::add(WalkEntry entry, bool queued)
{
    m_entries.push_back(std::move(entry));
    m_located.push_back(0);
    const std::size_t index = m_entries.size() - 1;
    if (queued) {
        m_queue.push_back(index);
    }
    return index;
}

const std::string& ModelWalk::referrerName(std::size_t index) const
{
    const WalkEntry& entry = m_entries[index];
    return entry.renamedFrom.empty() ? entry.name : entry.section;
}

void ModelWalk::noteReferrer(std::size_t entry, std::size_t referrer)
{
    auto& referencedBy = m_entries[entry].referencedBy;
    const std::string& name = referrerName(referrer);
    if (std::find(referencedBy.begin(), referencedBy.end(), name) == referencedBy.end()) {
        referencedBy.push_back(name);
    }
}

void ModelWalk::run(std::string_view mainName, LineSink* sink)
{
    add({std::string(mainName),
         std::string(mainName),
         WalkEntry::Type::Model,
         WalkEntry::Kind::Main,
         {},
         {},
         0,
         true,
         {}},
        true);
    m_decided.insert(mainName);
    m_index.emplace(m_options.pack ? foldCase(mainName) : std::string(mainName), 0);
    // The queue grows while it is walked: files met in one file are read in the same run.
    for (std::size_t next = 0; next < m_queue.size() && (sink == nullptr || sink->accepting()); ++next) {
        read(m_queue[next], sink);
    }
}

const MpdModel* ModelWalk::modelOf(const WalkEntry& entry) const
{
    return entry.container != npos ? m_inner[entry.container].model.get() : m_mpd.get();
}

std::size_t ModelWalk::sectionFor(std::string_view name) const
{
    const std::size_t block = m_mpd != nullptr && m_mpd->isMpd() ? m_mpd->find(name) : npos;
    return block != npos && m_mpd->blocks()[block].kind == MpdBlock::Kind::Model ? block : npos;
}

bool ModelWalk::datFolderMayHold(std::string_view name)
{
    if (name.find_first_of("/\\") != std::string_view::npos) {
        return true; // in a sub-folder: the resolver tells
    }
    if (!m_datFiles) {
        m_datFiles.emplace();
        std::vector<DirectoryEntry> entries;
        if (m_fileSystem.list(m_options.datPath, entries)) {
            for (const DirectoryEntry& entry : entries) {
                m_datFiles->insert(foldCase(entry.name));
            }
        }
    }
    m_folded.assign(name);
    for (char& c : m_folded) {
        c = foldCase(c);
    }
    return m_datFiles->contains(m_folded);
}

bool ModelWalk::replacesLibraryFile(std::string_view name, std::size_t block, const MpdModel* model)
{
    std::unique_ptr<InputFile> own;
    if (block != npos) {
        model = model != nullptr ? model : m_mpd.get();
        own = model->open(model->blocks()[block]);
    } else {
        if (leavesFolder(name) || !datFolderMayHold(name)) {
            return false;
        }
        const ResolvedName resolved = m_datFolder.resolve(m_options.datPath, name);
        // A copy that cannot be read is taken as the user's own: its read then fails aloud.
        if (!resolved.fileExists || !m_fileSystem.openForReading(resolved.path(), own)) {
            return resolved.fileExists;
        }
    }
    std::unique_ptr<InputFile> library;
    if (!m_library.open(m_library.Locate(name).path, library)) {
        return true;
    }
    return !sameLines(*own, *library);
}

void ModelWalk::decide(std::string_view name, std::size_t referrer)
{
    const std::size_t block = sectionFor(name);
    bool library = m_library.IsLibraryFile(name);
    const bool replaces = library && replacesLibraryFile(name, block);
    library = library && !replaces;
    if (!library || m_options.record) {
        WalkEntry entry{std::string(name),
                        std::string(name),
                        WalkEntry::Type::Model,
                        library ? WalkEntry::Kind::Library : WalkEntry::Kind::NotFound,
                        library ? m_library.Locate(name).path : std::string(),
                        {},
                        referrer,
                        !library,
                        {},
                        library ? npos : block,
                        replaces};
        std::size_t index = add(std::move(entry), !library);
        if (!library && !m_inner.empty()) {
            index = place(index);
            if (const std::string& section = m_entries[index].section; section != name) {
                m_renamed.emplace(std::string(name), section);
            }
        }
        if (m_options.record) {
            m_index.emplace(std::string(name), index);
            noteReferrer(index, referrer);
        }
    }
}

std::string_view ModelWalk::reference(std::string_view name, std::size_t referrer)
{
    if (const std::size_t container = m_entries[referrer].container; container != npos) {
        if (const std::size_t entry = innerReference(container, name, referrer); entry != kGlobal) {
            if (m_options.record) {
                noteReferrer(entry, referrer);
            }
            return m_entries[entry].section;
        }
    }
    return globalReference(name, referrer);
}

std::string_view ModelWalk::globalReference(std::string_view name, std::size_t referrer)
{
    if (!m_options.pack) {
        // A name is decided once: queued, or left to the library. Neither answer changes within
        // one walk, and most lines name parts met before.
        if (m_decided.insert(name)) {
            decide(name, referrer);
        } else if (m_options.record) {
            noteReferrer(m_index.at(std::string(name)), referrer);
        }
        if (!m_renamed.empty()) {
            if (const auto renamed = m_renamed.find(std::string(name)); renamed != m_renamed.end()) {
                return renamed->second;
            }
        }
        return name;
    }
    // Packing: every file once, under the name a viewer looks it up by, letter case aside.
    auto known = m_packedNames.find(std::string(name));
    if (known == m_packedNames.end()) {
        WalkEntry entry{
            std::string(name), {}, WalkEntry::Type::Model, WalkEntry::Kind::NotFound, {}, {}, referrer, true, {}};
        entry.block = sectionFor(name);
        entry.replacesLibrary = m_library.IsLibraryFile(name) && replacesLibraryFile(name, entry.block);
        if (!entry.replacesLibrary && m_library.IsLibraryFile(name)) {
            entry.block = npos;
            Library::Located located = m_library.Locate(name);
            entry.section = std::move(located.packedName);
            entry.path = std::move(located.path);
            entry.kind = WalkEntry::Kind::Library;
        } else {
            entry.section = packedCustomName(name);
        }
        const bool library = entry.kind == WalkEntry::Kind::Library;
        // The line carries its own spelling's packed name, unless a block of an MPD met inside the
        // model holds that name: then the one it is told apart by.
        std::string written = entry.section;
        std::size_t index = npos;
        const auto [found, added] = m_index.try_emplace(foldCase(entry.section), m_entries.size());
        if (added) {
            index = add(std::move(entry), true);
            if (!library && !m_inner.empty()) {
                index = place(index);
                found->second = index;
                written = m_entries[index].section;
                m_index.try_emplace(foldCase(written), index);
            }
        } else {
            index = found->second;
        }
        known = m_packedNames.emplace(std::string(name), std::move(written)).first;
        if (m_options.record) {
            noteReferrer(index, referrer);
        }
    } else if (m_options.record) {
        noteReferrer(m_index.at(foldCase(known->second)), referrer);
    }
    return known->second;
}

std::size_t ModelWalk::innerReference(std::size_t container, std::string_view name, std::size_t referrer)
{
    InnerMpd& inner = m_inner[container];
    const std::string_view trimmed = name.substr(0, name.find_last_not_of(" \t") + 1);
    const auto [known, added] = inner.names.try_emplace(std::string(trimmed), kGlobal);
    if (added) {
        const std::size_t block = inner.model->find(trimmed);
        if (block != npos && inner.model->blocks()[block].kind == MpdBlock::Kind::Model &&
            (!m_library.IsLibraryFile(trimmed) || replacesLibraryFile(trimmed, block, inner.model.get()))) {
            const std::size_t entry = blockEntry(container, block, trimmed, referrer, WalkEntry::Type::Model);
            m_inner[container].names[std::string(trimmed)] = entry;
            return entry;
        }
    }
    return known->second;
}

std::size_t ModelWalk::blockEntry(std::size_t container, std::size_t block, std::string_view name, std::size_t referrer,
                                  WalkEntry::Type type)
{
    if (const auto known = m_inner[container].blocks.find(block); known != m_inner[container].blocks.end()) {
        return known->second;
    }
    const InnerMpd& inner = m_inner[container];
    const bool image = type == WalkEntry::Type::Image;
    WalkEntry entry{std::string(name),
                    image || !m_options.pack ? std::string(name) : packedCustomName(name),
                    type,
                    WalkEntry::Kind::Custom,
                    inner.path,
                    {},
                    referrer,
                    true,
                    {}};
    entry.block = block;
    entry.container = container;
    entry.in = inner.name;
    if (const BadImage& bad = inner.model->blocks()[block].bad; image && bad.problem != BadImage::Problem::None) {
        entry.kind = WalkEntry::Kind::Unreadable;
        entry.reason = messages::badImageReason(bad);
        m_unreadable.push_back({entry.path, entry.reason, referrerName(referrer)});
    }
    std::size_t index = add(std::move(entry), !image);
    m_located[index] = kInDatFolder;
    index = place(index);
    m_inner[container].blocks.emplace(block, index);
    return index;
}

std::size_t ModelWalk::place(std::size_t index)
{
    const std::string key = foldCase(m_entries[index].section);
    std::vector<std::size_t>& namedAs = m_namedAs[key];
    // A block of an inner MPD named like a library part replaces it within its file only: under
    // the part's own name its section would replace it for the whole model.
    const bool libraryName = m_entries[index].container != npos && m_entries[index].type == WalkEntry::Type::Model &&
                             !m_options.pack && m_library.IsLibraryFile(m_entries[index].section);
    const auto [held, added] = m_sections.try_emplace(key, index);
    if (added && !libraryName) {
        namedAs.push_back(index);
        return index;
    }
    if (added) {
        m_sections.erase(held); // the library part keeps its name
    }
    WalkEntry& entry = m_entries[index];
    const WalkEntry& first = m_entries[added ? index : held->second];
    if (!libraryName && ((entry.container == npos && first.container == npos) || first.type != entry.type)) {
        return index; // files of the DAT folder and the main MPD are taken as before
    }
    // The same block, or one of the same content under this name already: embedded once.
    for (const std::size_t other : namedAs) {
        if (other == index) {
            continue;
        }
        const WalkEntry& known = m_entries[other];
        const bool sameBlock =
            entry.container != npos && entry.container == known.container && entry.block == known.block;
        if (sameBlock || (entry.kind != WalkEntry::Kind::Unreadable && sameContent(other, index))) {
            // The later entry was the last one added.
            if (!m_queue.empty() && m_queue.back() == index) {
                m_queue.pop_back();
            }
            m_entries.pop_back();
            m_located.pop_back();
            if (m_hashes.size() > m_entries.size()) {
                m_hashes.resize(m_entries.size());
            }
            return other;
        }
    }
    // The name is taken by a block of other content: a new one in the file's own folder.
    const std::string folder =
        entry.container != npos ? m_inner[entry.container].folder : folderFor(m_entries.front().name);
    entry.renamedFrom = entry.section;
    namedAs.push_back(index);
    for (std::size_t n = 1;; ++n) {
        std::string candidate = n == 1 ? folder : folder.substr(0, folder.size() - 1) + "-" + std::to_string(n) + "/";
        candidate += entry.renamedFrom;
        if (m_sections.try_emplace(foldCase(candidate), index).second) {
            entry.section = std::move(candidate);
            return index;
        }
    }
}

std::uint64_t ModelWalk::contentHash(std::size_t index)
{
    if (m_hashes.size() < m_entries.size()) {
        m_hashes.resize(m_entries.size(), 0);
    }
    if (m_hashes[index] != 0) {
        return m_hashes[index];
    }
    locate(index);
    const WalkEntry& entry = m_entries[index];
    std::uint64_t hash = 1;
    std::unique_ptr<InputFile> file;
    if (entry.type == WalkEntry::Type::Image) {
        std::string bytes;
        if (readAll(entry, bytes)) {
            hash = std::hash<std::string>{}(bytes) | 1;
        }
    } else if (entry.kind != WalkEntry::Kind::NotFound && entry.kind != WalkEntry::Kind::Unreadable &&
               open(entry, file)) {
        // Line by line, so that line ends do not count.
        LineReader reader(*file);
        std::string_view line;
        while (reader.next(line)) {
            hash = (hash * 0x100000001B3ULL) ^ std::hash<std::string_view>{}(line);
        }
        hash |= 1;
    }
    return m_hashes[index] = hash;
}

bool ModelWalk::sameContent(std::size_t a, std::size_t b)
{
    // Most blocks that meet under one name differ: their hashes tell at once.
    if (contentHash(a) != contentHash(b)) {
        return false; // contentHash located both
    }
    const WalkEntry& first = m_entries[a];
    const WalkEntry& second = m_entries[b];
    if (first.type == WalkEntry::Type::Image) {
        std::string aBytes;
        std::string bBytes;
        return readAll(first, aBytes) && readAll(second, bBytes) && aBytes == bBytes;
    }
    std::unique_ptr<InputFile> aFile;
    std::unique_ptr<InputFile> bFile;
    return first.kind != WalkEntry::Kind::NotFound && second.kind != WalkEntry::Kind::NotFound &&
           first.kind != WalkEntry::Kind::Unreadable && second.kind != WalkEntry::Kind::Unreadable &&
           open(first, aFile) && open(second, bFile) && sameLines(*aFile, *bFile);
}

std::string_view ModelWalk::image(std::string_view name, std::size_t referrer)
{
    if (const std::size_t container = m_entries[referrer].container; container != npos) {
        const std::string key = foldCase(name);
        if (!m_inner[container].images.contains(key)) {
            const MpdModel& model = *m_inner[container].model;
            const std::size_t block = model.find(name);
            m_inner[container].images[key] = block != npos && model.blocks()[block].kind == MpdBlock::Kind::Image
                                                 ? blockEntry(container, block, name, referrer, WalkEntry::Type::Image)
                                                 : kGlobal;
        }
        if (const std::size_t entry = m_inner[container].images.at(key); entry != kGlobal) {
            if (m_options.record) {
                noteReferrer(entry, referrer);
            }
            return m_entries[entry].section;
        }
    }
    const auto [found, added] = m_images.try_emplace(foldCase(name), m_entries.size());
    if (added) {
        WalkEntry entry{std::string(name),
                        std::string(name),
                        WalkEntry::Type::Image,
                        WalkEntry::Kind::NotFound,
                        {},
                        {},
                        referrer,
                        false,
                        {}};
        // Where LDraw programs look: the MPD's own data blocks, beside the model, in its textures
        // folder, in the library's.
        const std::size_t block = m_mpd != nullptr ? m_mpd->find(name) : npos;
        if (block != npos && m_mpd->blocks()[block].kind == MpdBlock::Kind::Image) {
            // Named as referenced, as an image of the DAT folder is.
            const MpdBlock& data = m_mpd->blocks()[block];
            entry.block = block;
            entry.path = m_mpdFile;
            entry.embedded = true;
            entry.kind = WalkEntry::Kind::Custom;
            if (data.bad.problem != BadImage::Problem::None) {
                entry.kind = WalkEntry::Kind::Unreadable;
                entry.reason = messages::badImageReason(data.bad);
                m_unreadable.push_back({entry.path, entry.reason, referrerName(referrer)});
            }
        } else if (!findInDatFolder(name, entry)) {
            if (std::string path = m_library.LibraryImage(name); !path.empty()) {
                entry.path = std::move(path);
                entry.kind = WalkEntry::Kind::Library;
                entry.embedded = m_options.pack;
            } else if (path = m_library.UnofficialImage(name); !path.empty()) {
                entry.path = std::move(path);
                entry.kind = WalkEntry::Kind::Unofficial;
                entry.embedded = true;
            }
        }
        const bool embedded = entry.embedded;
        std::size_t index = add(std::move(entry), false);
        m_located[index] = kInDatFolder;
        if (embedded && !m_inner.empty()) {
            index = place(index);
        }
        found->second = index;
    }
    if (m_options.record) {
        noteReferrer(found->second, referrer);
    }
    // Only an image told apart from a block of an MPD met inside the model is named anew.
    const WalkEntry& entry = m_entries[found->second];
    return entry.container != npos || !entry.renamedFrom.empty() ? std::string_view(entry.section) : name;
}

bool ModelWalk::findInDatFolder(std::string_view name, WalkEntry& entry)
{
    if (leavesFolder(name)) {
        return false;
    }
    for (const std::string& relative :
         {std::string(name), "textures" + std::string(1, kSeparator) + std::string(name)}) {
        const ResolvedName resolved = m_datFolder.resolveFresh(m_options.datPath, relative);
        if (resolved.fileExists || resolved.occupant != EntryKind::Missing) {
            entry.path = resolved.path();
            entry.embedded = true;
            entry.kind = WalkEntry::Kind::Custom;
            if (!resolved.fileExists) {
                entry.kind = WalkEntry::Kind::Unreadable;
                entry.reason = whyNotAFile(resolved.occupant);
                m_unreadable.push_back({entry.path, entry.reason, referrerName(entry.referrer)});
            }
            return true;
        }
    }
    return false;
}

void ModelWalk::followReference(std::string_view& fullLine, std::string_view line, std::size_t index, bool plain)
{
    std::string_view subName = SubFileName(line);
    // Blanks after a name are no part of it, as LDraw readers take it; the line keeps them. (Where
    // only names ending in "dat" count, such a line is no reference at all.)
    while (!subName.empty() && isBlank(subName.back())) {
        subName.remove_suffix(1);
    }
    // The plain merge's hot path: most lines name parts met before.
    if (!plain) {
        follow(fullLine, subName, index);
    } else if (!subName.empty() && m_decided.insert(subName)) {
        decide(subName, index);
    }
}

void ModelWalk::follow(std::string_view& line, std::string_view name, std::size_t index)
{
    if (name.empty()) {
        return;
    }
    const std::string_view written = reference(name, index);
    if (written != name) {
        // Renamed: the rest of the line stays as it was. The buffer is reused line after line.
        const auto offset = static_cast<std::size_t>(name.data() - line.data());
        m_rewritten.assign(line.substr(0, offset));
        m_rewritten.append(written);
        m_rewritten.append(line.substr(offset + name.size()));
        line = m_rewritten;
    }
}

void ModelWalk::followImages(std::string_view& line, const TexmapLine& texmap, std::size_t index)
{
    std::string rewritten;
    std::size_t done = 0; // the part of line already in rewritten
    for (const std::string_view name : texmap.images) {
        const std::string_view written = image(name, index);
        if (written != name) {
            const auto at = static_cast<std::size_t>(name.data() - line.data());
            rewritten.append(line.substr(done, at - done)).append(written);
            done = at + name.size();
        }
    }
    if (done > 0) {
        m_rewritten = std::move(rewritten.append(line.substr(done)));
        line = m_rewritten;
    }
}

Status ModelWalk::open(const WalkEntry& entry, std::unique_ptr<InputFile>& file)
{
    if (entry.block != npos) {
        const MpdModel* model = modelOf(entry);
        file = model->open(model->blocks()[entry.block]);
        return Status::ok();
    }
    // The library opens what lies in its archives, and every other file through the file system.
    return m_library.open(entry.path, file);
}

Status ModelWalk::readAll(const WalkEntry& entry, std::string& bytes)
{
    if (entry.block != npos && entry.type == WalkEntry::Type::Image) {
        bytes = modelOf(entry)->blocks()[entry.block].bytes;
        return Status::ok();
    }
    std::unique_ptr<InputFile> file;
    if (Status opened = open(entry, file); !opened) {
        return opened;
    }
    bytes.clear();
    char buffer[1 << 16];
    for (std::size_t count = 0;; bytes.append(buffer, count)) {
        if (Status read = file->read(buffer, sizeof buffer, count); !read) {
            return read;
        }
        if (count == 0) {
            return Status::ok();
        }
    }
}

void ModelWalk::locate(std::size_t index)
{
    if (m_located[index] != 0) {
        return;
    }
    m_located[index] = kInDatFolder;
    WalkEntry& entry = m_entries[index];
    const WalkEntry::Kind found = index == 0 ? WalkEntry::Kind::Main : WalkEntry::Kind::Custom;
    if (entry.block != npos) {
        entry.kind = found;
        entry.path = entry.container != npos ? m_inner[entry.container].path : m_mpdFile;
        return;
    }
    if (m_options.pack && entry.kind == WalkEntry::Kind::Library) {
        m_located[index] = kInLibrary;
        return;
    }
    const ResolvedName resolved = m_datFolder.resolveFresh(m_options.datPath, entry.name);
    if (resolved.fileExists) {
        entry.kind = found;
        entry.path = resolved.path();
        return;
    }
    // Nothing of that name in the DAT folder, in any letter case: a sub-model of the library's
    // models folder, a part not yet official, which the library keeps apart, or a sub-file the
    // user may do without. A folder, a pipe or a main file that is not there stays a failure.
    if (index == 0 || resolved.occupant != EntryKind::Missing) {
        entry.kind = index == 0 && resolved.occupant == EntryKind::Missing ? WalkEntry::Kind::NotFound
                                                                           : WalkEntry::Kind::Unreadable;
        entry.path = joinPath(m_options.datPath, entry.name);
        entry.reason = whyNotAFile(resolved.occupant);
        return;
    }
    if (std::string path = m_library.ModelFile(entry.name); !path.empty()) {
        entry.kind = WalkEntry::Kind::Custom;
        entry.path = std::move(path);
        m_located[index] = kInLibrary;
    } else if (path = m_library.UnofficialFile(entry.name); !path.empty()) {
        entry.kind = WalkEntry::Kind::Unofficial;
        entry.path = std::move(path);
        m_located[index] = kInLibrary;
    }
}

void ModelWalk::read(std::size_t index, LineSink* sink)
{
    locate(index);
    // Copies: entries added below may move the list.
    const std::string referrer = index == 0 ? std::string() : referrerName(m_entries[index].referrer);
    WalkEntry& entry = m_entries[index];
    // A failure names a file of the DAT folder as the reference spells it.
    const std::string shownPath = m_located[index] == kInLibrary ? entry.path : joinPath(m_options.datPath, entry.name);
    auto unreadable = [&](std::string reason) {
        WalkEntry& failed = m_entries[index];
        failed.kind = WalkEntry::Kind::Unreadable;
        failed.path = shownPath;
        failed.reason = reason;
        m_unreadable.push_back({shownPath, std::move(reason), referrer});
    };
    if (entry.kind == WalkEntry::Kind::Unreadable) {
        m_unreadable.push_back({entry.path, entry.reason, referrer});
        return;
    }
    if (entry.kind == WalkEntry::Kind::NotFound) {
        if (index == 0) {
            // A main file that is not there.
            m_unreadable.push_back({entry.path, entry.reason, referrer});
            entry.path.clear();
            entry.reason.clear();
        } else {
            entry.embedded = false; // found nowhere: no section
        }
        return;
    }
    std::unique_ptr<InputFile> file;
    if (const Status opened = open(entry, file); !opened) {
        unreadable(opened.reason());
        return;
    }
    if (index == 0) {
        if (const Status loaded = loadMain(file, entry.path); !loaded) {
            unreadable(loaded.reason());
            return;
        }
    }
    if (sink != nullptr) {
        sink->beginFile(m_entries[index], index);
    }
    const std::size_t firstNew = m_entries.size();
    // A file of the DAT folder, of the models folder or not yet official may hold blocks.
    const bool mayBeMpd = index != 0 && entry.block == npos && entry.kind != WalkEntry::Kind::Library;
    Status status = Status::ok();
    const Lines lines = readLines(*file, index, sink, mayBeMpd, status);
    if (!status) {
        unreadable(status.reason());
    } else if (lines.markerMet) {
        openInner(index, lines.modelLines, firstNew, sink);
    }
}

ModelWalk::Lines ModelWalk::readLines(InputFile& file, std::size_t index, LineSink* sink, bool mayBeMpd, Status& status)
{
    Lines lines;
    LineReader reader(file);
    std::string_view line;
    // In an MPD every type 1 line may name a section, whatever its name ends in.
    const bool mpd = (m_mpd != nullptr && m_mpd->isMpd()) || !m_inner.empty();
    const ReferenceKinds kinds = m_options.pack || mpd ? ReferenceKinds::Any : m_options.referenceKinds;
    bool inTexmap = false; // between "0 !TEXMAP START" and "0 !TEXMAP END"
    const bool plain = !m_options.pack && !m_options.record && m_inner.empty();
    // Lines that go to the output as they are may be written straight to it.
    LineWriter* const direct = sink != nullptr ? sink->writer() : nullptr;
    while (reader.next(line)) {
        // Most lines start with their type and a blank, which tells them apart at once: a
        // reference, another model line, or a comment or meta-command. The rest (leading blanks,
        // a type written "01") take the lenient readings.
        const char type = line.size() >= 2 && isBlank(line[1]) ? line[0] : '\0';
        if (type == '1') {
            lines.modelLines = true;
            if (kinds == ReferenceKinds::Any || IsSubFileReference(line, kinds)) {
                followReference(line, line, index, plain);
            }
        } else if (type >= '2' && type <= '9') {
            lines.modelLines = lines.modelLines || type <= '5';
        } else if (type != '0' && IsSubFileReference(line, kinds)) {
            lines.modelLines = true;
            followReference(line, line, index, plain);
        } else if (isMetaCommand(line)) {
            if (mayBeMpd && IsDataMarker(line)) {
                lines.markerMet = true;
                return lines;
            }
            const TexmapLine texmap = ReadTexmapLine(line);
            inTexmap = texmap.kind == TexmapLine::Kind::Start || (inTexmap && texmap.kind != TexmapLine::Kind::End);
            if (!texmap.images.empty()) {
                followImages(line, texmap, index);
            }
            // Within a !TEXMAP block, "0 !: 1 ..." is a reference that texture-aware readers follow.
            std::string_view payload;
            if (inTexmap && texmap.kind == TexmapLine::Kind::None && IsMetaDataLine(line, payload)) {
                payload.remove_prefix(std::min(payload.size(), payload.find_first_not_of(" \t")));
                if (IsSubFileReference(payload, kinds)) {
                    followReference(line, payload, index, plain);
                }
            }
        } else if (const std::string_view wrapped = WrappedLine(line);
                   !wrapped.empty() && IsSubFileReference(wrapped, kinds)) {
            // A hidden or ghosted part, as editors keep them, is referenced all the same.
            followReference(line, wrapped, index, plain);
        } else if (IsFileMarker(line)) {
            // Only a marker that carries a name starts a block; either kind of line is left out.
            if (mayBeMpd && StartsSection(line)) {
                lines.markerMet = true;
                return lines;
            }
            continue;
        } else if (!lines.modelLines && type != '0') {
            const int lineType = LineType(line);
            lines.modelLines = lineType >= 1 && lineType <= 5;
        }
        if (direct != nullptr) {
            direct->write(line);
        } else if (sink != nullptr) {
            sink->line(line);
        }
    }
    status = reader.status();
    return lines;
}

void ModelWalk::openInner(std::size_t index, bool ownModelRead, std::size_t firstNew, LineSink* sink)
{
    const std::string referrer = referrerName(m_entries[index].referrer);
    auto unreadable = [&](std::string reason) {
        WalkEntry& failed = m_entries[index];
        failed.kind = WalkEntry::Kind::Unreadable;
        failed.reason = reason;
        m_unreadable.push_back({failed.path, std::move(reason), referrer});
    };
    std::size_t container = npos;
    if (const auto known = m_innerByPath.find(m_entries[index].path); known != m_innerByPath.end()) {
        container = known->second;
    } else {
        auto model = std::make_unique<MpdModel>();
        std::unique_ptr<InputFile> file;
        Status loaded = open(m_entries[index], file);
        const std::string& name = m_entries[index].name;
        if (loaded) {
            loaded = model->load(*file, name.substr(name.find_last_of("/\\") + 1));
        }
        if (!loaded) {
            unreadable(loaded.reason());
            return;
        }
        if (m_inner.empty()) {
            // From now on every section name taken is known: the blocks to come are told apart.
            for (std::size_t i = 0; i < m_entries.size(); ++i) {
                const std::string key = foldCase(m_entries[i].section);
                if (m_entries[i].embedded && m_sections.try_emplace(key, i).second) {
                    m_namedAs[key].push_back(i);
                }
            }
        }
        container = m_inner.size();
        m_innerByPath.emplace(m_entries[index].path, container);
        m_inner.push_back({std::move(model), name, m_entries[index].path, folderFor(name), {}, {}, {}});
    }
    InnerMpd& inner = m_inner[container];
    const std::size_t own = inner.model->mainBlock();
    if (own == npos) {
        unreadable("it holds no model, only images");
        return;
    }
    WalkEntry& entry = m_entries[index];
    entry.container = container;
    entry.block = own;
    inner.blocks.try_emplace(own, index);
    const MpdBlock& ownBlock = inner.model->blocks()[own];
    if (!ownModelRead || ownBlock.firstLine != 0) {
        // The own model is the first section: its lines follow, its names looked up in the file.
        std::unique_ptr<InputFile> file = inner.model->open(ownBlock);
        Status status = Status::ok();
        readLines(*file, index, sink, false, status);
        return;
    }
    // The own model was the lines before the first block, read already: the names they met for
    // the first time are the file's blocks where it holds them.
    for (std::size_t i = firstNew; i < m_entries.size(); ++i) {
        WalkEntry& met = m_entries[i];
        if (met.referrer != index || met.block != npos || met.kind != WalkEntry::Kind::NotFound) {
            continue;
        }
        const std::size_t block = inner.model->find(met.name);
        if (block == npos ||
            (inner.model->blocks()[block].kind == MpdBlock::Kind::Image) != (met.type == WalkEntry::Type::Image)) {
            continue;
        }
        met.block = block;
        met.container = container;
        met.in = inner.name;
        met.kind = WalkEntry::Kind::Custom;
        met.path = inner.path;
        met.embedded = true;
        m_located[i] = kInDatFolder;
        inner.blocks.try_emplace(block, i);
        (met.type == WalkEntry::Type::Image ? inner.images[foldCase(met.name)] : inner.names[met.name]) = i;
    }
}

Status ModelWalk::loadMain(std::unique_ptr<InputFile>& file, const std::string& path)
{
    auto model = std::make_unique<MpdModel>();
    const std::string& name = m_entries.front().name;
    if (Status loaded = model->load(*file, name.substr(name.find_last_of("/\\") + 1)); !loaded) {
        return loaded;
    }
    m_mpd = std::move(model);
    if (!m_mpd->isMpd()) {
        file = m_mpd->openAll();
        return Status::ok();
    }
    const std::size_t main = m_mpd->mainBlock();
    if (main == npos) {
        return Status::failure("it holds no model, only images");
    }
    // The MPD's main section is the main file, under the section's name.
    WalkEntry& entry = m_entries.front();
    entry.block = main;
    entry.name = m_mpd->blocks()[main].name;
    entry.section = entry.name;
    m_decided.insert(entry.name);
    m_index.clear();
    m_index.emplace(m_options.pack ? foldCase(entry.name) : entry.name, 0);
    m_mpdFile = path;
    file = m_mpd->open(m_mpd->blocks()[main]);
    return Status::ok();
}

std::size_t ModelWalk::target(std::string_view name, std::size_t from)
{
    name = name.substr(0, name.find_last_not_of(" \t") + 1);
    if (const std::size_t container = m_entries[from].container; container != npos) {
        if (const auto known = m_inner[container].names.find(std::string(name));
            known != m_inner[container].names.end() && known->second != kGlobal) {
            return known->second;
        }
    }
    std::string section(name);
    if (m_options.pack) {
        const auto packed = m_packedNames.find(section);
        if (packed == m_packedNames.end()) {
            return npos;
        }
        section = packed->second;
    } else if (const auto renamed = m_renamed.find(section); renamed != m_renamed.end()) {
        section = renamed->second;
    }
    const auto held = m_sections.find(foldCase(section));
    return held == m_sections.end() ? npos : held->second;
}

std::string ModelWalk::placeOf(const WalkEntry& entry) const
{
    if (entry.block == npos) {
        return entry.path;
    }
    // Lines of a block are counted from its marker's next line.
    return entry.path + ", section " + modelOf(entry)->blocks()[entry.block].name;
}

std::optional<WalkCycle> ModelWalk::findCycle()
{
    if (m_inner.empty()) {
        return std::nullopt;
    }
    // The references between sections, each file read again, names resolved as they were.
    std::vector<std::vector<GraphEdge>> edges(m_entries.size());
    for (std::size_t from = 0; from < m_entries.size(); ++from) {
        const WalkEntry& entry = m_entries[from];
        std::unique_ptr<InputFile> file;
        if (entry.type != WalkEntry::Type::Model || !entry.embedded || entry.kind == WalkEntry::Kind::Library ||
            entry.kind == WalkEntry::Kind::NotFound || entry.kind == WalkEntry::Kind::Unreadable ||
            !open(entry, file)) {
            continue;
        }
        LineReader reader(*file);
        std::string_view line;
        while (reader.next(line)) {
            const std::string_view reference = IsSubFileReference(line, ReferenceKinds::Any) ? line : WrappedLine(line);
            if (!reference.empty() && IsSubFileReference(reference, ReferenceKinds::Any)) {
                if (const std::size_t to = target(SubFileName(reference), from); to != npos && to != from) {
                    edges[from].push_back({to, reader.lineNumber()});
                } else if (to == from) {
                    return WalkCycle{entry.section + " -> " + entry.section, placeOf(entry), reader.lineNumber()};
                }
            }
        }
    }
    std::optional<WalkCycle> found;
    findCycles(
        edges, [](std::size_t) { return true; },
        [&](std::span<const std::size_t> chain, const GraphEdge& edge) {
            std::string text;
            for (const std::size_t at : chain) {
                text += m_entries[at].section + " -> ";
            }
            found = WalkCycle{text + m_entries[edge.to].section, placeOf(m_entries[chain.back()]), edge.line};
            return false;
        });
    return found;
}

std::vector<messages::MissingFile> ModelWalk::notFound() const
{
    std::vector<messages::MissingFile> missing;
    for (std::size_t i = 1; i < m_entries.size(); ++i) {
        if (m_entries[i].kind == WalkEntry::Kind::NotFound) {
            missing.push_back({m_entries[i].name, referrerName(m_entries[i].referrer)});
        }
    }
    return missing;
}

std::string_view kindName(WalkEntry::Kind kind)
{
    // In the order of WalkEntry::Kind.
    constexpr std::string_view kNames[] = {"main", "custom", "unofficial", "library", "not found", "unreadable"};
    return kNames[static_cast<std::size_t>(kind)];
}

} // namespace brikmux
