#pragma once

#include "nuke/DataSource.h"

// Asks the core for the distortion correction only.
class LensDistortionDataSource : public DataSource {
public:
    using DataSource::DataSource;

    bool shouldPerformShadingCorrection(Core::ShadingCorrectionParameter& parameter) const override;
    bool shouldPerformDistortionCorrection(
        Core::DistortionCorrectionParameter& parameter) const override;
};
