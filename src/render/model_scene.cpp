#include "render/model_scene.h"

#include "files/paths.h"
#include "ldraw/model_text.h"
#include "render/colours.h"

#include <charconv>

namespace brikmux {

namespace {

// Deeper than any model or library nests its files: what lies below is left out.
constexpr int kMaxDepth = 64;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The next word of line, taken off it.
std::string_view nextWord(std::string_view& line)
{
    std::size_t start = 0;
    while (start < line.size() && isBlank(line[start])) {
        ++start;
    }
    std::size_t end = start;
    while (end < line.size() && !isBlank(line[end])) {
        ++end;
    }
    const std::string_view word = line.substr(start, end - start);
    line.remove_prefix(end);
    return word;
}

// count numbers off line into values; false where one is missing or no number.
bool readNumbers(std::string_view& line, float* values, int count)
{
    for (int i = 0; i < count; ++i) {
        const std::string_view word = nextWord(line);
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), values[i]);
        if (error != std::errc() || end != word.data() + word.size()) {
            return false;
        }
    }
    return true;
}

} // namespace

std::uint32_t ModelScene::sectionNamed(std::string_view name)
{
    m_key.assign(name);
    for (char& c : m_key) {
        c = c == '\\' ? '/' : foldCase(c);
    }
    const auto [found, added] = m_names.try_emplace(m_key, static_cast<std::uint32_t>(m_sections.size()));
    if (added) {
        m_sections.emplace_back();
    }
    return found->second;
}

void ModelScene::beginFile(const WalkEntry& entry, std::size_t /*index*/)
{
    m_current = sectionNamed(entry.section);
    m_sections[m_current].library = entry.kind == WalkEntry::Kind::Library || entry.kind == WalkEntry::Kind::Unofficial;
}

void ModelScene::line(std::string_view line)
{
    std::string_view rest = line;
    const std::string_view type = nextWord(rest);
    if (type.size() != 1 || type[0] < '1' || type[0] > '4' || m_current == kNone) {
        return; // comments, optional lines and meta-commands draw nothing
    }
    ColourCode colour = 0;
    if (!readColourCode(nextWord(rest), colour)) {
        return;
    }
    float numbers[12];
    if (type[0] == '1') {
        if (!readNumbers(rest, numbers, 12)) {
            return;
        }
        std::string_view name = SubFileName(line);
        while (!name.empty() && isBlank(name.back())) {
            name.remove_suffix(1);
        }
        Placement placement;
        const float* n = numbers;
        placement.transform = {{n[3], n[4], n[5], n[0], n[6], n[7], n[8], n[1], n[9], n[10], n[11], n[2]}};
        placement.colour = colour;
        placement.section = sectionNamed(name);
        m_sections[m_current].children.push_back(placement);
        return;
    }
    const int corners = type[0] - '0';
    if (!readNumbers(rest, numbers, corners * 3)) {
        return;
    }
    const auto corner = [&](int i) { return Vec3{numbers[i * 3], numbers[i * 3 + 1], numbers[i * 3 + 2]}; };
    Mesh& mesh = m_sections[m_current].mesh;
    for (int i = 0; i < corners; ++i) {
        mesh.bounds.add(corner(i));
    }
    if (corners == 2) {
        mesh.edges.push_back({{corner(0), corner(1)}, colour});
        return;
    }
    mesh.triangles.push_back({{corner(0), corner(1), corner(2)}, colour});
    if (corners == 4) {
        mesh.triangles.push_back({{corner(2), corner(3), corner(0)}, colour});
    }
}

void ModelScene::makeWhole(Section& section, int depth)
{
    if (section.whole || depth > kMaxDepth) {
        return;
    }
    section.busy = true;
    for (const Placement& child : section.children) {
        Section& part = m_sections[child.section];
        if (!part.busy) {
            makeWhole(part, depth + 1);
            section.mesh.append(part.mesh, child.transform, child.colour);
        }
    }
    section.busy = false;
    section.whole = true;
    section.children.clear();
    section.children.shrink_to_fit();
}

void ModelScene::follow(std::uint32_t index, const Transform& transform, ColourCode colour, int depth,
                        std::vector<Instance>& instances)
{
    Section& section = m_sections[index];
    if (section.busy || depth > kMaxDepth) {
        return;
    }
    if (section.library) {
        makeWhole(section, 0);
    }
    if (!section.mesh.triangles.empty() || !section.mesh.edges.empty()) {
        instances.push_back({&section.mesh, transform, colour});
    }
    section.busy = true;
    for (const Placement& child : section.children) {
        follow(child.section, transform.then(child.transform), inherit(child.colour, colour), depth + 1, instances);
    }
    section.busy = false;
}

std::vector<Instance> ModelScene::instances(std::string_view main)
{
    std::vector<Instance> instances;
    const std::uint32_t index = sectionNamed(main);
    follow(index, Transform{}, kMainColour, 0, instances);
    return instances;
}

} // namespace brikmux
