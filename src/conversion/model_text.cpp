#include "model_text.h"

#include "paths.h"

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
    // "1 " is by far the most common start; anything else takes the lenient reading.
    const bool typeOne =
        (line.size() >= 2 && line[0] == '1' && line[1] == ' ') || detail::leadingNumber(line.substr(0, 2)) == 1.0;
    const bool named =
        endsWithIgnoringCase(line, "dat") || (kinds == ReferenceKinds::DatAndLdr && endsWithIgnoringCase(line, "ldr"));
    return typeOne && named;
}

std::string_view SubFileName(std::string_view line)
{
    constexpr int kFieldsBeforeName = 14;
    const char* pos = line.data();
    const char* const end = pos + line.size();
    for (int field = 0; field < kFieldsBeforeName; ++field) {
        while (pos != end && isBlank(*pos)) {
            ++pos;
        }
        while (pos != end && !isBlank(*pos)) {
            ++pos;
        }
    }
    while (pos != end && isBlank(*pos)) {
        ++pos;
    }
    if (pos != end) {
        return line.substr(static_cast<std::size_t>(pos - line.data()));
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
