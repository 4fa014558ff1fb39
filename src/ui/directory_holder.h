#pragma once

#include "settings/startup.h"

#include <functional>
#include <string>

namespace brikmux {

// An invisible control that holds one existing folder. Its Path reads in canonical form: an
// absolute path without a trailing separator, except for the root.
class DirectoryHolder {
public:
    // Starts on the current folder.
    DirectoryHolder();

    const std::string& Path() const { return m_path; }
    // Moves to folder. Fails with DeviceUnavailable for a folder on a drive that is not there (on
    // POSIX, any text that starts with a drive letter and a colon) and with Failed when the folder
    // does not exist; the holder then keeps its folder. A move to another folder calls onChange
    // before returning; writing the folder it holds changes nothing.
    HolderWrite setPath(const std::string& folder);

    std::function<void()> onChange;

private:
    std::string m_path;
};

// folder as an absolute, normalised path without a trailing separator (the root keeps its own).
std::string canonicalFolder(const std::string& folder);

} // namespace brikmux
