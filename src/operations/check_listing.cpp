#include "operations/check_listing.h"

#include "operations/messages.h"

namespace brikmux {

std::string checkListing(const std::vector<WalkEntry>& files, const std::optional<WalkCycle>& cycle,
                         std::string_view indent)
{
    using Kind = WalkEntry::Kind;
    using Type = WalkEntry::Type;
    struct Group {
        Kind kind;
        std::optional<Type> type; // both types where not given
        const char* heading;
    };
    const Group groups[] = {{Kind::Main, Type::Model, "Main file"},
                            {Kind::Custom, Type::Model, "Custom sub-files"},
                            {Kind::Unofficial, Type::Model, "Unofficial parts"},
                            {Kind::Library, Type::Model, "Library files"},
                            {Kind::Custom, Type::Image, "Custom images"},
                            {Kind::Unofficial, Type::Image, "Unofficial images"},
                            {Kind::Library, Type::Image, "Library images"},
                            {Kind::NotFound, std::nullopt, "Found nowhere"},
                            {Kind::Unreadable, std::nullopt, "Cannot be read"}};
    const std::string item = std::string(indent) + "  ";
    std::string text;
    for (const auto& [kind, type, heading] : groups) {
        std::string lines;
        for (const WalkEntry& file : files) {
            if (file.kind != kind || (type && file.type != *type)) {
                continue;
            }
            lines += item + file.name;
            if (!file.renamedFrom.empty()) {
                lines += " as " + file.section;
            }
            if (!file.in.empty()) {
                lines += " (in " + file.in + ")";
            }
            if (file.replacesLibrary) {
                lines += " (replaces a library part)";
            }
            if (!type && file.type == Type::Image) {
                lines += " (image)";
            }
            if (!file.path.empty()) {
                lines += "  " + file.path;
            }
            if (!file.reason.empty()) {
                lines += ": " + file.reason;
            }
            for (std::size_t i = 0; i < file.referencedBy.size(); ++i) {
                lines += (i == 0 ? "  (referenced by " : ", ") + file.referencedBy[i];
            }
            lines += file.referencedBy.empty() ? "\n" : ")\n";
        }
        if (!lines.empty()) {
            text.append(indent).append(heading).append(":\n").append(lines);
        }
    }
    if (cycle) {
        text.append(indent).append("Reaches itself:\n").append(item);
        text += messages::cycleLine(cycle->chain, cycle->file, cycle->line) + "\n";
    }
    return text;
}

} // namespace brikmux
