#include "operations/mpd_scan.h"

#include "files/line_reader.h"
#include "ldraw/line_syntax.h"
#include "ldraw/model_text.h"
#include "ldraw/mpd_model.h"
#include "ldraw/mpd_reader.h"

namespace brikmux {

namespace {

std::string inQuotes(std::string_view text)
{
    std::string result = "\"";
    return result.append(text).append("\"");
}

} // namespace

MpdScan::MpdScan(std::string_view fileName)
{
    // The lines before the first block, checked as the unnamed main model they may be.
    m_blocks.push_back({unnamedMainName(fileName), 0, false, true});
}

std::size_t MpdScan::find(const std::string& key) const
{
    const auto found = m_index.find(key);
    return found == m_index.end() ? MpdModel::npos : found->second;
}

void MpdScan::problem(std::string_view code, bool error, std::uint64_t line, std::string name, std::string message)
{
    m_problems->push_back({code, error, m_blocks.back().name, line, std::move(name), std::move(message)});
}

Status MpdScan::read(InputFile& file, std::vector<MpdProblem>& problems)
{
    m_problems = &problems;
    LineReader reader(file);
    MpdReader mpd(reader);
    MpdReader::Item item;
    while (mpd.next(item)) {
        using Type = MpdReader::Item::Type;
        if (item.type == Type::Line) {
            if (item.block == MpdReader::Block::Section || item.block == MpdReader::Block::Preamble) {
                if (m_blocks.back().line == 0) {
                    m_blocks.back().line = item.number;
                }
                checkLine(item.line, item.number);
            }
            continue;
        }
        if (m_inPreamble) {
            endPreamble();
        }
        if (item.type == Type::SectionStart || item.type == Type::DataStart) {
            startBlock(std::string(item.name), item.number, item.type == Type::DataStart);
        }
    }
    return reader.status();
}

void MpdScan::endPreamble()
{
    m_inPreamble = false;
    if (!m_blocks.front().modelLines) {
        // No unnamed main model: the references its lines made go with it (lines of types 1 to 5
        // alone give problems there).
        m_blocks.clear();
        m_references.clear();
    } else {
        m_index.emplace(blockKey(m_blocks.front().name), 0);
    }
}

void MpdScan::startBlock(std::string name, std::uint64_t line, bool image)
{
    m_inTexmap = false;
    Block block{std::move(name), line, image};
    const auto [first, added] = m_index.try_emplace(blockKey(block.name), m_blocks.size());
    block.duplicate = !added;
    m_blocks.push_back(std::move(block));
    if (!added) {
        const Block& earlier = m_blocks[first->second];
        const std::string& later = m_blocks.back().name;
        problem("duplicate-section", true, line, later,
                "a second block named " + inQuotes(later) + " (the first, " + inQuotes(earlier.name) + ", is on line " +
                    std::to_string(earlier.line) + "): readers take one or the other.");
    }
}

void MpdScan::checkLine(std::string_view line, std::uint64_t number)
{
    Block& block = m_blocks.back();
    const int type = LineType(line);
    if (type >= 1) {
        block.modelLines = true;
        if (block.unnamedMain) {
            problem("not-first", true, number, block.name,
                    "this line of type " + std::to_string(type) +
                        " stands before the first \"0 FILE\" line: readers that follow the MPD format drop it.");
        }
        if (std::string why = malformedLineReason(line, type); !why.empty()) {
            problem("malformed-line", true, number, {}, std::move(why));
        } else if (type == 1) {
            reference(number, SubFileName(line), false);
        }
        return;
    }
    if (type != 0) {
        return;
    }
    if (const std::string_view wrapped = WrappedLine(line); LineType(wrapped) == 1 && holdsAllFields(wrapped, 1)) {
        reference(number, SubFileName(wrapped), false);
        return;
    }
    const TexmapLine texmap = ReadTexmapLine(line);
    m_inTexmap = texmap.kind == TexmapLine::Kind::Start || (m_inTexmap && texmap.kind != TexmapLine::Kind::End);
    for (const std::string_view image : texmap.images) {
        reference(number, image, true);
    }
    std::string_view payload;
    if (m_inTexmap && texmap.kind == TexmapLine::Kind::None && IsMetaDataLine(line, payload) &&
        LineType(payload) == 1 && holdsAllFields(payload, 1)) {
        reference(number, SubFileName(payload), false);
    }
    if (!block.named && !block.unnamedMain) {
        if (const auto name = nameLineText(line)) {
            block.named = true;
            const std::string key = blockKey(block.name);
            const std::string_view file = afterLibraryFolder(key).empty() ? key : afterLibraryFolder(key);
            if (blockKey(*name) != file) {
                problem("name-differs", false, number, block.name,
                        "the \"0 Name:\" line names " + inQuotes(*name) + ", the \"0 FILE\" line " +
                            inQuotes(block.name) + ".");
            }
        }
    }
}

void MpdScan::reference(std::uint64_t line, std::string_view spelt, bool image)
{
    const std::string_view name = trimBlanks(spelt);
    if (!name.empty()) {
        const auto number = static_cast<std::uint32_t>(m_names.add(name).first);
        m_references.push_back(
            {static_cast<std::uint32_t>(m_blocks.size() - 1), number | (image ? Reference::kImage : 0), line});
    }
}

} // namespace brikmux
