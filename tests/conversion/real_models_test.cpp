#include "conversion/merge.h"
#include "conversion/paths.h"
#include "conversion/split.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace brikmux {
namespace {

namespace fs = std::filesystem;
using testing::crlf;
using testing::ScriptedPrompter;
using testing::TempDir;

const fs::path kShared = BRIKMUX_SHARED_DIR;

struct Section {
    std::string name;
    std::vector<std::string> lines;
};

// Cuts an MPD into its sections with the plainest rules: lines end at CR LF, CR or LF, and a
// section runs from one "0 FILE " line to the next.
std::vector<Section> sectionsOf(const std::string& text)
{
    std::vector<Section> sections;
    std::string line;
    auto take = [&] {
        if (line.rfind("0 FILE", 0) == 0) {
            sections.push_back({line.substr(7), {}});
        } else if (!sections.empty()) {
            sections.back().lines.push_back(line);
        }
        line.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            take();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += text[i];
        }
    }
    if (!line.empty()) {
        take();
    }
    return sections;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool inLibrary(const std::string& name)
{
    std::string relative = foldCase(name);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return fs::is_regular_file(kShared / "ldraw/parts" / relative) ||
           fs::is_regular_file(kShared / "ldraw/p" / relative);
}

// The folded names of the sections that main reaches through references to custom files.
std::set<std::string> reachable(const std::vector<Section>& sections)
{
    std::map<std::string, const Section*> byName;
    for (const auto& section : sections) {
        byName.emplace(foldCase(section.name), &section);
    }
    std::set<std::string> seen{foldCase(sections.front().name)};
    std::vector<const Section*> todo{&sections.front()};
    while (!todo.empty()) {
        const Section* section = todo.back();
        todo.pop_back();
        for (const auto& line : section->lines) {
            if (line.rfind("1 ", 0) != 0) {
                continue;
            }
            for (const auto& [folded, target] : byName) {
                const std::string tail = " " + folded;
                if (endsWithIgnoringCase(line, tail) && !inLibrary(target->name) && seen.insert(folded).second) {
                    todo.push_back(target);
                }
            }
        }
    }
    return seen;
}

TEST(RealModels, SplitThenMergeGivesEverySectionBack)
{
    if (!fs::is_directory(kShared / "models") || !fs::is_directory(kShared / "ldraw")) {
        GTEST_SKIP() << "no real models at " << kShared;
    }
    int models = 0;
    int withMissingFile = 0;
    for (const auto& entry : fs::directory_iterator(kShared / "models")) {
        if (entry.path().extension() != ".mpd") {
            continue;
        }
        ++models;
        const std::string mpdName = entry.path().filename().string();
        SCOPED_TRACE(mpdName);
        const auto original = sectionsOf(readFile(entry.path()));
        ASSERT_FALSE(original.empty());

        TempDir dat;
        ScriptedPrompter prompter;
        prompter.answers.assign(original.size(), true);
        NativeFileSystem fileSystem;
        const SplitJob splitJob{entry.path().parent_path().string() + "/", dat.field()};
        const SplitResult split = SplitMPD(mpdName, splitJob, fileSystem, prompter);
        ASSERT_EQ(split.status, SplitResult::Status::Split);
        EXPECT_EQ(split.sectionCount, original.size());
        std::map<std::string, const Section*> last;
        for (const auto& section : original) {
            last[section.name] = &section;
        }
        for (const auto& [name, section] : last) {
            EXPECT_EQ(dat.read(joinPath("", name)), crlf(section->lines)) << name;
        }

        TempDir out;
        const std::string& mainName = original.front().name;
        MergeJob job{dat.field(), out.field(), (kShared / "ldraw").string() + "/",
                     "back.mpd",  "Brikmux",   ReferenceKinds::DatAndLdr};
        ASSERT_EQ(MergeToMPD(mainName, job, fileSystem, prompter).status, MergeResult::Status::Created);
        auto merged = sectionsOf(out.read("back.mpd"));
        ASSERT_GE(merged.front().lines.size(), 5U);
        merged.front().lines.erase(merged.front().lines.begin(), merged.front().lines.begin() + 5);
        std::set<std::string> mergedNames;
        for (const auto& section : merged) {
            mergedNames.insert(foldCase(section.name));
            const auto found = std::find_if(last.begin(), last.end(), [&](const auto& candidate) {
                return equalsIgnoringCase(candidate.first, section.name);
            });
            ASSERT_NE(found, last.end()) << section.name;
            EXPECT_EQ(section.lines, found->second->lines) << section.name;
        }
        EXPECT_EQ(mergedNames, reachable(original));

        // A sub-model the author never shipped: No leaves nothing behind; Yes merges the rest.
        if (merged.size() < 2) {
            continue;
        }
        const std::string dropped = merged.back().name;
        fs::remove(dat.path() / joinPath("", dropped));
        job.mpdName = "without.mpd";
        ScriptedPrompter no;
        no.answers = {false};
        const MergeResult declined = MergeToMPD(mainName, job, fileSystem, no);
        ASSERT_EQ(declined.status, MergeResult::Status::NotFoundDeclined);
        ASSERT_EQ(declined.notFound.size(), 1U);
        EXPECT_EQ(declined.notFound[0].name, dropped);
        EXPECT_FALSE(out.exists("without.mpd"));
        ScriptedPrompter yes;
        yes.answers = {true};
        ASSERT_EQ(MergeToMPD(mainName, job, fileSystem, yes).status, MergeResult::Status::Created);
        std::set<std::string> without;
        for (const auto& section : sectionsOf(out.read("without.mpd"))) {
            without.insert(foldCase(section.name));
        }
        auto shipped = original;
        std::erase_if(shipped, [&](const Section& section) { return equalsIgnoringCase(section.name, dropped); });
        EXPECT_EQ(without, reachable(shipped));
        ++withMissingFile;
    }
    EXPECT_GT(models, 0);
    EXPECT_GT(withMissingFile, 0);
}

TEST(RealModels, MergesADatMainFileWithAnLdrSubModel)
{
    const fs::path folder = kShared / "models/multifile/ldraw-car";
    if (!fs::is_directory(folder)) {
        GTEST_SKIP() << "no multi-file model at " << folder;
    }
    TempDir out;
    ScriptedPrompter prompter;
    NativeFileSystem fileSystem;
    MergeJob job{folder.string() + "/",    out.field(), (kShared / "ldraw").string() + "/", "car", "Brikmux",
                 ReferenceKinds::DatAndLdr};
    const MergeResult result = MergeToMPD("car.dat", job, fileSystem, prompter);
    ASSERT_EQ(result.datFiles, (std::vector<std::string>{"car.dat", "car.ldr"}));
    const auto merged = sectionsOf(out.read("car.mpd"));
    ASSERT_EQ(merged.size(), 2U);
    EXPECT_EQ(merged[1].lines, sectionsOf("0 FILE car.ldr\r\n" + readFile(folder / "car.ldr"))[0].lines);
}

} // namespace
} // namespace brikmux
