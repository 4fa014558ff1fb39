#include "render/view.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace brikmux {

namespace {

Vec3 cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 normalised(Vec3 v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0 ? Vec3{v.x / length, v.y / length, v.z / length} : v;
}

} // namespace

View::View(const ViewAngle& angle, const std::vector<Vec3>& points, float width, float height, float margin)
    : m_perspective(angle.perspective)
{
    const double toRadians = std::numbers::pi / 180;
    const double l = angle.latitude * toRadians;
    const double g = angle.longitude * toRadians;
    // The camera looks along forward, from the centre's side given.
    m_forward = normalised({static_cast<float>(-std::sin(g) * std::cos(l)), static_cast<float>(std::sin(l)),
                            static_cast<float>(std::cos(g) * std::cos(l))});
    // Down is the model's +Y as seen; looking straight down (or up), as it is just short of it.
    Vec3 down{-m_forward.y * m_forward.x, 1 - m_forward.y * m_forward.y, -m_forward.y * m_forward.z};
    if (down.x * down.x + down.y * down.y + down.z * down.z < 1e-8F) {
        const float side = angle.latitude > 0 ? 1.0F : -1.0F;
        down = {side * static_cast<float>(std::sin(g)), 0, -side * static_cast<float>(std::cos(g))};
    }
    m_down = normalised(down);
    m_right = cross(m_down, m_forward);

    // A model that draws nothing is seen as one point at the origin.
    const std::vector<Vec3> origin{Vec3{}};
    const std::vector<Vec3>& seen = points.empty() ? origin : points;
    Box box;
    for (const Vec3& p : seen) {
        box.add(p);
    }
    m_centre = {(box.min.x + box.max.x) / 2, (box.min.y + box.max.y) / 2, (box.min.z + box.max.z) / 2};
    float radius = 0;
    for (const Vec3& p : seen) {
        const Vec3 c = camera(p);
        radius = std::max(radius, std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z));
    }
    // In perspective, a field of view of 30 degrees holds the sphere around the model.
    m_distance = std::max(radius, 1.0F) / static_cast<float>(std::sin(15 * toRadians));

    // The extent of the model on a picture of scale 1 centred on 0, then the scale that fits it.
    m_scale = 1;
    float left = std::numeric_limits<float>::max();
    float top = left;
    float right = -left;
    float bottom = -left;
    for (const Vec3& p : seen) {
        const PicturePoint at = picture(camera(p));
        left = std::min(left, at.x);
        right = std::max(right, at.x);
        top = std::min(top, at.y);
        bottom = std::max(bottom, at.y);
    }
    const float room = std::max(width - 2 * margin, 1.0F);
    const float roomY = std::max(height - 2 * margin, 1.0F);
    m_scale = std::min(room / std::max(right - left, 1e-3F), roomY / std::max(bottom - top, 1e-3F));
    m_offsetX = width / 2 - m_scale * (left + right) / 2;
    m_offsetY = height / 2 - m_scale * (top + bottom) / 2;
}

} // namespace brikmux
