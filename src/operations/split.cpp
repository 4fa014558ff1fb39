#include "operations/split.h"

#include "files/line_reader.h"
#include "files/line_writer.h"
#include "files/paths.h"
#include "ldraw/base64.h"
#include "ldraw/block_copies.h"
#include "ldraw/model_text.h"
#include "ldraw/mpd_reader.h"
#include "operations/messages.h"
#include "operations/split_targets.h"

#include <cstdint>
#include <memory>
#include <optional>

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
        : m_name(name), m_job(job), m_fileSystem(fileSystem), m_prompter(prompter),
          m_targets(name, job.datPath, fileSystem, prompter)
    {
    }

    SplitResult run();

private:
    // Writes the lines before the first block as the main model NAME.ldr when they hold one.
    bool writeUnnamedMain();
    bool startSection(const MpdReader::Item& marker);
    // Counts and notes a block as open() left it; true when it is to be written.
    bool settled(SplitTargets::Opened opened, const std::string& name, std::uint64_t line, bool image);
    bool finishSection();
    // Takes from the second blocks of a name those whose lines equal the first block's (editors
    // pack one part more than once): nothing is lost by leaving them out. False when the MPD can
    // no longer be read.
    bool leaveOutCopies(const std::string& mpdFile);
    void startData(const MpdReader::Item& marker);
    bool finishData();
    bool fail(const Message& message)
    {
        m_prompter.reportFailure(message);
        return false;
    }

    std::string m_name;
    const SplitJob& m_job;
    FileSystem& m_fileSystem;
    Prompter& m_prompter;
    SplitTargets m_targets;
    Section m_section;
    std::optional<DataBlockDecoder> m_data; // the embedded file being read, decoded in memory
    std::vector<std::string> m_preamble;    // the lines before the first block
    bool m_preambleHoldsModel = false;      // one of them is of type 1 to 5
    bool m_blockMet = false;
    std::vector<BadImage> m_badImages;
    std::vector<messages::SecondBlock> m_seconds;
    SplitResult m_result;
    std::string m_details;
};

SplitResult Split::run()
{
    const std::string mpdFile = joinPath(m_job.mpdPath, m_name);
    std::unique_ptr<InputFile> file;
    const Status opened = openFileForReading(m_fileSystem, mpdFile, file);
    if (!opened) {
        fail(messages::splitCannotRead(mpdFile, 0, opened.reason()));
        return m_result;
    }

    LineReader reader(*file);
    MpdReader mpd(reader);
    MpdReader::Item item;
    while (mpd.next(item)) {
        if (item.type != MpdReader::Item::Type::Line) {
            if (!m_blockMet) {
                m_blockMet = true;
                if (!writeUnnamedMain()) {
                    return m_result;
                }
            }
            if (!finishSection() || !finishData()) {
                return m_result;
            }
            if (item.type == MpdReader::Item::Type::BlockEnd) {
                continue;
            }
            if (item.type == MpdReader::Item::Type::DataStart) {
                startData(item);
                continue;
            }
            if (!startSection(item)) {
                return m_result;
            }
        } else if (item.block == MpdReader::Block::Section && m_section.writer) {
            m_section.writer->write(item.line);
            if (!m_section.writer->status()) {
                m_targets.cannotWrite(m_section.name, m_section.target.path(), m_section.line,
                                      m_section.writer->status().reason());
                return m_result;
            }
        } else if (item.block == MpdReader::Block::Data && m_data) {
            m_data->add(item.line, item.number);
        } else if (item.block == MpdReader::Block::Preamble) {
            m_preamble.emplace_back(item.line);
            const int type = LineType(item.line);
            m_preambleHoldsModel = m_preambleHoldsModel || (type >= 1 && type <= 5);
        }
    }
    if (!reader.status()) {
        fail(messages::splitCannotRead(mpdFile, reader.lineNumber(), reader.status().reason()));
        return m_result;
    }
    if (!m_blockMet) {
        fail(messages::splitNotAnMpd(m_name));
        return m_result;
    }
    if (!finishSection() || !finishData()) {
        return m_result;
    }
    if (!m_seconds.empty() && !leaveOutCopies(mpdFile)) {
        return m_result;
    }
    if (!m_seconds.empty() || !m_badImages.empty()) {
        fail(messages::splitNotWritten(m_name, m_seconds, m_badImages));
        return m_result;
    }
    m_result.status = SplitResult::Status::Split;
    m_prompter.inform(messages::splitDone(m_name, m_result.sectionCount, m_result.images.size(), std::move(m_details)));
    return m_result;
}

