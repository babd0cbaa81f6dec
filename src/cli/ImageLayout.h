#pragma once

#include <OpenImageIO/imagebuf.h>

// The resolution, data and display windows, channels and attributes of an
// image in memory. The one place that asks OpenImageIO for them.
inline const OIIO::ImageSpec& imageLayout(const OIIO::ImageBuf& image) {
    return image.spec();
}
