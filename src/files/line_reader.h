#pragma once

#include "files/file_system.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <memory>

namespace brikmux {

// Cuts a file into lines. A line ends at a carriage return followed by a line feed, at a bare
// carriage return or at a bare line feed; the line end is not part of the line. The last line
// needs no line end, an empty file has no lines, and a final line end adds no empty line.
// A UTF-8 byte-order mark at the very start of the file is an encoding mark, not model text: it is
// left out, so that a first line such as "0 FILE main.dat" is still recognised. Every other byte
// passes through unchanged. The file is read in large blocks.
class LineReader {
public:
    explicit LineReader(InputFile& file, std::size_t blockSize = std::size_t{1} << 17);

    // Reads the next line into line, which stays valid until the next call. Returns false at the
    // end of the file and on a read failure (see status()).
    bool next(std::string_view& line);

    // The failure that stopped reading, if any.
    const Status& status() const { return m_status; }
    // The number of the line last returned, counted from 1.
    std::uint64_t lineNumber() const { return m_lineNumber; }

private:
    bool refill();
    // Counts line as read and returns true; the first line loses its byte-order mark.
    bool deliver(std::string_view& line);
    std::size_t nextLineEnd();

    static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);

    InputFile& m_file;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    // Positions of the next carriage return and line feed at or after m_begin (m_end when there is
    // none in the buffer), so that a file without one of them is not rescanned for every line.
    std::size_t m_nextCR = kUnknown;
    std::size_t m_nextLF = kUnknown;
    bool m_atEnd = false;
    bool m_skipLineFeed = false;
    std::string m_carry;
    Status m_status = Status::ok();
    std::uint64_t m_lineNumber = 0;
};

} // namespace brikmux
