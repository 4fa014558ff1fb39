#include "files/line_writer.h"

#include <algorithm>
#include <cstring>

namespace brikmux {

LineWriter::LineWriter(OutputFile& file, std::size_t bufferSize)
    : m_file(file), m_capacity(std::max<std::size_t>(bufferSize, 2))
{
    m_buffer = std::make_unique_for_overwrite<char[]>(m_capacity);
}

void LineWriter::append(const char* data, std::size_t size)
{
    if (size == 0) {
        return;
    }
    if (m_used + size > m_capacity) {
        flush();
        if (size > m_capacity) {
            // A line longer than the buffer goes straight to the file.
            if (m_status) {
                m_status = m_file.write(data, size);
            }
            return;
        }
    }
    std::memcpy(m_buffer.get() + m_used, data, size);
    m_used += size;
}

void LineWriter::write(std::string_view line)
{
    if (!m_status) {
        return;
    }
    if (m_used + line.size() + 2 <= m_capacity) {
        // The common case: the line and its end fit the buffer.
        if (!line.empty()) {
            std::memcpy(m_buffer.get() + m_used, line.data(), line.size());
        }
        m_used += line.size();
        m_buffer[m_used++] = '\r';
        m_buffer[m_used++] = '\n';
        return;
    }
    append(line.data(), line.size());
    append("\r\n", 2);
}

Status LineWriter::flush()
{
    if (m_status && m_used > 0) {
        m_status = m_file.write(m_buffer.get(), m_used);
    }
    m_used = 0;
    return m_status;
}

} // namespace brikmux
