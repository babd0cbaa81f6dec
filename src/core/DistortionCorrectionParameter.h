#pragma once

namespace Core {

struct DistortionCorrectionParameter {
    // false: undistort; true: distort.
    bool reverse = false;
    // Produce the distortion map instead of the corrected image.
    bool outputMap = false;
};

} // namespace Core
