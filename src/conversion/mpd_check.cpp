#include "mpd_check.h"

#include "model_text.h"
#include "paths.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace brikmux {

namespace {

constexpr std::size_t npos = MpdModel::npos;

std::string inQuotes(std::string_view text)
{
    std::string result = "\"";
    return result.append(text).append("\"");
}

// The fields of a line, split at blanks.
std::vector<std::string_view> fieldsOf(std::string_view line, std::size_t most)
{
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (fields.size() < most) {
        i = line.find_first_not_of(" \t", i);
        if (i == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(line.find_first_of(" \t", i), line.size());
        fields.push_back(line.substr(i, end - i));
        i = end;
    }
    return fields;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A decimal number as LDraw files write them: a sign, digits with a point, an exponent.
bool isNumber(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++digits) {
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && isDigit(text[i]); ++i, ++digits) {
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        const std::size_t start = i;
        for (; i < text.size() && isDigit(text[i]); ++i) {
        }
        if (i == start) {
            return false;
        }
    }
    return i == text.size();
}

// A colour: a number, or a direct colour written in hexadecimal ("0x2RRGGBB", "#RRGGBB").
bool isColour(std::string_view text)
{
    const std::size_t prefix = text.starts_with("0x") || text.starts_with("0X") ? 2 : text.starts_with('#') ? 1 : 0;
    if (prefix == 0) {
        return isNumber(text);
    }
    return text.size() > prefix &&
           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(prefix), text.end(),
                       [](char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); });
}

// The fields a line of each type 1 to 5 needs: numbers all, but a type 1 line's last (its file).
constexpr std::size_t kFields[] = {0, 15, 8, 11, 14, 14};

// Why a line of type 1 to 5 is not valid; empty when it is.
std::string malformed(std::string_view line, int type)
{
    const std::size_t needed = kFields[type];
    const auto fields = fieldsOf(line, needed);
    const std::string kind = "a line of type " + std::to_string(type);
    if (fields.size() < needed) {
        return kind + " needs " + std::to_string(needed) + " fields; this one has " + std::to_string(fields.size()) +
               ".";
    }
    const std::size_t numbers = type == 1 ? needed - 1 : needed;
    for (std::size_t i = 1; i < numbers; ++i) {
        if (!(i == 1 ? isColour(fields[i]) : isNumber(fields[i]))) {
            return "field " + std::to_string(i + 1) + " of " + kind + ", " + inQuotes(fields[i]) + ", is not a number.";
        }
    }
    return {};
}

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// A name with "\" written as "/", which readers take alike.
std::string slashed(std::string_view name)
{
    std::string result(name);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

// The part of a library path that names the file ("s/3001s01.dat" for "parts/s/3001s01.dat");
// empty for a name that is no library path.
std::string_view afterLibraryPath(std::string_view key)
{
    for (const std::string_view folder : {"parts/", "p/"}) {
        if (key.starts_with(folder)) {
            return key.substr(folder.size());
        }
    }
    return {};
}

// The text of a "0 Name:" line, trimmed; nothing for another line.
std::optional<std::string> nameLine(std::string_view line)
{
    const auto fields = fieldsOf(line, 2);
    if (fields.size() < 2 || fields[0] != "0" || fields[1] != "Name:") {
        return std::nullopt;
    }
    return trimmed(line.substr(static_cast<std::size_t>(fields[1].data() - line.data()) + fields[1].size()));
}

struct Edge {
    std::size_t target; // a block
    std::uint64_t line;
};

class Checker {
public:
    Checker(const MpdModel& model, Library* library, MpdCheckReport& report)
        : m_model(model), m_blocks(model.blocks()), m_library(library), m_report(report), m_edges(m_blocks.size())
    {
    }

    void run();

private:
    void problem(std::string_view code, bool error, std::size_t block, std::uint64_t line, std::string name,
                 std::string message)
    {
        m_report.problems.push_back({code, error, m_blocks[block].name, line, std::move(name), std::move(message)});
    }
    bool isDuplicate(std::size_t block) const { return m_model.find(m_blocks[block].name) != block; }
    void checkLines(std::size_t block);
    void reference(std::size_t block, std::uint64_t line, std::string_view name, bool image);
    void unresolved(const std::string& name);
    void reachability();
    void cycles();

    const MpdModel& m_model;
    const std::vector<MpdBlock>& m_blocks;
    Library* m_library;
    MpdCheckReport& m_report;
    std::vector<std::vector<Edge>> m_edges;
    std::unordered_map<std::string, int> m_libraryAnswers; // key -> what the library holds
    std::unordered_map<std::string, bool> m_unresolvedNames;
};

void Checker::run()
{
    for (const MpdBlock& block : m_blocks) {
        m_report.sections.push_back({block.name, block.line, block.kind == MpdBlock::Kind::Image, {}});
    }
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        const MpdBlock& block = m_blocks[i];
        const bool image = block.kind == MpdBlock::Kind::Image;
        if (isDuplicate(i)) {
            const MpdBlock& first = m_blocks[m_model.find(block.name)];
            problem("duplicate-section", true, i, block.line, block.name,
                    "a second block named " + inQuotes(block.name) + " (the first, " + inQuotes(first.name) +
                        ", is on line " + std::to_string(first.line) + "): readers take one or the other.");
        }
        if (image) {
            continue;
        }
        const std::string key = blockKey(block.name);
        if (m_library != nullptr && !block.unnamedMain && afterLibraryPath(key).empty() && !key.empty() &&
            m_library->IsLibraryFile(block.name)) {
            problem("shadows-library", false, i, block.line, block.name,
                    "the section " + inQuotes(block.name) +
                        " is named like a library file: some readers take the section, some the library's file.");
        }
        checkLines(i);
    }
    reachability();
    cycles();
    std::stable_sort(m_report.problems.begin(), m_report.problems.end(),
                     [](const MpdProblem& a, const MpdProblem& b) { return a.line < b.line; });
}

