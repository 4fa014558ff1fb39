#pragma once

#include "files/file_system.h"
#include "operations/mpd_check_report.h"

#include <string>

namespace brikmux {

// Reads the MPD at mpdPath once and checks it against the library at ldrawPath. Without a library
// (ldrawPath empty), references to files that are not sections are listed as unresolved, and the
// checks that need a library are left out. A name that only a file in besidePath (the MPD's own
// folder where empty) resolves is warned of as outside the MPD.
MpdCheckReport CheckMpdFile(const std::string& mpdPath, const std::string& ldrawPath, FileSystem& fileSystem,
                            const std::string& besidePath = {});

} // namespace brikmux
