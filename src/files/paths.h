#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brikmux {

// The separator of this platform's paths; folder fields end in it.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// True for the characters that separate folders in a name from model text: "\" always, "/" too.
constexpr bool isNameSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Returns folder followed directly by name, as one path of this platform: the separators of name
// become the platform's, and doubled separators after the first character count as one.
std::string joinPath(std::string_view folder, std::string_view name);

// The folder of a path of this platform, ending in its separator; empty for a bare name.
std::string folderOf(const std::string& path);

// Returns folder ending in exactly one separator; an empty folder stays empty.
std::string withTrailingSeparator(std::string_view folder);

// Splits a name from model text into its folder components and its file name, at "\" and "/".
// Empty components (doubled separators) are dropped.
std::vector<std::string_view> nameComponents(std::string_view name);

// True when text starts with a drive letter and a colon ("C:", "d:\\models").
bool startsWithDrive(std::string_view text);

// True when name could leave the folder it is written to: an absolute name, one that starts
// with a drive letter and a colon, or one with a ".." component.
bool leavesFolder(std::string_view name);

// ASCII letter case folding; other bytes are left as they are.
constexpr char foldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Returns text with its ASCII letters in lower case.
std::string foldCase(std::string_view text);

// True when a and b differ at most in the letter case of ASCII letters.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// True when text ends in suffix, letter case aside.
bool endsWithIgnoringCase(std::string_view text, std::string_view suffix);

} // namespace brikmux
