#pragma once

#include "render/geometry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brikmux {

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
    bool operator==(const Rgba&) const = default;
};

// "#RRGGBB" (or "RRGGBB"): false for anything else.
bool readHexColour(std::string_view text, Rgba& colour);

// The colours of a library's LDConfig.ldr: each code's colour, its edge colour and its alpha.
// Direct colours (0x2RRGGBB opaque, 0x3RRGGBB see-through) need no table.
class ColourTable {
public:
    // From the "0 !COLOUR" lines; a line it cannot read is passed over.
    explicit ColourTable(const std::vector<std::string>& colourLines);

    // The colour a face of code is drawn in; 16 (a model's own colour) is Light Grey, 7.
    Rgba face(ColourCode code) const;
    // The colour an edge of code is drawn in.
    Rgba edge(ColourCode code) const;

private:
    struct Entry {
        Rgba face;
        Rgba edge;
    };
    const Entry* find(ColourCode code) const;

    std::unordered_map<ColourCode, Entry> m_colours;
};

// A colour code as a model line writes it: decimal, 0x2RRGGBB, or #RRGGBB (a direct colour);
// false for anything else.
bool readColourCode(std::string_view text, ColourCode& code);

} // namespace brikmux
