// brikmux-cli merge: the merge that the options describe, its files not found named on standard error.
#include "cli_job.h"

#include "operations/messages.h"

#include <ostream>

namespace brikmux::cli {

int merge(const Options& options, CliEnvironment& environment, Prompter& prompter)
{
    std::string mainName;
    NativeFileSystem fileSystem;
    const MergeJob job = mergeJob(options, environment, mainName, fileSystem);
    const MergeResult result = MergeToMPD(mainName, job, fileSystem, prompter);
    for (const auto& missing : result.notFound) {
        environment.errors << "Not found: " << messages::missingFileLine(missing) << "\n";
    }
    const bool ranToItsEnd =
        result.status == MergeResult::Status::Created || result.status == MergeResult::Status::Declined;
    return ranToItsEnd ? kSuccess : kFailure;
}

} // namespace brikmux::cli
