#include "render/render.h"

#include "files/paths.h"
#include "library/library.h"
#include "operations/model_walk.h"
#include "render/model_scene.h"

#include <algorithm>
#include <cmath>

namespace brikmux {

namespace {

// A face's colour lit from the upper left, front: faces that turn from the light darker, both
// sides alike.
Rgba lit(Rgba colour, const Vec3 (&corner)[3])
{
    const Vec3 a{corner[1].x - corner[0].x, corner[1].y - corner[0].y, corner[1].z - corner[0].z};
    const Vec3 b{corner[2].x - corner[0].x, corner[2].y - corner[0].y, corner[2].z - corner[0].z};
    const Vec3 n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length <= 0) {
        return colour;
    }
    constexpr Vec3 kLight{-0.35F, -0.55F, -0.76F}; // towards the light: left, up, towards the camera
    const float facing = std::abs(n.x * kLight.x + n.y * kLight.y + n.z * kLight.z) / length;
    const float shade = 0.5F + 0.5F * facing;
    const auto scaled = [shade](std::uint8_t c) { return static_cast<std::uint8_t>(c * shade + 0.5F); };
    return {scaled(colour.r), scaled(colour.g), scaled(colour.b), colour.a};
}

class Drawing {
public:
    Drawing(const std::vector<Instance>& instances, const ColourTable& colours, const RenderOptions& options,
            const std::atomic<bool>* cancel)
        : m_instances(instances), m_colours(colours), m_cancel(cancel), m_factor(samplesPerSide(options)),
          m_canvas(options.width * m_factor, options.height * m_factor,
                   options.background.value_or(Rgba{255, 255, 255, 0})),
          m_view(options.angle, corners(instances), static_cast<float>(options.width * m_factor),
                 static_cast<float>(options.height * m_factor), static_cast<float>(m_factor) * marginFor(options))
    {
    }

    // False when cancelled.
    bool draw()
    {
        // Opaque faces first, then the edges over them, then see-through faces blended over all.
        for (const bool seeThrough : {false, true}) {
            for (const Instance& instance : m_instances) {
                if (cancelled()) {
                    return false;
                }
                drawFaces(instance, seeThrough);
                if (!seeThrough) {
                    drawEdges(instance);
                }
            }
        }
        return true;
    }

    Picture picture() const { return m_canvas.shrunk(m_factor); }

private:
    // Anti-aliasing, as far as it keeps to about 16 million samples (a 2000 by 2000 picture).
    static int samplesPerSide(const RenderOptions& options)
    {
        constexpr long long kMostSamples = 16LL << 20;
        int factor = std::max(1, options.antialiasing);
        const long long pixels = static_cast<long long>(options.width) * options.height;
        while (factor > 1 && pixels * factor * factor > kMostSamples) {
            --factor;
        }
        return factor;
    }

    static float marginFor(const RenderOptions& options)
    {
        return std::max(2.0F, 0.03F * static_cast<float>(std::min(options.width, options.height)));
    }

    static std::vector<Vec3> corners(const std::vector<Instance>& instances)
    {
        std::vector<Vec3> points;
        points.reserve(instances.size() * 8);
        for (const Instance& instance : instances) {
            Box placed;
            placed.add(instance.mesh->bounds, instance.transform);
            if (placed.empty()) {
                continue;
            }
            for (const float x : {placed.min.x, placed.max.x}) {
                for (const float y : {placed.min.y, placed.max.y}) {
                    for (const float z : {placed.min.z, placed.max.z}) {
                        points.push_back({x, y, z});
                    }
                }
            }
        }
        return points;
    }

    bool cancelled() const { return m_cancel != nullptr && m_cancel->load(std::memory_order_relaxed); }

    void drawFaces(const Instance& instance, bool seeThrough)
    {
        ColourCode lastCode = kEdgeOf; // no face's code
        Rgba colour;
        for (const Triangle& triangle : instance.mesh->triangles) {
            if (triangle.colour != lastCode) {
                lastCode = triangle.colour;
                colour = m_colours.face(inherit(triangle.colour, instance.colour));
            }
            if ((colour.a < 255) != seeThrough) {
                continue;
            }
            Vec3 camera[3];
            PicturePoint corners[3];
            for (int i = 0; i != 3; ++i) {
                camera[i] = m_view.camera(instance.transform.apply(triangle.v[i]));
                corners[i] = m_view.picture(camera[i]);
            }
            m_canvas.triangle(corners, lit(colour, camera));
        }
    }

    void drawEdges(const Instance& instance)
    {
        // Edges lie on their faces: drawn a little nearer, by half a model unit.
        for (const Segment& segment : instance.mesh->edges) {
            const Rgba colour = m_colours.face(inherit(segment.colour, instance.colour));
            m_canvas.line(m_view.picture(m_view.camera(instance.transform.apply(segment.v[0]))),
                          m_view.picture(m_view.camera(instance.transform.apply(segment.v[1]))), colour, m_factor,
                          0.5F);
        }
    }

    const std::vector<Instance>& m_instances;
    const ColourTable& m_colours;
    const std::atomic<bool>* m_cancel;
    int m_factor;
    Canvas m_canvas;
    View m_view;
};

} // namespace

RenderResult RenderModel(std::string_view mainName, const RenderJob& job, const RenderOptions& options,
                         FileSystem& fileSystem, const std::atomic<bool>* cancel)
{
    RenderResult result;
    if (mainName.empty()) {
        result.failure = messages::mergeWithoutMainFile().text;
        return result;
    }
    std::unique_ptr<Library> library;
    if (const Status opened = openLibrary(fileSystem, job.ldrawPath, library); !opened) {
        result.failure = opened.reason();
        return result;
    }
    // Packed, the walk hands on every file the model reaches, the library's included, each once.
    WalkOptions walkOptions;
    walkOptions.datPath = job.datPath;
    walkOptions.referenceKinds = job.referenceKinds;
    walkOptions.pack = true;
    ModelWalk walk(walkOptions, fileSystem, *library);
    ModelScene scene;
    walk.run(mainName, &scene);
    if (!walk.unreadable().empty()) {
        result.failure = messages::mergeCannotRead(walk.unreadable()).text;
        return result;
    }
    result.notFound = walk.notFound();
    const std::vector<Instance> instances = scene.instances(walk.entries().front().section);
    const ColourTable colours(library->colours());
    Drawing drawing(instances, colours, options, cancel);
    if (!drawing.draw()) {
        result.status = RenderResult::Status::Cancelled;
        return result;
    }
    result.picture = drawing.picture();
    result.status = RenderResult::Status::Drawn;
    return result;
}

std::string cannotWritePicture(std::string_view path, std::string_view reason)
{
    return "Cannot write " + std::string(path) + ": " + std::string(reason) + ".";
}

} // namespace brikmux
