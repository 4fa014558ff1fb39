#pragma once

#include "file_system.h"
#include "prompter.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brikmux {

// The folders a split works in.
struct SplitJob {
    std::string mpdPath; // folder of the MPD file, ending in a separator
    std::string datPath; // folder the sections are written to, ending in a separator
};

struct SplitResult {
    enum class Status { Split, Failed };
    Status status = Status::Failed;
    std::size_t sectionCount = 0;     // FILE markers met, declined sections included
    std::vector<std::string> written; // the section names written, in order
};

// Writes every section of the MPD file name in mpdPath to a DAT file of the section's name in
// datPath, asking before an existing file is replaced, in one pass over the file. Each section
// is written under a temporary name and takes its place only when complete. A failure ends the
// run with one message; sections completed before it stay.
SplitResult SplitMPD(std::string_view name, const SplitJob& job, FileSystem& fileSystem, Prompter& prompter);

} // namespace brikmux
