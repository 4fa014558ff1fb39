#include "ldraw/model_text.h"

#include "files/paths.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace brikmux {

namespace {

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The line type as a lenient reader takes it from a line's first two characters: blanks passed
// over, an optional sign, then digits up to the first other character; anything else is 0. (A
// decimal point there could only add a fraction to one digit or start one: never type 1.)
int leadingLineType(std::string_view line)
{
    std::string_view text = line.substr(0, 2);
    const auto skipBlanks = [&text] { text.remove_prefix(std::min(text.find_first_not_of(" \t\n"), text.size())); };
    skipBlanks();
    int sign = 1;
    if (text.starts_with('+') || text.starts_with('-')) {
        sign = text.starts_with('-') ? -1 : 1;
        text.remove_prefix(1);
    }
    int value = 0;
    for (skipBlanks(); !text.empty() && isDigit(text.front()); skipBlanks()) {
        value = value * 10 + (text.front() - '0');
        text.remove_prefix(1);
    }
    return sign * value;
}

} // namespace

bool IsSubFileReference(std::string_view line, ReferenceKinds kinds)
{
    // Both tests are pure; the cheaper one, the ending, rules out most other lines first.
    const bool named = kinds == ReferenceKinds::Any || endsWithIgnoringCase(line, "dat") ||
                       (kinds == ReferenceKinds::DatAndLdr && endsWithIgnoringCase(line, "ldr"));
    if (!named) {
        return false;
    }
    // A digit and a blank, by far the most common start, read as that digit; anything else takes
    // the lenient reading.
    if (line.size() >= 2 && isDigit(line[0]) && isBlank(line[1])) {
        return line[0] == '1';
    }
    return leadingLineType(line) == 1;
}

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// The high bit of each of eight bytes that is zero, exactly: no carry crosses from one byte into
// the next, as it would with the shorter (v - 0x01...) & ~v trick.
constexpr std::uint64_t zeroBytes(std::uint64_t v)
{
    constexpr std::uint64_t kLowBits = ~kHighBits;
    return ~(((v & kLowBits) + kLowBits) | v | kLowBits);
}

// The high bit of each of eight bytes that is a blank.
constexpr std::uint64_t blankBytes(std::uint64_t bytes)
{
    return zeroBytes(bytes ^ 0x2020202020202020ULL) | zeroBytes(bytes ^ 0x0909090909090909ULL);
}

} // namespace

std::string_view SubFileName(std::string_view line)
{
    // The name is where the fifteenth field begins, after line type, colour, position and matrix.
    // A field begins at a non-blank that follows a blank or the line's start. They are counted
    // eight bytes at a time (the line's hot spot in a merge), then a byte at a time.
    constexpr int kFieldsBeforeName = 14;
    int fields = 0;
    std::uint64_t blankBefore = 0x80; // the line's start counts as a blank, in byte 0's high bit
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= line.size(); i += 8) {
            std::uint64_t bytes = 0;
            std::memcpy(&bytes, line.data() + i, sizeof bytes);
            const std::uint64_t blanks = blankBytes(bytes);
            std::uint64_t starts = ~blanks & ((blanks << 8) | blankBefore) & kHighBits;
            blankBefore = blanks >> 56;
            // Each start is one high bit; the lowest is dropped after it is counted.
            for (; starts != 0; starts &= starts - 1) {
                if (fields++ == kFieldsBeforeName) {
                    return line.substr(i + static_cast<std::size_t>(std::countr_zero(starts)) / 8);
                }
            }
        }
    }
    for (bool blank = blankBefore != 0; i < line.size(); ++i) {
        if (!isBlank(line[i]) && blank && fields++ == kFieldsBeforeName) {
            return line.substr(i);
        }
        blank = isBlank(line[i]);
    }
    // Too few fields for a full reference: the name is what follows the last blank.
    const auto lastBlank = line.find_last_of(" \t");
    return lastBlank == std::string_view::npos ? line : line.substr(lastBlank + 1);
}

int LineType(std::string_view line)
{
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return -1;
    }
    const char type = line[start];
    const bool alone = start + 1 == line.size() || isBlank(line[start + 1]);
    return alone && type >= '0' && type <= '5' ? type - '0' : -1;
}

std::string_view WrappedLine(std::string_view line)
{
    // Asked of every comment line a merge reads: most are told apart by their length or their
    // third character.
    constexpr std::size_t kShortest = std::string_view("0 GHOST 1").size();
    const auto first = line.empty() || !isBlank(line[0]) ? 0 : line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line.size() - first < kShortest ||
        (line[first + 2] != 'G' && line[first + 2] != 'M' && !isBlank(line[first + 2]))) {
        return {};
    }
    // "0", then the words of the wrapper, each after blanks; the wrapped line after blanks.
    auto word = [&line](std::string_view expected) {
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        if (!line.starts_with(expected) || line.size() == expected.size() || !isBlank(line[expected.size()])) {
            return false;
        }
        line.remove_prefix(expected.size());
        return true;
    };
    if (!word("0") || !(word("GHOST") || (word("MLCAD") && word("HIDE")))) {
        return {};
    }
    return line.substr(std::min(line.size(), line.find_first_not_of(" \t")));
}

