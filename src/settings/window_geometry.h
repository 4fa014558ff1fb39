#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brikmux {

// Twips per pixel at 96 dots per inch; window coordinates are kept in twips.
inline constexpr int kTwipsPerPixel = 15;

// The offset that centres a window on a larger (or smaller) one: the difference of the two sizes
// rounded to the nearest whole number (a half to the even one), then halved with the remainder
// dropped toward zero. 435 gives 217, -435 gives -217, 15.5 gives 8.
int centringOffset(float difference);

// A window coordinate as the store keeps it: a whole number as plain decimal digits, otherwise
// at most seven significant digits.
std::string coordinateText(float twips);

// The coordinate that text holds, or nothing when text is not a number.
std::optional<float> coordinateFromText(std::string_view text);

} // namespace brikmux
