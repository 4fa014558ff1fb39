#pragma once

#include "files/file_system.h"

#include <cstddef>
#include <string_view>
#include <memory>

namespace brikmux {

// Writes lines, each followed by a carriage return and a line feed, through one buffer.
// The first failure sticks: later writes do nothing, and flush() returns it.
class LineWriter {
public:
    explicit LineWriter(OutputFile& file, std::size_t bufferSize = std::size_t{1} << 17);

    // Appends line and CR LF.
    void write(std::string_view line);
    // Hands everything buffered to the file; returns the first failure met.
    Status flush();
    // The first failure met, if any.
    const Status& status() const { return m_status; }

private:
    void append(const char* data, std::size_t size);

    OutputFile& m_file;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity;
    std::size_t m_used = 0;
    Status m_status = Status::ok();
};

} // namespace brikmux
