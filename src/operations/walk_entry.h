#pragma once

#include "ldraw/model_text.h"
#include "ldraw/mpd_model.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
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

// "main", "custom", "unofficial", "library", "not found" or "unreadable".
std::string_view kindName(WalkEntry::Kind kind);

} // namespace brikmux
