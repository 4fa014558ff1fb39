#include "files/line_reader.h"

#include <cstring>

namespace brikmux {

LineReader::LineReader(InputFile& file, std::size_t blockSize)
    : m_file(file), m_capacity(blockSize == 0 ? 1 : blockSize)
{
    // Not zero-filled: a merge makes a reader for every file it reads.
    m_buffer = std::make_unique_for_overwrite<char[]>(m_capacity);
}

bool LineReader::refill()
{
    if (m_atEnd) {
        return false;
    }
    std::size_t count = 0;
    m_status = m_file.read(m_buffer.get(), m_capacity, count);
    if (!m_status || count == 0) {
        m_atEnd = true;
        return false;
    }
    m_begin = 0;
    m_end = count;
    m_nextCR = kUnknown;
    m_nextLF = kUnknown;
    return true;
}

std::size_t LineReader::nextLineEnd()
{
    const char* data = m_buffer.get();
    auto find = [&](std::size_t& cached, char wanted) {
        if (cached == kUnknown || cached < m_begin) {
            const void* hit = std::memchr(data + m_begin, wanted, m_end - m_begin);
            cached = hit != nullptr ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : m_end;
        }
        return cached;
    };
    const std::size_t cr = find(m_nextCR, '\r');
    if (m_nextLF != kUnknown && m_nextLF >= m_begin) {
        return cr < m_nextLF ? cr : m_nextLF;
    }
    // Most files end their lines in CR LF: a line feed matters only before the carriage return,
    // so the search for one stops there.
    const void* lf = std::memchr(data + m_begin, '\n', cr - m_begin);
    if (lf == nullptr) {
        return cr;
    }
    m_nextLF = static_cast<std::size_t>(static_cast<const char*>(lf) - data);
    return m_nextLF;
}

bool LineReader::next(std::string_view& line)
{
    bool carrying = false;
    m_carry.clear();
    for (;;) {
        if (m_begin == m_end && !refill()) {
            if (carrying && m_status) {
                line = m_carry;
                return deliver(line);
            }
            return false;
        }
        if (m_skipLineFeed) {
            // The line feed of a CR LF pair split across two blocks.
            m_skipLineFeed = false;
            if (m_buffer[m_begin] == '\n') {
                ++m_begin;
                continue;
            }
        }
        const std::size_t end = nextLineEnd();
        if (end == m_end) {
            m_carry.append(m_buffer.get() + m_begin, end - m_begin);
            carrying = true;
            m_begin = m_end;
            continue;
        }
        if (carrying) {
            m_carry.append(m_buffer.get() + m_begin, end - m_begin);
            line = m_carry;
        } else {
            line = std::string_view(m_buffer.get() + m_begin, end - m_begin);
        }
        m_begin = end + 1;
        if (m_buffer[end] == '\r') {
            if (m_begin < m_end) {
                if (m_buffer[m_begin] == '\n') {
                    ++m_begin;
                }
            } else {
                m_skipLineFeed = true;
            }
        }
        return deliver(line);
    }
}

bool LineReader::deliver(std::string_view& line)
{
    if (m_lineNumber++ == 0 && line.substr(0, 3) == "\xEF\xBB\xBF") {
        line.remove_prefix(3);
    }
    return true;
}

} // namespace brikmux
