#pragma once

#include "files/file_system.h"
#include "files/line_writer.h"
#include "ldraw/model_text.h"
#include "library/library.h"
#include "operations/messages.h"
#include "operations/name_resolver.h"
#include "operations/section_namer.h"
#include "operations/walk_entry.h"
#include "operations/walk_table.h"
#include "operations/walked_mpds.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brikmux {

// Decides what a model reaches: reads each model file that gets a section once, in the order of
// first reference (breadth first), follows its references and images (where each leads is the
// resolver's to say), and hands its lines on, names rewritten where packing or a new name renames
// them. A main file that is an MPD gives the main model, its main section; a sub-file that is an
// MPD brings its blocks along, its own model (its first section, or its model lines before it)
// being the file's section.
class ModelWalk : private SectionNamer::Content {
public:
    // Receives the lines of each model file that gets a section.
    class LineSink {
    public:
        virtual ~LineSink() = default;
        virtual void beginFile(const WalkEntry& entry, std::size_t index) = 0;
        virtual void line(std::string_view line) = 0;
        // False once the sink can take no more (its output failed): the walk then stops.
        virtual bool accepting() const { return true; }
        // Where the lines of the file just begun may be written as they are, in place of line();
        // null where each must pass through line().
        virtual LineWriter* writer() { return nullptr; }
    };

    ModelWalk(WalkOptions options, FileSystem& fileSystem, Library& library);

    // Walks from mainName (a name in the DAT folder, not empty); sink may be null.
    void run(std::string_view mainName, LineSink* sink);
    // Every entry met, in the walk's order, the main file first. Without WalkOptions::record a
    // plain walk lists no library file.
    const std::vector<WalkEntry>& entries() const { return m_table.entries(); }
    std::vector<WalkEntry>& entries() { return m_table.entries(); }
    // The model files that could not be read, in the order met.
    const std::vector<messages::UnreadableFile>& unreadable() const { return m_table.unreadable(); }
    // Entries found nowhere, in the walk's order.
    std::vector<messages::MissingFile> notFound() const { return m_table.notFound(); }
    // Opens the file of an entry that was found, wherever it lies.
    Status open(const WalkEntry& entry, std::unique_ptr<InputFile>& file) { return m_mpds.open(entry, file); }
    // Reads the whole file of an entry that was found (an image) into bytes.
    Status readAll(const WalkEntry& entry, std::string& bytes) { return m_mpds.readAll(entry, bytes); }
    // Where MPDs were met inside the model: the first chain of sections that reaches itself.
    std::optional<WalkCycle> findCycle();

private:
    // What reading a file's lines found.
    struct Lines {
        bool markerMet = false;  // a "0 FILE" or "0 !DATA" line stopped the reading
        bool modelLines = false; // a line of type 1 to 5 came before it
    };

    // The content of an entry, for telling blocks of one name apart.
    Status open(std::size_t index, std::unique_ptr<InputFile>& file) override;
    Status readAll(std::size_t index, std::string& bytes) override;

    // Reads the queued entry at index, handing its lines to the sink.
    void read(std::size_t index, LineSink* sink);
    // Reads the main file (open as file) whole; file then reads the main model's lines.
    Status loadMain(std::unique_ptr<InputFile>& file);
    // Reads file's lines as the entry at index's; with mayBeMpd, stops at a block's marker.
    Lines readLines(InputFile& file, std::size_t index, LineSink* sink, bool mayBeMpd, Status& status);
    // The entry at index, being read, holds blocks: reads it whole as an inner MPD and hands on its
    // own model's lines where they follow its first marker.
    void openInner(std::size_t index, bool ownModelRead, std::size_t firstNew, LineSink* sink);
    // Follows the reference line (a view into fullLine, which it may wrap) made by the entry at index.
    void followReference(std::string_view& fullLine, std::string_view line, std::size_t index, bool plain);
    // Follows the reference at name (a view into line), and rewrites line where its name is renamed.
    void follow(std::string_view& line, std::string_view name, std::size_t index);
    // Follows the images of a !TEXMAP line, rewriting the names that are renamed.
    void followImages(std::string_view& line, const TexmapLine& texmap, std::size_t index);

    WalkOptions m_options;
    WalkTable m_table;
    WalkedMpds m_mpds;
    SectionNamer m_namer;
    NameResolver m_resolver;
    std::string m_rewritten; // the line being handed on, with its name replaced
};

} // namespace brikmux
