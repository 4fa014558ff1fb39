#pragma once

#include "file_system.h"
#include "messages.h"
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
    enum class Status {
        Created,
        Declined,         // the user kept the existing output
        NotFoundDeclined, // the user would not create the MPD without the files not found
        Failed,
    };
    Status status = Status::Failed;
    // The MPD list's text after the merge: mpdName, with ".mpd" appended where it lacked it.
    std::string mpdName;
    // The work list: the main name, then every custom sub-file in the order it was queued.
    std::vector<std::string> datFiles;
    // Queued sub-files that neither the DAT folder nor the library holds, in the order queued.
    std::vector<messages::MissingFile> notFound;
};

// Writes the main file and every custom sub-file it reaches into one MPD file, asking before an
// existing output is replaced. A custom sub-file is read from the DAT folder, else from the
// library's Unofficial/parts or Unofficial/p folder. A sub-file found in neither gets no section: the user is asked
// once, at the end, whether to create the MPD without them. The output is written under a
// temporary name and takes the place of the target only when complete; on any failure, or a No,
// it is removed.
MergeResult MergeToMPD(std::string_view mainName, const MergeJob& job, FileSystem& fileSystem, Prompter& prompter);

} // namespace brikmux
