#pragma once

#include "files/file_system.h"
#include "files/line_writer.h"
#include "ldraw/model_text.h"
#include "ldraw/mpd_model.h"
#include "library/case_resolver.h"
#include "library/library.h"
#include "library/name_set.h"
#include "operations/messages.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brikmux {

// What a walk follows and how it names what it finds.
struct WalkOptions {
    std::string datPath; // folder of the main file and the custom sub-files, ending in a separator
    ReferenceKinds referenceKinds = ReferenceKinds::Any;
    // Every file is followed and embedded, library files and images included, each once (letter
    // case aside); library files and names in the s and 48 folders are named by their library
    // paths (parts/3001.dat, p/48/1-4cyli.dat).
    bool pack = false;
    // Every library file met is listed too, and each entry with every file that references it.
    bool record = false;
};

// A file or image that a walk met.
struct WalkEntry {
    enum class Kind { Main, Custom, Unofficial, Library, NotFound, Unreadable };
    enum class Type { Model, Image };
    std::string name;    // as its first reference spells it
    std::string section; // the name its section or data block carries
    Type type = Type::Model;
    Kind kind = Kind::NotFound;
    std::string path;                      // where it was found; empty for a file found nowhere
    std::string reason;                    // why it cannot be read
    std::size_t referrer = 0;              // the entry whose reference met it first
    bool embedded = false;                 // it gets a section or a data block
    std::vector<std::string> referencedBy; // with WalkOptions::record: every referrer, once each
    std::size_t block = MpdModel::npos;    // the MPD's block that holds it (of container's MPD, where set)
    bool replacesLibrary = false;          // a custom file named like a library file, which it differs from
    // An MPD met inside the model (a sub-file with blocks): the one whose block this is, its own
    // model included; npos for every other entry.
    std::size_t container = MpdModel::npos;
    std::string in = {};          // a block of an MPD met inside the model: that file's name as referenced
    std::string renamedFrom = {}; // where the output names it anew (its name taken by another): its name
};

// A chain of sections that reaches itself, as the walk found it.
struct WalkCycle {
    std::string chain; // "a.ldr -> b.mpd -> a.ldr"
    std::string file;  // the file whose line closes it (", section NAME" for a block of an MPD)
    std::uint64_t line = 0;
};

// Decides what a model reaches and where each file and image is found: the DAT folder first,
// then the library, then its models folder, then its Unofficial folders. A main file that is an
// MPD (it holds "0 FILE" sections or "0 !DATA" blocks) gives the main model, its main section,
// and its sections and images are looked up before all others, letter case aside. A sub-file that
// is an MPD brings its blocks along: its own model (its first section, or its model lines before
// it) is the file's section, and a name met in its blocks is looked up in its blocks first. Two
// blocks of different content that would carry one section name (letter case aside) are told
// apart: the first met keeps the name, a later one gets a new name in its file's own folder
// ("house/roof.ldr"); blocks of the same content are embedded once. Each model file that gets a
// section is read once, in the order of first reference (breadth first), and its lines are handed
// on, names rewritten where packing or a new name renames them.
class ModelWalk {
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
    const std::vector<WalkEntry>& entries() const { return m_entries; }
    std::vector<WalkEntry>& entries() { return m_entries; }
    // The model files that could not be read, in the order met.
    const std::vector<messages::UnreadableFile>& unreadable() const { return m_unreadable; }
    // Entries found nowhere, in the walk's order.
    std::vector<messages::MissingFile> notFound() const;
    // Opens the file of an entry that was found, wherever it lies.
    Status open(const WalkEntry& entry, std::unique_ptr<InputFile>& file);
    // Reads the whole file of an entry that was found (an image) into bytes.
    Status readAll(const WalkEntry& entry, std::string& bytes);
    // Where MPDs were met inside the model: the first chain of sections that reaches itself.
    std::optional<WalkCycle> findCycle();

private:
    // An MPD met inside the model, read whole.
    struct InnerMpd {
        std::unique_ptr<MpdModel> model;
        std::string name;                                    // as the reference that met it first names it
        std::string path;                                    // where it was read
        std::string folder;                                  // where its renamed blocks go: "house/" for "house.mpd"
        std::unordered_map<std::string, std::size_t> names;  // a name as spelt -> its entry, or kGlobal
        std::unordered_map<std::string, std::size_t> images; // a folded image name -> its entry, or kGlobal
        std::unordered_map<std::size_t, std::size_t> blocks; // a block -> its entry
    };
    // What reading a file's lines found.
    struct Lines {
        bool markerMet = false;  // a "0 FILE" or "0 !DATA" line stopped the reading
        bool modelLines = false; // a line of type 1 to 5 came before it
    };

