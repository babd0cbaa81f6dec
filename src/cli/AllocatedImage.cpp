#include "cli/AllocatedImage.h"
#include "cli/ImageLayout.h"

#include <new>

namespace {

void requirePixels(const OIIO::ImageBuf& image) {
    if (image.localpixels() == nullptr && imageLayout(image).image_bytes() > 0) {
        throw std::bad_alloc();
    }
}

} // namespace

OIIO::ImageBuf allocatedImage(const OIIO::ImageSpec& layout) {
    OIIO::ImageBuf image(layout);
    requirePixels(image);
    return image;
}

OIIO::ImageBuf allocatedCopy(const OIIO::ImageBuf& image) {
    OIIO::ImageBuf copy(image);
    requirePixels(copy);
    return copy;
}
