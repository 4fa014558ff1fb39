#pragma once

#include <cstdint>
#include <limits>
#include <vector>

namespace brikmux {

struct Vec3 {
    float x = 0;
    float y = 0;
    float z = 0;
};

// An LDraw placement: x' = a x + b y + c z + X, as a type 1 line gives it (X Y Z, then a to i).
struct Transform {
    float m[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}; // rows of the 3x3 matrix, each with its offset last

    Vec3 apply(Vec3 p) const
    {
        return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3], m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
                m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
    }
    // This placement applied after inner.
    Transform then(const Transform& inner) const;
};

// A colour code as a model line gives it (a code of LDConfig.ldr, or a direct colour 0x2RRGGBB),
// or kEdgeOf with the code whose edge colour it is.
using ColourCode = std::uint32_t;
inline constexpr ColourCode kMainColour = 16;
inline constexpr ColourCode kEdgeColour = 24;
inline constexpr ColourCode kEdgeOf = 1U << 31;

// The colour a file's code takes where the file is placed in colour: 16 is the placement's
// colour, 24 its edge colour.
inline ColourCode inherit(ColourCode code, ColourCode placement)
{
    if (code == kMainColour) {
        return placement;
    }
    if (code == kEdgeColour && placement != kMainColour) {
        return (placement & kEdgeOf) != 0 ? placement : (placement | kEdgeOf);
    }
    return code;
}

struct Triangle {
    Vec3 v[3];
    ColourCode colour = kMainColour;
};

struct Segment {
    Vec3 v[2];
    ColourCode colour = kEdgeColour;
};

struct Box {
    Vec3 min{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(), std::numeric_limits<float>::max()};
    Vec3 max{-std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
             -std::numeric_limits<float>::max()};

    bool empty() const { return min.x > max.x; }
    void add(Vec3 p);
    void add(const Box& box, const Transform& transform); // its eight corners, placed
};

// The faces and edges of a file with everything it references, in the file's own coordinates.
struct Mesh {
    std::vector<Triangle> triangles;
    std::vector<Segment> edges;
    Box bounds;

    // Adds child placed by transform in colour.
    void append(const Mesh& child, const Transform& transform, ColourCode colour);
};

} // namespace brikmux
