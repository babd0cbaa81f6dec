#include "cli/FrameReader.h"
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
    LoadedFrame frame;
    frame.number = number;
    frame.path = path;
    frame.image.reset(path);
    if (!frame.image.read(0, 0, true, OIIO::TypeFloat)) {
        throw Exception("The input file could not be read as an image. Check that it is a "
                        "complete image file in a format such as EXR, DPX, TIFF or PNG.",
                        pathLine(path) + "\nReason: \"" + frame.image.geterror() + "\"");
    }
    const OIIO::ImageSpec& imageSpec = imageLayout(frame.image);
    if (imageSpec.deep || imageSpec.depth != 1 || imageSpec.full_depth != 1) {
        throw Exception("The input is a deep or volume image, which cannot be corrected. Convert "
                        "it to a flat image first.",
                        pathLine(path));
    }
    if (imageSpec.width <= 0 || imageSpec.height <= 0 || imageSpec.full_width <= 0 ||
        imageSpec.full_height <= 0 || imageSpec.nchannels <= 0) {
        throw Exception("The input image has no pixels. Check the file.", pathLine(path));
    }
    return frame;
}
