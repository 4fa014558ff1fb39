#include "files/line_reader.h"
#include "files/line_writer.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace brikmux {
namespace {

using testing::MemoryInput;

TEST(LineReader, EndsLinesAtCrLfBareCrAndBareLfWhateverTheBlockSize)
{
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {}},
        {"a\r\nb\rc", {"a", "b", "c"}},
        {"a\nb\nc\n", {"a", "b", "c"}},
        {"\n\r", {"", ""}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"x\r\n\ny", {"x", "", "y"}},
        {std::string("n\0ul\r\n\xff\xfe", 8), {std::string("n\0ul", 4), "\xff\xfe"}},
        // A read failure ends the lines there; the status says why.
        {"one\r\ntwo\r\nthree", {"one", "two", "Input/output error"}}};
    // Every block size from 1 up cuts CR LF pairs and lines at every possible place; reads may
    // also return less than asked, as from a pipe or a network folder.
    for (std::size_t blockSize = 1; blockSize <= 24; ++blockSize) {
        for (const auto& [bytes, expected] : cases) {
            MemoryInput input;
            input.bytes = bytes;
            input.chunk = blockSize > 12 ? blockSize % 4 + 1 : input.chunk;
            input.failAt = bytes.starts_with("one") ? 10 : input.failAt;
            LineReader reader(input, blockSize % 12 + 1);
            std::vector<std::string> lines;
            for (std::string_view line; reader.next(line);) {
                lines.emplace_back(line);
                EXPECT_EQ(reader.lineNumber(), lines.size());
            }
            if (!reader.status()) {
                lines.push_back(reader.status().reason());
            }
            EXPECT_EQ(lines, expected) << "block size " << blockSize;
        }
    }
}

TEST(LineWriter, EndsEveryLineInCrLfAndPassesLongLinesWhole)
{
    struct : OutputFile {
        std::string bytes;
        Status write(const char* data, std::size_t size) override { return bytes.append(data, size), Status::ok(); }
        Status commit(const std::string&, bool) override { return Status::ok(); }
    } output;
    LineWriter writer(output, 8);
    const std::string longLine(100, 'x');
    for (const std::string line : {"a", "", longLine.c_str(), "b\nc"}) {
        writer.write(line);
    }
    ASSERT_TRUE(writer.flush().isOk());
    EXPECT_EQ(output.bytes, "a\r\n\r\n" + longLine + "\r\nb\nc\r\n");
}

} // namespace
} // namespace brikmux
