#include "operations/section_namer.h"

#include "files/line_reader.h"
#include "files/paths.h"

#include <algorithm>

namespace brikmux {

namespace {

constexpr std::size_t npos = MpdModel::npos;

} // namespace

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

void SectionNamer::start()
{
    m_started = true;
    for (std::size_t i = 0; i < m_table.size(); ++i) {
        const std::string key = foldCase(m_table[i].section);
        if (m_table[i].embedded && m_sections.try_emplace(key, i).second) {
            m_namedAs[key].push_back(i);
        }
    }
}

std::size_t SectionNamer::holder(const std::string& section) const
{
    const auto held = m_sections.find(foldCase(section));
    return held == m_sections.end() ? npos : held->second;
}

std::size_t SectionNamer::place(std::size_t index)
{
    const std::string key = foldCase(m_table[index].section);
    std::vector<std::size_t>& namedAs = m_namedAs[key];
    // A block of an inner MPD named like a library part replaces it within its file only: under
    // the part's own name its section would replace it for the whole model.
    const bool libraryName = m_table[index].container != npos && m_table[index].type == WalkEntry::Type::Model &&
                             !m_pack && m_library.IsLibraryFile(m_table[index].section);
    const auto [held, added] = m_sections.try_emplace(key, index);
    if (added && !libraryName) {
        namedAs.push_back(index);
        return index;
    }
    if (added) {
        m_sections.erase(held); // the library part keeps its name
    }
    WalkEntry& entry = m_table[index];
    const WalkEntry& first = m_table[added ? index : held->second];
    if (!libraryName && ((entry.container == npos && first.container == npos) || first.type != entry.type)) {
        return index; // files of the DAT folder and the main MPD are taken as before
    }
    // The same block, or one of the same content under this name already: embedded once.
    for (const std::size_t other : namedAs) {
        if (other == index) {
            continue;
        }
        const WalkEntry& known = m_table[other];
        const bool sameBlock =
            entry.container != npos && entry.container == known.container && entry.block == known.block;
        if (sameBlock || (entry.kind != WalkEntry::Kind::Unreadable && sameContent(other, index))) {
            m_table.dropLast();
            m_hashes.resize(std::min(m_hashes.size(), m_table.size()));
            return other;
        }
    }
    // The name is taken by a block of other content: a new one in the file's own folder.
    const std::string folder =
        entry.container != npos ? m_mpds.inner(entry.container).folder : folderFor(m_table[0].name);
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

std::uint64_t SectionNamer::contentHash(std::size_t index)
{
    m_hashes.resize(std::max(m_hashes.size(), m_table.size()), 0);
    if (m_hashes[index] != 0) {
        return m_hashes[index];
    }
    std::uint64_t hash = 1;
    if (std::unique_ptr<InputFile> file; m_content.open(index, file)) {
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

bool SectionNamer::sameContent(std::size_t a, std::size_t b)
{
    // Images of one name are few: they are compared whole.
    if (m_table[a].type == WalkEntry::Type::Image) {
        std::string aBytes;
        std::string bBytes;
        return m_content.readAll(a, aBytes) && m_content.readAll(b, bBytes) && aBytes == bBytes;
    }
    // Most sections that meet under one name differ: their hashes tell at once.
    if (contentHash(a) != contentHash(b)) {
        return false;
    }
    std::unique_ptr<InputFile> aFile;
    std::unique_ptr<InputFile> bFile;
    return m_content.open(a, aFile) && m_content.open(b, bFile) && sameLines(*aFile, *bFile);
}

} // namespace brikmux
