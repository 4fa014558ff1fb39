#pragma once

#include "files/file_system.h"
#include "files/status.h"
#include "ldraw/mpd_reader.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brikmux {

// A block of an MPD: a section (a model file) or an embedded file (an image).
struct MpdBlock {
    enum class Kind { Model, Image };
    Kind kind = Kind::Model;
    std::string name;          // as its marker carries it
    std::size_t firstLine = 0; // its lines, as indexes into the model's lines
    std::size_t endLine = 0;
    std::string bytes; // an image's data, decoded
    BadImage bad;      // an image whose data is not valid: why
};

// An MPD held in memory after one read, as a merge reads it: its blocks in file order, each with
// its lines. A section starts only at "0 FILE", a blank and a name; a line that only begins so
// ("0 FILEX") is a line of the block it stands in. Lines of type 1 to 5 before the first block are the unnamed main
// model, named as the split names it (unnamedMainName).
class MpdModel {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // Reads an MPD from an open file, named fileName.
    Status load(InputFile& file, std::string_view fileName);

    // True when the file holds a "0 FILE" section or a "0 !DATA" block.
    bool isMpd() const { return m_blocksMet; }
    const std::vector<MpdBlock>& blocks() const { return m_blocks; }
    // The main model: the unnamed one where there is one, else the first section; npos when none.
    std::size_t mainBlock() const;
    // The first block whose name equals name, letter case and "\" against "/" aside; npos when none.
    std::size_t find(std::string_view name) const;

    // A block's lines, each ended by a line feed, read as a file.
    std::unique_ptr<InputFile> open(const MpdBlock& block) const;
    // A file that is not an MPD: all its lines, as a file.
    std::unique_ptr<InputFile> openAll() const;

private:
    void addLine(std::string_view line);
    void addBlock(MpdBlock block);

    std::vector<MpdBlock> m_blocks;
    std::unordered_map<std::string, std::size_t> m_index; // name key -> first block of that name
    // Every line kept, in chunks that never move once filled (a large MPD is not copied again as
    // one string would be while it grows).
    std::vector<std::string> m_chunks;
    std::vector<std::string_view> m_lines;
    bool m_blocksMet = false;
};

// The key under which blocks and references are compared: letter case folded, "\" as "/".
std::string blockKey(std::string_view name);

// True when file holds a section (StartsSection) or a "0 !DATA" block: an MPD, whatever its
// name's extension. Reads up to the first such line.
bool holdsMpdBlocks(InputFile& file);

} // namespace brikmux
