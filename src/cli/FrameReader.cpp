#include "cli/FrameReader.h"
#include "cli/AllocatedImage.h"
#include "cli/ImageFile.h"
#include "cli/ImageLayout.h"

#include "foundation/Exception.h"
#include "host_rules/FrameSizeLimit.h"

#include <boost/filesystem/operations.hpp>

#include <new>

namespace {

std::string pathLine(const std::string& path) {
    return "Input File Path: \"" + path + "\"";
}

std::string sizeLines(const OIIO::ImageSpec& imageSpec) {
    return "\nImage Size: " + std::to_string(imageSpec.width) + "x" +
           std::to_string(imageSpec.height) +
           " px\nChannel Count: " + std::to_string(imageSpec.nchannels);
}

} // namespace

void FrameReader::requireFile(const std::string& path, const char* missingBrief) {
    boost::system::error_code error;
    const boost::filesystem::file_status status = boost::filesystem::status(path, error);
    const std::string absolutePath = boost::filesystem::absolute(path).string();
    if (status.type() == boost::filesystem::file_not_found) {
        throw Exception(missingBrief, pathLine(absolutePath));
    }
    if (status.type() == boost::filesystem::status_error) {
        throw Exception("The input file could not be reached. Check the permissions of the "
                        "directories on its path.",
                        pathLine(absolutePath) + "\nReason: \"" + error.message() + "\"");
    }
}

LoadedFrame FrameReader::read(const std::string& path, int number) {
    requireFile(path, "The input file does not exist. Check the path and the frame range.");
    const std::string absolutePath = boost::filesystem::absolute(path).string();
    std::string reason;
    OIIO::ImageSpec imageSpec;
    const std::unique_ptr<OIIO::ImageInput> input = openImageFile(path, imageSpec, reason);
    const char* const unreadable = "The input file could not be read as an image. Check that it "
                                   "is a complete image file in a format such as EXR, DPX, TIFF "
                                   "or PNG.";
    if (!input) {
        throw Exception(unreadable, pathLine(absolutePath) + "\nReason: \"" + reason + "\"");
    }
    if (imageSpec.deep || imageSpec.depth != 1 || imageSpec.full_depth != 1) {
        throw Exception("The input is a deep or volume image, which cannot be corrected. Convert "
                        "it to a flat image first.",
                        pathLine(absolutePath));
    }
    if (imageSpec.width <= 0 || imageSpec.height <= 0 || imageSpec.full_width <= 0 ||
        imageSpec.full_height <= 0 || imageSpec.nchannels <= 0) {
        throw Exception("The input image has no pixels. Check the file.", pathLine(absolutePath));
    }
    // From the header alone, so that a file that claims a huge frame takes no memory.
    if (!FrameSizeLimit::imageFits(imageSpec.width, imageSpec.height, imageSpec.nchannels)) {
        throw Exception("The input image is too large to process. Check the file; frames of up "
                        "to 268 million pixels and four gigabytes of float values are processed.",
                        pathLine(absolutePath) + sizeLines(imageSpec));
    }
    LoadedFrame frame;
    frame.number = number;
    frame.path = absolutePath;
    // Kept in the file's pixel type, which the layout reports and the output keeps.
    try {
        frame.image = allocatedImage(imageSpec);
    } catch (const std::bad_alloc&) {
        throw Exception("There is not enough memory to read the input image. Give the tool more "
                        "memory (the job's memory limit, ulimit -v).",
                        pathLine(absolutePath) + sizeLines(imageSpec) + "\nMemory Needed: " +
                            std::to_string(imageSpec.image_bytes() >> 20) + " MiB");
    }
    if (!input->read_image(0, 0, 0, imageSpec.nchannels, imageSpec.format,
                           frame.image.localpixels())) {
        throw Exception(unreadable,
                        pathLine(absolutePath) + "\nReason: \"" + input->geterror() + "\"");
    }
    return frame;
}
