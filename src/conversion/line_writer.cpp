#include "line_writer.h"

#include <cstring>

namespace brikmux {

LineWriter::LineWriter(OutputFile& file, std::size_t bufferSize)
    : m_file(file), m_buffer(bufferSize < 2 ? 2 : bufferSize)
{
}

void LineWriter::append(const char* data, std::size_t size)
{
    if (size == 0) {
        return;
    }
    if (m_used + size > m_buffer.size()) {
        flush();
        if (size > m_buffer.size()) {
            // A line longer than the buffer goes straight to the file.
            if (m_status) {
                m_status = m_file.write(data, size);
            }
            return;
        }
    }
    std::memcpy(m_buffer.data() + m_used, data, size);
    m_used += size;
}

void LineWriter::write(std::string_view line)
{
    if (!m_status) {
        return;
    }
    append(line.data(), line.size());
    append("\r\n", 2);
}

Status LineWriter::flush()
{
    if (m_status && m_used > 0) {
        m_status = m_file.write(m_buffer.data(), m_used);
    }
    m_used = 0;
    return m_status;
}

} // namespace brikmux
