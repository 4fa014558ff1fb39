#include "merge.h"

#include "case_resolver.h"
#include "library.h"
#include "line_reader.h"
#include "line_writer.h"
#include "messages.h"
#include "paths.h"
#include "name_set.h"

namespace brikmux {

namespace {

std::string folderOf(const std::string& path)
{
    const auto separator = path.find_last_of(kSeparator);
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// One run of the merge: the work list and what the walk has found so far.
class Merge {
public:
    Merge(const MergeJob& job, FileSystem& fileSystem, Prompter& prompter)
        : m_job(job), m_fileSystem(fileSystem), m_prompter(prompter), m_library(fileSystem, job.ldrawPath),
          m_datFolder(fileSystem)
    {
    }

    MergeResult run(std::string_view mainName);

private:
    // Copies the entry at index into the output as one section and queues its custom sub-files;
    // a file not found gets no section and is noted, an unreadable one is noted as a failure.
    void AppendDATFile(std::size_t index);
    MergeResult::Status fail(const Message& message)
    {
        m_prompter.reportFailure(message);
        return MergeResult::Status::Failed;
    }
    MergeResult::Status writeAll(const std::string& target);

    const MergeJob& m_job;
    FileSystem& m_fileSystem;
    Prompter& m_prompter;
    LibraryIndex m_library;
    CaseResolver m_datFolder;
    std::vector<std::string> m_datFiles;
    std::vector<std::size_t> m_referrers; // index of the file that queued each entry
    NameSet m_decided;                    // the work list's names and the library files met so far
    NameSet m_unofficial;                 // the entries read from the library's Unofficial folders
    std::vector<messages::UnreadableFile> m_unreadable;
    std::vector<messages::MissingFile> m_notFound;
    LineWriter* m_output = nullptr;
    bool m_replacing = false; // the output exists and the user agreed to replace it
};

MergeResult Merge::run(std::string_view mainName)
{
    m_datFiles.assign(1, std::string(mainName));
    m_referrers.assign(1, 0);
    m_decided.insert(mainName);

    MergeResult result;
    result.mpdName = withMpdSuffix(m_job.mpdName);
    const std::string target = joinPath(m_job.mpdPath, result.mpdName);
    m_replacing = m_fileSystem.kindOf(target) == EntryKind::File;
    if (m_replacing && !m_prompter.askYesNo(messages::mergeOutputExists())) {
        result.status = MergeResult::Status::Declined;
        result.datFiles = m_datFiles;
        return result;
    }
    result.status = writeAll(target);
    result.datFiles = std::move(m_datFiles);
    result.notFound = std::move(m_notFound);
    if (result.status == MergeResult::Status::Created) {
        std::string details;
        // Created, so every entry has its section but the files not found.
        NameSet notFound;
        for (const auto& missing : result.notFound) {
            notFound.insert(missing.name);
        }
        for (const auto& name : result.datFiles) {
            if (!notFound.contains(name)) {
                details += name + (m_unofficial.contains(name) ? " (unofficial)\n" : "\n");
            }
        }
        for (const auto& missing : result.notFound) {
            details += missing.name + " (not found)\n";
        }
        const std::size_t sections = result.datFiles.size() - result.notFound.size();
        m_prompter.inform(messages::mergeCreated(result.mpdName, sections - 1, std::move(details)));
    }
    return result;
}

MergeResult::Status Merge::writeAll(const std::string& target)
{
    if (m_datFiles.front().empty()) {
        return fail(messages::mergeWithoutMainFile());
    }
    std::unique_ptr<OutputFile> file;
    if (const Status created = m_fileSystem.createOutput(folderOf(target), file); !created) {
        return fail(messages::mergeCannotWrite(target, created.reason()));
    }
    LineWriter output(*file);
    m_output = &output;
    // The list grows while it is walked: names queued by one file are merged in the same run.
    for (std::size_t index = 0; index < m_datFiles.size() && output.status(); ++index) {
        AppendDATFile(index);
    }
    m_output = nullptr;
    if (const Status flushed = output.flush(); !flushed) {
        return fail(messages::mergeCannotWrite(target, flushed.reason()));
    }
    if (!m_unreadable.empty()) {
        return fail(messages::mergeCannotRead(m_unreadable));
    }
    if (!m_notFound.empty() && !m_prompter.askYesNo(messages::mergeFilesNotFound(m_notFound))) {
        return MergeResult::Status::NotFoundDeclined; // the uncommitted output goes with file
    }
    if (const Status committed = file->commit(target, m_replacing); !committed) {
        return fail(messages::mergeCannotWrite(target, committed.reason()));
    }
    return MergeResult::Status::Created;
}

void Merge::AppendDATFile(std::size_t index)
{
    // A copy: queuing below may move the list's entries.
    const std::string name = m_datFiles[index];
    const std::string referrer = index == 0 ? std::string() : m_datFiles[m_referrers[index]];
    std::string shownPath = joinPath(m_job.datPath, name);
    auto unreadable = [&](std::string reason) { m_unreadable.push_back({shownPath, std::move(reason), referrer}); };

    const ResolvedName resolved = m_datFolder.resolveFresh(m_job.datPath, name);
    std::string path = resolved.path();
    if (!resolved.fileExists) {
        // Nothing of that name in the DAT folder, in any letter case: a part not yet official,
        // which the library keeps apart, or a sub-file the user may do without. A folder, a pipe
        // or a main file that is not there stays a failure.
        if (index == 0 || resolved.occupant != EntryKind::Missing) {
            unreadable(whyNotAFile(resolved.occupant));
            return;
        }
        path = m_library.UnofficialFile(name);
        if (path.empty()) {
            m_notFound.push_back({name, referrer});
            return;
        }
        m_unofficial.insert(name);
        shownPath = path;
    }
    std::unique_ptr<InputFile> file;
    if (const Status opened = m_fileSystem.openForReading(path, file); !opened) {
        unreadable(opened.reason());
        return;
    }
    m_output->write(fileMarkerLine(name));
    if (index == 0) {
        for (const auto& line : mpdHeader(m_job.authorName)) {
            m_output->write(line);
        }
    }
    LineReader reader(*file);
    std::string_view line;
    while (reader.next(line)) {
        if (IsSubFileReference(line, m_job.referenceKinds)) {
            // A name is decided once: queued, or left to the library. Neither answer changes
            // within one merge, and most lines name parts met before.
            const std::string_view subName = SubFileName(line);
            if (m_decided.insert(subName)) {
                if (!m_library.IsLibraryFile(subName)) {
                    m_datFiles.emplace_back(subName);
                    m_referrers.push_back(index);
                }
            }
        }
        if (!IsFileMarker(line)) {
            m_output->write(line);
        }
    }
    if (!reader.status()) {
        unreadable(reader.status().reason());
    }
}

} // namespace

MergeResult MergeToMPD(std::string_view mainName, const MergeJob& job, FileSystem& fileSystem, Prompter& prompter)
{
    return Merge(job, fileSystem, prompter).run(mainName);
}

} // namespace brikmux
