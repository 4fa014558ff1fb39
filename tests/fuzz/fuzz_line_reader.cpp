// Fuzzes the line reader and the line kinds: the lines must be those of the plainest reading of
// the same bytes, whatever the block size, and the line kinds must hold their contracts.

#include "conversion/line_reader.h"
#include "conversion/model_text.h"
#include "conversion/paths.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace brikmux;

class MemoryInput final : public InputFile {
public:
    MemoryInput(const std::string& bytes, std::size_t chunk) : m_bytes(bytes), m_chunk(chunk) {}
    Status read(char* buffer, std::size_t size, std::size_t& count) override
    {
        count = std::min({size, m_chunk, m_bytes.size() - m_position});
        std::copy_n(m_bytes.data() + m_position, count, buffer);
        m_position += count;
        return Status::ok();
    }

private:
    const std::string& m_bytes;
    std::size_t m_chunk;
    std::size_t m_position = 0;
};

std::vector<std::string> plainLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::string line;
    bool pending = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            lines.push_back(line);
            line.clear();
            pending = false;
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += bytes[i];
            pending = true;
        }
    }
    if (pending) {
        lines.push_back(line);
    }
    return lines;
}

void check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::size_t blockSize = data[0] % 32 + 1;
    const std::size_t chunk = data[0] / 32 + 1;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    MemoryInput input(bytes, chunk);
    LineReader reader(input, blockSize);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line)) {
        lines.emplace_back(line);
        for (const auto kinds : {ReferenceKinds::DatOnly, ReferenceKinds::DatAndLdr}) {
            if (IsSubFileReference(line, kinds)) {
                const std::string_view name = SubFileName(line);
                check(!name.empty() && name.size() <= line.size());
                check(line.substr(line.size() - name.size()) == name);
                check(!IsFileMarker(line));
            }
        }
        if (IsFileMarker(line) && hasFileMarkerName(line)) {
            const std::string_view name = FileMarkerName(line);
            check(name.size() + 7 == line.size());
            if (!leavesFolder(name)) {
                for (const auto component : nameComponents(name)) {
                    check(component != "..");
                }
            }
        }
    }
    check(reader.status().isOk());
    const bool marked = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    check(lines == plainLines(marked ? bytes.substr(3) : bytes) || (marked && lines == std::vector<std::string>{""}));
    return 0;
}
