#pragma once

#include "operations/walk_entry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brikmux {

// What a merge reaches, as a check lists it for a person: the files grouped by kind (main,
// custom, unofficial and library models, then images, then those found nowhere or unreadable),
// each with its path, its new name, the MPD it lies in and the files that reference it; then
// the cycle, where there is one. Each group heading and its lines are indented by indent.
std::string checkListing(const std::vector<WalkEntry>& files, const std::optional<WalkCycle>& cycle,
                         std::string_view indent = {});

} // namespace brikmux
