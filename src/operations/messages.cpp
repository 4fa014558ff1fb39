#include "operations/messages.h"

namespace brikmux::messages {

namespace {

constexpr const char* kMergeFailed = "Merge Failed";
constexpr const char* kSplitFailed = "Split Failed";

Message failure(std::string title, std::string text)
{
    return {std::move(title), std::move(text), MessageIcon::Critical, {}};
}

std::string quotedName(std::string_view name)
{
    std::string text = "\"";
    return text.append(name).append("\"");
}

std::string sectionAt(std::string_view sectionName, std::string_view mpdName, std::uint64_t line)
{
    std::string text = "The section ";
    return text.append(quotedName(sectionName)) + " (line " + std::to_string(line) + " of " + std::string(mpdName) +
           ")";
}

// "NAME has been successfully DONE. N .DAT file(s) FILES.", and " M image(s) IMAGES." where there
// were images.
std::string doneText(std::string_view mpdName, std::string_view done, std::size_t count, std::string_view files,
                     std::size_t imageCount, std::string_view images)
{
    // Appended piece by piece: " " + std::string trips GCC 12's -Wrestrict (a false alarm).
    std::string text(mpdName);
    text.append(" has been successfully ").append(done).append(". ").append(std::to_string(count));
    text.append(" .DAT file(s) ").append(files).append(".");
    if (imageCount > 0) {
        text.append(" ").append(std::to_string(imageCount)).append(" image(s) ").append(images).append(".");
    }
    return text;
}

std::string describe(const UnreadableFile& file)
{
    std::string text = file.path;
    if (!file.referencedBy.empty()) {
        text += " (referenced by " + file.referencedBy + ")";
    }
    return text + ": " + file.reason + ".";
}

} // namespace

Message mergeOutputExists()
{
    return {"Output File Exists",
            "The output file you have chosen already exists. Do you wish to overwrite this file?",
            MessageIcon::Warning,
            {}};
}

Message mergeCreated(std::string_view mpdName, std::size_t mergedCount, std::size_t imageCount, std::string details)
{
    return {".MPD File Created", doneText(mpdName, "created", mergedCount, "merged", imageCount, "embedded"),
            MessageIcon::Information, std::move(details)};
}

Message mergeWithoutMainFile()
{
    return failure(kMergeFailed, "No .DAT file was chosen to merge.");
}

std::string cycleLine(std::string_view chain, std::string_view file, std::uint64_t line)
{
    return std::string(chain) + " (line " + std::to_string(line) + " of " + std::string(file) + ")";
}

Message mergeCycle(std::string_view chain, std::string_view file, std::uint64_t line)
{
    return failure(kMergeFailed, "The model reaches itself: " + cycleLine(chain, file, line) +
                                     ". A reader would never finish drawing it, so no .MPD file was written.");
}

Message mergeCannotRead(const std::vector<UnreadableFile>& files)
{
    if (files.size() == 1) {
        std::string text = "Cannot read ";
        return failure(kMergeFailed, text.append(describe(files.front())));
    }
    std::string text = "Cannot read " + std::to_string(files.size()) + " .DAT files:";
    for (const auto& file : files) {
        text.append("\n").append(describe(file));
    }
    return failure(kMergeFailed, std::move(text));
}

Message mergeOutputIsInput(std::string_view mpdPath)
{
    return failure(kMergeFailed, "The .MPD file " + std::string(mpdPath) +
                                     " is the file being merged: it cannot be written over. Choose another name.");
}

Message mergeCannotWrite(std::string_view mpdPath, std::string_view reason)
{
    return failure(kMergeFailed, "Cannot write " + std::string(mpdPath) + ": " + std::string(reason) + ".");
}

std::string missingFileLine(const MissingFile& file)
{
    return file.name + " (referenced by " + file.referencedBy + ")";
}

Message mergeFilesNotFound(const std::vector<MissingFile>& files)
{
    std::string text = "These files are referenced but were found neither in the .DAT folder nor in the LDraw library:";
    std::string details;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string line = missingFileLine(files[i]);
        details += line + "\n";
        if (i < kMissingFilesShown) {
            text += "\n" + line;
        }
    }
    if (files.size() > kMissingFilesShown) {
        text += "\n... and " + std::to_string(files.size() - kMissingFilesShown) + " more";
    } else {
        details.clear();
    }
    text += "\nCreate the .MPD without them? Their references stay in the model.";
    return {"Files Not Found", std::move(text), MessageIcon::Warning, std::move(details)};
}

