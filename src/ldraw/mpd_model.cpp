#include "ldraw/mpd_model.h"

#include "files/line_reader.h"
#include "files/paths.h"
#include "ldraw/model_text.h"
#include "ldraw/mpd_reader.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace brikmux {

namespace {

// Reads lines held by the model as a file, each ended by a line feed.
class LinesInputFile final : public InputFile {
public:
    LinesInputFile(const std::vector<std::string_view>& lines, std::size_t first, std::size_t end)
        : m_lines(lines), m_next(first), m_end(end)
    {
    }
    Status read(char* buffer, std::size_t size, std::size_t& count) override
    {
        count = 0;
        while (count < size) {
            if (m_rest.empty()) {
                if (m_lineEndDue) {
                    buffer[count++] = '\n';
                    m_lineEndDue = false;
                    continue;
                }
                if (m_next == m_end) {
                    break;
                }
                m_rest = m_lines[m_next++];
                m_lineEndDue = true;
                continue;
            }
            const std::size_t taken = std::min(size - count, m_rest.size());
            std::memcpy(buffer + count, m_rest.data(), taken);
            m_rest.remove_prefix(taken);
            count += taken;
        }
        return Status::ok();
    }

private:
    const std::vector<std::string_view>& m_lines;
    std::size_t m_next;
    std::size_t m_end;
    std::string_view m_rest; // what is left of the line being read
    bool m_lineEndDue = false;
};

// Chunks start small, for the small files most models are, and double up to 4 MiB.
constexpr std::size_t kFirstChunk = std::size_t{1} << 16;
constexpr std::size_t kLargestChunk = std::size_t{1} << 22;

} // namespace

std::string blockKey(std::string_view name)
{
    std::string key = foldCase(name.substr(0, name.find_last_not_of(" \t") + 1));
    std::replace(key.begin(), key.end(), '\\', '/');
    return key;
}

void MpdModel::addLine(std::string_view line)
{
    if (m_chunks.empty() || m_chunks.back().capacity() - m_chunks.back().size() < line.size()) {
        const std::size_t size =
            m_chunks.empty() ? kFirstChunk : std::min(2 * m_chunks.back().capacity(), kLargestChunk);
        m_chunks.emplace_back().reserve(std::max(size, line.size()));
    }
    std::string& chunk = m_chunks.back();
    chunk.append(line);
    m_lines.emplace_back(chunk.data() + chunk.size() - line.size(), line.size());
}

void MpdModel::addBlock(MpdBlock block)
{
    m_index.try_emplace(blockKey(block.name), m_blocks.size());
    m_blocks.push_back(std::move(block));
}

Status MpdModel::load(InputFile& file, std::string_view fileName)
{
    LineReader reader(file);
    MpdReader mpd(reader, MpdReader::Markers::Named);
    MpdReader::Item item;
    bool preambleHoldsModel = false;
    std::optional<DataBlockDecoder> data;
    auto finishData = [&] {
        if (data) {
            data->finish();
            MpdBlock& block = m_blocks.back();
            block.bad = data->bad();
            block.bytes = std::move(data->bytes());
            data.reset();
        }
    };
    while (mpd.next(item)) {
        if (item.type == MpdReader::Item::Type::Line) {
            if (item.block == MpdReader::Block::Preamble) {
                const int type = LineType(item.line);
                preambleHoldsModel = preambleHoldsModel || (type >= 1 && type <= 5);
                addLine(item.line);
            } else if (item.block == MpdReader::Block::Section) {
                addLine(item.line);
                m_blocks.back().endLine = m_lines.size();
            } else if (item.block == MpdReader::Block::Data && data) {
                data->add(item.line, item.number);
            }
            continue;
        }
        if (!m_blocksMet) {
            m_blocksMet = true;
            if (preambleHoldsModel) {
                addBlock({MpdBlock::Kind::Model, unnamedMainName(fileName), 0, m_lines.size(), {}, {}});
            } else {
                m_lines.clear(); // comments before the first block: no model's lines
            }
        }
        finishData();
        if (item.type == MpdReader::Item::Type::SectionStart) {
            addBlock({MpdBlock::Kind::Model, std::string(item.name), m_lines.size(), m_lines.size(), {}, {}});
        } else if (item.type == MpdReader::Item::Type::DataStart) {
            addBlock({MpdBlock::Kind::Image, std::string(item.name), 0, 0, {}, {}});
            data.emplace(item.name, item.number);
        }
    }
    finishData();
    return reader.status();
}

std::size_t MpdModel::mainBlock() const
{
    const auto main = std::find_if(m_blocks.begin(), m_blocks.end(),
                                   [](const MpdBlock& block) { return block.kind == MpdBlock::Kind::Model; });
    return main == m_blocks.end() ? npos : static_cast<std::size_t>(main - m_blocks.begin());
}

std::size_t MpdModel::find(std::string_view name) const
{
    const auto found = m_index.find(blockKey(name));
    return found == m_index.end() ? npos : found->second;
}

std::unique_ptr<InputFile> MpdModel::open(const MpdBlock& block) const
{
    return std::make_unique<LinesInputFile>(m_lines, block.firstLine, block.endLine);
}

std::unique_ptr<InputFile> MpdModel::openAll() const
{
    return std::make_unique<LinesInputFile>(m_lines, 0, m_lines.size());
}

bool holdsMpdBlocks(InputFile& file)
{
    LineReader reader(file);
    std::string_view line;
    while (reader.next(line)) {
        if (StartsSection(line) || IsDataMarker(line)) {
            return true;
        }
    }
    return false;
}

} // namespace brikmux
