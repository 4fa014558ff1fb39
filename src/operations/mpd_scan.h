#pragma once

#include "files/file_system.h"
#include "files/status.h"
#include "library/name_set.h"
#include "operations/mpd_check_report.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brikmux {

// The check's one pass over an MPD: each line checked on its own, the blocks and the references
// noted, every name met numbered once. What needs the whole file (where a name leads, what the
// main model reaches) is the check's to decide.
class MpdScan {
public:
    struct Block {
        std::string name;
        std::uint64_t line = 0; // its marker, or its first line
        bool image = false;
        bool unnamedMain = false;
        bool modelLines = false; // a line of type 1 to 5
        bool named = false;      // its "0 Name:" line was met
        bool duplicate = false;  // an earlier block has its name
    };
    // A reference: the block it stands in, its name's number among names(), its line.
    struct Reference {
        static constexpr std::uint32_t kImage = std::uint32_t{1} << 31;
        std::uint32_t block;
        std::uint32_t tagged; // the name's number, with kImage for an image's reference
        std::uint64_t line;
        std::size_t name() const { return tagged & ~kImage; }
        bool image() const { return (tagged & kImage) != 0; }
    };

    // fileName names the unnamed main model, as a split would.
    explicit MpdScan(std::string_view fileName);

    // Reads the whole file; the problems a line shows on its own go to problems.
    Status read(InputFile& file, std::vector<MpdProblem>& problems);
    // True once a block was met: the file is an MPD.
    bool isMpd() const { return !m_inPreamble; }

    const std::vector<Block>& blocks() const { return m_blocks; }
    // The first block whose name has that blockKey; npos when none.
    std::size_t find(const std::string& key) const;
    // Every name referenced, as spelt (blanks around it aside), numbered in the order met.
    const NameSet& names() const { return m_names; }
    const std::vector<Reference>& references() const { return m_references; }

private:
    void problem(std::string_view code, bool error, std::uint64_t line, std::string name, std::string message);
    void startBlock(std::string name, std::uint64_t line, bool image);
    // Ends the lines before the first block: the unnamed main model where one of them is of type
    // 1 to 5, else nothing.
    void endPreamble();
    void checkLine(std::string_view line, std::uint64_t number);
    void reference(std::uint64_t line, std::string_view spelt, bool image);

    std::vector<MpdProblem>* m_problems = nullptr;
    std::vector<Block> m_blocks;
    std::unordered_map<std::string, std::size_t> m_index; // a block's key -> the first block of that key
    bool m_inPreamble = true;
    bool m_inTexmap = false;
    NameSet m_names;
    std::vector<Reference> m_references;
};

} // namespace brikmux