bool IsFileMarker(std::string_view line)
{
    return line.substr(0, 6) == "0 FILE";
}

bool StartsSection(std::string_view line)
{
    return IsFileMarker(line) && line.size() > 7 && isBlank(line[6]) && !isBlankLine(line.substr(7));
}

bool hasFileMarkerName(std::string_view line)
{
    return line.size() >= 7;
}

std::string_view FileMarkerName(std::string_view line)
{
    return line.size() >= 7 ? line.substr(7) : std::string_view();
}

bool IsDataMarker(std::string_view line)
{
    return line.starts_with("0 !DATA ");
}

std::string_view DataMarkerName(std::string_view line)
{
    std::string_view name = line.substr(std::min<std::size_t>(line.size(), 8));
    const auto last = name.find_last_not_of(" \t");
    return last == std::string_view::npos ? std::string_view() : name.substr(0, last + 1);
}

bool IsNoFileMarker(std::string_view line)
{
    return line.starts_with("0 NOFILE") && isBlankLine(line.substr(8));
}

bool isBlankLine(std::string_view line)
{
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

namespace {

// Moves past the blanks at the start of text.
std::string_view skipBlanks(std::string_view text)
{
    const auto start = text.find_first_not_of(" \t");
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

// Takes the next field from text: a run of non-blanks, or text within quotation marks (without
// them). Empty at the end of text.
std::string_view nextField(std::string_view& text)
{
    text = skipBlanks(text);
    if (text.starts_with('"')) {
        const auto close = text.find('"', 1);
        const std::string_view field = text.substr(1, close == std::string_view::npos ? text.npos : close - 1);
        text = close == std::string_view::npos ? std::string_view() : text.substr(close + 1);
        return field;
    }
    const auto end = std::min(text.find_first_of(" \t"), text.size());
    const std::string_view field = text.substr(0, end);
    text.remove_prefix(end);
    return field;
}

} // namespace

bool IsMetaDataLine(std::string_view line, std::string_view& payload)
{
    line = skipBlanks(line);
    // The data may follow the colon directly ("0 !:iVBOR..."), as some editors write it.
    if (!line.starts_with("0 !:")) {
        return false;
    }
    payload = line.substr(4);
    return true;
}

TexmapLine ReadTexmapLine(std::string_view line)
{
    TexmapLine texmap;
    line = skipBlanks(line);
    if (!line.starts_with("0 !TEXMAP") || (line.size() > 9 && !isBlank(line[9]))) {
        return texmap;
    }
    std::string_view rest = line.substr(9);
    const std::string_view action = nextField(rest);
    if (action == "END") {
        texmap.kind = TexmapLine::Kind::End;
    } else if (action == "START" || action == "NEXT") {
        texmap.kind = action == "START" ? TexmapLine::Kind::Start : TexmapLine::Kind::Next;
        const std::string_view method = nextField(rest);
        const int numbers = method == "PLANAR" ? 9 : method == "CYLINDRICAL" ? 10 : method == "SPHERICAL" ? 11 : -1;
        if (numbers < 0) {
            return texmap;
        }
        for (int i = 0; i < numbers; ++i) {
            nextField(rest);
        }
        if (const std::string_view image = nextField(rest); !image.empty()) {
            texmap.images.push_back(image);
            if (nextField(rest) == "GLOSSMAP") {
                if (const std::string_view gloss = nextField(rest); !gloss.empty()) {
                    texmap.images.push_back(gloss);
                }
            }
        }
    }
    return texmap;
}

std::string fileMarkerLine(std::string_view name)
{
    std::string line = "0 FILE ";
    line += name;
    return line;
}

std::string mpdNameFor(std::string_view datName)
{
    return std::string(datName.substr(0, datName.find('.'))) + ".mpd";
}

std::vector<std::string> mpdHeader(std::string_view authorName)
{
    return {
        "0 MPD Author: " + std::string(authorName),
        "0",
        "0 This .MPD was compiled using Brikmux",
        "0 " + std::string(kHomePage),
        "0",
    };
}

std::string unnamedMainName(std::string_view mpdName)
{
    const auto dot = mpdName.find_last_of('.');
    const auto separator = mpdName.find_last_of("/\\");
    const bool extension = dot != std::string_view::npos && (separator == std::string_view::npos || dot > separator);
    return std::string(extension ? mpdName.substr(0, dot) : mpdName) + ".ldr";
}

std::string mergedMpdName(std::string_view mpdName, bool pack)
{
    std::string name(mpdName.substr(mpdName.find_last_of("/\\") + 1));
    if (endsWithIgnoringCase(name, ".mpd")) {
        name.resize(name.size() - 4);
    }
    return name + (pack ? "_Packed.mpd" : "_Merged.mpd");
}

std::string withMpdSuffix(std::string_view name)
{
    std::string result(name);
    if (!endsWithIgnoringCase(result, ".mpd")) {
        result += ".mpd";
    }
    return result;
}

std::string_view trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string_view afterLibraryFolder(std::string_view key)
{
    for (const std::string_view folder : {"parts/", "p/"}) {
        if (key.starts_with(folder)) {
            return key.substr(folder.size());
        }
    }
    return {};
}

} // namespace brikmux
