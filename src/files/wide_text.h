#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

namespace brikmux {

// Text for the Windows API, in UTF-16: read as UTF-8 where it is valid UTF-8, otherwise in the
// ANSI code page, in which many LDraw files written on Windows spell their names.
std::wstring toWide(std::string_view text);

// UTF-16 from the Windows API to UTF-8.
std::string fromWide(std::wstring_view text);

} // namespace brikmux

#endif
