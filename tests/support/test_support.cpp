#include "test_support.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace brikmux::testing {

namespace fs = std::filesystem;

TempDir::TempDir()
{
    std::random_device random;
    for (;;) {
        m_path = fs::temp_directory_path() / ("brikmux-test-" + std::to_string(random()));
        if (fs::create_directory(m_path)) {
            break;
        }
    }
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string TempDir::field() const
{
    return fromNativePath(m_path) + static_cast<char>(fs::path::preferred_separator);
}

void TempDir::write(const std::string& relative, const std::string& bytes) const
{
    const fs::path file = m_path / toNativePath(relative);
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string TempDir::readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool TempDir::exists(const std::string& relative) const
{
    return fs::exists(m_path / toNativePath(relative));
}

std::vector<std::string> TempDir::list(const std::string& relative) const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_path / toNativePath(relative))) {
        names.push_back(fromNativePath(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string crlf(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

bool ScriptedPrompter::askYesNo(const Message& question)
{
    calls.emplace_back(Kind::Question, question);
    if (whileAsking) {
        whileAsking();
    }
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << question.text;
        return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

std::vector<Message> ScriptedPrompter::only(Kind kind) const
{
    std::vector<Message> messages;
    for (const auto& [callKind, message] : calls) {
        if (callKind == kind) {
            messages.push_back(message);
        }
    }
    return messages;
}

std::string ScriptedPrompter::transcript() const
{
    std::string text;
    for (const auto& [kind, message] : calls) {
        text += kind == Kind::Question ? "ask " : kind == Kind::Information ? "inform " : "fail ";
        text += "IWC"[static_cast<int>(message.icon)];
        text += " " + message.title + ": " + message.text + "\n";
    }
    return text;
}

class FaultyInputFile final : public InputFile {
public:
    FaultyInputFile(std::unique_ptr<InputFile> file, FaultyFileSystem& owner) : m_file(std::move(file)), m_owner(owner)
    {
    }

    Status read(char* buffer, std::size_t size, std::size_t& count) override
    {
        if (++m_owner.m_reads == m_owner.failRead) {
            return Status::failure(m_owner.reason);
        }
        return m_file->read(buffer, size, count);
    }

private:
    std::unique_ptr<InputFile> m_file;
    FaultyFileSystem& m_owner;
};

class FaultyOutputFile final : public OutputFile {
public:
    FaultyOutputFile(std::unique_ptr<OutputFile> file, FaultyFileSystem& owner)
        : m_file(std::move(file)), m_owner(owner)
    {
    }

    Status write(const char* data, std::size_t size) override
    {
        if (++m_owner.m_writes == m_owner.failWrite) {
            // Half of the block reaches the disk, as when it fills up mid-write.
            (void)m_file->write(data, size / 2);
            return Status::failure(m_owner.reason);
        }
        return m_file->write(data, size);
    }
    Status commit(const std::string& target, bool replacing) override
    {
        if (++m_owner.m_commits == m_owner.failCommit) {
            return Status::failure(m_owner.reason);
        }
        return m_file->commit(target, replacing);
    }

private:
    std::unique_ptr<OutputFile> m_file;
    FaultyFileSystem& m_owner;
};

Status FaultyFileSystem::openForReading(const std::string& path, std::unique_ptr<InputFile>& file)
{
    if (++m_opens == failOpenForReading) {
        return Status::failure(reason);
    }
    if (m_opens == throwOnOpenForReading) {
        throw std::runtime_error(reason);
    }
    std::unique_ptr<InputFile> real;
    Status opened = m_native.openForReading(path, real);
    if (opened) {
        file = std::make_unique<FaultyInputFile>(std::move(real), *this);
    }
    return opened;
}

Status FaultyFileSystem::createOutput(const std::string& folder, std::unique_ptr<OutputFile>& file)
{
    if (++m_outputs == failCreateOutput) {
        return Status::failure(reason);
    }
    std::unique_ptr<OutputFile> real;
    Status created = m_native.createOutput(folder, real);
    if (created) {
        file = std::make_unique<FaultyOutputFile>(std::move(real), *this);
    }
    return created;
}

} // namespace brikmux::testing