void Checker::checkLines(std::size_t index)
{
    const MpdBlock& block = m_blocks[index];
    bool modelLines = false;
    bool named = false;
    bool inTexmap = false;
    for (std::size_t i = block.firstLine; i < block.endLine; ++i) {
        const std::string_view line = m_model.line(i);
        const std::uint64_t number = m_model.lineNumber(i);
        const int type = LineType(line);
        if (type >= 1) {
            modelLines = true;
            if (block.unnamedMain) {
                problem("not-first", true, index, number, block.name,
                        "this line of type " + std::to_string(type) +
                            " stands before the first \"0 FILE\" line: readers that follow the MPD format drop it.");
            }
            if (std::string why = malformed(line, type); !why.empty()) {
                problem("malformed-line", true, index, number, {}, std::move(why));
            } else if (type == 1) {
                reference(index, number, SubFileName(line), false);
            }
            continue;
        }
        if (type != 0) {
            continue;
        }
        if (const std::string_view wrapped = WrappedLine(line);
            LineType(wrapped) == 1 && fieldsOf(wrapped, kFields[1]).size() == kFields[1]) {
            reference(index, number, SubFileName(wrapped), false);
            continue;
        }
        const TexmapLine texmap = ReadTexmapLine(line);
        inTexmap = texmap.kind == TexmapLine::Kind::Start || (inTexmap && texmap.kind != TexmapLine::Kind::End);
        for (const std::string_view image : texmap.images) {
            reference(index, number, image, true);
        }
        std::string_view payload;
        if (inTexmap && texmap.kind == TexmapLine::Kind::None && IsMetaDataLine(line, payload) &&
            LineType(payload) == 1 && fieldsOf(payload, kFields[1]).size() == kFields[1]) {
            reference(index, number, SubFileName(payload), false);
        }
        if (!named && !block.unnamedMain) {
            if (const auto name = nameLine(line)) {
                named = true;
                const std::string key = blockKey(block.name);
                const std::string_view file = afterLibraryPath(key).empty() ? key : afterLibraryPath(key);
                if (blockKey(*name) != file) {
                    problem("name-differs", false, index, number, block.name,
                            "the \"0 Name:\" line names " + inQuotes(*name) + ", the \"0 FILE\" line " +
                                inQuotes(block.name) + ".");
                }
            }
        }
    }
    // A library file carried by its library path is as the library has it: some are empty.
    if (!modelLines && afterLibraryPath(blockKey(block.name)).empty()) {
        problem("empty-section", false, index, block.line, block.name,
                "the section " + inQuotes(block.name) + " holds no line of type 1 to 5.");
    }
}

