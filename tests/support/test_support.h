#pragma once

#include "files/file_system.h"
#include "operations/prompter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace brikmux::testing {

// A file held in memory, read in chunks of at most chunk bytes; reads from failAt on fail.
struct MemoryInput final : InputFile {
    MemoryInput() = default;
    explicit MemoryInput(std::string text) : bytes(std::move(text)) {}

    std::string bytes;
    std::size_t chunk = 1 << 20;
    std::size_t failAt = std::string::npos;
    std::size_t position = 0;

    Status read(char* buffer, std::size_t size, std::size_t& count) override
    {
        if (position >= failAt) {
            return Status::failure("Input/output error");
        }
        count = std::min({size, chunk, bytes.size() - position});
        std::copy_n(bytes.data() + position, count, buffer);
        position += count;
        return Status::ok();
    }
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The folder as a folder field: its path ending in a separator.
    std::string field() const;
    // Writes bytes to the file at relative, creating folders as needed.
    void write(const std::string& relative, const std::string& bytes) const;
    // The bytes of the file at relative.
    std::string read(const std::string& relative) const { return readFile(m_path / toNativePath(relative)); }
    // The bytes of the file at path.
    static std::string readFile(const std::filesystem::path& path);
    bool exists(const std::string& relative) const { return std::filesystem::exists(m_path / toNativePath(relative)); }
    // Names of the entries of the folder at relative, sorted.
    std::vector<std::string> list(const std::string& relative = "") const;

private:
    std::filesystem::path m_path;
};

// Writes a zip archive at path holding entries (name, bytes), deflated; stored instead where store.
void writeZip(const std::filesystem::path& path, const std::vector<std::pair<std::string, std::string>>& entries,
              bool store = false);

// Packs the LDraw library in folder as a user may keep it: everything but its Unofficial folder in
// "Complete.zip" under the top folder "LDraw/", the Unofficial folder's files in "LDrawUnf.zip"
// without one, both in archives (a folder that holds only them).
void zipLibrary(const std::filesystem::path& folder, const std::filesystem::path& archives);

// Lines joined, each ending in CR LF.
std::string crlf(const std::vector<std::string>& lines);

// A line that places the file name, in the colour of its placement, at the origin.
inline std::string ref(const std::string& name)
{
    return "1 16 0 0 0 1 0 0 0 1 0 0 0 1 " + name;
}

// A prompter that answers questions from a script and records every call.
class ScriptedPrompter final : public Prompter {
public:
    enum class Kind { Question, Information, Failure };
    std::deque<bool> answers; // answers to the next questions, in order
    std::vector<std::pair<Kind, Message>> calls;
    std::function<void()> whileAsking; // runs while a question is shown

    bool askYesNo(const Message& question) override;
    void inform(const Message& message) override { calls.emplace_back(Kind::Information, message); }
    void reportFailure(const Message& message) override { calls.emplace_back(Kind::Failure, message); }

    std::vector<Message> questions() const { return only(Kind::Question); }
    std::vector<Message> failures() const { return only(Kind::Failure); }
    std::vector<Message> informations() const { return only(Kind::Information); }
    // Every call, a line each: "ask", "inform" or "fail", the icon's initial, then "title: text".
    std::string transcript() const;

private:
    std::vector<Message> only(Kind kind) const;
};

// The machine's file system, except that chosen calls fail: the N-th (counted from 1) opening
// for reading, read, creation of an output, write, or commit.
class FaultyFileSystem final : public FileSystem {
public:
    int failOpenForReading = 0;
    int failRead = 0;
    int failCreateOutput = 0;
    int failWrite = 0;
    int failCommit = 0;
    int throwOnOpenForReading = 0; // throws, as a broken invariant or exhausted memory would
    std::string reason = "No space left on device";

    EntryKind kindOf(const std::string& path) const override { return m_native.kindOf(path); }
    Status list(const std::string& folder, std::vector<DirectoryEntry>& entries) const override
    {
        return m_native.list(folder, entries);
    }
    Status openForReading(const std::string& path, std::unique_ptr<InputFile>& file) override;
    Status createOutput(const std::string& folder, std::unique_ptr<OutputFile>& file) override;
    Status createFolders(const std::string& folder) override { return m_native.createFolders(folder); }
    bool sameFile(const std::string& a, const std::string& b) const override { return m_native.sameFile(a, b); }

private:
    friend class FaultyFile;
    NativeFileSystem m_native;
    int m_opens = 0;
    int m_reads = 0;
    int m_outputs = 0;
    int m_writes = 0;
    int m_commits = 0;
};

} // namespace brikmux::testing
