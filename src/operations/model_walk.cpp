#include "operations/model_walk.h"

#include "files/line_reader.h"
#include "files/paths.h"

#include <algorithm>

namespace brikmux {

namespace {

// True when line (leading blanks aside) starts "0" and, after blanks, "!": a meta-command such as
// "0 !TEXMAP" or "0 !:". Told apart from other lines in a few comparisons, as every line is asked.
bool isMetaCommand(std::string_view line)
{
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
    };
    skipBlanks();
    if (i + 1 >= line.size() || line[i] != '0' || (line[i + 1] != ' ' && line[i + 1] != '\t')) {
        return false;
    }
    ++i;
    skipBlanks();
    return i < line.size() && line[i] == '!';
}

} // namespace

ModelWalk::ModelWalk(WalkOptions options, FileSystem& fileSystem, Library& library)
    : m_options(std::move(options)), m_fileSystem(fileSystem), m_library(library), m_datFolder(fileSystem)
{
}

std::size_t ModelWalk::add(WalkEntry entry, bool queued)
{
    m_entries.push_back(std::move(entry));
    const std::size_t index = m_entries.size() - 1;
    if (queued) {
        m_queue.push_back(index);
    }
    return index;
}

void ModelWalk::noteReferrer(std::size_t entry, std::size_t referrer)
{
    auto& referencedBy = m_entries[entry].referencedBy;
    const std::string& name = m_entries[referrer].name;
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

std::size_t ModelWalk::sectionFor(std::string_view name) const
{
    const std::size_t block = m_mpd != nullptr && m_mpd->isMpd() ? m_mpd->find(name) : MpdModel::npos;
    return block != MpdModel::npos && m_mpd->blocks()[block].kind == MpdBlock::Kind::Model ? block : MpdModel::npos;
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
    return m_datFiles->contains(foldCase(name));
}

bool ModelWalk::replacesLibraryFile(std::string_view name, std::size_t block)
{
    std::unique_ptr<InputFile> own;
    if (block != MpdModel::npos) {
        own = m_mpd->open(m_mpd->blocks()[block]);
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
    LineReader ownLines(*own);
    LineReader libraryLines(*library);
    std::string_view ownLine;
    std::string_view libraryLine;
    for (;;) {
        const bool more = ownLines.next(ownLine);
        if (more != libraryLines.next(libraryLine)) {
            return true;
        }
        if (!more) {
            return !ownLines.status() || !libraryLines.status();
        }
        if (ownLine != libraryLine) {
            return true;
        }
    }
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
                        library ? MpdModel::npos : block,
                        replaces};
        const std::size_t index = add(std::move(entry), !library);
        if (m_options.record) {
            m_index.emplace(std::string(name), index);
            noteReferrer(index, referrer);
        }
    }
}

std::string_view ModelWalk::reference(std::string_view name, std::size_t referrer)
{
    if (!m_options.pack) {
        // A name is decided once: queued, or left to the library. Neither answer changes within
        // one walk, and most lines name parts met before.
        if (m_decided.insert(name)) {
            decide(name, referrer);
        } else if (m_options.record) {
            noteReferrer(m_index.at(std::string(name)), referrer);
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
            entry.block = MpdModel::npos;
            Library::Located located = m_library.Locate(name);
            entry.section = std::move(located.packedName);
            entry.path = std::move(located.path);
            entry.kind = WalkEntry::Kind::Library;
        } else {
            entry.section = packedCustomName(name);
        }
        known = m_packedNames.emplace(std::string(name), entry.section).first;
        const auto [found, added] = m_index.try_emplace(foldCase(entry.section), m_entries.size());
        if (added) {
            add(std::move(entry), true);
        }
        if (m_options.record) {
            noteReferrer(found->second, referrer);
        }
    } else if (m_options.record) {
        noteReferrer(m_index.at(foldCase(known->second)), referrer);
    }
    return known->second;
}

void ModelWalk::image(std::string_view name, std::size_t referrer)
{
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
        const std::size_t block = m_mpd != nullptr ? m_mpd->find(name) : MpdModel::npos;
        if (block != MpdModel::npos && m_mpd->blocks()[block].kind == MpdBlock::Kind::Image) {
            // Named as referenced, as an image of the DAT folder is.
            const MpdBlock& data = m_mpd->blocks()[block];
            entry.block = block;
            entry.path = m_mpdFile;
            entry.embedded = true;
            entry.kind = WalkEntry::Kind::Custom;
            if (data.bad.problem != BadImage::Problem::None) {
                entry.kind = WalkEntry::Kind::Unreadable;
                entry.reason = messages::badImageReason(data.bad);
                m_unreadable.push_back({entry.path, entry.reason, m_entries[referrer].name});
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
        add(std::move(entry), false);
    }
    if (m_options.record) {
        noteReferrer(found->second, referrer);
    }
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
                m_unreadable.push_back({entry.path, entry.reason, m_entries[entry.referrer].name});
            }
            return true;
        }
    }
    return false;
}

void ModelWalk::followReference(std::string_view& fullLine, std::string_view line, std::size_t index, bool plain)
{
    const std::string_view subName = SubFileName(line);
    // The plain merge's hot path: most lines name parts met before.
    if (!plain) {
        follow(fullLine, subName, index);
    } else if (!subName.empty() && m_decided.insert(subName)) {
        decide(subName, index);
    }
}

