#include "mpd_model.h"

#include "line_reader.h"
#include "model_text.h"
#include "mpd_reader.h"
#include "paths.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace brikmux {

namespace {

// Reads a block's text, held by the model, as a file.
class TextInputFile final : public InputFile {
public:
    explicit TextInputFile(std::string_view text) : m_text(text) {}
    Status read(char* buffer, std::size_t size, std::size_t& count) override
    {
        count = std::min(size, m_text.size());
        std::memcpy(buffer, m_text.data(), count);
        m_text.remove_prefix(count);
        return Status::ok();
    }

private:
    std::string_view m_text;
};

} // namespace

std::string blockKey(std::string_view name)
{
    std::string key = foldCase(name.substr(0, name.find_last_not_of(" \t") + 1));
    std::replace(key.begin(), key.end(), '\\', '/');
    return key;
}

Status MpdModel::load(FileSystem& fileSystem, const std::string& path, std::string_view fileName)
{
    const EntryKind kind = fileSystem.kindOf(path);
    if (kind != EntryKind::File) {
        // Never a folder, a pipe or a device: a pipe would block.
        return Status::failure(whyNotAFile(kind));
    }
    std::unique_ptr<InputFile> file;
    if (Status opened = fileSystem.openForReading(path, file); !opened) {
        return opened;
    }
    return load(*file, fileName);
}

void MpdModel::addLine(std::string_view line, std::uint64_t number)
{
    m_lineStart.push_back(m_text.size());
    m_lineNumber.push_back(number);
    m_text.append(line);
    m_text.push_back('\n');
}

void MpdModel::addBlock(MpdBlock block)
{
    m_index.try_emplace(blockKey(block.name), m_blocks.size());
    m_blocks.push_back(std::move(block));
}

Status MpdModel::load(InputFile& file, std::string_view fileName)
{
    LineReader reader(file);
    MpdReader mpd(reader);
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
                addLine(item.line, item.number);
            } else if (item.block == MpdReader::Block::Section) {
                addLine(item.line, item.number);
                m_blocks.back().endLine = m_lineStart.size();
            } else if (item.block == MpdReader::Block::Data && data) {
                data->add(item.line, item.number);
            }
            continue;
        }
        if (!m_blocksMet) {
            m_blocksMet = true;
            if (preambleHoldsModel) {
                addBlock({MpdBlock::Kind::Model,
                          unnamedMainName(fileName),
                          m_lineNumber.front(),
                          true,
                          0,
                          m_lineStart.size(),
                          {},
                          {}});
            } else {
                m_text.clear();
                m_lineStart.clear();
                m_lineNumber.clear();
            }
        }
        finishData();
        if (item.type == MpdReader::Item::Type::SectionStart) {
            addBlock({MpdBlock::Kind::Model,
                      std::string(item.name),
                      item.number,
                      false,
                      m_lineStart.size(),
                      m_lineStart.size(),
                      {},
                      {}});
        } else if (item.type == MpdReader::Item::Type::DataStart) {
            addBlock({MpdBlock::Kind::Image, std::string(item.name), item.number, false, 0, 0, {}, {}});
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

std::string_view MpdModel::line(std::size_t index) const
{
    const std::size_t end = index + 1 < m_lineStart.size() ? m_lineStart[index + 1] : m_text.size();
    return std::string_view(m_text).substr(m_lineStart[index], end - m_lineStart[index] - 1);
}

std::string_view MpdModel::text(const MpdBlock& block) const
{
    if (block.firstLine >= block.endLine) {
        return {};
    }
    const std::size_t begin = m_lineStart[block.firstLine];
    const std::size_t end = block.endLine < m_lineStart.size() ? m_lineStart[block.endLine] : m_text.size();
    return std::string_view(m_text).substr(begin, end - begin);
}

std::unique_ptr<InputFile> MpdModel::open(const MpdBlock& block) const
{
    return std::make_unique<TextInputFile>(text(block));
}

std::unique_ptr<InputFile> MpdModel::openAll() const
{
    return std::make_unique<TextInputFile>(m_text);
}

bool holdsMpdBlocks(FileSystem& fileSystem, const std::string& path)
{
    std::unique_ptr<InputFile> file;
    if (fileSystem.kindOf(path) != EntryKind::File || !fileSystem.openForReading(path, file)) {
        return false;
    }
    LineReader reader(*file);
    std::string_view line;
    while (reader.next(line)) {
        if (IsFileMarker(line) || IsDataMarker(line)) {
            return true;
        }
    }
    return false;
}

} // namespace brikmux
