#include "cli/FrameReader.h"
#include "cli/ImageFile.h"
#include "cli/ImageLayout.h"

#include "foundation/Exception.h"

#include <OpenImageIO/filesystem.h>

namespace {

std::string pathLine(const std::string& path) {
    return "Input File Path: \"" + path + "\"";
}

} // namespace

LoadedFrame FrameReader::read(const std::string& path, int number) {
    if (!OIIO::Filesystem::exists(path)) {
        throw Exception("The input file does not exist. Check the path and the frame range.",
                        pathLine(path));
    }
    std::string reason;
    OIIO::ImageSpec imageSpec;
    const std::unique_ptr<OIIO::ImageInput> input = openImageFile(path, imageSpec, reason);
    const char* const unreadable = "The input file could not be read as an image. Check that it "
                                   "is a complete image file in a format such as EXR, DPX, TIFF "
                                   "or PNG.";
    if (!input) {
        throw Exception(unreadable, pathLine(path) + "\nReason: \"" + reason + "\"");
    }
    if (imageSpec.deep || imageSpec.depth != 1 || imageSpec.full_depth != 1) {
        throw Exception("The input is a deep or volume image, which cannot be corrected. Convert "
                        "it to a flat image first.",
                        pathLine(path));
    }
    if (imageSpec.width <= 0 || imageSpec.height <= 0 || imageSpec.full_width <= 0 ||
        imageSpec.full_height <= 0 || imageSpec.nchannels <= 0) {
        throw Exception("The input image has no pixels. Check the file.", pathLine(path));
    }
    LoadedFrame frame;
    frame.number = number;
    frame.path = path;
    // Kept in the file's pixel type, which the layout reports and the output keeps.
    frame.image.reset(imageSpec);
    if (!input->read_image(0, 0, 0, imageSpec.nchannels, imageSpec.format,
                           frame.image.localpixels())) {
        throw Exception(unreadable, pathLine(path) + "\nReason: \"" + input->geterror() + "\"");
    }
    return frame;
}
