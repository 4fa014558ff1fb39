#include "conversion/merge.h"
#include "conversion/paths.h"
#include "conversion/split.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

namespace brikmux {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPrompter;
using testing::TempDir;

const fs::path kShared = BRIKMUX_SHARED_DIR;
const std::string kLibrary = (kShared / "ldraw").string() + "/";

// An MPD cut the plainest way: lines end at CR LF, CR or LF, a section runs from one "0 FILE "
// line to the next. Name -> lines, the last section of a name winning, and the names in order.
struct Sections {
    std::map<std::string, std::vector<std::string>> lines;
    std::vector<std::string> order;
};

Sections sectionsOf(const std::string& text)
{
    Sections sections;
    std::vector<std::string>* current = nullptr;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') {
            continue;
        }
        const std::string line = text.substr(start, i - start);
        if (line.rfind("0 FILE ", 0) == 0) {
            sections.order.push_back(line.substr(7));
            (current = &sections.lines[line.substr(7)])->clear();
        } else if (current != nullptr && (i < text.size() || !line.empty())) {
            current->push_back(line);
        }
        i += i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n';
        start = i + 1;
    }
    return sections;
}

// The folded names of the sections that the first one reaches through references to custom files.
std::set<std::string> reachable(const Sections& sections)
{
    auto custom = [](std::string name) {
        std::replace(name.begin(), name.end(), '\\', '/');
        return !fs::is_regular_file(kShared / "ldraw/parts" / name) && !fs::is_regular_file(kShared / "ldraw/p" / name);
    };
    std::set<std::string> seen{foldCase(sections.order.front())};
    for (std::vector<std::string> todo{sections.order.front()}; !todo.empty();) {
        const auto lines = sections.lines.at(todo.back());
        todo.pop_back();
        for (const auto& line : lines) {
            for (const auto& [name, ignored] : sections.lines) {
                if (line.rfind("1 ", 0) == 0 && endsWithIgnoringCase(line, " " + name) && custom(foldCase(name)) &&
                    seen.insert(foldCase(name)).second) {
                    todo.push_back(name);
                }
            }
        }
    }
    return seen;
}

std::set<std::string> foldedNames(const Sections& sections)
{
    std::set<std::string> names;
    for (const auto& name : sections.order) {
        names.insert(foldCase(name));
    }
    return names;
}

TEST(RealModels, SplitThenMergeGivesEverySectionBackAndASubModelMayBeMissing)
{
    if (!fs::is_directory(kShared / "models") || !fs::is_directory(kShared / "ldraw")) {
        GTEST_SKIP() << "no real models at " << kShared;
    }
    int models = 0;
    for (const auto& entry : fs::directory_iterator(kShared / "models")) {
        if (entry.path().extension() != ".mpd") {
            continue;
        }
        ++models;
        SCOPED_TRACE(entry.path().filename().string());
        const Sections original = sectionsOf(TempDir::readFile(entry.path()));
        TempDir dat;
        TempDir out;
        NativeFileSystem fileSystem;
        ScriptedPrompter prompter;
        prompter.answers.assign(original.order.size(), true);
        const SplitJob splitJob{entry.path().parent_path().string() + "/", dat.field()};
        const SplitResult split = SplitMPD(entry.path().filename().string(), splitJob, fileSystem, prompter);
        ASSERT_EQ(split.sectionCount, original.order.size());
        for (const auto& [name, lines] : original.lines) {
            EXPECT_EQ(dat.read(joinPath("", name)), testing::crlf(lines)) << name;
        }

        const std::string& main = original.order.front();
        MergeJob job{dat.field(), out.field(), kLibrary, "back.mpd", "Brikmux", ReferenceKinds::DatAndLdr};
        ASSERT_EQ(MergeToMPD(main, job, fileSystem, prompter).status, MergeResult::Status::Created);
        Sections merged = sectionsOf(out.read("back.mpd"));
        auto& mainLines = merged.lines[merged.order.front()];
        mainLines.erase(mainLines.begin(), mainLines.begin() + 5); // the header
        for (const auto& [name, lines] : merged.lines) {
            const auto found = std::find_if(original.lines.begin(), original.lines.end(),
                                            [&](const auto& other) { return equalsIgnoringCase(other.first, name); });
            ASSERT_NE(found, original.lines.end()) << name;
            EXPECT_EQ(lines, found->second) << name;
        }
        EXPECT_EQ(foldedNames(merged), reachable(original));

        // A sub-model the author never shipped: No leaves nothing behind; Yes merges the rest.
        if (merged.order.size() < 2) {
            continue;
        }
        const std::string dropped = merged.order.back();
        fs::remove(dat.path() / joinPath("", dropped));
        job.mpdName = "without.mpd";
        prompter.answers = {false, true};
        const MergeResult declined = MergeToMPD(main, job, fileSystem, prompter);
        ASSERT_EQ(declined.status, MergeResult::Status::NotFoundDeclined);
        EXPECT_EQ(declined.notFound.at(0).name, dropped);
        EXPECT_FALSE(out.exists("without.mpd"));
        ASSERT_EQ(MergeToMPD(main, job, fileSystem, prompter).status, MergeResult::Status::Created);
        Sections shipped = original;
        std::erase_if(shipped.order, [&](const auto& name) { return equalsIgnoringCase(name, dropped); });
        std::erase_if(shipped.lines, [&](const auto& section) { return equalsIgnoringCase(section.first, dropped); });
        EXPECT_EQ(foldedNames(sectionsOf(out.read("without.mpd"))), reachable(shipped));
    }
    EXPECT_GT(models, 0);
}

} // namespace
} // namespace brikmux
