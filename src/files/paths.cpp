#include "files/paths.h"

#include <algorithm>

namespace brikmux {

std::string joinPath(std::string_view folder, std::string_view name)
{
    std::string path;
    path.reserve(folder.size() + name.size() + 1);
    auto append = [&path](char c) {
        if (isNameSeparator(c)) {
            // The first character may start a network path ("\\server"); keep it apart.
            if (path.size() > 1 && path.back() == kSeparator) {
                return;
            }
            c = kSeparator;
        }
        path.push_back(c);
    };
#ifdef _WIN32
    for (char c : folder) {
        append(c);
    }
#else
    // On POSIX a "\" in a folder is an ordinary character of a folder name.
    for (char c : folder) {
        if (c == '/') {
            append(c);
        } else {
            path.push_back(c);
        }
    }
#endif
    for (char c : name) {
        append(c);
    }
    return path;
}

std::string folderOf(const std::string& path)
{
    const auto separator = path.find_last_of(kSeparator);
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string withTrailingSeparator(std::string_view folder)
{
    std::string result(folder);
    if (result.empty()) {
        return result;
    }
    while (result.size() > 1 && isNameSeparator(result.back()) && isNameSeparator(result[result.size() - 2])) {
        result.pop_back();
    }
    if (!isNameSeparator(result.back())) {
        result.push_back(kSeparator);
    }
    return result;
}

std::vector<std::string_view> nameComponents(std::string_view name)
{
    std::vector<std::string_view> components;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || isNameSeparator(name[i])) {
            if (i > start) {
                components.push_back(name.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    return components;
}

bool startsWithDrive(std::string_view text)
{
    return text.size() >= 2 && text[1] == ':' &&
           ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
}

bool leavesFolder(std::string_view name)
{
    if ((!name.empty() && isNameSeparator(name.front())) || startsWithDrive(name)) {
        return true;
    }
    const auto components = nameComponents(name);
    return std::any_of(components.begin(), components.end(),
                       [](std::string_view component) { return component == ".."; });
}

std::string foldCase(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded) {
        c = foldCase(c);
    }
    return folded;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return foldCase(x) == foldCase(y); });
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && equalsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

} // namespace brikmux
