#include "operations/walked_mpds.h"

namespace brikmux {

std::string folderFor(std::string_view name)
{
    const auto dot = name.find_last_of('.');
    const auto separator = name.find_last_of("/\\");
    const bool extension =
        dot != std::string_view::npos && dot > 0 && (separator == std::string_view::npos || dot > separator + 1);
    return std::string(extension ? name.substr(0, dot) : name) + "/";
}

Status WalkedMpds::loadMain(std::unique_ptr<InputFile>& file, const std::string& name, const std::string& path,
                            std::size_t& mainBlock)
{
    auto model = std::make_unique<MpdModel>();
    if (Status loaded = model->load(*file, name.substr(name.find_last_of("/\\") + 1)); !loaded) {
        return loaded;
    }
    m_main = std::move(model);
    mainBlock = npos;
    if (!m_main->isMpd()) {
        file = m_main->openAll();
        return Status::ok();
    }
    mainBlock = m_main->mainBlock();
    if (mainBlock == npos) {
        return Status::failure("it holds no model, only images");
    }
    m_mainPath = path;
    file = m_main->open(m_main->blocks()[mainBlock]);
    return Status::ok();
}

Status WalkedMpds::inner(const WalkEntry& entry, std::size_t& index)
{
    if (const auto known = m_innerByPath.find(entry.path); known != m_innerByPath.end()) {
        index = known->second;
        return Status::ok();
    }
    auto model = std::make_unique<MpdModel>();
    std::unique_ptr<InputFile> file;
    Status loaded = open(entry, file);
    if (loaded) {
        loaded = model->load(*file, entry.name.substr(entry.name.find_last_of("/\\") + 1));
    }
    if (!loaded) {
        return loaded;
    }
    index = m_inner.size();
    m_innerByPath.emplace(entry.path, index);
    m_inner.push_back({std::move(model), entry.name, entry.path, folderFor(entry.name), {}, {}, {}});
    return Status::ok();
}

const MpdModel* WalkedMpds::modelOf(const WalkEntry& entry) const
{
    return entry.container != npos ? m_inner[entry.container].model.get() : m_main.get();
}

Status WalkedMpds::open(const WalkEntry& entry, std::unique_ptr<InputFile>& file)
{
    if (entry.block != npos) {
        const MpdModel* model = modelOf(entry);
        file = model->open(model->blocks()[entry.block]);
        return Status::ok();
    }
    // The library opens what lies in its archives, and every other file through the file system.
    return m_library.open(entry.path, file);
}

Status WalkedMpds::readAll(const WalkEntry& entry, std::string& bytes)
{
    if (entry.block != npos && entry.type == WalkEntry::Type::Image) {
        bytes = modelOf(entry)->blocks()[entry.block].bytes;
        return Status::ok();
    }
    std::unique_ptr<InputFile> file;
    if (Status opened = open(entry, file); !opened) {
        return opened;
    }
    bytes.clear();
    char buffer[1 << 16];
    for (std::size_t count = 0;; bytes.append(buffer, count)) {
        if (Status read = file->read(buffer, sizeof buffer, count); !read) {
            return read;
        }
        if (count == 0) {
            return Status::ok();
        }
    }
}

std::string WalkedMpds::placeOf(const WalkEntry& entry) const
{
    if (entry.block == npos) {
        return entry.path;
    }
    // Lines of a block are counted from its marker's next line.
    return entry.path + ", section " + modelOf(entry)->blocks()[entry.block].name;
}

} // namespace brikmux
