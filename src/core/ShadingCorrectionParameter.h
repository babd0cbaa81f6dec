#pragma once

namespace Core {

struct ShadingCorrectionParameter {
    // false: remove the lens shading; true: add it.
    bool reverse = false;
    // Produce the multiply map instead of the corrected image.
    bool outputMap = false;
};

} // namespace Core
