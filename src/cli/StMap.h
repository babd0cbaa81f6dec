#pragma once

#include "core/DistortionMapping.h"

#include <OpenImageIO/imagebuf.h>

#include <cstdint>

// Writes a distortion mapping as an ST map in the convention of Nuke's
// STMap node: red and green hold, for every output pixel, the source
// position s and t normalised to the source format and measured from its
// lower-left corner, pixel centres at half-integers; blue is 0 and alpha 1.
class StMap {
public:
    // The mapping's frame is the source format enlarged by the margins on
    // each side; `map` receives it as a float RGBA image over its own data
    // window, which must have the mapping's size.
    static void render(const Core::DistortionMapping& mapping, std::uint32_t formatWidth,
                       std::uint32_t formatHeight, std::uint32_t marginX, std::uint32_t marginY,
                       OIIO::ImageBuf& map);
};
