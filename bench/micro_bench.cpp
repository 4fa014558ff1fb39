// Micro-benchmarks of the hot paths of a merge: the line reader, the line kinds, the library
// test and the duplicate test.

#include "files/line_reader.h"
#include "ldraw/model_text.h"
#include "library/library.h"
#include "library/name_set.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace brikmux;

class MemoryInput final : public InputFile {
public:
    explicit MemoryInput(const std::string& bytes) : m_bytes(bytes) {}
    Status read(char* buffer, std::size_t size, std::size_t& count) override
    {
        count = std::min(size, m_bytes.size() - m_position);
        std::copy_n(m_bytes.data() + m_position, count, buffer);
        m_position += count;
        return Status::ok();
    }

private:
    const std::string& m_bytes;
    std::size_t m_position = 0;
};

std::vector<std::string> modelLines(int count)
{
    std::mt19937 random(42);
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        switch (random() % 4) {
        case 0:
            lines.push_back("0 STEP");
            break;
        case 1:
            lines.push_back("4 16 -10 0 -10 10 0 -10 10 0 10 -10 0 10");
            break;
        default:
            lines.push_back("1 16 " + std::to_string(random() % 400) + " -24 0 1 0 0 0 1 0 0 0 1 part" +
                            std::to_string(random() % 25000) + ".dat");
        }
    }
    return lines;
}

void LineReaderThroughput(benchmark::State& state, const char* lineEnd)
{
    std::string bytes;
    for (const auto& line : modelLines(100000)) {
        bytes += line + lineEnd;
    }
    for (auto _ : state) {
        MemoryInput input(bytes);
        LineReader reader(input);
        std::string_view line;
        std::size_t count = 0;
        while (reader.next(line)) {
            count += line.size();
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK_CAPTURE(LineReaderThroughput, CrLf, "\r\n");
BENCHMARK_CAPTURE(LineReaderThroughput, Lf, "\n");

void LineKinds(benchmark::State& state)
{
    const auto lines = modelLines(100000);
    for (auto _ : state) {
        std::size_t names = 0;
        for (const auto& line : lines) {
            if (IsSubFileReference(line)) {
                names += SubFileName(line).size();
            }
            names += IsFileMarker(line) ? 1U : 0U;
        }
        benchmark::DoNotOptimize(names);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
}
BENCHMARK(LineKinds);

// A library of 25,000 parts in a temporary folder, made once.
const std::string& library()
{
    static const std::string folder = [] {
        const auto path = std::filesystem::temp_directory_path() / "brikmux-bench-library";
        if (!std::filesystem::exists(path / "parts/part24999.dat")) {
            std::filesystem::create_directories(path / "parts");
            std::filesystem::create_directories(path / "p");
            for (int i = 0; i < 25000; ++i) {
                std::ofstream(path / "parts" / ("part" + std::to_string(i) + ".dat"));
            }
        }
        return path.string() + "/";
    }();
    return folder;
}

// One merge's library test: the first look-up lists the folders, the rest are answered from memory.
void LibraryTest(benchmark::State& state)
{
    NativeFileSystem fileSystem;
    const std::string& folder = library();
    std::vector<std::string> names;
    for (int i = 0; i < 100000; ++i) {
        names.push_back((i % 2 == 0 ? "PART" : "part") + std::to_string(i % 30000) + ".dat");
    }
    for (auto _ : state) {
        std::unique_ptr<Library> index;
        openLibrary(fileSystem, folder, index);
        std::size_t found = 0;
        for (const auto& name : names) {
            found += index->IsLibraryFile(name) ? 1U : 0U;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(names.size()));
}
BENCHMARK(LibraryTest)->Unit(benchmark::kMillisecond);

// The work list's duplicate test: constant time whatever the list's length.
void DuplicateTest(benchmark::State& state)
{
    NameSet queued;
    for (int i = 0; i < state.range(0); ++i) {
        queued.insert("sub" + std::to_string(i) + ".dat");
    }
    const std::string probe = "sub" + std::to_string(state.range(0) / 2) + ".dat";
    for (auto _ : state) {
        benchmark::DoNotOptimize(queued.contains(probe));
    }
}
BENCHMARK(DuplicateTest)->Arg(10)->Arg(1000)->Arg(100000);

} // namespace

BENCHMARK_MAIN();
