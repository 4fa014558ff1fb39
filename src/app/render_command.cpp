// brikmux-cli render: the picture of a model as a PNG file, its files not found named on standard error.
#include "cli_job.h"

#include "files/paths.h"
#include "operations/messages.h"
#include "render/render.h"

#include <cmath>
#include <ostream>

namespace brikmux::cli {

int render(const Options& options, CliEnvironment& environment)
{
    constexpr int kLargest = 8192;
    if (options.width < 1 || options.width > kLargest || options.height < 1 || options.height > kLargest) {
        throw UsageError("--width and --height take 1 to " + std::to_string(kLargest) + " pixels");
    }
    if (!(options.latitude >= -90 && options.latitude <= 90) || !std::isfinite(options.longitude)) {
        throw UsageError("--latitude takes -90 to 90 degrees, --longitude any number of degrees");
    }
    RenderOptions view;
    view.width = options.width;
    view.height = options.height;
    view.angle = {options.latitude, options.longitude, options.perspective};
    if (options.background && *options.background == "transparent") {
        view.background.reset();
    } else if (options.background && !readHexColour(*options.background, *view.background)) {
        throw UsageError("--background takes #RRGGBB or transparent, not " + *options.background);
    }
    std::string mainName;
    NativeFileSystem fileSystem;
    const MergeJob job = mergeJob(options, environment, mainName, fileSystem);
    const auto [folder, name] = splitPath(*options.output);
    const std::string output = joinPath(folder, name);

    const RenderResult result =
        RenderModel(mainName, RenderJob{job.datPath, job.ldrawPath, job.referenceKinds}, view, fileSystem);
    for (const auto& missing : result.notFound) {
        environment.errors << "Not found: " << messages::missingFileLine(missing) << "\n";
    }
    if (result.status != RenderResult::Status::Drawn) {
        environment.errors << result.failure << "\n";
        return kFailure;
    }
    if (const Status written = WritePng(result.picture, output, fileSystem); !written) {
        environment.errors << cannotWritePicture(*options.output, written.reason()) << "\n";
        return kFailure;
    }
    return kSuccess;
}

} // namespace brikmux::cli
