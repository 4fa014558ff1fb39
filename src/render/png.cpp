// PNG files by stb_image_write (Debian's libstb-dev), header-only.
#include "render/render.h"

#include "files/paths.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace brikmux {

namespace {

void append(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

} // namespace

Status WritePng(const Picture& picture, const std::string& path, FileSystem& fileSystem)
{
    std::string bytes;
    if (stbi_write_png_to_func(append, &bytes, picture.width, picture.height, 4, picture.rgba.data(),
                               picture.width * 4) == 0) {
        return Status::failure("The picture cannot be encoded");
    }
    if (const EntryKind kind = fileSystem.kindOf(path); kind == EntryKind::Folder || kind == EntryKind::Other) {
        return Status::failure(whyNotAFile(kind));
    }
    std::unique_ptr<OutputFile> file;
    if (Status created = fileSystem.createOutput(folderOf(path), file); !created) {
        return created;
    }
    if (Status written = file->write(bytes.data(), bytes.size()); !written) {
        return written;
    }
    return file->commit(path, fileSystem.kindOf(path) == EntryKind::File);
}

} // namespace brikmux