void Checker::reference(std::size_t block, std::uint64_t line, std::string_view spelt, bool image)
{
    const std::string name = trimmed(spelt);
    if (name.empty()) {
        return;
    }
    const std::size_t target = m_model.find(name);
    if (target != npos) {
        m_edges[block].push_back({target, line});
        auto& referencedBy = m_report.sections[target].referencedBy;
        if (std::find(referencedBy.begin(), referencedBy.end(), m_blocks[block].name) == referencedBy.end()) {
            referencedBy.push_back(m_blocks[block].name);
        }
        const std::string& section = m_blocks[target].name;
        if (slashed(name) != slashed(trimmed(section))) {
            problem("case-differs", false, block, line, name,
                    inQuotes(name) + " matches the " + (image ? "image " : "section ") + inQuotes(section) +
                        " only when letter case is ignored: readers that heed it miss it.");
        }
        return;
    }
    if (m_library == nullptr) {
        unresolved(name);
        return;
    }
    // What the library holds, asked once a name: 0 nothing, 1 an official file, 2 an unofficial one.
    const auto [answer, added] = m_libraryAnswers.try_emplace((image ? "i:" : "m:") + blockKey(name), 0);
    if (added) {
        if (image) {
            answer->second =
                !m_library->LibraryImage(name).empty() || !m_library->UnofficialImage(name).empty() ? 1 : 0;
        } else {
            answer->second = m_library->IsLibraryFile(name) ? 1 : !m_library->UnofficialFile(name).empty() ? 2 : 0;
        }
    }
    if (answer->second == 2) {
        problem("unofficial-not-embedded", false, block, line, name,
                inQuotes(name) +
                    " is a part of the library's Unofficial folders, not embedded: readers' libraries lack it.");
    } else if (answer->second == 0 && image) {
        problem("image-not-found", true, block, line, name,
                "the image " + inQuotes(name) + " has no \"0 !DATA\" block in this file and is no library image.");
    } else if (answer->second == 0) {
        problem("not-found", true, block, line, name,
                inQuotes(name) + " is neither a section of this file nor a library file.");
    }
}

void Checker::unresolved(const std::string& name)
{
    if (m_unresolvedNames.emplace(name, true).second) {
        m_report.unresolved.push_back(name);
    }
}

void Checker::reachability()
{
    const std::size_t main = m_model.mainBlock();
    std::vector<bool> reached(m_blocks.size(), false);
    std::vector<std::size_t> queue;
    if (main != npos) {
        reached[main] = true;
        queue.push_back(main);
    }
    for (std::size_t next = 0; next < queue.size(); ++next) {
        for (const Edge& edge : m_edges[queue[next]]) {
            if (!reached[edge.target]) {
                reached[edge.target] = true;
                queue.push_back(edge.target);
            }
        }
    }
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        if (!reached[i] && !isDuplicate(i)) {
            const bool image = m_blocks[i].kind == MpdBlock::Kind::Image;
            const std::string mainName = main == npos ? std::string("(none)") : inQuotes(m_blocks[main].name);
            problem("unused", false, i, m_blocks[i].line, m_blocks[i].name,
                    std::string(image ? "the image " : "the section ") + inQuotes(m_blocks[i].name) +
                        " is used by nothing that the main model " + mainName + " reaches.");
        }
    }
}

