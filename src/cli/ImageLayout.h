#pragma once

#include <OpenImageIO/imagebuf.h>

// The resolution, data and display windows, channels, pixel types and attributes of an
// image as its file describes them (or as it was made in memory): the one place that
// asks OpenImageIO for them. Frames are held in the file's own pixel types, which the
// layout reports.
inline const OIIO::ImageSpec& imageLayout(const OIIO::ImageBuf& image) {
    return image.nativespec();
}