    // Decides a reference made by the entry at referrer; returns the name its line is to carry.
    std::string_view reference(std::string_view name, std::size_t referrer);
    std::string_view globalReference(std::string_view name, std::size_t referrer);
    // The entry of name in the inner MPD at container, kGlobal where it holds no such block.
    std::size_t innerReference(std::size_t container, std::string_view name, std::size_t referrer);
    // The entry of an inner MPD's block, made when it is first met.
    std::size_t blockEntry(std::size_t container, std::size_t block, std::string_view name, std::size_t referrer,
                           WalkEntry::Type type);
    // Decides a name met for the first time (plain): queued, or left to the library.
    void decide(std::string_view name, std::size_t referrer);
    // Decides an image reference; returns the name its line is to carry.
    std::string_view image(std::string_view name, std::size_t referrer);
    // Fills entry (an image) where the DAT folder, or its textures folder, holds name; false when
    // neither does, or name would leave the folder.
    bool findInDatFolder(std::string_view name, WalkEntry& entry);
    std::size_t add(WalkEntry entry, bool queued);
    // The MPD's section of that name; npos when there is none.
    std::size_t sectionFor(std::string_view name) const;
    // True when name, a library file's name, is also a section of model (the main MPD where null)
    // or a file of the DAT folder whose lines differ from the library file's (line ends aside);
    // block is that section.
    bool replacesLibraryFile(std::string_view name, std::size_t block, const MpdModel* model = nullptr);
    // False when the DAT folder surely holds no file of that name, letter case aside: its top
    // level, listed once, has none.
    bool datFolderMayHold(std::string_view name);
    // Follows the reference line (a view into fullLine, which it may wrap) made by the entry at index.
    void followReference(std::string_view& fullLine, std::string_view line, std::size_t index, bool plain);
    void noteReferrer(std::size_t entry, std::size_t referrer);
    // The entry at index as a person finds it in the output: its new name where it was renamed.
    const std::string& referrerName(std::size_t index) const;
    // Decides where the file of the entry at index lies (once): its kind and path.
    void locate(std::size_t index);
    // Reads the queued entry at index, handing its lines to the sink.
    void read(std::size_t index, LineSink* sink);
    // Reads file's lines as the entry at index's; with mayBeMpd, stops at a block's marker.
    Lines readLines(InputFile& file, std::size_t index, LineSink* sink, bool mayBeMpd, Status& status);
    // The entry at index, being read, holds blocks: reads it whole as an inner MPD and hands on its
    // own model's lines where they follow its first marker.
    void openInner(std::size_t index, bool ownModelRead, std::size_t firstNew, LineSink* sink);
    // Gives the entry at index its section name among those taken; returns the entry that carries
    // it (another, of the same content, where the entry was dropped).
    std::size_t place(std::size_t index);
    bool sameContent(std::size_t a, std::size_t b);
    // A hash of the entry's lines (line ends aside) or bytes, made once; never 0.
    std::uint64_t contentHash(std::size_t index);
    // Reads the main file (open as file) whole; file then reads the main model's lines.
    Status loadMain(std::unique_ptr<InputFile>& file, const std::string& path);
    // Follows the reference at name (a view into line), and rewrites line where its name is renamed.
    void follow(std::string_view& line, std::string_view name, std::size_t index);
    // Follows the images of a !TEXMAP line, rewriting the names that are renamed.
    void followImages(std::string_view& line, const TexmapLine& texmap, std::size_t index);
    // The entry whose section the reference name, written in the entry at from, leads to; npos when none.
    std::size_t target(std::string_view name, std::size_t from);
    const MpdModel* modelOf(const WalkEntry& entry) const;
    // Where an entry's lines are, for a person: its file, and its section where it is a block.
    std::string placeOf(const WalkEntry& entry) const;

    WalkOptions m_options;
    FileSystem& m_fileSystem;
    Library& m_library;
    CaseResolver m_datFolder;
    std::vector<WalkEntry> m_entries;
    std::vector<char> m_located;                                // per entry: its place is decided
    std::vector<std::uint64_t> m_hashes;                        // per entry: contentHash, 0 until made
    std::vector<std::size_t> m_queue;                           // the entries whose files are read, in order
    NameSet m_decided;                                          // plain: every name met so far, as spelt
    std::unordered_map<std::string, std::size_t> m_index;       // an entry's key: its name, or (packing) folded section
    std::unordered_map<std::string, std::string> m_packedNames; // packing: each spelling's section name
    std::unordered_map<std::string, std::size_t> m_images;      // folded image name -> entry
    std::vector<messages::UnreadableFile> m_unreadable;
    std::string m_rewritten;           // the line being handed on, with its name replaced
    std::unique_ptr<MpdModel> m_mpd;   // the main file as read
    std::optional<NameSet> m_datFiles; // the DAT folder's entries, letter case folded
    std::string m_folded;              // a name asked of them, folded
    std::string m_mpdFile;             // its path, where it is an MPD
    std::vector<InnerMpd> m_inner;
    std::unordered_map<std::string, std::size_t> m_innerByPath;
    // Once an inner MPD is met: each section name taken (folded) -> the entry that carries it.
    std::unordered_map<std::string, std::size_t> m_sections;
    // Each name a block or file wanted (folded) -> the entries that carry it or were renamed from it.
    std::unordered_map<std::string, std::vector<std::size_t>> m_namedAs;
    std::unordered_map<std::string, std::string> m_renamed; // plain: a name as spelt -> its section's name
};

// "main", "custom", "unofficial", "library", "not found" or "unreadable".
std::string_view kindName(WalkEntry::Kind kind);

} // namespace brikmux
