#include "conversion/line_reader.h"
#include "conversion/line_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace brikmux {
namespace {

// A file held in memory, read in chunks of at most chunk bytes.
class MemoryInput final : public InputFile {
public:
    explicit MemoryInput(std::string bytes, std::size_t chunk = 1 << 20) : m_bytes(std::move(bytes)), m_chunk(chunk) {}
    Status read(char* buffer, std::size_t size, std::size_t& count) override
    {
        if (m_failAt != std::string::npos && m_position >= m_failAt) {
            return Status::failure("Input/output error");
        }
        count = std::min({size, m_chunk, m_bytes.size() - m_position});
        std::copy_n(m_bytes.data() + m_position, count, buffer);
        m_position += count;
        return Status::ok();
    }
    std::size_t m_failAt = std::string::npos;

private:
    std::string m_bytes;
    std::size_t m_chunk;
    std::size_t m_position = 0;
};

class MemoryOutput final : public OutputFile {
public:
    std::string bytes;
    Status write(const char* data, std::size_t size) override
    {
        bytes.append(data, size);
        return Status::ok();
    }
    Status commit(const std::string&, bool) override { return Status::ok(); }
};

std::vector<std::string> readAll(const std::string& bytes, std::size_t blockSize)
{
    MemoryInput input(bytes);
    LineReader reader(input, blockSize);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line)) {
        lines.emplace_back(line);
        EXPECT_EQ(reader.lineNumber(), lines.size());
    }
    EXPECT_TRUE(reader.status().isOk());
    return lines;
}

TEST(LineReader, EndsLinesAtCrLfBareCrAndBareLfWhateverTheBlockSize)
{
    using Lines = std::vector<std::string>;
    struct Case {
        std::string bytes;
        Lines lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a\r\nb\rc", {"a", "b", "c"}},
        {"a\nb\nc\n", {"a", "b", "c"}},
        {"a\r\n", {"a"}},
        {"\r\n\r\n", {"", ""}},
        {"\n\r", {"", ""}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"x\r\n\ny", {"x", "", "y"}},
        {std::string("n\0ul\r\n\xff\xfe", 8), {std::string("n\0ul", 4), "\xff\xfe"}},
        {" 1 , \"q\"\t\r\n", {" 1 , \"q\"\t"}},
    };
    // Every block size from 1 up cuts CR LF pairs and lines at every possible place.
    for (std::size_t blockSize = 1; blockSize <= 12; ++blockSize) {
        for (const auto& c : cases) {
            EXPECT_EQ(readAll(c.bytes, blockSize), c.lines) << "block size " << blockSize;
        }
    }
}

TEST(LineReader, ReportsAReadFailure)
{
    MemoryInput input("one\r\ntwo\r\nthree", 5);
    input.m_failAt = 5;
    LineReader reader(input, 4);
    std::string_view line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line, "one");
    while (reader.next(line)) {
    }
    EXPECT_FALSE(reader.status().isOk());
    EXPECT_EQ(reader.status().reason(), "Input/output error");
}

TEST(LineWriter, EndsEveryLineInCrLfAndPassesLongLinesWhole)
{
    MemoryOutput output;
    LineWriter writer(output, 8);
    const std::string longLine(100, 'x');
    writer.write("a");
    writer.write("");
    writer.write(longLine);
    writer.write("b\nc");
    ASSERT_TRUE(writer.flush().isOk());
    EXPECT_EQ(output.bytes, "a\r\n\r\n" + longLine + "\r\nb\nc\r\n");
}

} // namespace
} // namespace brikmux
