#include "operations/model_walk.h"

#include "files/line_reader.h"
#include "files/line_writer.h"
#include "files/paths.h"
#include "operations/cycles.h"

#include <algorithm>

namespace brikmux {

namespace {

constexpr std::size_t npos = MpdModel::npos;

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// True when line (leading blanks aside) starts "0" and, after blanks, "!": a meta-command such as
// "0 !TEXMAP" or "0 !:".
bool isMetaCommand(std::string_view line)
{
    line = trimBlanks(line);
    if (!line.starts_with('0')) {
        return false;
    }
    const std::string_view rest = line.substr(1);
    return trimBlanks(rest).starts_with('!') && !rest.starts_with('!');
}

} // namespace

ModelWalk::ModelWalk(WalkOptions options, FileSystem& fileSystem, Library& library)
    : m_options(std::move(options)), m_mpds(library), m_namer(m_options.pack, m_table, m_mpds, library, *this),
      m_resolver(m_options, fileSystem, library, m_table, m_mpds, m_namer)
{
}

void ModelWalk::run(std::string_view mainName, LineSink* sink)
{
    m_table.add({std::string(mainName),
                 std::string(mainName),
                 WalkEntry::Type::Model,
                 WalkEntry::Kind::Main,
                 {},
                 {},
                 0,
                 true,
                 {}},
                true);
    m_resolver.mainNamed(mainName);
    // The queue grows while it is walked: files met in one file are read in the same run.
    for (std::size_t next = 0; next < m_table.queue().size() && (sink == nullptr || sink->accepting()); ++next) {
        read(m_table.queue()[next], sink);
    }
}

Status ModelWalk::open(std::size_t index, std::unique_ptr<InputFile>& file)
{
    m_resolver.locate(index);
    const WalkEntry& entry = m_table[index];
    if (entry.kind == WalkEntry::Kind::NotFound || entry.kind == WalkEntry::Kind::Unreadable) {
        return Status::failure(entry.kind == WalkEntry::Kind::NotFound ? "not found" : entry.reason);
    }
    return m_mpds.open(entry, file);
}

Status ModelWalk::readAll(std::size_t index, std::string& bytes)
{
    return m_mpds.readAll(m_table[index], bytes);
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
    } else if (!subName.empty() && m_resolver.firstMeeting(subName)) {
        m_resolver.decide(subName, index);
    }
}

