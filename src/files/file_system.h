#pragma once

#include "files/status.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace brikmux {

// What a path names. Links are followed: a link to a file is a File.
enum class EntryKind { Missing, File, Folder, Other };

struct DirectoryEntry {
    std::string name;
    EntryKind kind = EntryKind::Other;
};

// The platform's path for text as the core holds paths: bytes on POSIX; on Windows
// UTF-8, or the ANSI code page where the text is not valid UTF-8.
std::filesystem::path toNativePath(const std::string& text);

// The text of a platform path, as the core holds paths (UTF-8 on Windows).
std::string fromNativePath(const std::filesystem::path& path);

// False for a path the system would read as another: one with a NUL byte inside.
bool isValidPath(const std::string& path);

// The reason a path of that kind cannot be read or written as a file ("Is a directory").
std::string whyNotAFile(EntryKind kind);

// A file opened for reading.
class InputFile {
public:
    virtual ~InputFile() = default;
    // Reads up to size bytes into buffer and sets count to the number read, 0 at the end of the file.
    virtual Status read(char* buffer, std::size_t size, std::size_t& count) = 0;
};

// A new file, written under a temporary name in its folder. It replaces its target only when
// committed; destroying it uncommitted removes it, so a target is never left half written.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    // Appends size bytes of data.
    virtual Status write(const char* data, std::size_t size) = 0;
    // Closes the file and renames it to target, which must lie in the same folder. replacing says
    // that target exists: it is replaced as a whole, and its permissions carry over.
    virtual Status commit(const std::string& target, bool replacing) = 0;
};

// The calls that the core makes on the file system. Paths are byte strings in the
// platform's form; tests replace this with a double that fails chosen calls.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Returns what path names, following links.
    virtual EntryKind kindOf(const std::string& path) const = 0;
    // Lists the entries of folder (without "." and "..") into entries.
    virtual Status list(const std::string& folder, std::vector<DirectoryEntry>& entries) const = 0;
    // Opens the file at path for reading.
    virtual Status openForReading(const std::string& path, std::unique_ptr<InputFile>& file) = 0;
    // Creates a new temporary output file in folder, which must exist.
    virtual Status createOutput(const std::string& folder, std::unique_ptr<OutputFile>& file) = 0;
    // Creates folder and any missing folders above it.
    virtual Status createFolders(const std::string& folder) = 0;
    // True when a and b name one existing file, however spelt.
    virtual bool sameFile(const std::string& a, const std::string& b) const { return a == b; }
};

// The file system of this machine.
class NativeFileSystem final : public FileSystem {
public:
    EntryKind kindOf(const std::string& path) const override;
    Status list(const std::string& folder, std::vector<DirectoryEntry>& entries) const override;
    Status openForReading(const std::string& path, std::unique_ptr<InputFile>& file) override;
    Status createOutput(const std::string& folder, std::unique_ptr<OutputFile>& file) override;
    Status createFolders(const std::string& folder) override;
    bool sameFile(const std::string& a, const std::string& b) const override;
};

// Opens the file at path for reading when it is a file (or a link to one); a folder, a pipe or a
// device fails with whyNotAFile's reason, and is never opened: a pipe would block.
Status openFileForReading(FileSystem& fileSystem, const std::string& path, std::unique_ptr<InputFile>& file);

} // namespace brikmux
