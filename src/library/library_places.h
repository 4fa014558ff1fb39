#pragma once

#include "files/file_system.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brikmux {

// The folders where LDraw libraries are usually installed, in the order they are tried: $LDRAWDIR,
// then the places that LDraw's installer and other LDraw programs use on this platform. environment
// gives a variable's value (empty when unset); folders whose variable is unset are left out.
std::vector<std::string> usualLibraryFolders(const std::function<std::string(const char*)>& environment);

// The first of folders that holds an LDraw library (a folder or an archive), each folder's own
// name matched in any letter case ("~/LDraw" for "~/ldraw"), ending in a separator; empty when
// none does.
std::string findLibrary(const FileSystem& fileSystem, const std::vector<std::string>& folders);

} // namespace brikmux
