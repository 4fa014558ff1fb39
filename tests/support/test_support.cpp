#include "test_support.h"

#include "files/paths.h"

#include <zip.h>

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace brikmux::testing {

namespace fs = std::filesystem;

TempDir::TempDir()
{
    std::random_device random;
    do {
        m_path = fs::temp_directory_path() / ("brikmux-test-" + std::to_string(random()));
    } while (!fs::create_directory(m_path));
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
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
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

void writeZip(const fs::path& path, const std::vector<std::pair<std::string, std::string>>& entries, bool store)
{
    int error = 0;
    fs::create_directories(path.parent_path());
    fs::remove(path);
    zip_t* zip = zip_open(fromNativePath(path).c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (zip == nullptr) {
        throw std::runtime_error("cannot create " + path.string());
    }
    for (const auto& [name, bytes] : entries) {
        zip_source_t* source = zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
        const zip_int64_t index = zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_RAW);
        if (index < 0) {
            zip_source_free(source);
            throw std::runtime_error("cannot add " + name);
        }
        zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    if (zip_close(zip) != 0) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

void zipLibrary(const fs::path& folder, const fs::path& archives)
{
    std::vector<std::pair<std::string, std::string>> official;
    std::vector<std::pair<std::string, std::string>> unofficial;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        std::string relative = fs::relative(entry.path(), folder).generic_string();
        if (equalsIgnoringCase(relative.substr(0, 11), "unofficial/")) {
            unofficial.emplace_back(relative.substr(11), TempDir::readFile(entry.path()));
        } else {
            official.emplace_back("LDraw/" + relative, TempDir::readFile(entry.path()));
        }
    }
    fs::create_directories(archives);
    for (const auto& entry : fs::directory_iterator(archives)) {
        fs::remove_all(entry.path());
    }
    writeZip(archives / "Complete.zip", official);
    if (!unofficial.empty()) {
        writeZip(archives / "LDrawUnf.zip", unofficial);
    }
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
        text +=
            std::string(1, "IWC"[static_cast<int>(message.icon)]) + " " + message.title + ": " + message.text + "\n";
    }
    return text;
}

// An input or output file of the machine whose N-th read or write, or commit, fails.
class FaultyFile final : public InputFile, public OutputFile {
public:
    FaultyFile(std::unique_ptr<InputFile> input, std::unique_ptr<OutputFile> output, FaultyFileSystem& owner)
        : m_input(std::move(input)), m_output(std::move(output)), m_owner(owner)
    {
    }

    Status read(char* buffer, std::size_t size, std::size_t& count) override
    {
        return ++m_owner.m_reads == m_owner.failRead ? Status::failure(m_owner.reason)
                                                     : m_input->read(buffer, size, count);
    }
    Status write(const char* data, std::size_t size) override
    {
        if (++m_owner.m_writes == m_owner.failWrite) {
            // Half of the block reaches the disk, as when it fills up mid-write.
            (void)m_output->write(data, size / 2);
            return Status::failure(m_owner.reason);
        }
        return m_output->write(data, size);
    }
    Status commit(const std::string& target, bool replacing) override
    {
        return ++m_owner.m_commits == m_owner.failCommit ? Status::failure(m_owner.reason)
                                                         : m_output->commit(target, replacing);
    }

private:
    std::unique_ptr<InputFile> m_input;
    std::unique_ptr<OutputFile> m_output;
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
    const Status opened = m_native.openForReading(path, real);
    file = opened ? std::make_unique<FaultyFile>(std::move(real), nullptr, *this) : nullptr;
    return opened;
}

Status FaultyFileSystem::createOutput(const std::string& folder, std::unique_ptr<OutputFile>& file)
{
    if (++m_outputs == failCreateOutput) {
        return Status::failure(reason);
    }
    std::unique_ptr<OutputFile> real;
    const Status created = m_native.createOutput(folder, real);
    file = created ? std::make_unique<FaultyFile>(nullptr, std::move(real), *this) : nullptr;
    return created;
}

} // namespace brikmux::testing
