#include "operations/cycles.h"

#include <algorithm>

namespace brikmux {

void findCycles(const std::vector<std::vector<GraphEdge>>& edges, const std::function<bool(std::size_t)>& start,
                const std::function<bool(std::span<const std::size_t> chain, const GraphEdge& edge)>& closed)
{
    enum class State : unsigned char { New, OnPath, Done };
    std::vector<State> state(edges.size(), State::New);
    std::vector<std::size_t> path;     // the sections on the path
    std::vector<std::size_t> nextEdge; // for each, the next of its references to follow
    for (std::size_t first = 0; first < edges.size(); ++first) {
        if (state[first] != State::New || !start(first)) {
            continue;
        }
        path.push_back(first);
        nextEdge.push_back(0);
        state[first] = State::OnPath;
        while (!path.empty()) {
            const std::size_t at = path.back();
            if (nextEdge.back() == edges[at].size()) {
                state[at] = State::Done;
                path.pop_back();
                nextEdge.pop_back();
                continue;
            }
            const GraphEdge edge = edges[at][nextEdge.back()++];
            if (state[edge.to] == State::New) {
                state[edge.to] = State::OnPath;
                path.push_back(edge.to);
                nextEdge.push_back(0);
            } else if (state[edge.to] == State::OnPath) {
                const auto from = std::find(path.begin(), path.end(), edge.to);
                if (!closed(std::span<const std::size_t>(&*from, static_cast<std::size_t>(path.end() - from)), edge)) {
                    return;
                }
            }
        }
    }
}

} // namespace brikmux
