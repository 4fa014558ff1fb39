#include "split.h"

#include "case_resolver.h"
#include "line_reader.h"
#include "line_writer.h"
#include "messages.h"
#include "model_text.h"
#include "paths.h"

#include <cstdint>
#include <memory>

namespace brikmux {

namespace {

// The section being written.
struct Section {
    std::string name;
    ResolvedName target;
    std::uint64_t line = 0;
    std::unique_ptr<OutputFile> file;
    std::unique_ptr<LineWriter> writer;
};

class Split {
public:
    Split(std::string_view name, const SplitJob& job, FileSystem& fileSystem, Prompter& prompter)
        : m_name(name), m_job(job), m_fileSystem(fileSystem), m_prompter(prompter), m_datFolder(fileSystem)
    {
    }

    SplitResult run();

private:
    bool startSection(std::string_view marker, std::uint64_t line);
    bool finishSection();
    bool fail(const Message& message)
    {
        m_prompter.reportFailure(message);
        return false;
    }
    bool cannotWrite(const std::string& sectionName, const std::string& path, std::uint64_t line,
                     const std::string& reason)
    {
        return fail(messages::splitCannotWrite(sectionName, path, m_name, line, reason));
    }

    std::string m_name;
    const SplitJob& m_job;
    FileSystem& m_fileSystem;
    Prompter& m_prompter;
    CaseResolver m_datFolder;
    Section m_section;
    SplitResult m_result;
    std::string m_details;
};

SplitResult Split::run()
{
    const std::string mpdFile = joinPath(m_job.mpdPath, m_name);
    const EntryKind kind = m_fileSystem.kindOf(mpdFile);
    std::unique_ptr<InputFile> file;
    // Never open a folder, a pipe or a device as a model file: a pipe would block.
    const Status opened =
        kind == EntryKind::File ? m_fileSystem.openForReading(mpdFile, file) : Status::failure(whyNotAFile(kind));
    if (!opened) {
        fail(messages::splitCannotRead(mpdFile, 0, opened.reason()));
        return m_result;
    }

    LineReader reader(*file);
    std::string_view line;
    while (reader.next(line)) {
        if (IsFileMarker(line)) {
            ++m_result.sectionCount;
            if (!finishSection() || !startSection(line, reader.lineNumber())) {
                return m_result;
            }
        } else if (m_section.writer) {
            m_section.writer->write(line);
            if (!m_section.writer->status()) {
                cannotWrite(m_section.name, m_section.target.path(), m_section.line,
                            m_section.writer->status().reason());
                return m_result;
            }
        }
    }
    if (!reader.status()) {
        fail(messages::splitCannotRead(mpdFile, reader.lineNumber(), reader.status().reason()));
        return m_result;
    }
    if (!finishSection()) {
        return m_result;
    }
    m_result.status = SplitResult::Status::Split;
    m_prompter.inform(messages::splitDone(m_name, m_result.sectionCount, std::move(m_details)));
    return m_result;
}

bool Split::startSection(std::string_view marker, std::uint64_t line)
{
    const std::string name(FileMarkerName(marker));
    if (!hasFileMarkerName(marker) || nameComponents(name).empty()) {
        return fail(messages::splitMarkerWithoutName(m_name, line));
    }
    if (leavesFolder(name)) {
        return fail(messages::splitNameLeavesFolder(name, m_name, line));
    }
    ResolvedName target = m_datFolder.resolveFresh(m_job.datPath, name);
    if (target.fileExists) {
        if (!m_prompter.askYesNo(messages::splitOutputExists(name))) {
            m_details += name + " (kept as it was)\n";
            return true;
        }
    } else if (!target.folderExists) {
        // Folders named in the section are created, but only inside a DAT folder that exists.
        if (m_fileSystem.kindOf(m_job.datPath) != EntryKind::Folder) {
            return cannotWrite(name, target.path(), line, whyNotAFile(EntryKind::Missing));
        }
        if (const Status created = m_fileSystem.createFolders(target.folder); !created) {
            return cannotWrite(name, target.path(), line, created.reason());
        }
        m_datFolder.forget();
    } else if (target.occupant != EntryKind::Missing) {
        // A folder, a pipe or a device of that name: nothing can be written there.
        return cannotWrite(name, target.path(), line, whyNotAFile(target.occupant));
    }
    std::unique_ptr<OutputFile> file;
    if (const Status created = m_fileSystem.createOutput(target.folder, file); !created) {
        return cannotWrite(name, target.path(), line, created.reason());
    }
    m_section.name = name;
    m_section.target = std::move(target);
    m_section.line = line;
    m_section.file = std::move(file);
    m_section.writer = std::make_unique<LineWriter>(*m_section.file);
    return true;
}

bool Split::finishSection()
{
    if (!m_section.writer) {
        return true;
    }
    Status done = m_section.writer->flush();
    if (done) {
        done = m_section.file->commit(m_section.target.path(), m_section.target.fileExists);
    }
    m_section.writer.reset();
    m_section.file.reset();
    if (!done) {
        return cannotWrite(m_section.name, m_section.target.path(), m_section.line, done.reason());
    }
    m_datFolder.noteFileCreated(m_section.target.folder, m_section.target.fileName);
    m_result.written.push_back(m_section.name);
    m_details += m_section.name + "\n";
    return true;
}

} // namespace

SplitResult SplitMPD(std::string_view name, const SplitJob& job, FileSystem& fileSystem, Prompter& prompter)
{
    return Split(name, job, fileSystem, prompter).run();
}

} // namespace brikmux
