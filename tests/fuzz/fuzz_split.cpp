// Fuzzes the split as a whole on a temporary folder: whatever the MPD holds (sections, !DATA blocks
// with broken base64 or cut short, names that would escape), the split ends, writes nothing outside
// the DAT folder, leaves no temporary file behind, and succeeds only when every image was valid.
// The MPD's check meets the same bytes: it ends, and every problem lies on a line of the file, in a
// block it has.

#include "files/file_system.h"
#include "files/paths.h"
#include "operations/mpd_check.h"
#include "operations/split.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>

namespace {

using namespace brikmux;
namespace fs = std::filesystem;

// Answers Yes and No in turn.
class AlternatingPrompter final : public Prompter {
public:
    bool askYesNo(const Message&) override { return (m_questions++ % 2) == 0; }
    void inform(const Message&) override {}
    void reportFailure(const Message&) override {}

private:
    int m_questions = 0;
};

void check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fs::path folder = fs::temp_directory_path() / ("brikmux-fuzz-split-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "dat");
    std::ofstream(folder / "in.mpd", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    NativeFileSystem fileSystem;
    AlternatingPrompter prompter;
    const std::string dat = (folder / "dat").string() + "/";
    const SplitResult result = SplitMPD("in.mpd", SplitJob{folder.string() + "/", dat}, fileSystem, prompter);

    for (const auto& entry : fs::directory_iterator(folder)) {
        check(entry.path().filename() == "in.mpd" || entry.path().filename() == "dat");
    }
    // Every file in the DAT folder is a section that was written: no temporary file is left.
    // ("s/x.dat/" names the file s/x.dat, as the file system reads it.)
    std::set<std::string> written;
    std::vector<std::string> names = result.written;
    names.insert(names.end(), result.images.begin(), result.images.end());
    for (const auto& name : names) {
        const fs::path path = fs::path(joinPath(dat, name)).lexically_normal();
        written.insert(foldCase((path.filename().empty() ? path.parent_path() : path).string()));
    }
    for (const auto& entry : fs::recursive_directory_iterator(folder / "dat")) {
        check(!entry.is_regular_file() || written.count(foldCase(entry.path().lexically_normal().string())) == 1);
    }

    const std::uint64_t lines = 1 + static_cast<std::uint64_t>(std::count(data, data + size, '\n')) +
                                static_cast<std::uint64_t>(std::count(data, data + size, '\r'));
    const MpdCheckReport report = CheckMpdFile((folder / "in.mpd").string(), "", fileSystem);
    for (const MpdProblem& problem : report.problems) {
        check(problem.line >= 1 && problem.line <= lines);
        check(std::any_of(report.sections.begin(), report.sections.end(),
                          [&](const MpdSectionReport& section) { return section.name == problem.section; }));
    }
    return 0;
}
