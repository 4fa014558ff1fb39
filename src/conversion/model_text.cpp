#include "model_text.h"

#include "paths.h"

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

} // namespace

double detail::leadingNumber(std::string_view text)
{
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) {
            ++i;
        }
    };
    skipBlanks();
    double sign = 1.0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        sign = text[i] == '-' ? -1.0 : 1.0;
        ++i;
    }
    double value = 0.0;
    double scale = 0.0; // after the decimal point: the weight of the next digit
    for (skipBlanks(); i < text.size(); ++i, skipBlanks()) {
        const char c = text[i];
        if (isDigit(c)) {
            if (scale == 0.0) {
                value = value * 10.0 + (c - '0');
            } else {
                value += (c - '0') * scale;
                scale /= 10.0;
            }
        } else if (c == '.' && scale == 0.0) {
            scale = 0.1;
        } else {
            break;
        }
    }
    return sign * value;
}

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
    return detail::leadingNumber(line.substr(0, 2)) == 1.0;
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

bool IsFileMarker(std::string_view line)
{
    return line.substr(0, 6) == "0 FILE";
}

bool hasFileMarkerName(std::string_view line)
{
    return line.size() >= 7;
}

std::string_view FileMarkerName(std::string_view line)
{
    return line.size() >= 7 ? line.substr(7) : std::string_view();
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

std::string withMpdSuffix(std::string_view name)
{
    std::string result(name);
    if (!endsWithIgnoringCase(result, ".mpd")) {
        result += ".mpd";
    }
    return result;
}

} // namespace brikmux
