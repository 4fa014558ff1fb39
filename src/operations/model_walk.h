#pragma once

#include "files/file_system.h"
#include "ldraw/model_text.h"
#include "ldraw/mpd_model.h"
#include "library/case_resolver.h"
#include "library/library.h"
#include "library/name_set.h"
#include "operations/messages.h"

#include <cstddef>
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
    std::size_t block = MpdModel::npos;    // the MPD's block that holds it
    bool replacesLibrary = false;          // a custom file named like a library file, which it differs from
};

// Decides what a model reaches and where each file and image is found: the DAT folder first,
// then the library, then its Unofficial folders. A main file that is an MPD (it holds "0 FILE"
// sections or "0 !DATA" blocks) gives the main model, its main section, and its sections and
// images are looked up before all others, letter case aside. Each model file that gets a section is read once,
// in the order of first reference (breadth first), and its lines are handed on, names rewritten
// where packing renames them; FILE markers inside a file are left out.
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

private:
    // Decides a reference made by the entry at referrer; returns the name its line is to carry.
    std::string_view reference(std::string_view name, std::size_t referrer);
    // Decides a name met for the first time (plain): queued, or left to the library.
    void decide(std::string_view name, std::size_t referrer);
    void image(std::string_view name, std::size_t referrer);
    // Fills entry (an image) where the DAT folder, or its textures folder, holds name; false when
    // neither does, or name would leave the folder.
    bool findInDatFolder(std::string_view name, WalkEntry& entry);
    std::size_t add(WalkEntry entry, bool queued);
    // The MPD's section of that name; npos when there is none.
    std::size_t sectionFor(std::string_view name) const;
    // True when name, a library file's name, is also a section of the MPD or a file of the DAT
    // folder whose lines differ from the library file's (line ends aside); block is that section.
    bool replacesLibraryFile(std::string_view name, std::size_t block);
    // False when the DAT folder surely holds no file of that name, letter case aside: its top
    // level, listed once, has none.
    bool datFolderMayHold(std::string_view name);
    // Follows the reference line (a view into fullLine, which it may wrap) made by the entry at index.
    void followReference(std::string_view& fullLine, std::string_view line, std::size_t index, bool plain);
    void noteReferrer(std::size_t entry, std::size_t referrer);
    // Reads the queued entry at index, handing its lines to the sink.
    void read(std::size_t index, LineSink* sink);
    // Reads the main file (open as file) whole; file then reads the main model's lines.
    Status loadMain(std::unique_ptr<InputFile>& file, const std::string& path);
    // Follows the reference at name (a view into line), and rewrites line where packing renames it.
    void follow(std::string_view& line, std::string_view name, std::size_t index);

    WalkOptions m_options;
    FileSystem& m_fileSystem;
    Library& m_library;
    CaseResolver m_datFolder;
    std::vector<WalkEntry> m_entries;
    std::vector<std::size_t> m_queue;                           // the entries whose files are read, in order
    NameSet m_decided;                                          // plain: every name met so far, as spelt
    std::unordered_map<std::string, std::size_t> m_index;       // an entry's key: its name, or (packing) folded section
    std::unordered_map<std::string, std::string> m_packedNames; // packing: each spelling's section name
    std::unordered_map<std::string, std::size_t> m_images;      // folded image name -> entry
    std::vector<messages::UnreadableFile> m_unreadable;
    std::string m_rewritten;           // the line being handed on, with its name replaced
    std::unique_ptr<MpdModel> m_mpd;   // the main file as read
    std::optional<NameSet> m_datFiles; // the DAT folder's entries, letter case folded
    std::string m_mpdFile;             // its path, where it is an MPD
};

// "main", "custom", "unofficial", "library", "not found" or "unreadable".
std::string_view kindName(WalkEntry::Kind kind);

} // namespace brikmux
