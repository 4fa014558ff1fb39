#pragma once

#include "render/colours.h"
#include "render/view.h"

#include <cstdint>
#include <vector>

namespace brikmux {

// A picture: width by height pixels, each four bytes R, G, B and A, row by row from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

// Where faces and edges are drawn: a colour and a depth for each pixel. A face or edge is drawn
// where it lies nearer than what is there; an opaque one then hides what lies behind, a
// see-through one is blended over it.
class Canvas {
public:
    Canvas(int width, int height, Rgba background);

    void triangle(const PicturePoint (&corners)[3], Rgba colour);
    // An edge thickness pixels wide, drawn a little in front of the faces it borders.
    void line(PicturePoint from, PicturePoint to, Rgba colour, int thickness, float lift);

    // The picture, each factor by factor square of pixels made one (anti-aliasing).
    Picture shrunk(int factor) const;

private:
    void plot(int x, int y, float depth, Rgba colour);

    int m_width;
    int m_height;
    std::vector<Rgba> m_colour;
    std::vector<float> m_depth;
};

} // namespace brikmux
