#pragma once

#include "operations/model_walk.h"
#include "render/geometry.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brikmux {

// One placement of a library file (with everything it references) in the model.
struct Instance {
    const Mesh* mesh = nullptr;
    Transform transform;
    ColourCode colour = kMainColour;
};

// The model's geometry as a packed walk hands on its sections: each section's own lines of
// types 1 to 4 read once. A library file, with all it references, becomes one mesh, made once
// however often the model places it; the model's own files are followed placement by placement.
class ModelScene final : public ModelWalk::LineSink {
public:
    void beginFile(const WalkEntry& entry, std::size_t index) override;
    void line(std::string_view line) override;

    // Every library file that the section named main places, directly or through the model's
    // files, in the model's coordinates; the model's own faces and edges too, each file's as one.
    std::vector<Instance> instances(std::string_view main);

private:
    struct Placement {
        std::uint32_t section = 0;
        Transform transform;
        ColourCode colour = kMainColour;
    };
    struct Section {
        Mesh mesh; // its own faces and edges; for a library file, with everything it references
        std::vector<Placement> children;
        bool library = false;
        bool busy = false;  // being made into a mesh or followed: a reference back to it is a cycle
        bool whole = false; // a library file's mesh holds its children
    };

    std::uint32_t sectionNamed(std::string_view name);
    void makeWhole(Section& section, int depth);
    void follow(std::uint32_t index, const Transform& transform, ColourCode colour, int depth,
                std::vector<Instance>& instances);

    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::uint32_t> m_names; // folded, "/" between folders
    static constexpr std::uint32_t kNone = std::uint32_t(-1);
    std::uint32_t m_current = kNone; // the section being read
    std::string m_key;
};

} // namespace brikmux
