#include "nuke/LensDistortionDataSource.h"

#include "nuke/LensCorrection.h"

bool LensDistortionDataSource::shouldPerformShadingCorrection(
    Core::ShadingCorrectionParameter& /*parameter*/) const {
    return false;
}

bool LensDistortionDataSource::shouldPerformDistortionCorrection(
    Core::DistortionCorrectionParameter& parameter) const {
    parameter.reverse = node()->correctionMode() == 1;
    parameter.outputMap = node()->outputType() == 1;
    return true;
}
