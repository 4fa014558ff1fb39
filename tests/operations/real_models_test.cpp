#include "files/paths.h"
#include "operations/merge.h"
#include "operations/mpd_check.h"
#include "operations/split.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace brikmux {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

const fs::path kShared = BRIKMUX_SHARED_DIR;

// An MPD cut the plainest way: lines end at CR LF, CR or LF, a section runs from one "0 FILE "
// line to the next. Name -> lines, the last section of a name winning, and the first name.
struct Sections {
    std::map<std::string, std::vector<std::string>> lines;
    std::string first;
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
            sections.first = sections.first.empty() ? line.substr(7) : sections.first;
            (current = &sections.lines[line.substr(7)])->clear();
        } else if (current != nullptr && (i < text.size() || !line.empty())) {
            current->push_back(line);
        }
        i += i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n';
        start = i + 1;
    }
    return sections;
}

std::vector<std::string> codes(const MpdCheckReport& report)
{
    std::vector<std::string> codes;
    for (const MpdProblem& problem : report.problems) {
        codes.emplace_back(problem.code);
    }
    return codes;
}

// Every real MPD checked against the library gives exactly the problems it has. Split, each
// section's lines are written as they stand; packed in one step it equals the pack of the model
// split into a folder, and checks clean; merged, each section comes back unchanged, and split and
// merged again, the same MPD.
TEST(RealModels, MpdsCheckAsTheyArePackInOneStepAndRoundTrip)
{
    if (!fs::is_directory(kShared / "models") || !fs::is_directory(kShared / "ldraw")) {
        GTEST_SKIP() << "no real models at " << kShared;
    }
    using Codes = std::vector<std::string>;
    const std::string threejs = "30054-1-AT-ST-Mini.mpd_Packed.mpd";
    const std::map<std::string, Codes> expected = {
        // Two minifig sections with nothing in them, those and a toy plane used by nothing.
        {"10270 - Bookshop.mpd", {"empty-section", "unused", "empty-section", "unused", "unused"}},
        // three.js's packer writes the main model before the first FILE line: 30 parts placed there.
        {threejs, Codes(30, "not-first")},
        {"6080 - Kings Castle.mpd", {"unused"}}, // back_left_panels_upper2.ldr
    };
    const std::string library = (kShared / "ldraw").string() + "/";
    const std::string models = (kShared / "models").string() + "/";
    NativeFileSystem fileSystem;
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(kShared / "models")) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".mpd") {
            continue;
        }
        ++checked;
        SCOPED_TRACE(name);
        const auto wanted = expected.find(name);
        EXPECT_EQ(codes(CheckMpdFile(models + name, library, fileSystem)),
                  wanted == expected.end() ? Codes{} : wanted->second);

        TempDir dat;
        TempDir out;
        testing::ScriptedPrompter prompter;
        prompter.answers.assign(1000, true);
        ASSERT_EQ(SplitMPD(name, SplitJob{models, dat.field()}, fileSystem, prompter).status,
                  SplitResult::Status::Split);
        const Sections original = sectionsOf(TempDir::readFile(entry.path()));
        for (const auto& [section, lines] : original.lines) {
            EXPECT_EQ(dat.read(joinPath("", section)), testing::crlf(lines)) << section;
        }
        MpdModel model;
        std::unique_ptr<InputFile> file;
        ASSERT_TRUE(openFileForReading(fileSystem, models + name, file));
        ASSERT_TRUE(model.load(*file, name));
        const std::string main = model.blocks()[model.mainBlock()].name;
        MergeJob job{dat.field(), out.field(), library, "split.mpd", "Brikmux", ReferenceKinds::DatOnly, true};
        ASSERT_EQ(MergeToMPD(main, job, fileSystem, prompter).status, MergeResult::Status::Created);
        job.datPath = models;
        job.mpdName = "direct.mpd";
        ASSERT_EQ(MergeToMPD(name, job, fileSystem, prompter).status, MergeResult::Status::Created);
        EXPECT_TRUE(out.read("split.mpd") == out.read("direct.mpd"));
        // Packing keeps what the main model carries: three.js's packer put LDraw's colour file there.
        EXPECT_EQ(codes(CheckMpdFile(out.field() + "direct.mpd", library, fileSystem)),
                  name == threejs ? Codes{"name-differs"} : Codes{});

        // Merged, split and merged again: the same MPD, one header.
        job = {models, out.field(), library, "merged.mpd", "Brikmux", ReferenceKinds::DatAndLdr, false};
        ASSERT_EQ(MergeToMPD(name, job, fileSystem, prompter).status, MergeResult::Status::Created);
        Sections merged = sectionsOf(out.read("merged.mpd"));
        auto& mainLines = merged.lines[merged.first];
        mainLines.erase(mainLines.begin(), mainLines.begin() + 5); // the header
        for (const auto& [section, lines] : merged.lines) {
            const auto found = std::find_if(original.lines.begin(), original.lines.end(), [&](const auto& other) {
                return equalsIgnoringCase(other.first, section);
            });
            if (found == original.lines.end() && section == merged.first) {
                continue; // the unnamed main model, before the first FILE line
            }
            ASSERT_NE(found, original.lines.end()) << section;
            EXPECT_EQ(lines, found->second) << section;
        }
        TempDir again;
        ASSERT_EQ(SplitMPD("merged.mpd", SplitJob{out.field(), again.field()}, fileSystem, prompter).status,
                  SplitResult::Status::Split);
        job = {again.field(), out.field(), library, "again.mpd", "Brikmux", ReferenceKinds::DatAndLdr, false};
        ASSERT_EQ(MergeToMPD(main, job, fileSystem, prompter).status, MergeResult::Status::Created);
        EXPECT_TRUE(out.read("again.mpd") == out.read("merged.mpd"));
    }
    EXPECT_GT(checked, 0);
}

