#pragma once

#include "operations/walk_entry.h"
#include "operations/prompter.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brikmux {

// One problem of an MPD, as LDraw readers would meet it.
struct MpdProblem {
    // A stable code: errors "not-found", "duplicate-section", "cycle", "malformed-line",
    // "not-first", "image-not-found"; warnings "shadows-library", "case-differs", "name-differs",
    // "unused", "empty-section", "unofficial-not-embedded", "outside-file".
    std::string_view code;
    bool error = false;
    std::string section;    // the block the line lies in
    std::uint64_t line = 0; // the line in the MPD, from 1
    std::string name;       // the file, section or image concerned
    std::string message;    // one line for a person
};

// A block of the checked MPD and the sections that reference it.
struct MpdSectionReport {
    std::string name;
    std::uint64_t line = 0;
    bool image = false;
    std::vector<std::string> referencedBy;
};

// What a merge of the MPD meets outside it, walked as the merge walks it (with a library only).
struct MpdOutside {
    bool walked = false;
    // The files and images a merge would take from elsewhere (the DAT folder, the library's models
    // and Unofficial folders, MPDs met inside the model), those it finds nowhere (referenced from
    // outside the MPD: the MPD's own references are its problems) and those it cannot read.
    std::vector<WalkEntry> files;
    std::optional<WalkCycle> cycle; // sections that reach themselves through files outside the MPD
    // The files found nowhere or unreadable, and the cycle: each would fail the merge.
    std::size_t failures() const;
};

struct MpdCheckReport {
    std::string file;    // the MPD's name
    std::string library; // the library's path; empty when there is none
    std::vector<MpdSectionReport> sections;
    std::vector<MpdProblem> problems; // in file order
    // Without a library: the names that are no section of the MPD, once each, in the order met.
    std::vector<std::string> unresolved;
    std::string failure; // why the file or the library cannot be read; nothing was checked
    MpdOutside outside;

    // The problems that are errors, and the failures outside the MPD.
    std::size_t errors() const;
    std::size_t warnings() const;
    // "N errors, M warnings".
    std::string summary() const;
    // The problems grouped by section in file order, the names left unresolved, what a merge meets
    // outside the MPD, then the summary.
    std::string text() const;
};

namespace messages {
// The window's account of a check: the summary, with the problems as details.
Message mpdChecked(const MpdCheckReport& report);
} // namespace messages

} // namespace brikmux
