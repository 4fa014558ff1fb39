#include "merge.h"

#include "case_resolver.h"
#include "library.h"
#include "line_reader.h"
#include "line_writer.h"
#include "messages.h"
#include "paths.h"
#include "name_set.h"

#include <algorithm>
#include <unordered_map>

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
    Merge(const MergeJob& job, FileSystem& fileSystem, Prompter& prompter, CheckResult* check = nullptr)
        : m_job(job), m_fileSystem(fileSystem), m_prompter(prompter), m_library(fileSystem, job.ldrawPath),
          m_datFolder(fileSystem), m_check(check)
    {
    }

    MergeResult run(std::string_view mainName);
    // Walks the model as run would, writing nothing; what it meets goes to the check result.
    void walk(std::string_view mainName);

private:
    // Where an entry of the work list is read from.
    enum class Source { Custom, Library };

    void start(std::string_view mainName);
    // Decides a reference of the entry at index: queued, left to the library, or (packing) queued
    // under its library path; returns the name the line is to carry.
    std::string_view reference(std::string_view name, std::size_t index);
    void queue(std::string_view name, std::size_t referrer, Source source, std::string section, std::string path);
    // The check result's key of a name: the name, or (packing) its section's folded name.
    std::string checkKey(std::string_view name, std::string_view section) const;
    // Notes that the entry at referrer references name; a name met for the first time is added
    // with kind and path.
    void noteReference(const std::string& key, std::string_view name, std::size_t referrer, CheckedFile::Kind kind,
                       std::string path);
    void noteEntry(std::size_t index, CheckedFile::Kind kind, const std::string& path, std::string reason = {});

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

    // Packing: each entry's section name, source and (library files) path; the name each
    // reference spelling is written as; the sections' names, letter case folded.
    std::vector<std::string> m_sections;
    std::vector<Source> m_sources;
    std::vector<std::string> m_paths;
    std::unordered_map<std::string, std::string> m_packedNames;
    NameSet m_sectionNames;
    std::string m_rewritten; // the line being written, with its name replaced

    // Checking: the result, and where each name stands in it.
    CheckResult* m_check = nullptr;
    std::unordered_map<std::string, std::size_t> m_checked;
};

void Merge::start(std::string_view mainName)
{
    m_datFiles.assign(1, std::string(mainName));
    m_referrers.assign(1, 0);
    m_decided.insert(mainName);
    if (m_job.pack) {
        m_sections.assign(1, std::string(mainName));
        m_sources.assign(1, Source::Custom);
        m_paths.assign(1, std::string());
        m_sectionNames.insert(foldCase(mainName));
    }
    if (m_check != nullptr) {
        m_check->main = std::string(mainName);
        m_checked.emplace(checkKey(mainName, mainName), 0);
        m_check->files.push_back({std::string(mainName), CheckedFile::Kind::Main, {}, {}, {}});
    }
}

void Merge::queue(std::string_view name, std::size_t referrer, Source source, std::string section, std::string path)
{
    m_datFiles.emplace_back(name);
    m_referrers.push_back(referrer);
    if (m_job.pack) {
        m_sections.push_back(std::move(section));
        m_sources.push_back(source);
        m_paths.push_back(std::move(path));
    }
}

std::string Merge::checkKey(std::string_view name, std::string_view section) const
{
    return m_job.pack ? foldCase(section) : std::string(name);
}

void Merge::noteReference(const std::string& key, std::string_view name, std::size_t referrer, CheckedFile::Kind kind,
                          std::string path)
{
    const auto [found, added] = m_checked.try_emplace(key, m_check->files.size());
    if (added) {
        m_check->files.push_back({std::string(name), kind, std::move(path), {}, {}});
    }
    auto& referencedBy = m_check->files[found->second].referencedBy;
    const std::string& referrerName = m_datFiles[referrer];
    if (std::find(referencedBy.begin(), referencedBy.end(), referrerName) == referencedBy.end()) {
        referencedBy.push_back(referrerName);
    }
}

