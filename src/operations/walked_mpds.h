#pragma once

#include "files/file_system.h"
#include "files/status.h"
#include "ldraw/mpd_model.h"
#include "library/library.h"
#include "operations/walk_entry.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brikmux {

// The MPDs a walk holds in memory, each read whole once: the main file where it is an MPD, and
// every MPD met inside the model (a sub-file with blocks), by path. Opens the file or block of an
// entry wherever it lies.
class WalkedMpds {
public:
    static constexpr std::size_t npos = MpdModel::npos;

    // An MPD met inside the model, with the names looked up in it.
    struct Inner {
        std::unique_ptr<MpdModel> model;
        std::string name;                                    // as the reference that met it first names it
        std::string path;                                    // where it was read
        std::string folder;                                  // where its renamed blocks go: "house/" for "house.mpd"
        std::unordered_map<std::string, std::size_t> names;  // a name as spelt -> its entry, or kGlobal
        std::unordered_map<std::string, std::size_t> images; // a folded image name -> its entry, or kGlobal
        std::unordered_map<std::size_t, std::size_t> blocks; // a block -> its entry
    };
    // An inner MPD's answer for a name it holds no block of: looked up as any other name.
    static constexpr std::size_t kGlobal = npos - 1;

    explicit WalkedMpds(Library& library) : m_library(library) {}

    // Reads the main file (open as file) whole, named name, from path; file then reads the main
    // model's lines: the whole file, or where it is an MPD its main section, whose block is
    // mainBlock (npos for a plain file).
    Status loadMain(std::unique_ptr<InputFile>& file, const std::string& name, const std::string& path,
                    std::size_t& mainBlock);
    // The main file as read, where it is an MPD; null otherwise.
    const MpdModel* main() const { return m_main != nullptr && m_main->isMpd() ? m_main.get() : nullptr; }
    const std::string& mainPath() const { return m_mainPath; }

    // The inner MPD that entry's file is, read whole when it is met first (by its path); fills
    // index with its number.
    Status inner(const WalkEntry& entry, std::size_t& index);
    Inner& inner(std::size_t index) { return m_inner[index]; }
    const Inner& inner(std::size_t index) const { return m_inner[index]; }
    // True once an MPD was met inside the model.
    bool anyInner() const { return !m_inner.empty(); }

    // The MPD whose block the entry is (the main one where it is no inner block).
    const MpdModel* modelOf(const WalkEntry& entry) const;
    // Opens the file of an entry that was found, wherever it lies.
    Status open(const WalkEntry& entry, std::unique_ptr<InputFile>& file);
    // Reads the whole file of an entry that was found (an image) into bytes.
    Status readAll(const WalkEntry& entry, std::string& bytes);
    // Where an entry's lines are, for a person: its file, and its section where it is a block.
    std::string placeOf(const WalkEntry& entry) const;

private:
    Library& m_library;
    std::unique_ptr<MpdModel> m_main; // the main file as read
    std::string m_mainPath;           // its path, where it is an MPD
    std::vector<Inner> m_inner;
    std::unordered_map<std::string, std::size_t> m_innerByPath;
};

// The name of a file as a folder of its own: "house/" for "house.mpd".
std::string folderFor(std::string_view name);

} // namespace brikmux
