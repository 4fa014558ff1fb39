#pragma once

#include "files/file_system.h"
#include "ldraw/model_text.h"
#include "operations/messages.h"
#include "operations/model_walk.h"
#include "operations/prompter.h"

#include <optional>
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
    ReferenceKinds referenceKinds = ReferenceKinds::Any;
    // Packed: every file the model reaches is embedded, library files included, so that the MPD
    // opens with no library (web viewers). Library references, and names in the s and 48
    // folders, are written as library paths (parts/3001.dat, p/48/1-4cyli.dat), and the
    // library's colours are carried.
    bool pack = false;
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
    // Sub-files and images that neither the DAT folder nor the library holds, in the walk's order.
    std::vector<messages::MissingFile> notFound;
    // The images embedded as data blocks, in the order first met.
    std::vector<std::string> images;
};

// What a merge reaches, as a check reports it: every file and image, with its kind, its path and
// the files that reference it.
using CheckedFile = WalkEntry;

struct CheckResult {
    std::string main;
    std::vector<CheckedFile> files; // in the walk's order, the main file first
    std::string failure;            // why the library cannot be read; the walk did not run
    std::optional<WalkCycle> cycle; // sections that reach themselves through MPDs met inside the model
    // True when a merge would find and read every file and image.
    bool complete() const;
};

// Walks the model as MergeToMPD would (job.pack included), reading every file it reaches and
// writing nothing, asking nothing.
CheckResult CheckMerge(std::string_view mainName, const MergeJob& job, FileSystem& fileSystem);
// The same with the library open already (job.ldrawPath is not read); mainName is not empty.
CheckResult CheckMerge(std::string_view mainName, const MergeJob& job, FileSystem& fileSystem, Library& library);

// Writes the main file and every custom sub-file it reaches into one MPD file, asking before an
// existing output is replaced. A custom sub-file is read from the DAT folder, else from the
// library's Unofficial/parts or Unofficial/p folder. The images that their !TEXMAP lines name
// and the DAT folder or the library's Unofficial folders hold follow as "0 !DATA" blocks. A
// sub-file or image found nowhere gets no section: the user is asked once, at the end, whether to
// create the MPD without them. The output is written under a
// temporary name and takes the place of the target only when complete; on any failure, or a No,
// it is removed.
MergeResult MergeToMPD(std::string_view mainName, const MergeJob& job, FileSystem& fileSystem, Prompter& prompter);

} // namespace brikmux