Message splitOutputExists(std::string_view sectionName)
{
    return {"Output File Exists",
            "The .DAT file: " + std::string(sectionName) + " already exists. Do you wish to overwrite this file?",
            MessageIcon::Warning,
            {}};
}

Message splitDone(std::string_view mpdName, std::size_t sectionCount, std::size_t imageCount, std::string details)
{
    return {".MPD File Split", doneText(mpdName, "split", sectionCount, "created", imageCount, "written"),
            MessageIcon::Information, std::move(details)};
}

std::string badImageReason(const BadImage& image)
{
    const std::string at = "line " + std::to_string(image.problemLine);
    switch (image.problem) {
    case BadImage::Problem::NotData:
        return at + " is not a \"0 !:\" data line";
    case BadImage::Problem::BadCharacter:
        return at + " is not valid base64 data";
    case BadImage::Problem::CutShort:
    case BadImage::Problem::None:
        break;
    }
    return "its base64 data is cut short";
}

Message splitNotWritten(std::string_view mpdName, const std::vector<SecondBlock>& seconds,
                        const std::vector<BadImage>& images)
{
    std::string text;
    for (const auto& second : seconds) {
        text += text.empty() ? "" : "\n";
        text += (second.image ? "The image " : "The section ") + quotedName(second.name) + " (line " +
                std::to_string(second.line) + " of " + std::string(mpdName) + ") is a second " +
                (second.image ? "block" : "section") + " named " + quotedName(second.first) + " (line " +
                std::to_string(second.firstLine) + "): not written.";
    }
    for (const auto& image : images) {
        text += text.empty() ? "" : "\n";
        text += "The image " + quotedName(image.name) + " (line " + std::to_string(image.line) + " of " +
                std::string(mpdName) + ") was not written: " + badImageReason(image) + ".";
    }
    return failure(kSplitFailed, std::move(text));
}

Message splitNotAnMpd(std::string_view mpdName)
{
    return failure(kSplitFailed, std::string(mpdName) +
                                     " holds no \"0 FILE\" line: it is not an .MPD file, and nothing was written.");
}

Message splitCannotRead(std::string_view mpdPath, std::uint64_t linesRead, std::string_view reason)
{
    std::string text = "Cannot read " + std::string(mpdPath);
    if (linesRead > 0) {
        text += " after line " + std::to_string(linesRead);
    }
    return failure(kSplitFailed, text + ": " + std::string(reason) + ".");
}

Message splitMarkerWithoutName(std::string_view marker, std::string_view mpdName, std::uint64_t line)
{
    return failure(kSplitFailed, "The " + std::string(marker) + " marker on line " + std::to_string(line) + " of " +
                                     std::string(mpdName) + " names no file.");
}

Message splitNameLeavesFolder(std::string_view sectionName, std::string_view mpdName, std::uint64_t line)
{
    return failure(kSplitFailed, sectionAt(sectionName, mpdName, line) + " would be written outside the .DAT folder.");
}

Message splitCannotWrite(std::string_view sectionName, std::string_view path, std::string_view mpdName,
                         std::uint64_t line, std::string_view reason)
{
    return failure(kSplitFailed, sectionAt(sectionName, mpdName, line) + " cannot be written to " + std::string(path) +
                                     ": " + std::string(reason) + ".");
}

Message unexpectedFailure(std::string_view title, std::string_view subject, std::string_view reason)
{
    return failure(std::string(title), std::string(subject) + ": " + std::string(reason) + ".");
}

std::string locateArchiveProblem(std::string_view archiveName, std::string_view reason)
{
    return std::string(archiveName) + " here cannot be read: " + std::string(reason) + ".";
}

Message mergeCannotReadLibrary(std::string text)
{
    return failure(kMergeFailed, std::move(text));
}

Message unableToRun()
{
    return failure("Brikmux Unable to Run",
                   "In order to run Brikmux, you must have LDraw installed. If LDraw cannot be found then you must "
                   "supply its location. The program will now exit.");
}

} // namespace brikmux::messages
