#pragma once

#include "core/DistortionMapping.h"

#include <cstdint>

// The values of an ST map in the convention of Nuke's STMap node: red and
// green hold, for every output pixel, the source position s and t normalised
// to the source format and measured from its lower-left corner, pixel centres
// at half-integers; blue is 0 and alpha 1.
namespace StMapValues {

// One pixel of the map at (x, y) of the mapping's frame, rows from the top;
// the frame is the source format enlarged by the margins on each side.
void at(const Core::DistortionMapping& mapping, std::uint32_t formatWidth,
        std::uint32_t formatHeight, std::uint32_t marginX, std::uint32_t marginY, std::int64_t x,
        std::int64_t y, float* rgba);

} // namespace StMapValues
