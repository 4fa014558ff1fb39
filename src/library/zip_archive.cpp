#include "library/zip_archive.h"

#include <zip.h>

#include <algorithm>
#include <cstring>

namespace brikmux {

namespace {

zip_t* asZip(void* zip)
{
    return static_cast<zip_t*>(zip);
}

std::string describe(zip_error_t& error)
{
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

} // namespace

ZipArchive::~ZipArchive()
{
    if (m_zip != nullptr) {
        zip_discard(asZip(m_zip));
    }
}

Status ZipArchive::open(const std::string& path, std::unique_ptr<ZipArchive>& archive)
{
    zip_error_t error;
    zip_error_init(&error);
    const std::filesystem::path native = toNativePath(path);
#ifdef _WIN32
    zip_source_t* source = zip_source_win32w_create(native.c_str(), 0, -1, &error);
#else
    zip_source_t* source = zip_source_file_create(native.c_str(), 0, -1, &error);
#endif
    if (source == nullptr) {
        return Status::failure(describe(error));
    }
    zip_t* zip = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (zip == nullptr) {
        zip_source_free(source);
        return Status::failure(describe(error));
    }
    zip_error_fini(&error);
    archive.reset(new ZipArchive());
    archive->m_path = path;
    archive->m_zip = zip;
    archive->m_count = static_cast<std::uint64_t>(std::max<zip_int64_t>(0, zip_get_num_entries(zip, 0)));
    return Status::ok();
}

std::string_view ZipArchive::name(std::uint64_t index) const
{
    const char* name = zip_get_name(asZip(m_zip), index, ZIP_FL_ENC_RAW);
    return name == nullptr ? std::string_view() : std::string_view(name);
}

Status ZipArchive::read(const std::string& name, std::string& bytes) const
{
    zip_t* zip = asZip(m_zip);
    const zip_int64_t index = zip_name_locate(zip, name.c_str(), ZIP_FL_ENC_RAW);
    if (index < 0) {
        return Status::failure("No such entry in the archive");
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip, static_cast<zip_uint64_t>(index), 0, &stat) != 0) {
        return Status::failure(zip_strerror(zip));
    }
    zip_file_t* file = zip_fopen_index(zip, static_cast<zip_uint64_t>(index), 0);
    if (file == nullptr) {
        return Status::failure(zip_strerror(zip));
    }
    bytes.clear();
    // The directory's size is a claim: read to the end, and let libzip's checks (length,
    // checksum) decide, so that an entry longer or shorter than it says fails.
    char buffer[1 << 16];
    zip_int64_t count = 0;
    while ((count = zip_fread(file, buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    const std::string reason = count < 0 ? zip_file_strerror(file) : std::string();
    zip_fclose(file);
    if (count < 0) {
        return Status::failure(reason);
    }
    if ((stat.valid & ZIP_STAT_SIZE) != 0 && bytes.size() != stat.size) {
        return Status::failure("The entry's size is not the one the archive states");
    }
    return Status::ok();
}

Status MemoryInputFile::read(char* buffer, std::size_t size, std::size_t& count)
{
    count = std::min(size, m_bytes.size() - m_position);
    std::memcpy(buffer, m_bytes.data() + m_position, count);
    m_position += count;
    return Status::ok();
}

} // namespace brikmux