void Checker::cycles()
{
    // Depth first, without recursion (a chain may be as long as the file): a reference to a
    // section still on the path closes a cycle.
    enum class State : unsigned char { New, OnPath, Done };
    std::vector<State> state(m_blocks.size(), State::New);
    struct Frame {
        std::size_t block;
        std::size_t edge;
    };
    std::vector<Frame> path;
    for (std::size_t start = 0; start < m_blocks.size(); ++start) {
        if (state[start] != State::New || m_blocks[start].kind != MpdBlock::Kind::Model) {
            continue;
        }
        path.push_back({start, 0});
        state[start] = State::OnPath;
        while (!path.empty()) {
            Frame& frame = path.back();
            if (frame.edge == m_edges[frame.block].size()) {
                state[frame.block] = State::Done;
                path.pop_back();
                continue;
            }
            const Edge edge = m_edges[frame.block][frame.edge++];
            if (state[edge.target] == State::New) {
                state[edge.target] = State::OnPath;
                path.push_back({edge.target, 0});
            } else if (state[edge.target] == State::OnPath) {
                std::string chain;
                const auto first =
                    std::find_if(path.begin(), path.end(), [&](const Frame& f) { return f.block == edge.target; });
                for (auto at = first; at != path.end(); ++at) {
                    chain += m_blocks[at->block].name + " -> ";
                }
                chain += m_blocks[edge.target].name;
                const std::size_t from = path.back().block;
                problem("cycle", true, from, edge.line, m_blocks[edge.target].name,
                        inQuotes(m_blocks[edge.target].name) + " reaches itself: " + chain + ".");
            }
        }
    }
}

std::string counted(std::size_t count, std::string_view noun)
{
    return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

} // namespace

std::size_t MpdCheckReport::errors() const
{
    return static_cast<std::size_t>(
        std::count_if(problems.begin(), problems.end(), [](const MpdProblem& p) { return p.error; }));
}

std::size_t MpdCheckReport::warnings() const
{
    return problems.size() - errors();
}

std::string MpdCheckReport::summary() const
{
    return counted(errors(), "error") + ", " + counted(warnings(), "warning");
}

std::string MpdCheckReport::text() const
{
    std::string text;
    std::string section;
    bool first = true;
    for (const MpdProblem& p : problems) {
        if (first || p.section != section) {
            first = false;
            section = p.section;
            const auto block = std::find_if(sections.begin(), sections.end(),
                                            [&](const MpdSectionReport& s) { return s.name == section; });
            text += (block != sections.end() && block->image ? "Image " : "Section ") + inQuotes(section);
            text += block != sections.end() ? " (line " + std::to_string(block->line) + "):\n" : ":\n";
        }
        text += "  line " + std::to_string(p.line) + ": " + (p.error ? "error " : "warning ") + std::string(p.code) +
                ": " + p.message + "\n";
    }
    if (library.empty()) {
        text += "No LDraw library: references to files that are not sections were not checked";
        if (!unresolved.empty()) {
            text += "; unresolved:";
            for (const std::string& name : unresolved) {
                text += " " + name;
            }
        }
        text += ".\n";
    }
    return text + summary() + "\n";
}

MpdCheckReport CheckMpd(const MpdModel& model, std::string_view fileName, Library* library)
{
    MpdCheckReport report;
    report.file = std::string(fileName);
    Checker(model, library, report).run();
    return report;
}

MpdCheckReport CheckMpdFile(const std::string& mpdPath, const std::string& ldrawPath, FileSystem& fileSystem)
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
    MpdModel model;
    if (const Status loaded = model.load(fileSystem, mpdPath, fileName); !loaded) {
        report.failure = "Cannot read " + mpdPath + ": " + loaded.reason() + ".";
        return report;
    }
    if (!model.isMpd()) {
        report.failure = fileName + " holds no \"0 FILE\" line: it is not an .MPD file.";
        return report;
    }
    report = CheckMpd(model, fileName, library.get());
    report.library = ldrawPath;
    return report;
}

Message messages::mpdChecked(const MpdCheckReport& report)
{
    if (!report.failure.empty()) {
        return {".MPD File Check", report.failure, MessageIcon::Critical, {}};
    }
    const std::string text = report.file + ": " + report.summary() + ".";
    return {".MPD File Check", text, report.errors() > 0 ? MessageIcon::Warning : MessageIcon::Information,
            report.text()};
}

} // namespace brikmux
