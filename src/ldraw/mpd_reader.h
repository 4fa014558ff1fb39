#pragma once

#include "files/line_reader.h"
#include "ldraw/base64.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace brikmux {

// An embedded file of an MPD whose data could not be decoded.
struct BadImage {
    enum class Problem {
        None,
        NotData,      // a line that is neither a "0 !:" line nor blank
        BadCharacter, // a character outside the base64 alphabet, or after the padding
        CutShort,     // the characters do not make whole bytes
    };
    std::string name;
    std::uint64_t line = 0; // its "0 !DATA" line
    Problem problem = Problem::None;
    std::uint64_t problemLine = 0; // the offending line, where there is one
};

// Cuts an MPD into its blocks as LDraw's MPD format defines them, in one pass. A "0 FILE" line
// starts a section (a model file); a "0 !DATA " line starts an embedded file, whose "0 !:" lines
// carry its data in base64; either ends the block before it. A "0 NOFILE" line ends an embedded
// file, and the lines after it, up to the next block, belong to no file; within a section it is an
// ordinary line. The format's earlier draft, a section whose body opens with "0 !DATA START" and
// ends with "0 !DATA END", is read as an embedded file of the section's name.
class MpdReader {
public:
    // What a line belongs to.
    enum class Block {
        Preamble, // before the first block
        Section,
        Data,
        Ignored, // after a "0 NOFILE" that ended an embedded file
    };
    struct Item {
        // BlockEnd: a section's marker ended the block before it; the new section starts with a
        // SectionStart (or, the earlier draft, a DataStart) once the lines after the marker tell.
        enum class Type { SectionStart, DataStart, Line, BlockEnd };
        Type type = Type::Line;
        Block block = Block::Preamble; // a line's block; for a start, the block it opens
        std::string_view line;         // the line itself (for a section, its marker line)
        std::string_view name;         // a start's name
        bool named = false;            // a section's marker is long enough to carry a name (not asked of images)
        std::uint64_t number = 0;      // the line's number in the MPD, from 1
    };

    // Which "0 FILE" lines start a section.
    enum class Markers {
        Any,   // every line that begins "0 FILE", as the split and the check read an MPD
        Named, // only "0 FILE", a blank and a name: other lines that begin so are ordinary lines
    };

    explicit MpdReader(LineReader& reader, Markers markers = Markers::Any) : m_reader(reader), m_markers(markers) {}

    // Reads the next item into item, whose texts stay valid until the next call. Returns false at
    // the end of the file and on a read failure (the line reader's status()).
    bool next(Item& item);

private:
    struct Stored {
        Item::Type type;
        Block block;
        std::string line;
        std::string name;
        bool named;
        std::uint64_t number;
    };

    // Decides line, read as number; true with item filled when it is to be delivered.
    bool classify(std::string_view line, std::uint64_t number, Item& item);
    // Ends the wait after a section's marker: the section and the blank lines held since.
    void releaseSection();
    bool deliverQueued(Item& item);

    LineReader& m_reader;
    Markers m_markers;
    Block m_block = Block::Preamble;
    bool m_draft = false; // the embedded file is the earlier draft's, ended by "0 !DATA END"
    // A section's marker waits for the first line that is not blank, which tells whether the
    // section is the earlier draft's embedded file.
    bool m_pending = false;
    Stored m_marker{};
    std::deque<Stored> m_blanks;
    std::deque<Stored> m_queue;
    Stored m_current{};
};

// Decodes the lines of one embedded file ("0 !:" lines, blank lines skipped) into its bytes.
class DataBlockDecoder {
public:
    DataBlockDecoder(std::string_view name, std::uint64_t line);
    void add(std::string_view line, std::uint64_t number);
    // Ends the data; bad().problem is None when bytes() hold the whole file.
    void finish();
    std::string& bytes() { return m_bytes; }
    const BadImage& bad() const { return m_bad; }

private:
    Base64Decoder m_decoder;
    std::string m_bytes;
    std::string m_text;
    BadImage m_bad; // m_bad.problem is set once the data is found invalid
};

} // namespace brikmux
