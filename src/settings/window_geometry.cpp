#include "window_geometry.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace brikmux {

int centringOffset(float difference)
{
    // nearbyint rounds halves to even under the default rounding mode.
    const long whole = std::lrint(difference);
    return static_cast<int>(whole / 2);
}

std::string coordinateText(float twips)
{
    if (std::nearbyint(twips) == twips && std::fabs(twips) < 2147483648.0F) {
        return std::to_string(static_cast<long>(twips));
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(twips));
    return text;
}

std::optional<float> coordinateFromText(std::string_view text)
{
    std::string trimmed(text);
    const auto first = trimmed.find_first_not_of(" \t");
    const auto last = trimmed.find_last_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    trimmed = trimmed.substr(first, last - first + 1);
    char* end = nullptr;
    const float value = std::strtof(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace brikmux