bool Split::startSection(const MpdReader::Item& marker)
{
    const std::string name(marker.name);
    ResolvedName target;
    std::unique_ptr<OutputFile> file;
    const SplitTargets::Opened opened = m_targets.open(name, marker.number, marker.named, "FILE", target, file);
    if (!settled(opened, name, marker.number, false)) {
        return opened != SplitTargets::Opened::Failed;
    }
    m_section.name = name;
    m_section.target = std::move(target);
    m_section.line = marker.number;
    m_section.file = std::move(file);
    m_section.writer = std::make_unique<LineWriter>(*m_section.file);
    return true;
}

bool Split::settled(SplitTargets::Opened opened, const std::string& name, std::uint64_t line, bool image)
{
    if (opened == SplitTargets::Opened::Taken) {
        const SplitTargets::FirstBlock& first = m_targets.firstWith(name);
        m_seconds.push_back({name, line, image, first.name, first.line});
        return false;
    }
    if (!image && opened != SplitTargets::Opened::Failed) {
        ++m_result.sectionCount;
    }
    if (opened == SplitTargets::Opened::Declined) {
        m_details += name + " (kept as it was)\n";
    }
    return opened == SplitTargets::Opened::Yes;
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
        return m_targets.cannotWrite(m_section.name, m_section.target.path(), m_section.line, done.reason());
    }
    m_targets.written(m_section.target);
    m_result.written.push_back(m_section.name);
    m_details += m_section.name + "\n";
    return true;
}

void Split::startData(const MpdReader::Item& marker)
{
    m_data.emplace(marker.name, marker.number);
}

bool Split::finishData()
{
    if (!m_data) {
        return true;
    }
    DataBlockDecoder data = std::move(*m_data);
    m_data.reset();
    data.finish();
    const BadImage& block = data.bad();
    if (block.problem != BadImage::Problem::None) {
        m_badImages.push_back(block);
        return true;
    }
    ResolvedName target;
    std::unique_ptr<OutputFile> file;
    const SplitTargets::Opened opened = m_targets.open(block.name, block.line, true, "!DATA", target, file);
    if (!settled(opened, block.name, block.line, true)) {
        return opened != SplitTargets::Opened::Failed;
    }
    Status done = file->write(data.bytes().data(), data.bytes().size());
    if (done) {
        done = file->commit(target.path(), target.fileExists);
    }
    if (!done) {
        return m_targets.cannotWrite(block.name, target.path(), block.line, done.reason());
    }
    m_targets.written(target);
    m_result.images.push_back(block.name);
    m_details += block.name + " (image)\n";
    return true;
}

bool Split::leaveOutCopies(const std::string& mpdFile)
{
    std::vector<BlockPair> pairs;
    for (const messages::SecondBlock& second : m_seconds) {
        pairs.push_back({second.firstLine, second.line});
    }
    std::unique_ptr<InputFile> file;
    std::vector<bool> copies;
    Status read = openFileForReading(m_fileSystem, mpdFile, file);
    if (read) {
        read = findCopies(*file, pairs, copies);
    }
    if (!read) {
        return fail(messages::splitCannotRead(mpdFile, 0, read.reason()));
    }
    std::vector<messages::SecondBlock> differing;
    for (std::size_t i = 0; i < m_seconds.size(); ++i) {
        const messages::SecondBlock& second = m_seconds[i];
        if (copies[i]) {
            m_details += second.name + " (line " + std::to_string(second.line) + ") left out: a copy of line " +
                         std::to_string(second.firstLine) + "\n";
        } else {
            differing.push_back(second);
        }
    }
    m_seconds = std::move(differing);
    return true;
}

bool Split::writeUnnamedMain()
{
    if (!m_preambleHoldsModel) {
        m_preamble.clear();
        return true;
    }
    MpdReader::Item marker;
    const std::string name = unnamedMainName(m_name);
    marker.name = name;
    marker.named = true;
    marker.number = 1;
    if (!startSection(marker)) {
        return false;
    }
    for (const std::string& line : m_preamble) {
        if (m_section.writer) {
            m_section.writer->write(line);
        }
    }
    return finishSection();
}

} // namespace

SplitResult SplitMPD(std::string_view name, const SplitJob& job, FileSystem& fileSystem, Prompter& prompter)
{
    return Split(name, job, fileSystem, prompter).run();
}

} // namespace brikmux
