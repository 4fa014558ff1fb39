// Fuzzes the merge's walk, plain and packed, on a temporary folder. The input is a model laid out
// as an MPD: each "0 FILE NAME" line starts a file, written to the DAT folder, or with a name that
// begins "L:" to the library's parts folder, "P:" to its p folder, "U:" to its Unofficial/parts,
// "T:" to its parts/textures, "V:" to its Unofficial/parts/textures (images; an image in the DAT
// folder is any other name), "A:" to the library folder itself, as it stands (an archive, damaged
// or not: "A:complete.zip", "A:ldrawunf.zip"). When the first byte's second bit is set, the
// library's parts and p folders are packed into complete.zip, as LDraw ships them. Whatever the files hold (hostile
// names, deep and cyclic references, names that differ in letter case or separator, !TEXMAP lines naming images
// anywhere or nowhere), the walk ends, the check agrees with the merge, no temporary file is left, and an MPD has each
// data block once and, packed, each section once.

#include "files/file_system.h"
#include "files/paths.h"
#include "ldraw/model_text.h"
#include "operations/merge.h"

#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

using namespace brikmux;
namespace fs = std::filesystem;

class YesPrompter final : public Prompter {
public:
    bool askYesNo(const Message&) override
    {
        ++questions;
        return true;
    }
    void inform(const Message&) override {}
    void reportFailure(const Message&) override {}
    int questions = 0;
};

void check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

void writeFile(const fs::path& folder, const std::string& name, const std::string& text)
{
    if (name.empty() || leavesFolder(name) || !isValidPath(name)) {
        return;
    }
    std::error_code error;
    const fs::path path = folder / fs::path(name).relative_path();
    fs::create_directories(path.parent_path(), error);
    std::ofstream(path, std::ios::binary) << text;
}

// Moves the library's parts and p folders into complete.zip, under "ldraw/".
void zipLibrary(const fs::path& ldraw)
{
    int error = 0;
    zip_t* zip = zip_open((ldraw / "complete.zip").c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (zip == nullptr) {
        return;
    }
    std::vector<std::string> contents; // zip_close reads the buffers
    contents.reserve(1024);
    for (const char* folder : {"parts", "p"}) {
        for (const auto& entry : fs::recursive_directory_iterator(ldraw / folder)) {
            if (entry.is_regular_file() && contents.size() < contents.capacity()) {
                std::ifstream input(entry.path(), std::ios::binary);
                contents.emplace_back(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
                const std::string name = "ldraw/" + fs::relative(entry.path(), ldraw).generic_string();
                zip_source_t* source = zip_source_buffer(zip, contents.back().data(), contents.back().size(), 0);
                if (zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_RAW) < 0) {
                    zip_source_free(source);
                }
            }
        }
        fs::remove_all(ldraw / folder);
    }
    zip_close(zip);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fs::path root = fs::temp_directory_path() / ("brikmux-fuzz-merge-" + std::to_string(getpid()));
    fs::remove_all(root);
    for (const char* folder :
         {"dat", "out", "ldraw/parts/s", "ldraw/p/48", "ldraw/Unofficial/parts/textures", "ldraw/parts/textures"}) {
        fs::create_directories(root / folder);
    }
    const std::string input(reinterpret_cast<const char*>(data), size);
    const bool pack = size > 0 && (data[0] & 1) != 0;

    // The files: "main.dat" until the first marker; "0 >FILE" and "0 >!DATA" lines are the
    // markers of an MPD inside the model.
    std::string name = "main.dat";
    std::string text;
    std::istringstream lines(input);
    auto flush = [&] {
        static const std::pair<const char*, const char*> kPlaces[] = {
            {"L:", "ldraw/parts"},          {"P:", "ldraw/p"}, {"U:", "ldraw/Unofficial/parts"},
            {"T:", "ldraw/parts/textures"}, {"A:", "ldraw"},   {"V:", "ldraw/Unofficial/parts/textures"}};
        const auto place = std::find_if(std::begin(kPlaces), std::end(kPlaces),
                                        [&](const auto& p) { return name.starts_with(p.first); });
        if (place != std::end(kPlaces)) {
            writeFile(root / place->second, name.substr(2), text);
        } else {
            writeFile(root / "dat", name, text);
        }
        text.clear();
    };
    for (std::string line; std::getline(lines, line);) {
        if (IsFileMarker(line) && hasFileMarkerName(line)) {
            flush();
            name = std::string(FileMarkerName(line));
        } else if (line.starts_with("0 >")) {
            // A marker inside a file ("0 >FILE x", "0 >!DATA x"): the file is an MPD of its own.
            text += "0 " + line.substr(3) + "\n";
        } else {
            text += line + "\n";
        }
    }
    flush();
    if (size > 0 && (data[0] & 2) != 0) {
        zipLibrary(root / "ldraw");
    }

    const MergeJob job{(root / "dat").string() + "/",
                       (root / "out").string() + "/",
                       (root / "ldraw").string() + "/",
                       "out.mpd",
                       "Fuzz",
                       ReferenceKinds::Any,
                       pack};
    NativeFileSystem fileSystem;
    const CheckResult checked = CheckMerge("main.dat", job, fileSystem);
    YesPrompter prompter;
    const MergeResult merged = MergeToMPD("main.dat", job, fileSystem, prompter);

    // The check foresees the merge: complete exactly when the merge asks nothing and succeeds.
    const bool created = merged.status == MergeResult::Status::Created;
    if (checked.complete()) {
        check(created && merged.notFound.empty() && prompter.questions == 0);
    } else {
        check(!created || !merged.notFound.empty());
    }
    // Nothing but the MPD in its folder: no temporary file survives.
    for (const auto& entry : fs::directory_iterator(root / "out")) {
        check(created && entry.path().filename() == "out.mpd");
    }
    if (created) {
        // Each file once, whatever the spellings that reached it; each image once, in the data
        // blocks that close the file (a model's own lines may hold "0 !DATA" too).
        std::ifstream output(root / "out" / "out.mpd", std::ios::binary);
        std::set<std::string> sections;
        std::vector<std::string> blocks;
        for (std::string line; std::getline(output, line);) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (pack && IsFileMarker(line) && hasFileMarkerName(line)) {
                check(sections.insert(foldCase(FileMarkerName(line))).second);
            }
            if (IsDataMarker(line)) {
                blocks.push_back(foldCase(DataMarkerName(line)));
            }
        }
        check(blocks.size() >= merged.images.size());
        std::set<std::string> images;
        for (std::size_t i = 0; i < merged.images.size(); ++i) {
            const std::string& block = blocks[blocks.size() - merged.images.size() + i];
            check(block == foldCase(merged.images[i]) && images.insert(block).second);
        }
    }
    return 0;
}
