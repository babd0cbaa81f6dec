#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace CorrectionData {

// The interpolation points of one frame. Index i of shading and of
// radialDistortion belongs to heights[i] (millimetres from the image centre).
struct Frame {
    std::uint32_t number = 0;
    struct {
        std::vector<float> heights;
        std::vector<float> shading;
        std::vector<float> radialDistortion;
    } interpolationPoints;
    std::string timecode;
};

} // namespace CorrectionData
