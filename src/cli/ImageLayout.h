#pragma once

#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/imageio.h>

// The resolution, data and display windows, channels and attributes of an
// image in memory or of a file being read: the one place that asks
// OpenImageIO for them.
inline const OIIO::ImageSpec& imageLayout(const OIIO::ImageBuf& image) {
    return image.spec();
}
inline const OIIO::ImageSpec& imageLayout(const OIIO::ImageInput& input) {
    return input.spec();
}
