#pragma once

#include "library/library.h"
#include "operations/walk_table.h"
#include "operations/walked_mpds.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace brikmux {

// Gives each block or file that a walk embeds its section name, once MPDs are met inside the
// model: the first met keeps its name, a later one of other content (letter case aside) gets a
// new one in its file's own folder ("house/roof.ldr"), and one of the same content (line ends
// aside) is embedded once.
class SectionNamer {
public:
    // Reads an entry's content for the comparison, wherever it lies: a model's lines (locating it
    // first), an image's bytes (an image is located when it is met).
    class Content {
    public:
        virtual ~Content() = default;
        virtual Status open(std::size_t index, std::unique_ptr<InputFile>& file) = 0;
        virtual Status readAll(std::size_t index, std::string& bytes) = 0;
    };

    SectionNamer(bool pack, WalkTable& table, const WalkedMpds& mpds, Library& library, Content& content)
        : m_pack(pack), m_table(table), m_mpds(mpds), m_library(library), m_content(content)
    {
    }

    // Notes the section names that the entries met so far carry: from now on each is told apart.
    void start();
    // True once start() was called.
    bool started() const { return m_started; }
    // Gives the entry at index (the last added) its section name among those taken; returns the
    // entry that carries it: another, of the same content, where the entry was taken back.
    std::size_t place(std::size_t index);
    // The entry that carries the section name (letter case aside); npos when none does.
    std::size_t holder(const std::string& section) const;

private:
    bool sameContent(std::size_t a, std::size_t b);
    // A hash of a section's lines (line ends aside), made once; never 0.
    std::uint64_t contentHash(std::size_t index);

    bool m_pack;
    WalkTable& m_table;
    const WalkedMpds& m_mpds;
    Library& m_library;
    Content& m_content;
    bool m_started = false;
    std::vector<std::uint64_t> m_hashes; // per entry: contentHash, 0 until made
    // Each section name taken (folded) -> the entry that carries it.
    std::unordered_map<std::string, std::size_t> m_sections;
    // Each name a block or file wanted (folded) -> the entries that carry it or were renamed from it.
    std::unordered_map<std::string, std::vector<std::size_t>> m_namedAs;
};

// True when a and b hold the same lines, line ends aside.
bool sameLines(InputFile& a, InputFile& b);

} // namespace brikmux