void Merge::noteEntry(std::size_t index, CheckedFile::Kind kind, const std::string& path, std::string reason)
{
    if (m_check == nullptr) {
        return;
    }
    const auto found = m_checked.find(checkKey(m_datFiles[index], m_job.pack ? m_sections[index] : std::string_view()));
    if (found == m_checked.end()) {
        return;
    }
    CheckedFile& file = m_check->files[found->second];
    if (index > 0 || kind == CheckedFile::Kind::NotFound || kind == CheckedFile::Kind::Unreadable) {
        file.kind = kind;
    }
    file.path = path;
    file.reason = std::move(reason);
}

std::string_view Merge::reference(std::string_view name, std::size_t index)
{
    if (!m_job.pack) {
        // A name is decided once: queued, or left to the library. Neither answer changes within
        // one merge, and most lines name parts met before.
        if (m_decided.insert(name)) {
            const bool library = m_library.IsLibraryFile(name);
            if (!library) {
                queue(name, index, Source::Custom, {}, {});
            }
            if (m_check != nullptr) {
                noteReference(std::string(name), name, index,
                              library ? CheckedFile::Kind::Library : CheckedFile::Kind::NotFound,
                              library ? m_library.Locate(name).path : std::string());
            }
        } else if (m_check != nullptr) {
            noteReference(std::string(name), name, index, CheckedFile::Kind::NotFound, {});
        }
        return name;
    }
    // Packing: every file once, under the name a viewer looks it up by, letter case aside.
    auto known = m_packedNames.find(std::string(name));
    if (known == m_packedNames.end()) {
        std::string section;
        std::string path;
        Source source = Source::Custom;
        if (m_library.IsLibraryFile(name)) {
            LibraryIndex::Located located = m_library.Locate(name);
            section = std::move(located.packedName);
            path = std::move(located.path);
            source = Source::Library;
        } else {
            section = packedCustomName(name);
        }
        if (m_sectionNames.insert(foldCase(section))) {
            queue(name, index, source, section, path);
        }
        known = m_packedNames.emplace(std::string(name), std::move(section)).first;
        if (m_check != nullptr) {
            noteReference(foldCase(known->second), name, index,
                          source == Source::Library ? CheckedFile::Kind::Library : CheckedFile::Kind::NotFound, path);
        }
    } else if (m_check != nullptr) {
        noteReference(foldCase(known->second), name, index, CheckedFile::Kind::NotFound, {});
    }
    return known->second;
}

