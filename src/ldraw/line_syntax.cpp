#include "ldraw/line_syntax.h"

#include "ldraw/model_text.h"

#include <algorithm>
#include <array>

namespace brikmux {

namespace {

std::string inQuotes(std::string_view text)
{
    std::string result = "\"";
    return result.append(text).append("\"");
}

// The first fields of a line, split at blanks: at most the 15 of a type 1 line.
struct Fields {
    std::array<std::string_view, 15> field;
    std::size_t count = 0;
};

Fields fieldsOf(std::string_view line, std::size_t most)
{
    Fields fields;
    std::size_t i = 0;
    while (fields.count < std::min(most, fields.field.size())) {
        i = line.find_first_not_of(" \t", i);
        if (i == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(line.find_first_of(" \t", i), line.size());
        fields.field[fields.count++] = line.substr(i, end - i);
        i = end;
    }
    return fields;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Takes the digits at text's start off it; returns how many there were.
std::size_t takeDigits(std::string_view& text)
{
    const std::size_t count = std::min(text.find_first_not_of("0123456789"), text.size());
    text.remove_prefix(count);
    return count;
}

// Takes text's first character off it when it is one of choices.
bool takeOneOf(std::string_view& text, std::string_view choices)
{
    const bool taken = std::any_of(choices.begin(), choices.end(), [&text](char c) { return text.starts_with(c); });
    text.remove_prefix(taken ? 1 : 0);
    return taken;
}

// A decimal number as LDraw files write them: a sign, digits with a point, an exponent.
bool isNumber(std::string_view text)
{
    takeOneOf(text, "+-");
    std::size_t digits = takeDigits(text);
    if (takeOneOf(text, ".")) {
        digits += takeDigits(text);
    }
    if (digits == 0) {
        return false;
    }
    if (takeOneOf(text, "eE")) {
        takeOneOf(text, "+-");
        if (takeDigits(text) == 0) {
            return false;
        }
    }
    return text.empty();
}

// A colour: a number, or a direct colour written in hexadecimal ("0x2RRGGBB", "#RRGGBB").
bool isColour(std::string_view text)
{
    const std::size_t prefix = text.starts_with("0x") || text.starts_with("0X") ? 2 : text.starts_with('#') ? 1 : 0;
    if (prefix == 0) {
        return isNumber(text);
    }
    return text.size() > prefix &&
           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(prefix), text.end(),
                       [](char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); });
}

// The fields a line of each type 1 to 5 needs: numbers all, but a type 1 line's last (its file).
constexpr std::size_t kFields[] = {0, 15, 8, 11, 14, 14};

// Why a line of type 1 to 5 is not valid; empty when it is.
} // namespace

std::string malformedLineReason(std::string_view line, int type)
{
    const auto needed = static_cast<std::size_t>(kFields[type]);
    const Fields fields = fieldsOf(line, needed);
    const auto kind = [type] { return "a line of type " + std::to_string(type); };
    if (fields.count < needed) {
        return kind() + " needs " + std::to_string(needed) + " fields; this one has " + std::to_string(fields.count) +
               ".";
    }
    const std::size_t numbers = type == 1 ? needed - 1 : needed;
    for (std::size_t i = 1; i < numbers; ++i) {
        if (!(i == 1 ? isColour(fields.field[i]) : isNumber(fields.field[i]))) {
            return "field " + std::to_string(i + 1) + " of " + kind() + ", " + inQuotes(fields.field[i]) +
                   ", is not a number.";
        }
    }
    return {};
}

bool holdsAllFields(std::string_view line, int type)
{
    return fieldsOf(line, kFields[type]).count == kFields[type];
}

std::optional<std::string> nameLineText(std::string_view line)
{
    const Fields fields = fieldsOf(line, 2);
    if (fields.count < 2 || fields.field[0] != "0" || fields.field[1] != "Name:") {
        return std::nullopt;
    }
    const std::string_view tag = fields.field[1];
    const std::size_t after = static_cast<std::size_t>(tag.data() - line.data()) + tag.size();
    return std::string(trimBlanks(line.substr(after)));
}

} // namespace brikmux
