#include "nuke/LensShadingDataSource.h"

#include "nuke/LensCorrection.h"

bool LensShadingDataSource::shouldPerformShadingCorrection(
    Core::ShadingCorrectionParameter& parameter) const {
    parameter.reverse = node()->correctionMode() == 1;
    parameter.outputMap = node()->outputType() == 1;
    return true;
}

bool LensShadingDataSource::shouldPerformDistortionCorrection(
    Core::DistortionCorrectionParameter& /*parameter*/) const {
    return false;
}
