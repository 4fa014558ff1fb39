#include "render/geometry.h"

#include <algorithm>
#include <iterator>

namespace brikmux {

Transform Transform::then(const Transform& inner) const
{
    Transform product;
    for (int row = 0; row < 3; ++row) {
        const float* a = m + row * 4;
        for (int column = 0; column < 4; ++column) {
            product.m[row * 4 + column] =
                a[0] * inner.m[column] + a[1] * inner.m[4 + column] + a[2] * inner.m[8 + column];
        }
        product.m[row * 4 + 3] += a[3];
    }
    return product;
}

void Box::add(Vec3 p)
{
    min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
    max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

void Box::add(const Box& box, const Transform& transform)
{
    if (box.empty()) {
        return;
    }
    for (const float x : {box.min.x, box.max.x}) {
        for (const float y : {box.min.y, box.max.y}) {
            for (const float z : {box.min.z, box.max.z}) {
                add(transform.apply({x, y, z}));
            }
        }
    }
}

void Mesh::append(const Mesh& child, const Transform& transform, ColourCode colour)
{
    // Faces and edges alike: each corner placed, the colour inherited.
    const auto place = [&](const auto& from, auto& to) {
        for (const auto& shape : from) {
            auto& placed = to.emplace_back();
            for (std::size_t i = 0; i != std::size(shape.v); ++i) {
                placed.v[i] = transform.apply(shape.v[i]);
                bounds.add(placed.v[i]);
            }
            placed.colour = inherit(shape.colour, colour);
        }
    };
    place(child.triangles, triangles);
    place(child.edges, edges);
}

} // namespace brikmux
