#include "operations/mpd_check.h"

#include "files/paths.h"
#include "ldraw/block_copies.h"
#include "ldraw/model_text.h"
#include "ldraw/mpd_model.h"
#include "library/case_resolver.h"
#include "library/library.h"
#include "operations/cycles.h"
#include "operations/merge.h"
#include "operations/mpd_scan.h"

#include <algorithm>
#include <array>

namespace brikmux {

namespace {

constexpr std::size_t npos = MpdModel::npos;

std::string inQuotes(std::string_view text)
{
    std::string result = "\"";
    return result.append(text).append("\"");
}

// A name with "\\" written as "/", which readers take alike.
std::string slashed(std::string_view name)
{
    std::string result(name);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

// Decides what a scanned MPD's references lead to, each name looked up once (in the blocks, else
// the library), then what the main model reaches and where references close a cycle.
class Checker {
public:
    // besidePath: the folder whose files a merge of the MPD would also find, ending in a separator.
    Checker(const MpdScan& scan, Library* library, const FileSystem& fileSystem, std::string besidePath,
            MpdCheckReport& report)
        : m_scan(scan), m_library(library), m_beside(fileSystem), m_besidePath(std::move(besidePath)), m_report(report)
    {
    }

    // Adds the sections and the problems found to the report, in file order.
    void run();

private:
    enum class LibraryAnswer : signed char { Unknown = -1, Official, Unofficial, Beside, Models, Missing };

    void problem(std::string_view code, bool error, std::size_t block, std::uint64_t line, std::string name,
                 std::string message)
    {
        m_report.problems.push_back(
            {code, error, m_scan.blocks()[block].name, line, std::move(name), std::move(message)});
    }
    LibraryAnswer libraryAnswer(std::string_view name, bool image);
    // True when the folder beside the MPD holds name (an image: there or in its textures folder).
    bool besideTheMpd(std::string_view name, bool image);
    void resolve();
    void reachability();
    void cycles();

    const MpdScan& m_scan;
    Library* m_library;
    CaseResolver m_beside;
    std::string m_besidePath;
    MpdCheckReport& m_report;
    std::vector<std::vector<GraphEdge>> m_edges; // between blocks
};

Checker::LibraryAnswer Checker::libraryAnswer(std::string_view name, bool image)
{
    if (image) {
        if (!m_library->LibraryImage(name).empty() || !m_library->UnofficialImage(name).empty()) {
            return LibraryAnswer::Official;
        }
        return besideTheMpd(name, true) ? LibraryAnswer::Beside : LibraryAnswer::Missing;
    }
    if (m_library->IsLibraryFile(name)) {
        return LibraryAnswer::Official;
    }
    if (besideTheMpd(name, false)) {
        return LibraryAnswer::Beside;
    }
    // Where a merge looks after the DAT folder: the library's models folder, then Unofficial.
    if (!m_library->ModelFile(name).empty()) {
        return LibraryAnswer::Models;
    }
    return m_library->UnofficialFile(name).empty() ? LibraryAnswer::Missing : LibraryAnswer::Unofficial;
}

bool Checker::besideTheMpd(std::string_view name, bool image)
{
    if (m_besidePath.empty() || leavesFolder(name)) {
        return false;
    }
    return m_beside.resolve(m_besidePath, name).fileExists ||
           (image && m_beside.resolve(m_besidePath, "textures/" + std::string(name)).fileExists);
}

void Checker::run()
{
    for (const MpdScan::Block& block : m_scan.blocks()) {
        m_report.sections.push_back({block.name, block.line, block.image, {}});
    }
    m_edges.resize(m_scan.blocks().size());
    for (std::size_t i = 0; i < m_scan.blocks().size(); ++i) {
        const std::string key = blockKey(m_scan.blocks()[i].name);
        if (m_library != nullptr && !m_scan.blocks()[i].image && !m_scan.blocks()[i].unnamedMain &&
            afterLibraryFolder(key).empty() && !key.empty() && m_library->IsLibraryFile(m_scan.blocks()[i].name)) {
            problem("shadows-library", false, i, m_scan.blocks()[i].line, m_scan.blocks()[i].name,
                    "the section " + inQuotes(m_scan.blocks()[i].name) +
                        " is named like a library file: some readers take the section, some the library's file.");
        }
    }
    resolve();
    for (std::size_t i = 0; i < m_scan.blocks().size(); ++i) {
        // A library file carried by its library path is as the library has it: some are empty.
        const MpdScan::Block& block = m_scan.blocks()[i];
        if (!block.image && !block.modelLines && afterLibraryFolder(blockKey(block.name)).empty()) {
            problem("empty-section", false, i, block.line, block.name,
                    "the section " + inQuotes(block.name) + " holds no line of type 1 to 5.");
        }
    }
    reachability();
    cycles();
    std::stable_sort(m_report.problems.begin(), m_report.problems.end(),
                     [](const MpdProblem& a, const MpdProblem& b) { return a.line < b.line; });
}

void Checker::resolve()
{
    // Each name met is looked up once: in the blocks, else (once per kind) in the library.
    std::vector<std::size_t> target(m_scan.names().size(), npos);
    std::vector<bool> exact(m_scan.names().size(), true);
    for (std::size_t i = 0; i < m_scan.names().size(); ++i) {
        if (const std::size_t found = m_scan.find(blockKey(m_scan.names()[i])); found != npos) {
            target[i] = found;
            exact[i] = slashed(m_scan.names()[i]) == slashed(trimBlanks(m_scan.blocks()[found].name));
        }
    }
    std::array<std::vector<LibraryAnswer>, 2> answers;
    answers.fill(std::vector<LibraryAnswer>(m_scan.names().size(), LibraryAnswer::Unknown));
    std::vector<bool> listed(m_scan.names().size(), false);
    for (const MpdScan::Reference& reference : m_scan.references()) {
        const std::size_t number = reference.name();
        const bool image = reference.image();
        const std::string_view name = m_scan.names()[number];
        if (target[number] != npos) {
            m_edges[reference.block].push_back({target[number], reference.line});
            auto& referencedBy = m_report.sections[target[number]].referencedBy;
            const std::string& referrer = m_scan.blocks()[reference.block].name;
            if (std::find(referencedBy.begin(), referencedBy.end(), referrer) == referencedBy.end()) {
                referencedBy.push_back(referrer);
            }
            if (!exact[number]) {
                problem("case-differs", false, reference.block, reference.line, std::string(name),
                        inQuotes(name) + " matches the " + (image ? "image " : "section ") +
                            inQuotes(m_scan.blocks()[target[number]].name) +
                            " only when letter case is ignored: readers that heed it miss it.");
            }
            continue;
        }
        LibraryAnswer& answer = answers[image ? 1 : 0][number];
        if (answer == LibraryAnswer::Unknown) {
            answer = m_library != nullptr        ? libraryAnswer(name, image)
                     : besideTheMpd(name, image) ? LibraryAnswer::Beside
                                                 : LibraryAnswer::Missing;
        }
        if (m_library == nullptr && answer == LibraryAnswer::Missing) {
            if (!listed[number]) {
                listed[number] = true;
                m_report.unresolved.emplace_back(name);
            }
            continue;
        }
        if (answer == LibraryAnswer::Beside || answer == LibraryAnswer::Models) {
            problem("outside-file", false, reference.block, reference.line, std::string(name),
                    inQuotes(name) +
                        (answer == LibraryAnswer::Beside ? " is found beside the MPD"
                                                         : " is found in the library's models folder") +
                        ", not in it: a merge of the MPD embeds it; the MPD shared alone lacks it.");
            continue;
        }
        if (answer == LibraryAnswer::Unofficial) {
            problem("unofficial-not-embedded", false, reference.block, reference.line, std::string(name),
                    inQuotes(name) +
                        " is a part of the library's Unofficial folders, not embedded: readers' libraries lack it.");
        } else if (answer == LibraryAnswer::Missing) {
            problem(image ? "image-not-found" : "not-found", true, reference.block, reference.line, std::string(name),
                    image ? "the image " + inQuotes(name) +
                                " has no \"0 !DATA\" block in this file and is no library image."
                          : inQuotes(name) + " is neither a section of this file nor a library file.");
        }
    }
}

void Checker::reachability()
{
    // The main model: the unnamed one, else the first section.
    const auto& blocks = m_scan.blocks();
    const auto firstModel = std::find_if(blocks.begin(), blocks.end(), [](const auto& block) { return !block.image; });
    const std::size_t main = firstModel == blocks.end() ? npos : static_cast<std::size_t>(firstModel - blocks.begin());
    std::vector<bool> reached(m_scan.blocks().size(), false);
    std::vector<std::size_t> queue;
    if (main != npos) {
        reached[main] = true;
        queue.push_back(main);
    }
    for (std::size_t next = 0; next < queue.size(); ++next) {
        for (const GraphEdge& edge : m_edges[queue[next]]) {
            if (!reached[edge.to]) {
                reached[edge.to] = true;
                queue.push_back(edge.to);
            }
        }
    }
    const std::string mainName = main == npos ? std::string("(none)") : inQuotes(m_scan.blocks()[main].name);
    for (std::size_t i = 0; i < m_scan.blocks().size(); ++i) {
        if (!reached[i] && !m_scan.blocks()[i].duplicate) {
            problem("unused", false, i, m_scan.blocks()[i].line, m_scan.blocks()[i].name,
                    std::string(m_scan.blocks()[i].image ? "the image " : "the section ") +
                        inQuotes(m_scan.blocks()[i].name) + " is used by nothing that the main model " + mainName +
                        " reaches.");
        }
    }
}

void Checker::cycles()
{
    // Every reference to a section still on the path closes a cycle: each is a problem.
    const auto name = [this](std::size_t block) -> const std::string& { return m_scan.blocks()[block].name; };
    findCycles(
        m_edges, [this](std::size_t block) { return !m_scan.blocks()[block].image; },
        [&](std::span<const std::size_t> chain, const GraphEdge& edge) {
            std::string text;
            for (const std::size_t block : chain) {
                text += name(block) + " -> ";
            }
            text += name(edge.to);
            problem("cycle", true, chain.back(), edge.line, name(edge.to),
                    inQuotes(name(edge.to)) + " reaches itself: " + text + ".");
            return true;
        });
}

// Makes each duplicate-section whose lines equal the first block's a warning: a split leaves such
// a copy out, and readers get the same model whichever block they take.
Status markCopies(const MpdScan& scan, const std::string& mpdPath, FileSystem& fileSystem,
                  std::vector<MpdProblem>& problems)
{
    std::vector<BlockPair> pairs;
    for (const MpdScan::Block& block : scan.blocks()) {
        if (block.duplicate) {
            pairs.push_back({scan.blocks()[scan.find(blockKey(block.name))].line, block.line});
        }
    }
    if (pairs.empty()) {
        return Status::ok();
    }
    std::unique_ptr<InputFile> file;
    std::vector<bool> copies;
    Status read = openFileForReading(fileSystem, mpdPath, file);
    if (read) {
        read = findCopies(*file, pairs, copies);
    }
    for (std::size_t i = 0; read && i < pairs.size(); ++i) {
        const auto problem = std::find_if(problems.begin(), problems.end(), [&](const MpdProblem& p) {
            return p.code == "duplicate-section" && p.line == pairs[i].second;
        });
        if (copies[i] && problem != problems.end()) {
            problem->error = false;
            problem->message = "a second block named " + inQuotes(problem->name) + ", a copy of the first (line " +
                               std::to_string(pairs[i].first) + "): readers get the same either way.";
        }
    }
    return read;
}

// Walks the MPD at datPath + mainName as a merge of it would, and keeps what lies outside it.
MpdOutside walkOutside(std::string_view mainName, std::string datPath, FileSystem& fileSystem, Library& library,
                       bool cycleFound)
{
    MergeJob job;
    job.datPath = std::move(datPath);
    CheckResult walked = CheckMerge(mainName, job, fileSystem, library);
    const auto inTheMpd = [&](const WalkEntry& entry) { return entry.block != npos && entry.container == npos; };
    MpdOutside outside;
    outside.walked = true;
    for (std::size_t i = 1; i < walked.files.size(); ++i) {
        WalkEntry& file = walked.files[i];
        const bool outsideFile =
            !inTheMpd(file) && (file.kind == WalkEntry::Kind::Custom || file.kind == WalkEntry::Kind::Unofficial);
        // A name the MPD's own lines reference and nothing holds is their problem already.
        const bool lost = (file.kind == WalkEntry::Kind::NotFound && !inTheMpd(walked.files[file.referrer])) ||
                          file.kind == WalkEntry::Kind::Unreadable;
        if (outsideFile || lost) {
            outside.files.push_back(std::move(file));
        }
    }
    if (!cycleFound) {
        outside.cycle = std::move(walked.cycle);
    }
    return outside;
}

} // namespace

MpdCheckReport CheckMpdFile(const std::string& mpdPath, const std::string& ldrawPath, FileSystem& fileSystem,
                            const std::string& besidePath)
{
    const std::string fileName = mpdPath.substr(mpdPath.find_last_of("/\\") + 1);
    MpdCheckReport report;
    report.file = fileName;
    std::unique_ptr<Library> library;
    if (!ldrawPath.empty()) {
        // A folder that holds no library would make every library part "not found".
        if (!checkLDrawInstallation(fileSystem, ldrawPath).holds) {
            report.failure = ldrawPath + " holds no LDraw library (parts and p folders, or complete.zip).";
            return report;
        }
        if (const Status opened = openLibrary(fileSystem, ldrawPath, library); !opened) {
            report.failure = opened.reason();
            return report;
        }
    }
    std::unique_ptr<InputFile> file;
    Status opened = openFileForReading(fileSystem, mpdPath, file);
    MpdScan scan(fileName);
    if (opened) {
        opened = scan.read(*file, report.problems);
    }
    if (opened) {
        opened = markCopies(scan, mpdPath, fileSystem, report.problems);
    }
    if (!opened) {
        report = {fileName, {}, {}, {}, {}, "Cannot read " + mpdPath + ": " + opened.reason() + ".", {}};
        return report;
    }
    if (!scan.isMpd()) {
        report = {fileName, {}, {}, {}, {}, fileName + " holds no \"0 FILE\" line: it is not an .MPD file.", {}};
        return report;
    }
    const std::string beside = besidePath.empty() ? mpdPath.substr(0, mpdPath.find_last_of("/\\") + 1) : besidePath;
    Checker(scan, library.get(), fileSystem, beside.empty() ? withTrailingSeparator(".") : beside, report).run();
    report.library = ldrawPath;
    if (library) {
        // The MPD's own name in the folder a merge reads it from, as the merge is given it.
        const bool inBeside = !besidePath.empty() && mpdPath.starts_with(besidePath);
        const std::string mainName = inBeside ? mpdPath.substr(besidePath.size()) : fileName;
        const bool cycleFound = std::any_of(report.problems.begin(), report.problems.end(),
                                            [](const MpdProblem& p) { return p.code == "cycle"; });
        report.outside = walkOutside(mainName, beside.empty() ? withTrailingSeparator(".") : beside, fileSystem,
                                     *library, cycleFound);
    }
    return report;
}

} // namespace brikmux