void ModelWalk::follow(std::string_view& line, std::string_view name, std::size_t index)
{
    if (name.empty()) {
        return;
    }
    const std::string_view written = m_resolver.reference(name, index);
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
        const std::string_view written = m_resolver.image(name, index);
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

void ModelWalk::read(std::size_t index, LineSink* sink)
{
    m_resolver.locate(index);
    // Copies: entries added below may move the list.
    const std::string referrer = index == 0 ? std::string() : m_table.referrerName(m_table[index].referrer);
    WalkEntry& entry = m_table[index];
    // A failure names a file of the DAT folder as the reference spells it.
    const std::string shownPath =
        m_table.place(index) == WalkTable::Place::InLibrary ? entry.path : joinPath(m_options.datPath, entry.name);
    auto unreadable = [&](std::string reason) {
        WalkEntry& failed = m_table[index];
        failed.kind = WalkEntry::Kind::Unreadable;
        failed.path = shownPath;
        failed.reason = reason;
        m_table.unreadable(shownPath, std::move(reason), referrer);
    };
    if (entry.kind == WalkEntry::Kind::Unreadable) {
        m_table.unreadable(entry.path, entry.reason, referrer);
        return;
    }
    if (entry.kind == WalkEntry::Kind::NotFound) {
        if (index == 0) {
            // A main file that is not there.
            m_table.unreadable(entry.path, entry.reason, referrer);
            entry.path.clear();
            entry.reason.clear();
        } else {
            entry.embedded = false; // found nowhere: no section
        }
        return;
    }
    std::unique_ptr<InputFile> file;
    if (const Status opened = m_mpds.open(entry, file); !opened) {
        unreadable(opened.reason());
        return;
    }
    if (index == 0) {
        if (const Status loaded = loadMain(file); !loaded) {
            unreadable(loaded.reason());
            return;
        }
    }
    if (sink != nullptr) {
        sink->beginFile(m_table[index], index);
    }
    const std::size_t firstNew = m_table.size();
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

Status ModelWalk::loadMain(std::unique_ptr<InputFile>& file)
{
    WalkEntry& entry = m_table[0];
    std::size_t main = npos;
    if (Status loaded = m_mpds.loadMain(file, entry.name, entry.path, main); !loaded) {
        return loaded;
    }
    if (main != npos) {
        // The MPD's main section is the main file, under the section's name.
        entry.block = main;
        entry.name = m_mpds.main()->blocks()[main].name;
        entry.section = entry.name;
        m_resolver.mainNamed(entry.name);
    }
    return Status::ok();
}

ModelWalk::Lines ModelWalk::readLines(InputFile& file, std::size_t index, LineSink* sink, bool mayBeMpd, Status& status)
{
    Lines lines;
    LineReader reader(file);
    std::string_view line;
    // In an MPD every type 1 line may name a section, whatever its name ends in.
    const bool mpd = m_mpds.main() != nullptr || m_mpds.anyInner();
    const ReferenceKinds kinds = m_options.pack || mpd ? ReferenceKinds::Any : m_options.referenceKinds;
    bool inTexmap = false; // between "0 !TEXMAP START" and "0 !TEXMAP END"
    const bool plain = !m_options.pack && !m_options.record && !m_mpds.anyInner();
    // Lines that go to the output as they are may be written straight to it.
    LineWriter* const direct = sink != nullptr ? sink->writer() : nullptr;
    while (reader.next(line)) {
        // Most lines start with their type and a blank, which tells them apart at once: a
        // reference, another model line, or a comment or meta-command. The rest (leading blanks,
        // a type written "01") take the lenient readings.
        const char type = line.find_first_of(" \t") == 1 ? line[0] : '\0';
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
    const std::string referrer = m_table.referrerName(m_table[index].referrer);
    auto unreadable = [&](std::string reason) {
        WalkEntry& failed = m_table[index];
        failed.kind = WalkEntry::Kind::Unreadable;
        failed.reason = reason;
        m_table.unreadable(failed.path, std::move(reason), referrer);
    };
    std::size_t container = npos;
    if (const Status loaded = m_mpds.inner(m_table[index], container); !loaded) {
        unreadable(loaded.reason());
        return;
    }
    if (!m_namer.started()) {
        // From now on every section name taken is known: the blocks to come are told apart.
        m_namer.start();
    }
    WalkedMpds::Inner& inner = m_mpds.inner(container);
    const std::size_t own = inner.model->mainBlock();
    if (own == npos) {
        unreadable("it holds no model, only images");
        return;
    }
    WalkEntry& entry = m_table[index];
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
    m_resolver.adoptInnerBlocks(index, firstNew);
}

std::optional<WalkCycle> ModelWalk::findCycle()
{
    if (!m_mpds.anyInner()) {
        return std::nullopt;
    }
    // The references between sections, each file read again, names resolved as they were.
    std::vector<std::vector<GraphEdge>> edges(m_table.size());
    for (std::size_t from = 0; from < m_table.size(); ++from) {
        const WalkEntry& entry = m_table[from];
        std::unique_ptr<InputFile> file;
        if (entry.type != WalkEntry::Type::Model || !entry.embedded || entry.kind == WalkEntry::Kind::Library ||
            entry.kind == WalkEntry::Kind::NotFound || entry.kind == WalkEntry::Kind::Unreadable ||
            !m_mpds.open(entry, file)) {
            continue;
        }
        LineReader reader(*file);
        std::string_view line;
        while (reader.next(line)) {
            const std::string_view reference = IsSubFileReference(line, ReferenceKinds::Any) ? line : WrappedLine(line);
            if (!reference.empty() && IsSubFileReference(reference, ReferenceKinds::Any)) {
                if (const std::size_t to = m_resolver.target(SubFileName(reference), from); to != npos && to != from) {
                    edges[from].push_back({to, reader.lineNumber()});
                } else if (to == from) {
                    return WalkCycle{entry.section + " -> " + entry.section, m_mpds.placeOf(entry),
                                     reader.lineNumber()};
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
                text += m_table[at].section + " -> ";
            }
            found = WalkCycle{text + m_table[edge.to].section, m_mpds.placeOf(m_table[chain.back()]), edge.line};
            return false;
        });
    return found;
}

} // namespace brikmux
