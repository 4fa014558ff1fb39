#pragma once

#include <cstdio>
#include <string>

namespace brikmux {

// What the file layer's own files share: opening a file of the disk to read, on either platform,
// and the text of a system error.
std::FILE* openToRead(const std::string& path);
std::string systemReason(int error);

} // namespace brikmux
