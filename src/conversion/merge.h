#pragma once

#include "file_system.h"
#include "model_text.h"
#include "prompter.h"

#include <string>
#include <string_view>
#include <vector>

namespace brikmux {

// What a merge reads besides the main name.
struct MergeJob {
    std::string datPath;   // folder of the main file and the custom sub-files, ending in a separator
    std::string mpdPath;   // folder of the output, ending in a separator
    std::string ldrawPath; // the LDraw library, ending in a separator
    std::string mpdName;   // the output's name as the MPD list shows it
    std::string authorName;
    ReferenceKinds referenceKinds = ReferenceKinds::DatOnly;
};

struct MergeResult {
    enum class Status { Created, Declined, Failed };
    Status status = Status::Failed;
    // The MPD list's text after the merge: mpdName, with ".mpd" appended where it lacked it.
    std::string mpdName;
    // The work list: the main name, then every custom sub-file in the order it was queued.
    std::vector<std::string> datFiles;
};

// Writes the main file and every custom sub-file it reaches into one MPD file, asking before an
// existing output is replaced. The output is written under a temporary name and takes the
// place of the target only when complete; on any failure it is removed and the failure reported.
MergeResult MergeToMPD(std::string_view mainName, const MergeJob& job, FileSystem& fileSystem, Prompter& prompter);

} // namespace brikmux
