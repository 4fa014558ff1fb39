#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brikmux {

// Why a line of type 1 to 5 (as LineType reads it) is not valid LDraw: fewer fields than its type
// needs, or a field that must be a number (a colour: a number or "0x2RRGGBB", "#RRGGBB") and is
// not. Empty when the line is valid.
std::string malformedLineReason(std::string_view line, int type);

// True when line, of type 1 to 5, has as many fields as its type needs.
bool holdsAllFields(std::string_view line, int type);

// The text of a "0 Name:" line, trimmed; nothing for another line.
std::optional<std::string> nameLineText(std::string_view line);

} // namespace brikmux
