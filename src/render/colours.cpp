#include "render/colours.h"

#include <charconv>
#include <sstream>

namespace brikmux {

namespace {

// What a line of a model is drawn in where LDConfig.ldr says nothing of its code.
constexpr Rgba kUnknown{128, 128, 128, 255};
constexpr Rgba kUnknownEdge{51, 51, 51, 255};
constexpr ColourCode kDefaultColour = 7; // Light Grey: the colour of a model placed in 16

bool readHex(std::string_view text, std::uint32_t& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

Rgba fromRgb(std::uint32_t rgb, std::uint8_t alpha)
{
    return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb),
            alpha};
}

// A direct colour's edge: the colour darkened, as viewers draw it.
Rgba darker(Rgba colour)
{
    const auto third = [](std::uint8_t c) { return static_cast<std::uint8_t>(c / 3); };
    return {third(colour.r), third(colour.g), third(colour.b), 255};
}

} // namespace

bool readHexColour(std::string_view text, Rgba& colour)
{
    if (text.starts_with('#')) {
        text.remove_prefix(1);
    }
    std::uint32_t rgb = 0;
    if (text.size() != 6 || !readHex(text, rgb)) {
        return false;
    }
    colour = fromRgb(rgb, 255);
    return true;
}

bool readColourCode(std::string_view text, ColourCode& code)
{
    if (text.starts_with("0x") || text.starts_with("0X")) {
        return text.size() == 9 && readHex(text.substr(2), code);
    }
    if (text.starts_with('#')) {
        std::uint32_t rgb = 0;
        if (text.size() != 7 || !readHex(text.substr(1), rgb)) {
            return false;
        }
        code = 0x2000000U | rgb;
        return true;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
    return error == std::errc() && end == text.data() + text.size() && code < kEdgeOf;
}

ColourTable::ColourTable(const std::vector<std::string>& colourLines)
{
    // "0 !COLOUR name CODE x VALUE v EDGE e [ALPHA a] ...", the edge a value or another code.
    std::vector<std::pair<ColourCode, std::string>> edgeCodes;
    for (const std::string& line : colourLines) {
        std::istringstream words(line);
        std::string word;
        ColourCode code = 0;
        bool haveCode = false;
        bool haveValue = false;
        Entry entry{kUnknown, kUnknownEdge};
        std::string edgeCode;
        while (words >> word) {
            std::string value;
            if (word == "CODE" && words >> value) {
                haveCode = readColourCode(value, code);
            } else if (word == "VALUE" && words >> value) {
                haveValue = readHexColour(value, entry.face);
            } else if (word == "EDGE" && words >> value) {
                if (!readHexColour(value, entry.edge)) {
                    edgeCode = value;
                }
            } else if (word == "ALPHA" && words >> value) {
                unsigned alpha = 255;
                std::from_chars(value.data(), value.data() + value.size(), alpha);
                entry.face.a = static_cast<std::uint8_t>(alpha > 255 ? 255 : alpha);
            }
        }
        if (haveCode && haveValue) {
            m_colours[code] = entry;
            if (!edgeCode.empty()) {
                edgeCodes.emplace_back(code, edgeCode);
            }
        }
    }
    for (const auto& [code, edgeText] : edgeCodes) {
        ColourCode edge = 0;
        if (readColourCode(edgeText, edge)) {
            if (const Entry* other = find(edge)) {
                m_colours[code].edge = other->face;
            }
        }
    }
}

const ColourTable::Entry* ColourTable::find(ColourCode code) const
{
    const auto found = m_colours.find(code);
    return found != m_colours.end() ? &found->second : nullptr;
}

Rgba ColourTable::face(ColourCode code) const
{
    if ((code & kEdgeOf) != 0) {
        return edge(code & ~kEdgeOf);
    }
    if (code == kMainColour) {
        code = kDefaultColour;
    } else if (code == kEdgeColour) {
        return edge(kDefaultColour);
    }
    if (const Entry* entry = find(code)) {
        return entry->face;
    }
    const std::uint32_t kind = code >> 24;
    if (kind == 2 || kind == 3) {
        return fromRgb(code & 0xFFFFFFU, kind == 2 ? 255 : 128);
    }
    return kUnknown;
}

Rgba ColourTable::edge(ColourCode code) const
{
    code &= ~kEdgeOf;
    if (code == kMainColour || code == kEdgeColour) {
        code = kDefaultColour;
    }
    if (const Entry* entry = find(code)) {
        return entry->edge;
    }
    const std::uint32_t kind = code >> 24;
    if (kind == 2 || kind == 3) {
        return darker(fromRgb(code & 0xFFFFFFU, 255));
    }
    return kUnknownEdge;
}

} // namespace brikmux
