#pragma once

#include <OpenImageIO/imagebuf.h>

// The resolution, data and display windows, channels, pixel types and attributes of an
// image as its file describes them (or as it was made in memory): the one place that
// asks OpenImageIO for them. Pixels read as float keep the file's own types here.
inline const OIIO::ImageSpec& imageLayout(const OIIO::ImageBuf& image) {
    return image.nativespec();
}
