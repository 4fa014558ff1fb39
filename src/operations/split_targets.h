#pragma once

#include "files/file_system.h"
#include "library/case_resolver.h"
#include "operations/prompter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace brikmux {

// Where a split writes each block: the name checked (not empty, not leaving the DAT folder),
// found there whatever its letter case, the user asked before a file is replaced, missing folders
// created, and a temporary output opened beside the target. Failures are reported here.
class SplitTargets {
public:
    // Taken: an earlier block of the run has the name, letter case and "\\" against "/" aside.
    enum class Opened { Yes, Declined, Taken, Failed };
    // The block that took a name first.
    struct FirstBlock {
        std::string name;
        std::uint64_t line = 0;
    };

    SplitTargets(std::string_view mpdName, std::string datPath, FileSystem& fileSystem, Prompter& prompter)
        : m_mpdName(mpdName), m_datPath(std::move(datPath)), m_fileSystem(fileSystem), m_prompter(prompter),
          m_folder(fileSystem)
    {
    }

    // Opens the output for the block name, marked on line by marker ("FILE" or "!DATA"); named is
    // false for a marker too short to carry a name.
    Opened open(const std::string& name, std::uint64_t line, bool named, std::string_view marker, ResolvedName& target,
                std::unique_ptr<OutputFile>& file);
    // The block that first took the name of one that open() found Taken.
    const FirstBlock& firstWith(const std::string& name) const;
    // Notes a file put in place at target, so that a later block of its name is asked about.
    void written(const ResolvedName& target) { m_folder.noteFileCreated(target.folder, target.fileName); }
    // Reports that the block name (on line) could not be written to path; returns false.
    bool cannotWrite(const std::string& name, const std::string& path, std::uint64_t line, const std::string& reason);

private:
    std::string m_mpdName;
    std::string m_datPath; // the folder written to, ending in a separator
    FileSystem& m_fileSystem;
    Prompter& m_prompter;
    CaseResolver m_folder;
    std::unordered_map<std::string, FirstBlock> m_taken; // blockKey -> the first block of that key
};

} // namespace brikmux
