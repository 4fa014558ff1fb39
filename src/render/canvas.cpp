#include "render/canvas.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace brikmux {

namespace {

// src over dst, their alphas included.
Rgba blend(Rgba src, Rgba dst)
{
    const float a = static_cast<float>(src.a) / 255;
    const float b = static_cast<float>(dst.a) / 255 * (1 - a);
    const float out = a + b;
    if (out <= 0) {
        return {0, 0, 0, 0};
    }
    const auto mix = [&](std::uint8_t s, std::uint8_t d) {
        return static_cast<std::uint8_t>(std::lround((static_cast<float>(s) * a + static_cast<float>(d) * b) / out));
    };
    return {mix(src.r, dst.r), mix(src.g, dst.g), mix(src.b, dst.b), static_cast<std::uint8_t>(std::lround(out * 255))};
}

} // namespace

Canvas::Canvas(int width, int height, Rgba background)
    : m_width(width), m_height(height),
      m_colour(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), background),
      m_depth(m_colour.size(), std::numeric_limits<float>::max())
{
}

void Canvas::plot(int x, int y, float depth, Rgba colour)
{
    const std::size_t at =
        static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x);
    if (depth >= m_depth[at]) {
        return;
    }
    if (colour.a == 255) {
        m_colour[at] = colour;
        m_depth[at] = depth;
    } else {
        m_colour[at] = blend(colour, m_colour[at]);
    }
}

void Canvas::triangle(const PicturePoint (&p)[3], Rgba colour)
{
    // Pixels whose centres lie inside (either winding): on each row, the span where all three
    // edge functions are at least 0, the depth stepped along it.
    const float minX = std::min({p[0].x, p[1].x, p[2].x});
    const float maxX = std::max({p[0].x, p[1].x, p[2].x});
    const float minY = std::min({p[0].y, p[1].y, p[2].y});
    const float maxY = std::max({p[0].y, p[1].y, p[2].y});
    const int x0 = std::max(0, static_cast<int>(std::ceil(minX - 0.5F)));
    const int x1 = std::min(m_width - 1, static_cast<int>(std::floor(maxX - 0.5F)));
    const int y0 = std::max(0, static_cast<int>(std::ceil(minY - 0.5F)));
    const int y1 = std::min(m_height - 1, static_cast<int>(std::floor(maxY - 0.5F)));
    if (x0 > x1 || y0 > y1) {
        return; // no pixel's centre inside its bounds
    }
    const float area = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
    if (std::abs(area) < 1e-12F) {
        return;
    }
    const float sign = std::copysign(1.0F, area);
    const float inverse = 1 / std::abs(area);
    // Edge i is opposite corner i: its function is corner i's weight times the area.
    float dx[3];
    float dy[3];
    float start[3];
    const float px = static_cast<float>(x0) + 0.5F;
    const float py = static_cast<float>(y0) + 0.5F;
    for (int i = 0; i != 3; ++i) {
        const PicturePoint& a = p[(i + 1) % 3];
        const PicturePoint& b = p[(i + 2) % 3];
        dx[i] = sign * (a.y - b.y);
        dy[i] = sign * (b.x - a.x);
        start[i] = sign * ((b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x));
    }
    const float depthStepX = (dx[0] * p[0].depth + dx[1] * p[1].depth + dx[2] * p[2].depth) * inverse;
    const bool opaque = colour.a == 255;
    const auto width = static_cast<float>(x1 - x0 + 1);
    for (int y = y0; y <= y1; ++y) {
        int first = x0;
        int last = x1;
        for (int i = 0; i < 3 && first <= last; ++i) {
            // Where the edge function, rising or falling along the row, is 0 (kept within the row).
            if (dx[i] > 0) {
                first = std::max(first, x0 + static_cast<int>(std::ceil(std::clamp(-start[i] / dx[i], -1.0F, width))));
            } else if (dx[i] < 0) {
                last = std::min(last, x0 + static_cast<int>(std::floor(std::clamp(start[i] / -dx[i], -1.0F, width))));
            } else if (start[i] < 0) {
                last = first - 1;
            }
        }
        if (first <= last) {
            const float offset = static_cast<float>(first - x0);
            float depth = ((start[0] + dx[0] * offset) * p[0].depth + (start[1] + dx[1] * offset) * p[1].depth +
                           (start[2] + dx[2] * offset) * p[2].depth) *
                          inverse;
            const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
            for (std::size_t at = row + static_cast<std::size_t>(first); at <= row + static_cast<std::size_t>(last);
                 ++at, depth += depthStepX) {
                if (depth < m_depth[at]) {
                    if (opaque) {
                        m_colour[at] = colour;
                        m_depth[at] = depth;
                    } else {
                        m_colour[at] = blend(colour, m_colour[at]);
                    }
                }
            }
        }
        start[0] += dy[0];
        start[1] += dy[1];
        start[2] += dy[2];
    }
}

void Canvas::line(PicturePoint from, PicturePoint to, Rgba colour, int thickness, float lift)
{
    const float length = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
    const int steps = std::max(1, static_cast<int>(std::ceil(length)));
    if (steps > 4 * (m_width + m_height)) {
        return; // an edge reaching far off the picture: left out rather than stepped along
    }
    const float half = static_cast<float>(thickness) / 2;
    for (int i = 0; i <= steps; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(steps);
        const float x = from.x + (to.x - from.x) * t - half;
        const float y = from.y + (to.y - from.y) * t - half;
        const float depth = from.depth + (to.depth - from.depth) * t - lift;
        const int left = static_cast<int>(std::lround(x));
        const int top = static_cast<int>(std::lround(y));
        for (int v = std::max(0, top); v < std::min(m_height, top + thickness); ++v) {
            for (int u = std::max(0, left); u < std::min(m_width, left + thickness); ++u) {
                plot(u, v, depth, colour);
            }
        }
    }
}

Picture Canvas::shrunk(int factor) const
{
    Picture picture;
    picture.width = m_width / factor;
    picture.height = m_height / factor;
    picture.rgba.resize(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 4);
    const auto samples = static_cast<unsigned>(factor * factor);
    std::uint8_t* out = picture.rgba.data();
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            // Colours weighted by their alpha, so that a transparent background does not darken them.
            unsigned r = 0;
            unsigned g = 0;
            unsigned b = 0;
            unsigned a = 0;
            for (int v = 0; v < factor; ++v) {
                const Rgba* row =
                    &m_colour[static_cast<std::size_t>(y * factor + v) * static_cast<std::size_t>(m_width) +
                              static_cast<std::size_t>(x * factor)];
                for (int u = 0; u < factor; ++u) {
                    r += row[u].r * row[u].a;
                    g += row[u].g * row[u].a;
                    b += row[u].b * row[u].a;
                    a += row[u].a;
                }
            }
            const unsigned weight = std::max(a, 1U);
            *out++ = static_cast<std::uint8_t>((r + weight / 2) / weight);
            *out++ = static_cast<std::uint8_t>((g + weight / 2) / weight);
            *out++ = static_cast<std::uint8_t>((b + weight / 2) / weight);
            *out++ = static_cast<std::uint8_t>((a + samples / 2) / samples);
        }
    }
    return picture;
}

} // namespace brikmux
