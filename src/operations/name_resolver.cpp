#include "operations/name_resolver.h"

#include "files/paths.h"

namespace brikmux {

namespace {

constexpr std::size_t npos = MpdModel::npos;

} // namespace

void NameResolver::mainNamed(std::string_view name)
{
    // A main MPD is named twice, by its file and then by its main section: a reference to either
    // leads to the main model, met already.
    m_decided.insert(name);
    m_index.emplace(m_options.pack ? foldCase(name) : std::string(name), 0);
}

std::size_t NameResolver::sectionFor(std::string_view name) const
{
    const MpdModel* mpd = m_mpds.main();
    const std::size_t block = mpd != nullptr ? mpd->find(name) : npos;
    return block != npos && mpd->blocks()[block].kind == MpdBlock::Kind::Model ? block : npos;
}

bool NameResolver::replacesLibraryFile(std::string_view name, std::size_t block, const MpdModel* model)
{
    std::unique_ptr<InputFile> own;
    if (block != npos) {
        model = model != nullptr ? model : m_mpds.main();
        own = model->open(model->blocks()[block]);
    } else {
        if (leavesFolder(name) || !m_datFolder.mayHold(name)) {
            return false;
        }
        const ResolvedName resolved = m_datFolder.resolve(name);
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

void NameResolver::decide(std::string_view name, std::size_t referrer)
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
        std::size_t index = m_table.add(std::move(entry), !library);
        if (!library && m_namer.started()) {
            index = m_namer.place(index);
            if (const std::string& section = m_table[index].section; section != name) {
                m_renamed.emplace(std::string(name), section);
            }
        }
        if (m_options.record) {
            m_index.emplace(std::string(name), index);
            m_table.noteReferrer(index, referrer);
        }
    }
}

std::string_view NameResolver::reference(std::string_view name, std::size_t referrer)
{
    if (const std::size_t container = m_table[referrer].container; container != npos) {
        if (const std::size_t entry = innerReference(container, name, referrer); entry != WalkedMpds::kGlobal) {
            if (m_options.record) {
                m_table.noteReferrer(entry, referrer);
            }
            return m_table[entry].section;
        }
    }
    return globalReference(name, referrer);
}

std::string_view NameResolver::globalReference(std::string_view name, std::size_t referrer)
{
    if (!m_options.pack) {
        // A name is decided once: queued, or left to the library. Neither answer changes within
        // one walk, and most lines name parts met before.
        if (m_decided.insert(name)) {
            decide(name, referrer);
        } else if (m_options.record) {
            m_table.noteReferrer(m_index.at(std::string(name)), referrer);
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
        const auto [found, added] = m_index.try_emplace(foldCase(entry.section), m_table.size());
        if (added) {
            index = m_table.add(std::move(entry), true);
            if (!library && m_namer.started()) {
                index = m_namer.place(index);
                found->second = index;
                written = m_table[index].section;
                m_index.try_emplace(foldCase(written), index);
            }
        } else {
            index = found->second;
        }
        known = m_packedNames.emplace(std::string(name), std::move(written)).first;
        if (m_options.record) {
            m_table.noteReferrer(index, referrer);
        }
    } else if (m_options.record) {
        m_table.noteReferrer(m_index.at(foldCase(known->second)), referrer);
    }
    return known->second;
}

std::size_t NameResolver::innerReference(std::size_t container, std::string_view name, std::size_t referrer)
{
    WalkedMpds::Inner& inner = m_mpds.inner(container);
    const std::string_view trimmed = name.substr(0, name.find_last_not_of(" \t") + 1);
    const auto [known, added] = inner.names.try_emplace(std::string(trimmed), WalkedMpds::kGlobal);
    if (added) {
        const std::size_t block = inner.model->find(trimmed);
        if (block != npos && inner.model->blocks()[block].kind == MpdBlock::Kind::Model &&
            (!m_library.IsLibraryFile(trimmed) || replacesLibraryFile(trimmed, block, inner.model.get()))) {
            const std::size_t entry = blockEntry(container, block, trimmed, referrer, WalkEntry::Type::Model);
            m_mpds.inner(container).names[std::string(trimmed)] = entry;
            return entry;
        }
    }
    return known->second;
}

std::size_t NameResolver::blockEntry(std::size_t container, std::size_t block, std::string_view name,
                                     std::size_t referrer, WalkEntry::Type type)
{
    if (const auto known = m_mpds.inner(container).blocks.find(block); known != m_mpds.inner(container).blocks.end()) {
        return known->second;
    }
    const WalkedMpds::Inner& inner = m_mpds.inner(container);
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
        m_table.unreadable(entry.path, entry.reason, m_table.referrerName(referrer));
    }
    std::size_t index = m_table.add(std::move(entry), !image);
    m_table.place(index) = WalkTable::Place::InDatFolder;
    index = m_namer.place(index);
    m_mpds.inner(container).blocks.emplace(block, index);
    return index;
}

std::string_view NameResolver::image(std::string_view name, std::size_t referrer)
{
    if (const std::size_t container = m_table[referrer].container; container != npos) {
        const std::string key = foldCase(name);
        if (!m_mpds.inner(container).images.contains(key)) {
            const MpdModel& model = *m_mpds.inner(container).model;
            const std::size_t block = model.find(name);
            m_mpds.inner(container).images[key] =
                block != npos && model.blocks()[block].kind == MpdBlock::Kind::Image
                    ? blockEntry(container, block, name, referrer, WalkEntry::Type::Image)
                    : WalkedMpds::kGlobal;
        }
        if (const std::size_t entry = m_mpds.inner(container).images.at(key); entry != WalkedMpds::kGlobal) {
            if (m_options.record) {
                m_table.noteReferrer(entry, referrer);
            }
            return m_table[entry].section;
        }
    }
    const auto [found, added] = m_images.try_emplace(foldCase(name), m_table.size());
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
        const MpdModel* mpd = m_mpds.main();
        const std::size_t block = mpd != nullptr ? mpd->find(name) : npos;
        if (block != npos && mpd->blocks()[block].kind == MpdBlock::Kind::Image) {
            // Named as referenced, as an image of the DAT folder is.
            const MpdBlock& data = mpd->blocks()[block];
            entry.block = block;
            entry.path = m_mpds.mainPath();
            entry.embedded = true;
            entry.kind = WalkEntry::Kind::Custom;
            if (data.bad.problem != BadImage::Problem::None) {
                entry.kind = WalkEntry::Kind::Unreadable;
                entry.reason = messages::badImageReason(data.bad);
                m_table.unreadable(entry.path, entry.reason, m_table.referrerName(referrer));
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
        std::size_t index = m_table.add(std::move(entry), false);
        m_table.place(index) = WalkTable::Place::InDatFolder;
        if (embedded && m_namer.started()) {
            index = m_namer.place(index);
        }
        found->second = index;
    }
    if (m_options.record) {
        m_table.noteReferrer(found->second, referrer);
    }
    // Only an image told apart from a block of an MPD met inside the model is named anew.
    const WalkEntry& entry = m_table[found->second];
    return entry.container != npos || !entry.renamedFrom.empty() ? std::string_view(entry.section) : name;
}

bool NameResolver::findInDatFolder(std::string_view name, WalkEntry& entry)
{
    if (leavesFolder(name)) {
        return false;
    }
    const std::optional<ResolvedName> resolved = m_datFolder.image(name);
    if (!resolved) {
        return false;
    }
    entry.path = resolved->path();
    entry.embedded = true;
    entry.kind = WalkEntry::Kind::Custom;
    if (!resolved->fileExists) {
        entry.kind = WalkEntry::Kind::Unreadable;
        entry.reason = whyNotAFile(resolved->occupant);
        m_table.unreadable(entry.path, entry.reason, m_table.referrerName(entry.referrer));
    }
    return true;
}

void NameResolver::locate(std::size_t index)
{
    if (m_table.place(index) != WalkTable::Place::Undecided) {
        return;
    }
    m_table.place(index) = WalkTable::Place::InDatFolder;
    WalkEntry& entry = m_table[index];
    const WalkEntry::Kind found = index == 0 ? WalkEntry::Kind::Main : WalkEntry::Kind::Custom;
    if (entry.block != npos) {
        entry.kind = found;
        entry.path = entry.container != npos ? m_mpds.inner(entry.container).path : m_mpds.mainPath();
        return;
    }
    if (m_options.pack && entry.kind == WalkEntry::Kind::Library) {
        m_table.place(index) = WalkTable::Place::InLibrary;
        return;
    }
    const ResolvedName resolved = m_datFolder.resolveFresh(entry.name);
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
        m_table.place(index) = WalkTable::Place::InLibrary;
    } else if (path = m_library.UnofficialFile(entry.name); !path.empty()) {
        entry.kind = WalkEntry::Kind::Unofficial;
        entry.path = std::move(path);
        m_table.place(index) = WalkTable::Place::InLibrary;
    }
}

std::size_t NameResolver::target(std::string_view name, std::size_t from)
{
    name = name.substr(0, name.find_last_not_of(" \t") + 1);
    if (const std::size_t container = m_table[from].container; container != npos) {
        if (const auto known = m_mpds.inner(container).names.find(std::string(name));
            known != m_mpds.inner(container).names.end() && known->second != WalkedMpds::kGlobal) {
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
    return m_namer.holder(section);
}

void NameResolver::adoptInnerBlocks(std::size_t index, std::size_t firstNew)
{
    const std::size_t container = m_table[index].container;
    WalkedMpds::Inner& inner = m_mpds.inner(container);
    for (std::size_t i = firstNew; i < m_table.size(); ++i) {
        WalkEntry& met = m_table[i];
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
        m_table.place(i) = WalkTable::Place::InDatFolder;
        inner.blocks.try_emplace(block, i);
        (met.type == WalkEntry::Type::Image ? inner.images[foldCase(met.name)] : inner.names[met.name]) = i;
    }
}

} // namespace brikmux
