#pragma once

#include "operations/prompter.h"

#include <cstddef>
#include <cstdint>
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

struct MpdCheckReport {
    std::string file;    // the MPD's name
    std::string library; // the library's path; empty when there is none
    std::vector<MpdSectionReport> sections;
    std::vector<MpdProblem> problems; // in file order
    // Without a library: the names that are no section of the MPD, once each, in the order met.
    std::vector<std::string> unresolved;
    std::string failure; // why the file or the library cannot be read; nothing was checked

    std::size_t errors() const;
    std::size_t warnings() const;
    // "N errors, M warnings".
    std::string summary() const;
    // The problems grouped by section in file order, the names left unresolved, then the summary.
    std::string text() const;
};

namespace messages {
// The window's account of a check: the summary, with the problems as details.
Message mpdChecked(const MpdCheckReport& report);
} // namespace messages

} // namespace brikmux