// The library's texture-mapped parts packed, split and merged back: the images come out of the
// split byte for byte, and the merge of the split files carries the same data blocks.
TEST(RealModels, TexturedPartsKeepTheirImagesThroughPackSplitAndMerge)
{
    const fs::path textures = kShared / "ldraw" / "parts" / "textures";
    if (!fs::exists(textures / "39266p01.png") || !fs::exists(textures / "39266p02.png")) {
        GTEST_SKIP() << "no texture-mapped parts at " << kShared;
    }
    TempDir dat;
    TempDir split;
    dat.write("tiles.ldr", testing::crlf({"1 16 0 0 0 1 0 0 0 1 0 0 0 1 39266p01.dat",
                                          "1 16 40 0 0 1 0 0 0 1 0 0 0 1 39266P02.DAT"}));
    NativeFileSystem fileSystem;
    testing::ScriptedPrompter prompter;
    const std::string library = (kShared / "ldraw").string() + "/";
    MergeJob job{dat.field(), dat.field(), library, "packed.mpd", "Brikmux", ReferenceKinds::DatAndLdr, true};
    ASSERT_EQ(MergeToMPD("tiles.ldr", job, fileSystem, prompter).status, MergeResult::Status::Created);
    ASSERT_EQ(SplitMPD("packed.mpd", SplitJob{dat.field(), split.field()}, fileSystem, prompter).status,
              SplitResult::Status::Split);
    for (const char* image : {"39266p01.png", "39266p02.png"}) {
        EXPECT_EQ(split.read(image), TempDir::readFile(textures / image)) << image;
    }
    job = {split.field(), dat.field(), library, "back.mpd", "Brikmux", ReferenceKinds::DatAndLdr, false};
    ASSERT_EQ(MergeToMPD("tiles.ldr", job, fileSystem, prompter).status, MergeResult::Status::Created);
    const std::string packed = dat.read("packed.mpd");
    const std::string back = dat.read("back.mpd");
    const auto blocks = [](const std::string& text) { return text.substr(text.find("\r\n0 !DATA ")); };
    EXPECT_EQ(blocks(back), blocks(packed));
    EXPECT_TRUE(prompter.questions().empty());
}

} // namespace
} // namespace brikmux
