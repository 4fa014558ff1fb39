// Fuzzes the archive reader: the input is the whole archive. Whatever its table of contents says
// (sizes and offsets past the end, counts that lie, ZIP64 records pointing anywhere), opening it
// either fails or gives names that lie in the input, and each entry either fails or gives bytes
// no larger than deflate can make of the input, the same bytes however often and in whatever order
// the entries are read (the inflater is reused from entry to entry).

#include "library/zip_archive.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace brikmux;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<ZipArchive> archive;
    if (!ZipArchive::open(std::make_unique<MemoryRandomAccess>(bytes), "fuzz.zip", archive)) {
        return 0;
    }
    check(archive->count() <= size / 46);
    std::vector<std::string> entries(archive->count());
    std::vector<bool> read(archive->count());
    for (std::size_t index = 0; index < archive->count(); ++index) {
        const std::string_view name = archive->name(index);
        check(bytes.find(name) != std::string::npos);
        read[index] = static_cast<bool>(archive->read(index, entries[index]));
        check(!read[index] || entries[index].size() <= 1032 * size);
    }
    std::string again;
    for (std::size_t index = archive->count(); index-- > 0;) {
        check(static_cast<bool>(archive->read(index, again)) == read[index]);
        check(!read[index] || again == entries[index]);
    }
    return 0;
}
