#include "cli/FrameWriter.h"
#include "cli/AllocatedImage.h"
#include "cli/ImageLayout.h"
#include "cli/Interruption.h"

#include "foundation/Exception.h"

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>

#include <boost/filesystem/operations.hpp>

#include <memory>

namespace {

namespace Filesystem = OIIO::Filesystem;

std::string pathLine(const std::string& path) {
    return "Output File Path: \"" + path + "\"";
}

[[noreturn]] void fail(const std::string& brief, const std::string& path,
                       const std::string& reason) {
    throw Exception(brief, pathLine(path) + "\nReason: \"" + reason + "\"");
}

// Removes the temporary file unless it has been renamed, also when a signal
// ends the process while it is written.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {
        Interruption::addTemporaryFile(path_.c_str());
    }
    ~TemporaryFile() {
        if (!path_.empty()) {
            std::string ignored;
            Filesystem::remove(path_, ignored);
            Interruption::removeTemporaryFile(path_.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return path_; }
    void release() {
        Interruption::removeTemporaryFile(path_.c_str());
        path_.clear();
    }

private:
    std::string path_;
};

} // namespace

std::string FrameWriter::temporaryPath(const std::string& path) {
    const std::string directory = Filesystem::parent_path(path);
    const std::string name =
        "." + Filesystem::filename(path) + ".partial-" + Filesystem::unique_path("%%%%%%%%");
    return directory.empty() ? name : directory + "/" + name;
}

void FrameWriter::write(const OIIO::ImageBuf& image, const std::string& path) {
    const std::string directory = Filesystem::parent_path(path);
    std::string error;
    if (!directory.empty() && !Filesystem::is_directory(directory)) {
        boost::system::error_code created;
        boost::filesystem::create_directories(directory, created);
        if (created) {
            fail("The output directory could not be created. Choose an output path in a "
                 "directory you can write to.",
                 path, created.message());
        }
    }
    const std::unique_ptr<OIIO::ImageOutput> output = OIIO::ImageOutput::create(path);
    if (!output) {
        fail("No image format is known for the output name. End it with an extension such as "
             ".exr, .dpx, .tif or .png.",
             path, OIIO::geterror());
    }
    OIIO::ImageSpec imageSpec = imageLayout(image);
    // A format that cannot hold the data window beside the display window
    // gets the whole frame as its picture, from its first pixel.
    const bool keepsWindows =
        output->supports("displaywindow") && output->supports("origin") &&
        ((imageSpec.x >= 0 && imageSpec.y >= 0) || output->supports("negativeorigin"));
    if (!keepsWindows) {
        imageSpec.x = imageSpec.full_x = 0;
        imageSpec.y = imageSpec.full_y = 0;
        imageSpec.full_width = imageSpec.width;
        imageSpec.full_height = imageSpec.height;
    }

    TemporaryFile temporary(temporaryPath(path));
    const char* const cannotWrite = "The output file could not be written. Check that the output "
                                    "directory is writable and the disk has space.";
    if (!output->open(temporary.path(), imageSpec)) {
        fail(cannotWrite, path, output->geterror());
    }
    bool written = false;
    std::string reason;
    if (imageSpec.x == imageLayout(image).x && imageSpec.y == imageLayout(image).y) {
        written = image.write(output.get());
        reason = image.geterror();
    } else {
        OIIO::ImageBuf placed = allocatedCopy(image);
        placed.set_origin(imageSpec.x, imageSpec.y);
        written = placed.write(output.get());
        reason = placed.geterror();
    }
    if (!written || !output->close()) {
        fail(cannotWrite, path, reason.empty() ? output->geterror() : reason);
    }
    if (!Filesystem::rename(temporary.path(), path, error)) {
        fail(cannotWrite, path, error);
    }
    temporary.release();
}
