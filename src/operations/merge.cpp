#include "operations/merge.h"

#include "files/line_writer.h"
#include "files/paths.h"
#include "ldraw/base64.h"
#include "library/library.h"
#include "operations/messages.h"

#include <algorithm>
#include <memory>

namespace brikmux {

namespace {

WalkOptions walkOptions(const MergeJob& job, bool record)
{
    return {job.datPath, job.referenceKinds, job.pack, record};
}

// The base64 characters on one "0 !: " line of an embedded image.
constexpr std::size_t kDataLineWidth = 80;

// One run of the merge: the walk's files written as sections, then its images as data blocks.
class Merge final : public ModelWalk::LineSink {
public:
    Merge(const MergeJob& job, FileSystem& fileSystem, Prompter& prompter)
        : m_job(job), m_fileSystem(fileSystem), m_prompter(prompter)
    {
    }

    MergeResult run(std::string_view mainName);

private:
    void beginFile(const WalkEntry& entry, std::size_t index) override;
    void line(std::string_view line) override
    {
        if (m_matching) {
            matchHeader(line);
        } else {
            m_output->write(line);
        }
    }
    // Holds the main file's first lines while they match the header.
    void matchHeader(std::string_view line);
    // Ends the main file's lines: those held while they matched the header are written, unless
    // they were the whole header.
    void endHeader();
    bool accepting() const override { return m_output->status().isOk(); }
    // The main file's first lines are matched against the header; every other line goes as it is.
    LineWriter* writer() override { return m_matching ? nullptr : m_output; }

    void writeImages();
    MergeResult::Status fail(const Message& message)
    {
        m_prompter.reportFailure(message);
        return MergeResult::Status::Failed;
    }
    MergeResult::Status writeAll(std::string_view mainName, const std::string& target);
    std::string details(const MergeResult& result) const;

