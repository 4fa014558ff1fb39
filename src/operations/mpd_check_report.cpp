#include "operations/mpd_check_report.h"

#include "operations/check_listing.h"

#include <algorithm>
#include <unordered_map>

namespace brikmux {

namespace {

std::string inQuotes(std::string_view text)
{
    std::string result = "\"";
    return result.append(text).append("\"");
}

std::string counted(std::size_t count, std::string_view noun)
{
    return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

} // namespace

std::size_t MpdOutside::failures() const
{
    return static_cast<std::size_t>(std::count_if(files.begin(), files.end(),
                                                  [](const WalkEntry& file) {
                                                      return file.kind == WalkEntry::Kind::NotFound ||
                                                             file.kind == WalkEntry::Kind::Unreadable;
                                                  })) +
           (cycle ? 1 : 0);
}

std::size_t MpdCheckReport::errors() const
{
    return static_cast<std::size_t>(
               std::count_if(problems.begin(), problems.end(), [](const MpdProblem& p) { return p.error; })) +
           outside.failures();
}

std::size_t MpdCheckReport::warnings() const
{
    return static_cast<std::size_t>(
        std::count_if(problems.begin(), problems.end(), [](const MpdProblem& p) { return !p.error; }));
}

std::string MpdCheckReport::summary() const
{
    return counted(errors(), "error") + ", " + counted(warnings(), "warning");
}

std::string MpdCheckReport::text() const
{
    // Each section's heading, looked up by name (the first of a name, as references take it).
    std::unordered_map<std::string_view, const MpdSectionReport*> byName;
    for (const MpdSectionReport& section : sections) {
        byName.emplace(section.name, &section);
    }
    std::string text;
    std::string section;
    bool first = true;
    for (const MpdProblem& p : problems) {
        if (first || p.section != section) {
            first = false;
            section = p.section;
            const auto block = byName.find(section);
            const bool known = block != byName.end();
            text += (known && block->second->image ? "Image " : "Section ") + inQuotes(section);
            text += known ? " (line " + std::to_string(block->second->line) + "):\n" : ":\n";
        }
        text += "  line " + std::to_string(p.line) + ": " + (p.error ? "error " : "warning ") + std::string(p.code) +
                ": " + p.message + "\n";
    }
    if (library.empty()) {
        text += "No LDraw library: references to files that are not sections were not checked";
        if (!unresolved.empty()) {
            text += "; unresolved:";
            for (const std::string& name : unresolved) {
                text += " " + name;
            }
        }
        text += ".\n";
    }
    if (!outside.files.empty() || outside.cycle) {
        text += "Outside the MPD, as a merge of it meets them:\n" + checkListing(outside.files, outside.cycle, "  ");
    }
    return text + summary() + "\n";
}

Message messages::mpdChecked(const MpdCheckReport& report)
{
    if (!report.failure.empty()) {
        return {".MPD File Check", report.failure, MessageIcon::Critical, {}};
    }
    const std::string text = report.file + ": " + report.summary() + ".";
    return {".MPD File Check", text, report.errors() > 0 ? MessageIcon::Warning : MessageIcon::Information,
            report.text()};
}

} // namespace brikmux
