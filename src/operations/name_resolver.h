#pragma once

#include "files/file_system.h"
#include "library/library.h"
#include "library/name_set.h"
#include "operations/dat_folder.h"
#include "operations/section_namer.h"
#include "operations/walk_table.h"
#include "operations/walked_mpds.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace brikmux {

// Where a name leads, the one place that says it: a name referenced in a block of an MPD met
// inside the model is looked up in that MPD's blocks first; then the main MPD's sections and
// images, the DAT folder (and for images its textures folder), the library's parts and p folders,
// its models folder, its Unofficial folders. Each name is decided once, as an entry of the table;
// what the line that references it is to carry is returned (a new name where it was told apart,
// a library path where packing).
class NameResolver {
public:
    NameResolver(const WalkOptions& options, FileSystem& fileSystem, Library& library, WalkTable& table,
                 WalkedMpds& mpds, SectionNamer& namer)
        : m_options(options), m_fileSystem(fileSystem), m_library(library), m_table(table), m_mpds(mpds),
          m_namer(namer), m_datFolder(fileSystem, options.datPath)
    {
    }

    // Notes a name of the main file (the entry at 0), met before any reference: its file's name,
    // and where it is an MPD its main section's.
    void mainNamed(std::string_view name);
    // True the first time name (as spelt) is met in a plain walk: it is then to be decided.
    bool firstMeeting(std::string_view name) { return m_decided.insert(name); }
    // Decides a name met for the first time in a plain walk: queued, or left to the library.
    void decide(std::string_view name, std::size_t referrer);
    // Decides a reference made by the entry at referrer; returns the name its line is to carry.
    std::string_view reference(std::string_view name, std::size_t referrer);
    // Decides an image reference; returns the name its line is to carry.
    std::string_view image(std::string_view name, std::size_t referrer);
    // Decides where the file of the entry at index lies (once): its kind and path.
    void locate(std::size_t index);
    // The entry at index, an inner MPD's own model read from the lines before its first block,
    // met the entries from firstNew on: those its MPD holds blocks of become those blocks.
    void adoptInnerBlocks(std::size_t index, std::size_t firstNew);
    // The entry whose section the reference name, written in the entry at from, leads to; npos
    // when none.
    std::size_t target(std::string_view name, std::size_t from);

private:
    std::string_view globalReference(std::string_view name, std::size_t referrer);
    // The entry of name in the inner MPD at container, kGlobal where it holds no such block.
    std::size_t innerReference(std::size_t container, std::string_view name, std::size_t referrer);
    // The entry of an inner MPD's block, made when it is first met.
    std::size_t blockEntry(std::size_t container, std::size_t block, std::string_view name, std::size_t referrer,
                           WalkEntry::Type type);
    // Fills entry (an image) where the DAT folder, or its textures folder, holds name; false when
    // neither does, or name would leave the folder.
    bool findInDatFolder(std::string_view name, WalkEntry& entry);
    // The main MPD's section of that name; npos when there is none.
    std::size_t sectionFor(std::string_view name) const;
    // True when name, a library file's name, is also a section of model (the main MPD where null)
    // or a file of the DAT folder whose lines differ from the library file's (line ends aside);
    // block is that section.
    bool replacesLibraryFile(std::string_view name, std::size_t block, const MpdModel* model = nullptr);
    const WalkOptions& m_options;
    FileSystem& m_fileSystem;
    Library& m_library;
    WalkTable& m_table;
    WalkedMpds& m_mpds;
    SectionNamer& m_namer;
    DatFolder m_datFolder;
    NameSet m_decided;                                          // plain: every name met so far, as spelt
    std::unordered_map<std::string, std::size_t> m_index;       // an entry's key: its name, or (packing) folded section
    std::unordered_map<std::string, std::string> m_packedNames; // packing: each spelling's section name
    std::unordered_map<std::string, std::size_t> m_images;      // folded image name -> entry
    std::unordered_map<std::string, std::string> m_renamed;     // plain: a name as spelt -> its section's name
};

} // namespace brikmux
