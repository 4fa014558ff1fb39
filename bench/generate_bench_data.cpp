// Writes the benchmark's models, deterministically:
//   generate_bench_data merge FOLDER   FOLDER/dat/main.dat and 2,000 custom sub-files (about
//                                      1,000,000 lines), FOLDER/ldraw with 25,000 library parts
//   generate_bench_data split FOLDER   FOLDER/big.mpd: 200 MB in 20,000 sections
//   generate_bench_data list FOLDER    FOLDER/list: 30,000 empty .dat files
//   generate_bench_data town FOLDER    FOLDER/dat/town.ldr and 100 MPDs it references, each of 20
//                                      sections named alike in every MPD (2,000 sections, all
//                                      told apart), FOLDER/ldraw as for merge

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A small deterministic generator, so that every run measures the same files.
class Random {
public:
    std::uint32_t next(std::uint32_t bound)
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return static_cast<std::uint32_t>(m_state % bound);
    }

private:
    std::uint64_t m_state = 0x9e3779b97f4a7c15ULL;
};

constexpr int kSubFiles = 2000;
constexpr int kLinesPerFile = 500;
constexpr int kParts = 20000;
constexpr int kPrimitives = 3000;
constexpr int kSubParts = 2000;

std::string subName(int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "sub%04d.dat", index);
    return name;
}

std::string reference(Random& random, const std::string& name)
{
    return "1 " + std::to_string(random.next(512)) + " " + std::to_string(random.next(400)) + " -" +
           std::to_string(random.next(96)) + " " + std::to_string(random.next(400)) + " 1 0 0 0 1 0 0 0 1 " + name;
}

std::string partName(Random& random)
{
    const std::uint32_t kind = random.next(10);
    if (kind < 8) {
        return "part" + std::to_string(random.next(kParts)) + ".dat";
    }
    if (kind == 8) {
        return "prim" + std::to_string(random.next(kPrimitives)) + ".dat";
    }
    return "s\\sub" + std::to_string(random.next(kSubParts)) + ".dat";
}

void touchAll(const fs::path& folder, const std::string& prefix, int count)
{
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        std::ofstream(folder / (prefix + std::to_string(i) + ".dat"));
    }
}

// The library's parts, primitives and sub-parts, empty.
void makeLibrary(const fs::path& ldraw)
{
    touchAll(ldraw / "parts", "part", kParts);
    touchAll(ldraw / "p", "prim", kPrimitives);
    touchAll(ldraw / "parts/s", "sub", kSubParts);
}

// Lines of one model file: geometry, comments and part references, plus the given sub-files.
void writeModel(const fs::path& path, Random& random, const std::vector<std::string>& subFiles)
{
    std::ofstream out(path, std::ios::binary);
    out << "0 " << path.filename().string() << "\r\n0 Name: " << path.filename().string() << "\r\n";
    std::size_t nextSub = 0;
    for (int line = 2; line < kLinesPerFile; ++line) {
        if (nextSub < subFiles.size() && line % 40 == 0) {
            out << reference(random, subFiles[nextSub++]) << "\r\n";
            continue;
        }
        switch (random.next(6)) {
        case 0:
            out << "0 STEP\r\n";
            break;
        case 1:
            out << "2 24 0 0 0 " << random.next(100) << " 0 " << random.next(100) << "\r\n";
            break;
        case 2:
            out << "4 16 -10 0 -10 10 0 -10 10 0 10 -10 0 10\r\n";
            break;
        default:
            out << reference(random, partName(random)) << "\r\n";
        }
    }
    for (; nextSub < subFiles.size(); ++nextSub) {
        out << reference(random, subFiles[nextSub]) << "\r\n";
    }
}

void makeMerge(const fs::path& folder)
{
    Random random;
    makeLibrary(folder / "ldraw");
    fs::create_directories(folder / "dat");
    // A DAG: every sub-file references up to three later ones (so most are shared), the last one
    // closes a cycle back to the first, and the main file names some in another letter case.
    writeModel(folder / "dat/main.dat", random, {subName(0), subName(1), "SUB0001.DAT", "Sub0002.dat"});
    for (int i = 0; i < kSubFiles; ++i) {
        std::vector<std::string> children;
        for (int k = 1; k <= 3; ++k) {
            const int child = i + k + static_cast<int>(random.next(4));
            if (child < kSubFiles) {
                children.push_back(subName(child));
            }
        }
        if (i == kSubFiles - 1) {
            children.push_back(subName(0));
        }
        writeModel(folder / "dat" / subName(i), random, children);
    }
}

void makeTown(const fs::path& folder)
{
    Random random;
    makeLibrary(folder / "ldraw");
    fs::create_directories(folder / "dat");
    constexpr int kBlocks = 100;
    constexpr int kSections = 20;
    std::ofstream town(folder / "dat/town.ldr", std::ios::binary);
    town << "0 Town\r\n0 Name: town.ldr\r\n";
    for (int block = 0; block < kBlocks; ++block) {
        char name[32];
        std::snprintf(name, sizeof name, "block%03d.mpd", block);
        town << reference(random, name) << "\r\n";
        std::ofstream out(folder / "dat" / name, std::ios::binary);
        for (int section = 0; section < kSections; ++section) {
            out << "0 FILE " << (section == 0 ? std::string("main.ldr") : "house" + std::to_string(section) + ".ldr")
                << "\r\n";
            for (int line = 0; line < 100; ++line) {
                out << reference(random, section == 0 && line < kSections - 1
                                             ? "house" + std::to_string(line + 1) + ".ldr"
                                             : partName(random))
                    << "\r\n";
            }
        }
    }
}

void makeSplit(const fs::path& folder)
{
    Random random;
    fs::create_directories(folder);
    std::ofstream out(folder / "big.mpd", std::ios::binary);
    constexpr int kSections = 20000;
    constexpr std::size_t kSectionBytes = 200'000'000 / kSections;
    for (int section = 0; section < kSections; ++section) {
        out << "0 FILE " << subName(section) << "\r\n";
        std::size_t written = 0;
        while (written < kSectionBytes) {
            const std::string line = reference(random, partName(random));
            out << line << "\r\n";
            written += line.size() + 2;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: generate_bench_data merge|split|list|town FOLDER\n");
        return 2;
    }
    const std::string what = argv[1];
    const fs::path folder = argv[2];
    if (what == "merge") {
        makeMerge(folder);
    } else if (what == "split") {
        makeSplit(folder);
    } else if (what == "town") {
        makeTown(folder);
    } else if (what == "list") {
        touchAll(folder / "list", "model", 30000);
    } else {
        return 2;
    }
    return 0;
}
