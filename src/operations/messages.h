#pragma once

#include "ldraw/mpd_reader.h"
#include "operations/prompter.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The texts that the operations show, composed once so that the windows, the command line and
// the tests say the same thing.
namespace brikmux::messages {

// A DAT file that a merge could not read.
struct UnreadableFile {
    std::string path;
    std::string reason;
    std::string referencedBy; // the file whose reference queued it; empty for the main file
};

// A sub-file that a merge found neither in the DAT folder nor in the library.
struct MissingFile {
    std::string name;         // as the reference spells it
    std::string referencedBy; // the file whose reference queued it
};

// The most files that the "Files Not Found" question names in its text; the rest are counted.
inline constexpr std::size_t kMissingFilesShown = 10;

Message mergeOutputExists();
// imageCount is added to the text only when images were embedded.
Message mergeCreated(std::string_view mpdName, std::size_t mergedCount, std::size_t imageCount, std::string details);
Message mergeWithoutMainFile();
Message mergeOutputIsInput(std::string_view mpdPath);
Message mergeCannotRead(const std::vector<UnreadableFile>& files);
Message mergeCannotWrite(std::string_view mpdPath, std::string_view reason);
// Sections that reach themselves through MPDs met inside the model: chain is "a -> b -> a", the
// reference closing it on line of file.
Message mergeCycle(std::string_view chain, std::string_view file, std::uint64_t line);
// The text of such a cycle: "a -> b -> a (line N of FILE)".
std::string cycleLine(std::string_view chain, std::string_view file, std::uint64_t line);
// Asks whether to write the MPD without files; the whole list is the details when the text
// shortens it.
Message mergeFilesNotFound(const std::vector<MissingFile>& files);
// "NAME (referenced by REFERRER)".
std::string missingFileLine(const MissingFile& file);

// Why an embedded file's data is not valid: "line K is not valid base64 data"...
std::string badImageReason(const BadImage& image);

Message splitOutputExists(std::string_view sectionName);
// imageCount is added to the text only when images were written.
Message splitDone(std::string_view mpdName, std::size_t sectionCount, std::size_t imageCount, std::string details);
// A block of an MPD that a split left out as a second block of its name.
struct SecondBlock {
    std::string name;
    std::uint64_t line = 0;
    bool image = false;
    std::string first; // the block that has the name, and its line
    std::uint64_t firstLine = 0;
};
// The blocks a split did not write: each second block of a name, then each image whose data is
// not valid.
Message splitNotWritten(std::string_view mpdName, const std::vector<SecondBlock>& seconds,
                        const std::vector<BadImage>& images);
// A file with no "0 FILE" line and no "0 !DATA" block.
Message splitNotAnMpd(std::string_view mpdName);
Message splitCannotRead(std::string_view mpdPath, std::uint64_t linesRead, std::string_view reason);
// marker: "FILE" or "!DATA".
Message splitMarkerWithoutName(std::string_view marker, std::string_view mpdName, std::uint64_t line);
Message splitNameLeavesFolder(std::string_view sectionName, std::string_view mpdName, std::uint64_t line);
Message splitCannotWrite(std::string_view sectionName, std::string_view path, std::string_view mpdName,
                         std::uint64_t line, std::string_view reason);

// A failure that the operation did not foresee (out of memory, say): what it was working on and why.
Message unexpectedFailure(std::string_view title, std::string_view subject, std::string_view reason);

// The Locate dialog's word on a folder whose archive (named without its folder) cannot be read.
std::string locateArchiveProblem(std::string_view archiveName, std::string_view reason);
// A merge that cannot read its library: text is libraryArchiveProblem's.
Message mergeCannotReadLibrary(std::string text);

// Shown when the user gives up looking for the LDraw installation.
Message unableToRun();

} // namespace brikmux::messages
