#pragma once

#include "files/file_system.h"
#include "files/status.h"

#include <cstdint>
#include <vector>

namespace brikmux {

// Two blocks of one MPD, each known by the line of its marker (1 for the unnamed main model, the
// lines before the first block); first comes before second in the file.
struct BlockPair {
    std::uint64_t first = 0;
    std::uint64_t second = 0;
};

// For each pair, whether the second block's lines equal the first's, line ends and the blanks at
// their ends aside: a copy that an editor packed twice. Reads the MPD in file once, holding only
// the lines of the first blocks asked about; copies is filled in the order of pairs.
Status findCopies(InputFile& file, const std::vector<BlockPair>& pairs, std::vector<bool>& copies);

} // namespace brikmux