MergeResult Merge::run(std::string_view mainName)
{
    start(mainName);

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
        for (std::size_t i = 0; i < result.datFiles.size(); ++i) {
            const std::string& name = result.datFiles[i];
            if (m_job.pack && m_sources[i] == Source::Library) {
                details += name + " (library)\n";
            } else if (!notFound.contains(name)) {
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

void Merge::walk(std::string_view mainName)
{
    start(mainName);
    if (mainName.empty()) {
        noteEntry(0, CheckedFile::Kind::NotFound, {});
        return;
    }
    for (std::size_t index = 0; index < m_datFiles.size(); ++index) {
        AppendDATFile(index);
    }
}

void Merge::AppendDATFile(std::size_t index)
{
    // A copy: queuing below may move the list's entries.
    const std::string name = m_datFiles[index];
    const std::string referrer = index == 0 ? std::string() : m_datFiles[m_referrers[index]];
    std::string shownPath = joinPath(m_job.datPath, name);
    auto unreadable = [&](std::string reason) {
        noteEntry(index, CheckedFile::Kind::Unreadable, shownPath, reason);
        m_unreadable.push_back({shownPath, std::move(reason), referrer});
    };

    std::string path;
    CheckedFile::Kind kind = index == 0 ? CheckedFile::Kind::Main : CheckedFile::Kind::Custom;
    if (m_job.pack && m_sources[index] == Source::Library) {
        path = m_paths[index];
        shownPath = path;
        kind = CheckedFile::Kind::Library;
    } else {
        const ResolvedName resolved = m_datFolder.resolveFresh(m_job.datPath, name);
        path = resolved.path();
        if (!resolved.fileExists) {
            // Nothing of that name in the DAT folder, in any letter case: a part not yet official,
            // which the library keeps apart, or a sub-file the user may do without. A folder, a
            // pipe or a main file that is not there stays a failure.
            if (index == 0 || resolved.occupant != EntryKind::Missing) {
                unreadable(whyNotAFile(resolved.occupant));
                if (resolved.occupant == EntryKind::Missing) {
                    noteEntry(index, CheckedFile::Kind::NotFound, {}); // a main file that is not there
                }
                return;
            }
            path = m_library.UnofficialFile(name);
            if (path.empty()) {
                // A queued name is noted as found nowhere until it is found.
                m_notFound.push_back({name, referrer});
                return;
            }
            m_unofficial.insert(name);
            shownPath = path;
            kind = CheckedFile::Kind::Unofficial;
        }
    }
    std::unique_ptr<InputFile> file;
    if (const Status opened = m_fileSystem.openForReading(path, file); !opened) {
        unreadable(opened.reason());
        return;
    }
    noteEntry(index, kind, path);
    if (m_output != nullptr) {
        m_output->write(fileMarkerLine(m_job.pack ? m_sections[index] : name));
        if (index == 0) {
            for (const auto& line : mpdHeader(m_job.authorName)) {
                m_output->write(line);
            }
            if (m_job.pack) {
                // The library's colours, for a viewer that has no library.
                for (const auto& line : libraryColours(m_fileSystem, m_job.ldrawPath)) {
                    m_output->write(line);
                }
            }
        }
    }
    LineReader reader(*file);
    std::string_view line;
    const ReferenceKinds kinds = m_job.pack ? ReferenceKinds::Any : m_job.referenceKinds;
    while (reader.next(line)) {
        if (IsSubFileReference(line, kinds)) {
            std::string_view subName = SubFileName(line);
            if (m_job.pack) {
                // Whatever a name ends in, blanks after it are no part of it.
                subName = subName.substr(0, subName.find_last_not_of(" \t") + 1);
            }
            if (!subName.empty()) {
                const std::string_view written = reference(subName, index);
                if (written.data() != subName.data()) {
                    // Packing names it by its library path: the rest of the line stays as it was.
                    const auto offset = static_cast<std::size_t>(subName.data() - line.data());
                    m_rewritten.assign(line.substr(0, offset));
                    m_rewritten.append(written);
                    m_rewritten.append(line.substr(offset + subName.size()));
                    line = m_rewritten;
                }
            }
        }
        if (m_output != nullptr && !IsFileMarker(line)) {
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

bool CheckResult::complete() const
{
    return std::none_of(files.begin(), files.end(), [](const CheckedFile& file) {
        return file.kind == CheckedFile::Kind::NotFound || file.kind == CheckedFile::Kind::Unreadable;
    });
}

std::string_view kindName(CheckedFile::Kind kind)
{
    // In the order of CheckedFile::Kind.
    constexpr std::string_view kNames[] = {"main", "custom", "unofficial", "library", "not found", "unreadable"};
    return kNames[static_cast<std::size_t>(kind)];
}

CheckResult CheckMerge(std::string_view mainName, const MergeJob& job, FileSystem& fileSystem)
{
    // Nothing is asked: a prompter that is never called.
    class Silent final : public Prompter {
    public:
        bool askYesNo(const Message&) override { return false; }
        void inform(const Message&) override {}
        void reportFailure(const Message&) override {}
    } silent;
    CheckResult result;
    Merge(job, fileSystem, silent, &result).walk(mainName);
    return result;
}

} // namespace brikmux
