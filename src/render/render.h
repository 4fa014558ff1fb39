#pragma once

#include "files/file_system.h"
#include "ldraw/model_text.h"
#include "operations/messages.h"
#include "render/canvas.h"
#include "render/view.h"

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brikmux {

// Where a model's files lie, as a merge takes them.
struct RenderJob {
    std::string datPath;   // folder of the main file and the custom sub-files, ending in a separator
    std::string ldrawPath; // the LDraw library
    ReferenceKinds referenceKinds = ReferenceKinds::Any;
};

struct RenderOptions {
    int width = 800;
    int height = 600;
    ViewAngle angle;
    std::optional<Rgba> background = Rgba{255, 255, 255, 255}; // none: transparent
    int antialiasing = 2; // each pixel drawn as this many by this many, then averaged
};

struct RenderResult {
    enum class Status { Drawn, Failed, Cancelled };
    Status status = Status::Failed;
    std::string failure; // why nothing was drawn
    // References found nowhere: drawn as nothing.
    std::vector<messages::MissingFile> notFound;
    Picture picture;
};

// Draws the model whose main file (a model or an MPD) is mainName in the DAT folder, found as a
// merge finds it: every file it reaches, its MPDs' blocks, the library's parts in its colours.
// A set cancel stops the drawing between parts.
RenderResult RenderModel(std::string_view mainName, const RenderJob& job, const RenderOptions& options,
                         FileSystem& fileSystem, const std::atomic<bool>* cancel = nullptr);

// The picture as a PNG file at path, written under a temporary name that takes path's place when
// complete.
Status WritePng(const Picture& picture, const std::string& path, FileSystem& fileSystem);

// "Cannot write PATH: REASON."
std::string cannotWritePicture(std::string_view path, std::string_view reason);

} // namespace brikmux
