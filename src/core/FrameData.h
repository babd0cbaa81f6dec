#pragma once

#include <cstdint>

namespace Core {

// What the host knows about the frame being processed.
struct FrameData {
    // Frame number as the host counts it, at frameRate (0: the clip's own rate).
    std::uint32_t frameNumber = 0;
    float frameRate = 0.0F;
    // Timecode text, zero-terminated; empty when the host has none.
    char timecode[16] = {};
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // Percentage by which the recording format's image radius is enlarged.
    float overscan = 0.0F;
};

} // namespace Core
