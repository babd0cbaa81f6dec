#include "core/FrameRequest.h"

namespace Core {

// The host computes an ST map from the distortion mapping, so the distortion
// never asks for the renderer's own map; the shading map comes from the renderer.
void FrameRequest::ask(Correction correction, bool reverseMap) {
    shading = false;
    distortion = false;
    switch (correction) {
    case Correction::Undistort:
    case Correction::Distort:
    case Correction::StMap:
        distortion = true;
        distortionParameter.reverse =
            correction == Correction::Distort || (correction == Correction::StMap && reverseMap);
        distortionParameter.outputMap = false;
        break;
    case Correction::RemoveShading:
    case Correction::AddShading:
    case Correction::ShadingMap:
        shading = true;
        shadingParameter.reverse = correction == Correction::AddShading ||
                                   (correction == Correction::ShadingMap && reverseMap);
        shadingParameter.outputMap = correction == Correction::ShadingMap;
        break;
    }
}

} // namespace Core
