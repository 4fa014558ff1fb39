#pragma once

#include "render/geometry.h"

#include <vector>

namespace brikmux {

// Where the camera looks from: latitude and longitude in degrees, as LDraw viewers give them
// (30 and 45: from above, front right).
struct ViewAngle {
    double latitude = 30;
    double longitude = 45;
    bool perspective = false;
};

// A point of the picture: x and y in pixels (y down), depth growing away from the camera.
struct PicturePoint {
    float x = 0;
    float y = 0;
    float depth = 0;
};

// The camera: on the line from the model's centre along (sin G cos L, -sin L, -cos G cos L) in
// LDraw coordinates (-Y up, a model's front facing -Z), the picture's up being -Y, scaled so that
// the model fills a picture of width by height pixels but for margin on each side.
class View {
public:
    // points: the corners of what is drawn, in the model's coordinates.
    View(const ViewAngle& angle, const std::vector<Vec3>& points, float width, float height, float margin);

    // A point of the model in the camera's axes: right, down, away from the camera.
    Vec3 camera(Vec3 model) const
    {
        const Vec3 p{model.x - m_centre.x, model.y - m_centre.y, model.z - m_centre.z};
        return {dot(m_right, p), dot(m_down, p), dot(m_forward, p)};
    }
    // A point in the camera's axes on the picture.
    PicturePoint picture(Vec3 camera) const
    {
        if (!m_perspective) {
            return {m_offsetX + m_scale * camera.x, m_offsetY + m_scale * camera.y, camera.z};
        }
        const float depth = camera.z + m_distance;
        const float k = m_scale * m_distance / depth;
        return {m_offsetX + k * camera.x, m_offsetY + k * camera.y, depth};
    }
    // Picture pixels per model unit at the model's centre.
    float scale() const { return m_scale; }

private:
    static float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

    Vec3 m_centre;
    Vec3 m_right;
    Vec3 m_down;
    Vec3 m_forward;
    bool m_perspective = false;
    float m_distance = 1; // from the camera to the centre, in perspective
    float m_scale = 1;
    float m_offsetX = 0;
    float m_offsetY = 0;
};

} // namespace brikmux
