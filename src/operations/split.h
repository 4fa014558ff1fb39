#pragma once

#include "files/file_system.h"
#include "operations/prompter.h"

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
    std::size_t sectionCount = 0;     // sections met, declined ones included
    std::vector<std::string> written; // the section names written, in order
    std::vector<std::string> images;  // the embedded files written, in order
};

// Writes every section of the MPD file name in mpdPath to a DAT file of the section's name in
// datPath, and every embedded file ("0 !DATA", an image) decoded to a file of its name, asking
// before an existing file is replaced, in one pass over the file. Each file is written under a
// temporary name and takes its place only when complete. A failure ends the run with one message;
// files completed before it stay. An embedded file whose data is not valid base64 is not written:
// the run goes on and ends as a failure that names it.
SplitResult SplitMPD(std::string_view name, const SplitJob& job, FileSystem& fileSystem, Prompter& prompter);

} // namespace brikmux
