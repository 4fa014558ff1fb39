#pragma once

#include "files/file_system.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace brikmux {

// The names of the files in one folder that match one of its patterns: regular files only (links
// to them included), no folders and no names that begin with "."; a pattern ("*.dat") matches
// regardless of letter case; names come in case-insensitive order, whichever pattern they match.
class HiddenFileList {
public:
    explicit HiddenFileList(const FileSystem& fileSystem) : m_fileSystem(fileSystem) {}

    // Lists folder by patterns; false, with the names unchanged, when the folder cannot be listed.
    bool list(const std::string& folder, std::initializer_list<std::string_view> patterns);
    const std::vector<std::string>& names() const { return m_names; }

private:
    const FileSystem& m_fileSystem;
    std::vector<std::string> m_names;
};

// True when name matches pattern, in which "*" stands for any run of characters and "?" for any
// one character, regardless of letter case.
bool matchesPattern(std::string_view name, std::string_view pattern);

} // namespace brikmux
