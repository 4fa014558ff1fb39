// brikmux-cli split: the MPD split into the DAT folder.
#include "cli_job.h"

#include "operations/split.h"

namespace brikmux::cli {

int split(const Options& options, Prompter& prompter)
{
    SplitJob job;
    std::string name = options.operand;
    if (options.mpdDir) {
        job.mpdPath = folderField(*options.mpdDir);
    } else {
        std::tie(job.mpdPath, name) = splitPath(name);
    }
    job.datPath = options.datDir ? folderField(*options.datDir) : job.mpdPath;

    NativeFileSystem fileSystem;
    const SplitResult result = SplitMPD(name, job, fileSystem, prompter);
    return result.status == SplitResult::Status::Failed ? kFailure : kSuccess;
}

} // namespace brikmux::cli