    const MergeJob& m_job;
    FileSystem& m_fileSystem;
    Prompter& m_prompter;
    std::unique_ptr<Library> m_library;
    std::unique_ptr<ModelWalk> m_walk;
    LineWriter* m_output = nullptr;
    std::vector<messages::UnreadableFile> m_unreadable;
    bool m_replacing = false; // the output exists and the user agreed to replace it
    // The header a merge writes (and, packing, the colours after it): a main file that starts with
    // it, as a split of a merged file gives, has it replaced rather than repeated.
    std::vector<std::string> m_header;
    std::vector<std::string> m_held; // the main file's first lines while they match m_header (read no more after)
    bool m_matching = false;
};

// The header's first line names its author: any author matches.
constexpr std::string_view kAuthorLine = "0 MPD Author: ";
constexpr std::size_t kHeaderLines = 5;

void Merge::matchHeader(std::string_view line)
{
    const std::size_t at = m_held.size();
    if (at == 0 ? line.starts_with(kAuthorLine) : line == m_header[at]) {
        m_held.emplace_back(line);
        if (m_held.size() == m_header.size()) {
            m_matching = false; // the whole header: it goes
        }
        return;
    }
    endHeader();
    m_output->write(line);
}

void Merge::endHeader()
{
    if (m_matching) {
        // The header without all the colours after it: the header goes, the rest stays.
        const std::size_t dropped = m_held.size() >= kHeaderLines ? kHeaderLines : 0;
        for (std::size_t i = dropped; i < m_held.size(); ++i) {
            m_output->write(m_held[i]);
        }
        m_matching = false;
    }
}

void Merge::beginFile(const WalkEntry& entry, std::size_t index)
{
    endHeader();
    m_output->write(fileMarkerLine(entry.section));
    if (index == 0) {
        m_header = mpdHeader(m_job.authorName);
        if (m_job.pack) {
            // The library's colours, for a viewer that has no library.
            const auto colours = m_library->colours();
            m_header.insert(m_header.end(), colours.begin(), colours.end());
        }
        for (const auto& line : m_header) {
            m_output->write(line);
        }
        m_matching = true;
    }
}

void Merge::writeImages()
{
    std::string bytes;
    std::string text;
    std::string line;
    for (const WalkEntry& entry : m_walk->entries()) {
        if (entry.type != WalkEntry::Type::Image || !entry.embedded || entry.kind == WalkEntry::Kind::Unreadable) {
            continue;
        }
        if (const Status read = m_walk->readAll(entry, bytes); !read) {
            m_unreadable.push_back({entry.path, read.reason(), m_walk->entries()[entry.referrer].name});
            continue;
        }
        m_output->write("0 !DATA " + entry.section);
        text.clear();
        appendBase64(bytes, text);
        for (std::size_t at = 0; at < text.size(); at += kDataLineWidth) {
            line.assign("0 !: ");
            line.append(text, at, kDataLineWidth);
            m_output->write(line);
        }
    }
}

MergeResult Merge::run(std::string_view mainName)
{
    MergeResult result;
    result.mpdName = withMpdSuffix(m_job.mpdName);
    // The library is opened once, first: an archive that cannot be read fails the merge before
    // anything is asked or written.
    if (const Status opened = openLibrary(m_fileSystem, m_job.ldrawPath, m_library); !opened) {
        result.status = fail(messages::mergeCannotReadLibrary(opened.reason()));
        result.datFiles.emplace_back(mainName);
        return result;
    }
    m_walk = std::make_unique<ModelWalk>(walkOptions(m_job, false), m_fileSystem, *m_library);
    const std::string target = joinPath(m_job.mpdPath, result.mpdName);
    if (m_fileSystem.sameFile(target, joinPath(m_job.datPath, mainName))) {
        // Writing the output would destroy the model it is made from.
        result.status = fail(messages::mergeOutputIsInput(target));
        result.datFiles.emplace_back(mainName);
        return result;
    }
    m_replacing = m_fileSystem.kindOf(target) == EntryKind::File;
    result.status = m_replacing && !m_prompter.askYesNo(messages::mergeOutputExists()) ? MergeResult::Status::Declined
                                                                                       : writeAll(mainName, target);
    // The work list: the main name alone when the walk did not run.
    if (m_walk->entries().empty()) {
        result.datFiles.emplace_back(mainName);
    }
    for (const WalkEntry& entry : m_walk->entries()) {
        if (entry.type == WalkEntry::Type::Model && (entry.kind != WalkEntry::Kind::Library || m_job.pack)) {
            result.datFiles.push_back(entry.name);
        } else if (entry.type == WalkEntry::Type::Image && entry.embedded) {
            result.images.push_back(entry.name);
        }
    }
    result.notFound = m_walk->notFound();
    if (result.status == MergeResult::Status::Created) {
        std::size_t sections = 0;
        for (const WalkEntry& entry : m_walk->entries()) {
            sections += entry.type == WalkEntry::Type::Model && entry.embedded ? 1 : 0;
        }
        m_prompter.inform(messages::mergeCreated(result.mpdName, sections - 1, result.images.size(), details(result)));
    }
    return result;
}

std::string Merge::details(const MergeResult& result) const
{
    // The sections, then the data blocks, as the file holds them.
    std::string details;
    for (const WalkEntry::Type type : {WalkEntry::Type::Model, WalkEntry::Type::Image}) {
        const bool image = type == WalkEntry::Type::Image;
        for (const WalkEntry& entry : m_walk->entries()) {
            if (!entry.embedded || entry.type != type) {
                continue;
            }
            details += entry.name;
            if (!entry.renamedFrom.empty()) {
                // Told apart from another block of its name: where it came from, and its new name.
                details += " from " + (entry.in.empty() ? std::string("the DAT folder") : entry.in) + " as " +
                           entry.section + "\n";
            } else if (!entry.in.empty()) {
                details += " (in " + entry.in + ")\n";
            } else if (entry.kind == WalkEntry::Kind::Library) {
                details += image ? " (library image)\n" : " (library)\n";
            } else if (entry.kind == WalkEntry::Kind::Unofficial) {
                details += image ? " (unofficial image)\n" : " (unofficial)\n";
            } else if (entry.replacesLibrary) {
                details += " (replaces a library part)\n";
            } else {
                details += image ? " (image)\n" : "\n";
            }
        }
    }
    for (const auto& missing : result.notFound) {
        details += missing.name + " (not found)\n";
    }
    return details;
}

MergeResult::Status Merge::writeAll(std::string_view mainName, const std::string& target)
{
    if (mainName.empty()) {
        return fail(messages::mergeWithoutMainFile());
    }
    std::unique_ptr<OutputFile> file;
    if (const Status created = m_fileSystem.createOutput(folderOf(target), file); !created) {
        return fail(messages::mergeCannotWrite(target, created.reason()));
    }
    LineWriter output(*file);
    m_output = &output;
    m_walk->run(mainName, this);
    endHeader();
    m_unreadable = m_walk->unreadable();
    if (m_unreadable.empty() && output.status()) {
        writeImages();
    }
    m_output = nullptr;
    if (const Status flushed = output.flush(); !flushed) {
        return fail(messages::mergeCannotWrite(target, flushed.reason()));
    }
    if (!m_unreadable.empty()) {
        return fail(messages::mergeCannotRead(m_unreadable));
    }
    if (const auto cycle = m_walk->findCycle()) {
        return fail(messages::mergeCycle(cycle->chain, cycle->file, cycle->line));
    }
    if (const auto notFound = m_walk->notFound();
        !notFound.empty() && !m_prompter.askYesNo(messages::mergeFilesNotFound(notFound))) {
        return MergeResult::Status::NotFoundDeclined; // the uncommitted output goes with file
    }
    if (const Status committed = file->commit(target, m_replacing); !committed) {
        return fail(messages::mergeCannotWrite(target, committed.reason()));
    }
    return MergeResult::Status::Created;
}

} // namespace

MergeResult MergeToMPD(std::string_view mainName, const MergeJob& job, FileSystem& fileSystem, Prompter& prompter)
{
    return Merge(job, fileSystem, prompter).run(mainName);
}

bool CheckResult::complete() const
{
    return failure.empty() && !cycle && std::none_of(files.begin(), files.end(), [](const CheckedFile& file) {
               return file.kind == CheckedFile::Kind::NotFound || file.kind == CheckedFile::Kind::Unreadable;
           });
}

CheckResult CheckMerge(std::string_view mainName, const MergeJob& job, FileSystem& fileSystem)
{
    CheckResult result;
    result.main = std::string(mainName);
    if (mainName.empty()) {
        result.files.push_back({{}, {}, WalkEntry::Type::Model, WalkEntry::Kind::NotFound, {}, {}, 0, false, {}});
        return result;
    }
    std::unique_ptr<Library> library;
    if (const Status opened = openLibrary(fileSystem, job.ldrawPath, library); !opened) {
        result.failure = opened.reason();
        return result;
    }
    return CheckMerge(mainName, job, fileSystem, *library);
}

CheckResult CheckMerge(std::string_view mainName, const MergeJob& job, FileSystem& fileSystem, Library& library)
{
    CheckResult result;
    result.main = std::string(mainName);
    ModelWalk walk(walkOptions(job, true), fileSystem, library);
    walk.run(mainName, nullptr);
    // An image that the merge would embed must be readable, as every model file the walk read was.
    std::string bytes;
    for (WalkEntry& entry : walk.entries()) {
        if (entry.type == WalkEntry::Type::Image && entry.embedded && entry.kind != WalkEntry::Kind::Unreadable) {
            if (const Status read = walk.readAll(entry, bytes); !read) {
                entry.kind = WalkEntry::Kind::Unreadable;
                entry.reason = read.reason();
            }
        }
    }
    result.cycle = walk.findCycle();
    result.files = std::move(walk.entries());
    return result;
}

} // namespace brikmux