void ModelWalk::follow(std::string_view& line, std::string_view name, std::size_t index)
{
    if (m_options.pack) {
        // Whatever a name ends in, blanks after it are no part of it.
        name = name.substr(0, name.find_last_not_of(" \t") + 1);
    }
    if (name.empty()) {
        return;
    }
    const std::string_view written = reference(name, index);
    if (written.data() != name.data()) {
        // Packing names it by its library path: the rest of the line stays as it was.
        const auto offset = static_cast<std::size_t>(name.data() - line.data());
        m_rewritten.assign(line.substr(0, offset));
        m_rewritten.append(written);
        m_rewritten.append(line.substr(offset + name.size()));
        line = m_rewritten;
    }
}

Status ModelWalk::open(const WalkEntry& entry, std::unique_ptr<InputFile>& file)
{
    if (entry.block != MpdModel::npos) {
        file = m_mpd->open(m_mpd->blocks()[entry.block]);
        return Status::ok();
    }
    const bool inDatFolder = entry.kind == WalkEntry::Kind::Main || entry.kind == WalkEntry::Kind::Custom;
    return inDatFolder ? m_fileSystem.openForReading(entry.path, file) : m_library.open(entry.path, file);
}

Status ModelWalk::readAll(const WalkEntry& entry, std::string& bytes)
{
    if (entry.block != MpdModel::npos && entry.type == WalkEntry::Type::Image) {
        bytes = m_mpd->blocks()[entry.block].bytes;
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

void ModelWalk::read(std::size_t index, LineSink* sink)
{
    // Copies: entries added below may move the list.
    const std::string name = m_entries[index].name;
    const std::string referrer = index == 0 ? std::string() : m_entries[m_entries[index].referrer].name;
    std::string shownPath = joinPath(m_options.datPath, name);
    auto unreadable = [&](std::string reason) {
        WalkEntry& entry = m_entries[index];
        entry.kind = WalkEntry::Kind::Unreadable;
        entry.path = shownPath;
        entry.reason = reason;
        m_unreadable.push_back({shownPath, std::move(reason), referrer});
    };

    WalkEntry::Kind kind = index == 0 ? WalkEntry::Kind::Main : WalkEntry::Kind::Custom;
    std::string path;
    if (m_entries[index].block != MpdModel::npos) {
        path = m_mpdFile;
    } else if (m_options.pack && m_entries[index].kind == WalkEntry::Kind::Library) {
        path = m_entries[index].path;
        shownPath = path;
        kind = WalkEntry::Kind::Library;
    } else {
        const ResolvedName resolved = m_datFolder.resolveFresh(m_options.datPath, name);
        path = resolved.path();
        if (!resolved.fileExists) {
            // Nothing of that name in the DAT folder, in any letter case: a part not yet official,
            // which the library keeps apart, or a sub-file the user may do without. A folder, a
            // pipe or a main file that is not there stays a failure.
            if (index == 0 || resolved.occupant != EntryKind::Missing) {
                unreadable(whyNotAFile(resolved.occupant));
                if (resolved.occupant == EntryKind::Missing) {
                    m_entries[index].kind = WalkEntry::Kind::NotFound; // a main file that is not there
                    m_entries[index].path.clear();
                    m_entries[index].reason.clear();
                }
                return;
            }
            path = m_library.UnofficialFile(name);
            if (path.empty()) {
                m_entries[index].embedded = false; // found nowhere: no section
                return;
            }
            shownPath = path;
            kind = WalkEntry::Kind::Unofficial;
        }
    }
    m_entries[index].kind = kind;
    m_entries[index].path = path;
    std::unique_ptr<InputFile> file;
    if (const Status opened = open(m_entries[index], file); !opened) {
        unreadable(opened.reason());
        return;
    }
    if (index == 0) {
        if (const Status loaded = loadMain(file, path); !loaded) {
            unreadable(loaded.reason());
            return;
        }
    }
    if (sink != nullptr) {
        sink->beginFile(m_entries[index], index);
    }
    LineReader reader(*file);
    std::string_view line;
    // In an MPD every type 1 line may name a section, whatever its name ends in.
    const bool mpd = m_mpd != nullptr && m_mpd->isMpd();
    const ReferenceKinds kinds = m_options.pack || mpd ? ReferenceKinds::Any : m_options.referenceKinds;
    bool inTexmap = false; // between "0 !TEXMAP START" and "0 !TEXMAP END"
    const bool plain = !m_options.pack && !m_options.record;
    while (reader.next(line)) {
        if (IsSubFileReference(line, kinds)) {
            followReference(line, line, index, plain);
        } else if (isMetaCommand(line)) {
            const TexmapLine texmap = ReadTexmapLine(line);
            inTexmap = texmap.kind == TexmapLine::Kind::Start || (inTexmap && texmap.kind != TexmapLine::Kind::End);
            for (const std::string_view imageName : texmap.images) {
                image(imageName, index);
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
        }
        if (sink != nullptr && !IsFileMarker(line)) {
            sink->line(line);
        }
    }
    if (!reader.status()) {
        unreadable(reader.status().reason());
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
    if (main == MpdModel::npos) {
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

std::vector<messages::MissingFile> ModelWalk::notFound() const
{
    std::vector<messages::MissingFile> missing;
    for (std::size_t i = 1; i < m_entries.size(); ++i) {
        if (m_entries[i].kind == WalkEntry::Kind::NotFound) {
            missing.push_back({m_entries[i].name, m_entries[m_entries[i].referrer].name});
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
