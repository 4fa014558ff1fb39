#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace brikmux {

// A reference from one section to another (to), made on a line of the first.
struct GraphEdge {
    std::size_t to;
    std::uint64_t line;
};

// Walks the sections depth first, without recursion (a chain may be as long as the file), from
// each one in order that start accepts and is not reached yet. For each reference to a section
// still on the path, calls closed with that path from the referenced section on (its last section
// makes the reference) and the reference; closed returns false to end the search.
void findCycles(const std::vector<std::vector<GraphEdge>>& edges, const std::function<bool(std::size_t)>& start,
                const std::function<bool(std::span<const std::size_t> chain, const GraphEdge& edge)>& closed);

} // namespace brikmux
