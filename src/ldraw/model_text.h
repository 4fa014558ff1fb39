#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brikmux {

// Which references count as sub-files.
enum class ReferenceKinds {
    DatOnly,   // names ending in "dat"
    DatAndLdr, // also names ending in "ldr"
    Any,       // every type 1 line, whatever its name ends in
};

// True when line is a sub-file reference: its first two characters read as the number 1 and it
// ends in "dat" (or, with DatAndLdr, "ldr"; with Any, anything), letter case aside.
bool IsSubFileReference(std::string_view line, ReferenceKinds kinds = ReferenceKinds::DatOnly);

// The name a sub-file reference carries: the text after the fourteen fields of line type, colour,
// position and matrix, without its leading blanks. A line with fewer fields gives the text after
// its last blank.
std::string_view SubFileName(std::string_view line);

// The type of an LDraw line: its first field when that is a digit from 1 to 5 alone, 0 for a line
// whose first field is "0" (a comment or meta-command), -1 for a blank line and any other.
int LineType(std::string_view line);

// The line that a "0 GHOST" or "0 MLCAD HIDE" line wraps (as editors keep ghosted and hidden
// parts), its leading blanks removed; empty for any other line.
std::string_view WrappedLine(std::string_view line);

// True when line begins with exactly "0 FILE" (letter case counts).
bool IsFileMarker(std::string_view line);

// The name a FILE marker carries: everything after its seventh character. A marker of seven
// characters carries the empty name; one of six carries none (check hasFileMarkerName first).
std::string_view FileMarkerName(std::string_view line);

// True when a FILE marker line is long enough to carry a name (possibly empty).
bool hasFileMarkerName(std::string_view line);

// True when line starts a section as LDraw's MPD format has it: "0 FILE", a blank, then a name
// that is not blank. "0 FILEX" or "0 FILE" alone only look like one.
bool StartsSection(std::string_view line);

// True when line begins with exactly "0 !DATA ": it starts an embedded file (an image) of an MPD.
bool IsDataMarker(std::string_view line);

// The name a "0 !DATA " line carries: the rest of the line without trailing blanks.
std::string_view DataMarkerName(std::string_view line);

// True when line is "0 NOFILE", trailing blanks aside: the end of an MPD's block.
bool IsNoFileMarker(std::string_view line);

// text without the blanks (spaces and tabs) around it.
std::string_view trimBlanks(std::string_view text);

// The part of a library path that names the file ("s/3001s01.dat" for "parts/s/3001s01.dat"),
// for a key as blockKey gives it; empty for a name that is no library path.
std::string_view afterLibraryFolder(std::string_view key);

// True when line holds nothing but blanks.
bool isBlankLine(std::string_view line);

// True when line (leading blanks aside) is a "0 !:" line, with or without blanks after the colon;
// payload is then its text after "0 !:".
// Such lines carry an embedded file's data, or within a !TEXMAP block a line for texture-aware
// readers.
bool IsMetaDataLine(std::string_view line, std::string_view& payload);

// A "0 !TEXMAP" line: what it does and the images it names.
struct TexmapLine {
    // FALLBACK lines need nothing of a reader that follows references: they read as None.
    enum class Kind { None, Start, Next, End };
    Kind kind = Kind::None;
    // START and NEXT: the image after the method's numbers, then the glossmap's where there is
    // one; quotation marks removed.
    std::vector<std::string_view> images;
};

// Reads line as a "0 !TEXMAP" line; Kind::None for any other line.
TexmapLine ReadTexmapLine(std::string_view line);

// "0 FILE " followed by name.
std::string fileMarkerLine(std::string_view name);

// The lines that follow the first FILE marker of a merged file.
std::vector<std::string> mpdHeader(std::string_view authorName);

// The MPD name proposed for a DAT file: its name with the first "." and all after it replaced
// by ".mpd" ("car.v2.dat" gives "car.mpd"), or ".mpd" appended when it holds no ".".
std::string mpdNameFor(std::string_view datName);

// The name under which an MPD's unnamed main model (lines of type 1 to 5 before its first block)
// is written: the MPD's name without its extension, plus ".ldr".
std::string unnamedMainName(std::string_view mpdName);

// The name a merge of the MPD mpdName writes by default: its name without ".mpd", then
// "_Packed.mpd" (pack) or "_Merged.mpd".
std::string mergedMpdName(std::string_view mpdName, bool pack);

// The MPD list's text as the merge uses it: name, with ".mpd" appended unless it ends in ".mpd"
// (letter case aside).
std::string withMpdSuffix(std::string_view name);

// The program's home page, as header lines name it.
inline constexpr std::string_view kHomePage = "http://www.brikmux.org/~zelk/Brikmux/Brikmux.html";

} // namespace brikmux
