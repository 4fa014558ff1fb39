#include "operations/mpd_check.h"

#include "files/line_reader.h"
#include "files/paths.h"
#include "ldraw/model_text.h"
#include "ldraw/mpd_reader.h"
#include "library/name_set.h"

#include <algorithm>
#include <array>
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

// The first fields of a line, split at blanks: at most the 15 of a type 1 line.
struct Fields {
    std::array<std::string_view, 15> field;
    std::size_t count = 0;
};

Fields fieldsOf(std::string_view line, std::size_t most)
{
    Fields fields;
    std::size_t i = 0;
    while (fields.count < std::min(most, fields.field.size())) {
        i = line.find_first_not_of(" \t", i);
        if (i == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(line.find_first_of(" \t", i), line.size());
        fields.field[fields.count++] = line.substr(i, end - i);
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
    const auto needed = static_cast<std::size_t>(kFields[type]);
    const Fields fields = fieldsOf(line, needed);
    const auto kind = [type] { return "a line of type " + std::to_string(type); };
    if (fields.count < needed) {
        return kind() + " needs " + std::to_string(needed) + " fields; this one has " + std::to_string(fields.count) +
               ".";
    }
    const std::size_t numbers = type == 1 ? needed - 1 : needed;
    for (std::size_t i = 1; i < numbers; ++i) {
        if (!(i == 1 ? isColour(fields.field[i]) : isNumber(fields.field[i]))) {
            return "field " + std::to_string(i + 1) + " of " + kind() + ", " + inQuotes(fields.field[i]) +
                   ", is not a number.";
        }
    }
    return {};
}

std::string_view trimmedView(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string trimmed(std::string_view text)
{
    return std::string(trimmedView(text));
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
    const Fields fields = fieldsOf(line, 2);
    if (fields.count < 2 || fields.field[0] != "0" || fields.field[1] != "Name:") {
        return std::nullopt;
    }
    const std::string_view tag = fields.field[1];
    return trimmed(line.substr(static_cast<std::size_t>(tag.data() - line.data()) + tag.size()));
}

struct Edge {
    std::size_t target; // a block
    std::uint64_t line;
};

// A reference met while reading: its block, its name's number among the names met, its line.
struct Reference {
    std::uint32_t block;
    std::uint32_t name; // the top bit: an image's reference
    std::uint64_t line;
};
constexpr std::uint32_t kImage = std::uint32_t{1} << 31;

// Checks an MPD in two passes: one over the file, which checks each line and notes the blocks and
// the references, then one over the names met, each looked up once, and over the references.
class Checker {
public:
    Checker(std::string_view fileName, Library* library, MpdCheckReport& report)
        : m_fileName(fileName), m_library(library), m_report(report)
    {
    }

    // Reads the file; false when it holds no block (no MPD), or cannot be read.
    Status read(InputFile& file, bool& isMpd);
    void finish();

private:
    struct Block {
        std::string name;
        std::uint64_t line = 0;
        bool image = false;
        bool unnamedMain = false;
        bool modelLines = false; // a line of type 1 to 5
        bool named = false;      // its "0 Name:" line was met
        bool duplicate = false;
    };
    enum class LibraryAnswer : signed char { Unknown = -1, Official, Unofficial, Missing };

    void problem(std::string_view code, bool error, std::size_t block, std::uint64_t line, std::string name,
                 std::string message)
    {
        m_report.problems.push_back({code, error, m_blocks[block].name, line, std::move(name), std::move(message)});
    }
    void startBlock(std::string name, std::uint64_t line, bool image);
    // Ends the lines before the first block: the unnamed main model where one of them is of type
    // 1 to 5, else nothing.
    void endPreamble();
    void checkLine(std::string_view line, std::uint64_t number);
    void reference(std::uint64_t line, std::string_view spelt, bool image);
    LibraryAnswer libraryAnswer(std::string_view name, bool image);
    void resolve();
    void reachability();
    void cycles();

    std::string m_fileName;
    Library* m_library;
    MpdCheckReport& m_report;
    std::vector<Block> m_blocks;
    std::unordered_map<std::string, std::size_t> m_index; // a block's key -> the first block of that key
    bool m_inPreamble = true;
    bool m_inTexmap = false;
    NameSet m_names; // every name referenced, as spelt (trailing blanks aside)
    std::vector<Reference> m_references;
    std::vector<std::vector<Edge>> m_edges;
};

Status Checker::read(InputFile& file, bool& isMpd)
{
    LineReader reader(file);
    MpdReader mpd(reader);
    MpdReader::Item item;
    // The lines before the first block, checked as the unnamed main model they may be.
    m_blocks.push_back({unnamedMainName(m_fileName), 0, false, true});
    while (mpd.next(item)) {
        using Type = MpdReader::Item::Type;
        if (item.type == Type::Line) {
            if (item.block == MpdReader::Block::Section || item.block == MpdReader::Block::Preamble) {
                if (m_blocks.back().line == 0) {
                    m_blocks.back().line = item.number;
                }
                checkLine(item.line, item.number);
            }
            continue;
        }
        if (m_inPreamble) {
            endPreamble();
        }
        if (item.type == Type::SectionStart || item.type == Type::DataStart) {
            startBlock(std::string(item.name), item.number, item.type == Type::DataStart);
        }
    }
    isMpd = !m_inPreamble;
    return reader.status();
}

void Checker::endPreamble()
{
    m_inPreamble = false;
    if (!m_blocks.front().modelLines) {
        // No unnamed main model: the references its lines made go with it (lines of types 1 to 5
        // alone give problems there).
        m_blocks.clear();
        m_references.clear();
    } else {
        m_index.emplace(blockKey(m_blocks.front().name), 0);
    }
}

void Checker::startBlock(std::string name, std::uint64_t line, bool image)
{
    m_inTexmap = false;
    Block block{std::move(name), line, image};
    const auto [first, added] = m_index.try_emplace(blockKey(block.name), m_blocks.size());
    block.duplicate = !added;
    m_blocks.push_back(std::move(block));
    if (!added) {
        const Block& earlier = m_blocks[first->second];
        const std::string& later = m_blocks.back().name;
        problem("duplicate-section", true, m_blocks.size() - 1, line, later,
                "a second block named " + inQuotes(later) + " (the first, " + inQuotes(earlier.name) + ", is on line " +
                    std::to_string(earlier.line) + "): readers take one or the other.");
    }
}

void Checker::checkLine(std::string_view line, std::uint64_t number)
{
    Block& block = m_blocks.back();
    const std::size_t index = m_blocks.size() - 1;
    const int type = LineType(line);
    if (type >= 1) {
        block.modelLines = true;
        if (block.unnamedMain) {
            problem("not-first", true, index, number, block.name,
                    "this line of type " + std::to_string(type) +
                        " stands before the first \"0 FILE\" line: readers that follow the MPD format drop it.");
        }
        if (std::string why = malformed(line, type); !why.empty()) {
            problem("malformed-line", true, index, number, {}, std::move(why));
        } else if (type == 1) {
            reference(number, SubFileName(line), false);
        }
        return;
    }
    if (type != 0) {
        return;
    }
    if (const std::string_view wrapped = WrappedLine(line);
        LineType(wrapped) == 1 && fieldsOf(wrapped, kFields[1]).count == kFields[1]) {
        reference(number, SubFileName(wrapped), false);
        return;
    }
    const TexmapLine texmap = ReadTexmapLine(line);
    m_inTexmap = texmap.kind == TexmapLine::Kind::Start || (m_inTexmap && texmap.kind != TexmapLine::Kind::End);
    for (const std::string_view image : texmap.images) {
        reference(number, image, true);
    }
    std::string_view payload;
    if (m_inTexmap && texmap.kind == TexmapLine::Kind::None && IsMetaDataLine(line, payload) &&
        LineType(payload) == 1 && fieldsOf(payload, kFields[1]).count == kFields[1]) {
        reference(number, SubFileName(payload), false);
    }
    if (!block.named && !block.unnamedMain) {
        if (const auto name = nameLine(line)) {
            block.named = true;
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

void Checker::reference(std::uint64_t line, std::string_view spelt, bool image)
{
    const std::string_view name = trimmedView(spelt);
    if (!name.empty()) {
        const auto number = static_cast<std::uint32_t>(m_names.add(name).first);
        m_references.push_back({static_cast<std::uint32_t>(m_blocks.size() - 1), number | (image ? kImage : 0), line});
    }
}

Checker::LibraryAnswer Checker::libraryAnswer(std::string_view name, bool image)
{
    if (image) {
        return !m_library->LibraryImage(name).empty() || !m_library->UnofficialImage(name).empty()
                   ? LibraryAnswer::Official
                   : LibraryAnswer::Missing;
    }
    if (m_library->IsLibraryFile(name)) {
        return LibraryAnswer::Official;
    }
    return m_library->UnofficialFile(name).empty() ? LibraryAnswer::Missing : LibraryAnswer::Unofficial;
}

void Checker::finish()
{
    for (const Block& block : m_blocks) {
        m_report.sections.push_back({block.name, block.line, block.image, {}});
    }
    m_edges.resize(m_blocks.size());
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        const std::string key = blockKey(m_blocks[i].name);
        if (m_library != nullptr && !m_blocks[i].image && !m_blocks[i].unnamedMain && afterLibraryPath(key).empty() &&
            !key.empty() && m_library->IsLibraryFile(m_blocks[i].name)) {
            problem("shadows-library", false, i, m_blocks[i].line, m_blocks[i].name,
                    "the section " + inQuotes(m_blocks[i].name) +
                        " is named like a library file: some readers take the section, some the library's file.");
        }
    }
    resolve();
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        // A library file carried by its library path is as the library has it: some are empty.
        const Block& block = m_blocks[i];
        if (!block.image && !block.modelLines && afterLibraryPath(blockKey(block.name)).empty()) {
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
    std::vector<std::size_t> target(m_names.size(), npos);
    std::vector<bool> exact(m_names.size(), true);
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (const auto found = m_index.find(blockKey(m_names[i])); found != m_index.end()) {
            target[i] = found->second;
            exact[i] = slashed(m_names[i]) == slashed(trimmedView(m_blocks[found->second].name));
        }
    }
    std::array<std::vector<LibraryAnswer>, 2> answers;
    answers.fill(std::vector<LibraryAnswer>(m_names.size(), LibraryAnswer::Unknown));
    std::vector<bool> listed(m_library == nullptr ? m_names.size() : 0, false);
    for (const Reference& reference : m_references) {
        const std::size_t number = reference.name & ~kImage;
        const bool image = (reference.name & kImage) != 0;
        const std::string_view name = m_names[number];
        if (target[number] != npos) {
            m_edges[reference.block].push_back({target[number], reference.line});
            auto& referencedBy = m_report.sections[target[number]].referencedBy;
            const std::string& referrer = m_blocks[reference.block].name;
            if (std::find(referencedBy.begin(), referencedBy.end(), referrer) == referencedBy.end()) {
                referencedBy.push_back(referrer);
            }
            if (!exact[number]) {
                problem("case-differs", false, reference.block, reference.line, std::string(name),
                        inQuotes(name) + " matches the " + (image ? "image " : "section ") +
                            inQuotes(m_blocks[target[number]].name) +
                            " only when letter case is ignored: readers that heed it miss it.");
            }
            continue;
        }
        if (m_library == nullptr) {
            if (!listed[number]) {
                listed[number] = true;
                m_report.unresolved.emplace_back(name);
            }
            continue;
        }
        LibraryAnswer& answer = answers[image ? 1 : 0][number];
        if (answer == LibraryAnswer::Unknown) {
            answer = libraryAnswer(name, image);
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
    std::size_t main = npos;
    for (std::size_t i = 0; i < m_blocks.size() && main == npos; ++i) {
        main = m_blocks[i].image ? npos : i;
    }
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
    const std::string mainName = main == npos ? std::string("(none)") : inQuotes(m_blocks[main].name);
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        if (!reached[i] && !m_blocks[i].duplicate) {
            problem("unused", false, i, m_blocks[i].line, m_blocks[i].name,
                    std::string(m_blocks[i].image ? "the image " : "the section ") + inQuotes(m_blocks[i].name) +
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
        if (state[start] != State::New || m_blocks[start].image) {
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
                problem("cycle", true, path.back().block, edge.line, m_blocks[edge.target].name,
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
    // Each section's heading, looked up by name (the first of a name, as references take it).
    std::unordered_map<std::string_view, const MpdSectionReport*> byName;
    for (const MpdSectionReport& section : sections) {
        byName.emplace(section.name, &section);
    }
    std::string text;
    std::string section;
    bool first = true;
    for (const MpdProblem& p : problems) {
        if (first || p.section != section) {
            first = false;
            section = p.section;
            const auto block = byName.find(section);
            const bool known = block != byName.end();
            text += (known && block->second->image ? "Image " : "Section ") + inQuotes(section);
            text += known ? " (line " + std::to_string(block->second->line) + "):\n" : ":\n";
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
    std::unique_ptr<InputFile> file;
    Status opened = openFileForReading(fileSystem, mpdPath, file);
    Checker checker(fileName, library.get(), report);
    bool isMpd = false;
    if (opened) {
        opened = checker.read(*file, isMpd);
    }
    if (!opened) {
        report = {fileName, {}, {}, {}, {}, "Cannot read " + mpdPath + ": " + opened.reason() + "."};
        return report;
    }
    if (!isMpd) {
        report = {fileName, {}, {}, {}, {}, fileName + " holds no \"0 FILE\" line: it is not an .MPD file."};
        return report;
    }
    checker.finish();
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
