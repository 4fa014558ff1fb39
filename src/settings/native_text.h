#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace brikmux {

// The bytes of text as the core holds names and paths: as the file system takes them
// on POSIX (the locale's encoding), UTF-8 on Windows.
std::string toNativeText(const QString& text);

// The text of bytes from the core. On Windows, bytes that are not valid UTF-8 are read
// in the ANSI code page, as the core reads them.
QString fromNativeText(std::string_view bytes);

// A path from Qt as the core holds paths: toNativeText with the platform's separators.
std::string toPathText(const QString& path);

} // namespace brikmux
