// What the command line asks for: the folders, the library and the merge the options describe.
#include "cli_job.h"

#include "files/paths.h"
#include "ldraw/model_text.h"
#include "ldraw/mpd_model.h"

namespace brikmux::cli {

bool isMpdFile(FileSystem& fileSystem, const std::string& path)
{
    std::unique_ptr<InputFile> file;
    return openFileForReading(fileSystem, path, file) && holdsMpdBlocks(*file);
}

// A folder given on the command line, ending in one separator; the empty text is the current folder.
std::string folderField(const std::string& folder)
{
    return withTrailingSeparator(folder.empty() ? std::string(".") : folder);
}

// Splits path into its folder (ending in a separator) and its last component.
std::pair<std::string, std::string> splitPath(const std::string& path)
{
#ifdef _WIN32
    const auto separator = path.find_last_of("\\/");
#else
    const auto separator = path.find_last_of('/');
#endif
    if (separator == std::string::npos) {
        return {folderField(""), path};
    }
    return {folderField(path.substr(0, separator + 1)), path.substr(separator + 1)};
}

std::string lastComponent(const std::string& name)
{
    const auto separator = name.find_last_of("\\/");
    return separator == std::string::npos ? name : name.substr(separator + 1);
}

// The LDraw library that options and the environment give; empty when there is none.
std::string libraryPath(const Options& options, const CliEnvironment& environment)
{
    if (options.ldraw) {
        return folderField(*options.ldraw);
    }
    if (environment.ldrawDir && !environment.ldrawDir->empty()) {
        return folderField(*environment.ldrawDir);
    }
    if (environment.ldrawPath && !environment.ldrawPath->empty()) {
        return folderField(*environment.ldrawPath);
    }
    return environment.usualLibrary ? environment.usualLibrary() : std::string();
}

// The merge that options describe; mainName becomes the main file's name in the DAT folder.
MergeJob mergeJob(const Options& options, const CliEnvironment& environment, std::string& mainName,
                  FileSystem& fileSystem)
{
    MergeJob job;
    mainName = options.operand;
    if (options.datDir) {
        job.datPath = folderField(*options.datDir);
    } else {
        std::tie(job.datPath, mainName) = splitPath(mainName);
    }
    job.mpdPath = options.mpdDir ? folderField(*options.mpdDir) : job.datPath;
    if (options.mpd) {
        job.mpdName = *options.mpd;
    } else if (isMpdFile(fileSystem, joinPath(job.datPath, mainName))) {
        job.mpdName = mergedMpdName(mainName, options.pack);
    } else {
        job.mpdName = mpdNameFor(lastComponent(mainName));
    }
    job.ldrawPath = libraryPath(options, environment);
    if (job.ldrawPath.empty()) {
        throw UsageError("no LDraw library: give --ldraw DIR, set LDRAWDIR, or choose one in the window");
    }
    job.authorName = options.author ? *options.author : environment.authorName.value_or("Brikmux");
    job.referenceKinds = options.datOnly ? ReferenceKinds::DatOnly : ReferenceKinds::Any;
    job.pack = options.pack;
    return job;
}

} // namespace brikmux::cli
