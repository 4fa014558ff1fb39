#include "ldraw/block_copies.h"

#include "files/line_reader.h"
#include "ldraw/model_text.h"
#include "ldraw/mpd_reader.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace brikmux {

namespace {

std::string_view withoutTrailingBlanks(std::string_view line)
{
    const auto last = line.find_last_not_of(" \t");
    return last == std::string_view::npos ? std::string_view() : line.substr(0, last + 1);
}

// A later block being compared with the first of its name.
struct Later {
    const std::vector<std::string>* first = nullptr;
    std::size_t matched = 0; // lines that agreed so far
    bool differs = false;
};

} // namespace

Status findCopies(InputFile& file, const std::vector<BlockPair>& pairs, std::vector<bool>& copies)
{
    std::unordered_map<std::uint64_t, std::vector<std::string>> firsts;
    std::unordered_map<std::uint64_t, Later> laters;
    for (const BlockPair& pair : pairs) {
        firsts.try_emplace(pair.first);
        laters.try_emplace(pair.second);
    }
    for (const BlockPair& pair : pairs) {
        laters[pair.second].first = &firsts[pair.first];
    }
    LineReader reader(file);
    MpdReader mpd(reader);
    MpdReader::Item item;
    std::uint64_t block = 1; // the marker line of the block being read; 0 between blocks
    while (mpd.next(item)) {
        if (item.type != MpdReader::Item::Type::Line) {
            block = item.type == MpdReader::Item::Type::BlockEnd ? 0 : item.number;
            continue;
        }
        if (block == 0 || item.block == MpdReader::Block::Ignored) {
            continue;
        }
        const std::string_view line = withoutTrailingBlanks(item.line);
        if (const auto first = firsts.find(block); first != firsts.end()) {
            first->second.emplace_back(line);
        }
        if (const auto later = laters.find(block); later != laters.end()) {
            Later& compared = later->second;
            compared.differs = compared.differs || compared.matched >= compared.first->size() ||
                               (*compared.first)[compared.matched] != line;
            ++compared.matched;
        }
    }
    std::vector<bool> found;
    for (const BlockPair& pair : pairs) {
        const Later& compared = laters[pair.second];
        found.push_back(!compared.differs && compared.matched == compared.first->size());
    }
    copies = std::move(found);
    return reader.status();
}

} // namespace brikmux
